#pragma once
// The splash window: the logo for two seconds while the program starts.

#include <QWidget>

class QLabel;
class QTimer;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* Logo = nullptr;
    QTimer* Timer = nullptr;

signals:
    // Once, when the splash closes: by its timer or early by the user.
    void Finished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool m_finished = false;
};

namespace Globals {
// Marks a window with the property "SECRET-CODE" holding value.
void SetWindowMark(QWidget* window, int value);
}  // namespace Globals
