#pragma once
// A stored process drawn as screen boxes linked in visiting order, in a
// window like the screen interaction plot but without its "&Options" menu:
// every "Show D&iagram" opens a further one, found again by nothing. A box
// opens the source viewer for its screen; a link has nothing to open. The
// window keeps no placement and is deleted when closed.

#include <QMainWindow>
#include <QPointer>

#include <string>

#include "platform/ui/TDiagram.h"

class QLabel;

namespace views::ui {

class frmProcessDiagram : public QMainWindow {
    Q_OBJECT
public:
    explicit frmProcessDiagram(QWidget* parent);

    // Clears the diagram and draws the process from the open workspace.
    void Draw(const std::string& procId);
    void dgmSF_ShapeActivated(platform::diagram::Shape* box);

    // The window that opened the diagram; it gets the focus back. May be none.
    QPointer<QWidget> Owner;

    platform::ui::TDiagram* dgmSF = nullptr;
    // The diagram's zoom, "N%".
    QLabel* lblZoom = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Globals::ShowProcessDiagram: a new window showing the process, owned by
// owner (none allowed). Database errors reach the caller, with no window left.
frmProcessDiagram* ShowProcessDiagram(const std::string& procId, QWidget* owner);

}  // namespace views::ui

namespace Globals {

void ShowProcessDiagram(const std::string& procId, QWidget* owner);

}  // namespace Globals
