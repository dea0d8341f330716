#pragma once
// The flow context window of one program: the client side ("Client
// Facing") and the data side ("Data Facing") in two panes of a dock
// splitter. One window per program, found again by its Tag
// "<id>-FlowContext"; its pane arrangement and both zooms stay in
// g_ContextLayouts under that key while the workspace is open, so a
// window opened again for the program looks as it was left. From a box the
// analyst opens the source view, redraws the window around the box's entity
// (Refocus) or redraws that diagram with both sides of it (Expand).

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <map>
#include <string>

#include "platform/ui/EntityWindow.h"
#include "platform/ui/TDiagram.h"
#include "common/Progress.h"
#include "views/ContextWindow.h"

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;

namespace platform::ui {
class TSplitter;
}

namespace views::ui {

class frmContext : public QMainWindow, public platform::ui::EntityWindow {
    Q_OBJECT
public:
    // tagCheck: the window key, which the load needs to find the saved
    // layout. owner: the window that asked; it is the Qt parent too.
    frmContext(QWidget* owner, const QString& tagCheck);
    ~frmContext() override;


    // The box events of either diagram.
    void Diagram_MouseUp(platform::ui::TDiagram* diagram, platform::diagram::Shape* box, int button);
    void Diagram_KeyUp(platform::ui::TDiagram* diagram, int keyCode, int shift);
    void Diagram_DblClick(platform::ui::TDiagram* diagram, platform::diagram::Shape* box);
    void mnuBCViewSource_Click();
    void mnuBCRefocus_Click();
    void mnuBCExpand_Click();
    // The View menu: shows a pane the analyst closed.
    void ShowPane(const QString& pane);

    // The diagram on which the box menu was last opened or a box
    // double-clicked.
    platform::ui::TDiagram* CurrentDiagram() const { return m_current; }

    QString TagCheck;

    platform::ui::TDiagram* dgmClientFacing = nullptr;
    platform::ui::TDiagram* dgmDataFacing = nullptr;
    platform::ui::TSplitter* splMain = nullptr;
    QMenu* mnuBoxContext = nullptr;
    QAction* mnuBCViewSource = nullptr;
    QAction* mnuBCRefocus = nullptr;
    QAction* mnuBCExpand = nullptr;
    QMenu* mnuView = nullptr;
    // The client diagram's zoom, "N%".
    QLabel* lblZoom = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Load();
    void DefaultLayout();
    void PlaceDiagrams();
    void splMain_Layout();
    void ApplyBoxMenu(const views::BoxMenuState& state);

    std::map<QString, platform::ui::TDiagram*> cPanes;
    QPointer<platform::ui::TDiagram> m_current;
};

// The open flow context window with this Tag (exact), or nullptr.
frmContext* FindFlowContextWindow(const QString& tag);

}  // namespace views::ui

namespace Globals {

// The Tag of the flow context window last activated or opened.
extern std::string g_ActiveContextKey;

// Opens the flow context window of the entity (normally a program), or
// brings its open window forward. show true opens a new window owned by
// owner; show false (Refocus) retargets the window named by
// g_ActiveContextKey to the entity, keeping its panes and zooms, and when
// that window is gone the caller's, or a new one. tree is not read. The
// drawing is laid out first, on another thread: a long layout reports to
// progress, or where none is given to the main window (its commands
// disabled, Cancel enabled); cancelled, no window opens and the window to
// be retargeted keeps what it showed. One flow context is drawn at a time:
// a request while one is laid out is not taken.
void ShowFlowContext(const std::string& id, const std::string& name, QTreeWidget* tree, QWidget* owner, bool show,
                     views::ui::frmContext* caller = nullptr, common::IProgress* progress = nullptr);

}  // namespace Globals
