#pragma once
// What the window code of the subsystems reaches on the main window: the
// progress and prompt interfaces, the busy bracket, the commands of the menus
// and toolbar, the three trees, the Log pane, the node context menu and the
// image lists. The main window (app/frmMain) implements it.

#include <QString>

#include <functional>

#include "common/Progress.h"
#include "common/Prompt.h"

class QAction;
class QMenu;
class QObject;
class QPlainTextEdit;
class QTreeWidget;
class QWidget;

namespace platform::ui {

class ImageList;

class IMainWindow : public common::IProgress, public common::IPrompt {
public:
    ~IMainWindow() override = default;

    // The window itself: owner of every child window.
    virtual QWidget* Window() = 0;
    // Resource string 1006, also the title of every message box.
    virtual QString ApplicationTitle() const = 0;

    // The busy bracket. DisableControls disables every enabled control, menu
    // item and toolbar button and enables Cancel; EnableControls restores
    // exactly what was enabled before. Brackets nest: only the outermost pair
    // acts. Prefer BusyScope, which closes the bracket on every path.
    virtual void DisableControls() = 0;
    virtual void EnableControls() = 0;
    virtual bool IsBusy() const = 0;
    // Disables one control or menu action; inside a bracket it is enabled
    // again when the bracket closes.
    virtual void DisableControl(QObject* control) = 0;
    // Sets whether a control or action is available. Inside a bracket the
    // change is kept for the bracket's end (the control stays disabled until
    // then), so command logic and the bracket never undo each other.
    virtual void SetControlEnabled(QObject* control, bool enabled) = 0;

    // A menu or toolbar command by its control name ("mnuFileOpenWorkspace",
    // "mnuToolsCRUD", ...), or nullptr. One action serves a menu item and
    // its toolbar button.
    virtual QAction* Command(const QString& name) const = 0;
    // Runs handler when the command is chosen (replacing an earlier one).
    // The command's availability is left as it is.
    virtual void SetCommand(const QString& name, std::function<void()> handler) = 0;
    // SetControlEnabled for a command by name.
    virtual void SetCommandEnabled(const QString& name, bool enabled) = 0;
    // The Tools menu as a whole.
    virtual void EnableToolsMenu(bool enabled) = 0;

    virtual QTreeWidget* SummaryTree() = 0;
    virtual QTreeWidget* WebOperationsTree() = 0;
    virtual QTreeWidget* WebServicesTree() = 0;
    virtual QPlainTextEdit* LogBox() = 0;
    // mnuProgContext, the node context menu shared by the three trees.
    virtual QMenu* NodeMenu() = 0;
    // imgList (Summary tree and toolbar) and imgs (the two web trees).
    virtual const ImageList& TreeImages() const = 0;
    virtual const ImageList& WebTreeImages() const = 0;

    // Run when the window is about to close (after a close that is not
    // refused), before the layout is saved: the workspace close.
    virtual void SetCloseWorkspace(std::function<void()> handler) = 0;
};

// The busy bracket as a scope: an error inside a long command never leaves
// the window disabled.
class BusyScope {
public:
    explicit BusyScope(IMainWindow& w) : m_w(w) { m_w.DisableControls(); }
    ~BusyScope() { m_w.EnableControls(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    IMainWindow& m_w;
};

}  // namespace platform::ui

namespace Globals {
// The main window while it is loaded; nullptr before its load ends and after
// it unloads.
extern platform::ui::IMainWindow* g_MainForm;
}  // namespace Globals
