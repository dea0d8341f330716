#pragma once
// The link direction dialog: the four parties of one link of the screen
// interaction plot (left and right node, left and right program) and their
// three relationships. One dialog per link, found again by its Tag
// "<sfRelID>-Relationship". The instruction and the three buttons that
// would fix the link's direction are hidden from the start: the dialog
// shows the relationship and changes nothing.

#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>

#include "platform/ui/EntityWindow.h"
#include "platform/ui/TDiagram.h"

class QLabel;
class QPushButton;

namespace views::ui {

// Owner is the plot window; it gets the focus back.
class frmDefRel : public QWidget, public platform::ui::EntityWindow {
    Q_OBJECT
public:
    explicit frmDefRel(QWidget* parent);
    ~frmDefRel() override;

    // The link the button statements act on.
    void SetLink(int64_t relId, int64_t leftProgId, int64_t rightProgId, int64_t leftScrId, int64_t rightScrId);

    // Fix the link's direction as drawn (cmdP1) or swapped (cmdP2) in the
    // open workspace, then close; Cancel closes.
    void cmdP1_Click();
    void cmdP2_Click();
    void cmdCancel_Click();

    platform::ui::TDiagram* dgmDefRel = nullptr;
    QLabel* lblInstruct = nullptr;
    QPushButton* cmdP1 = nullptr;
    QPushButton* cmdP2 = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    int64_t m_relId = 0, m_leftProgId = 0, m_rightProgId = 0, m_leftScrId = 0, m_rightScrId = 0;
};

// The open dialog with this Tag (exact), or nullptr.
frmDefRel* FindRelationshipWindow(const QString& tag);
// Closes every open link direction dialog.
void CloseRelationshipWindows();

}  // namespace views::ui

namespace Globals {

// Raises the open dialog of the link, or opens a new one owned by owner,
// drawn from the open workspace. Errors reach the caller, and then no
// dialog opens.
void ShowDefineRelationship(const std::string& linkKey, int64_t relId, int64_t leftProgId, int64_t rightProgId,
                            int64_t leftScrId, int64_t rightScrId, QWidget* owner);

}  // namespace Globals
