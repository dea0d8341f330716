#include "app/WorkspaceCommands.h"
#include "platform/ui/UIUtility.h"

#include <QApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>

#include <exception>
#include <utility>

#include "app/CommandsEnabling.h"
#include "app/WorkspaceTrees.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/TSplitter.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "session/WorkspaceOpenDialog.h"

namespace app {

namespace fs = std::filesystem;
using session::WorkspaceView;

namespace {

constexpr char kScreenFlowTag[] = "ScreenFlow";

WorkspaceFileChooser& Chooser() {
    static WorkspaceFileChooser chooser;
    return chooser;
}

std::function<void(platform::ui::IMainWindow&)>& ProgramEnd() {
    static std::function<void(platform::ui::IMainWindow&)> end;
    return end;
}

void EndProgram(platform::ui::IMainWindow& w) {
    if (ProgramEnd()) {
        ProgramEnd()(w);
        return;
    }
    w.Window()->close();
    QCoreApplication::exit(1);
}

// Where the dialog starts: beside the workspace opened last.
QString StartFolder() {
    const fs::path& last = session::CurrentWorkspaceFile();
    if (!last.empty()) return QString::fromStdString(last.parent_path().string());
    return QDir::homePath();
}

void ShowLog(platform::ui::IMainWindow& w, const std::string& text, bool show) {
    QPlainTextEdit* log = w.LogBox();
    log->setPlainText(QString::fromStdString(text));
    auto* splitter = w.Window()->findChild<platform::ui::TSplitter*>();
    platform::ui::TSplitterPane* pane = splitter ? splitter->Panes(log->property("Tag").toString()) : nullptr;
    if (pane) pane->SetVisible(show);
    if (show) log->show();
}

// The caption of the workspace shown: one open for viewing only says so
// here too, where it stays in sight, not only in the Log pane.
void ShowCaption(platform::ui::IMainWindow& w, const std::string& caption) {
    QString text = QString::fromStdString(caption);
    if (Globals::g_ViewOnly) text += " (view only)";
    UIUtility::SetCaption(w.Window(), text);
}

void UnloadScreenFlow(platform::ui::IMainWindow& w) {
    std::vector<QWidget*> flow;
    for (QWidget* window : OtherWindows(w))
        if (window->property("Tag").toString().compare(kScreenFlowTag, Qt::CaseInsensitive) == 0)
            flow.push_back(window);
    UnloadWindows(flow);
}

// The new workspace's session is open and the previous one closed: nothing
// of the previous one may stay on screen while the new one builds.
void ShowOpenedSession(platform::ui::IMainWindow& w, const std::string& caption) {
    ClearWorkspaceTrees(w);
    UnloadScreenFlow(w);
    ShowLog(w, std::string(), false);
    ShowCaption(w, caption);
    // A reopen shows no progress until it is done: paint the emptied window now.
    w.Window()->repaint();
}

session::LoadEnvironment Environment(platform::ui::IMainWindow& w) {
    session::LoadEnvironment env;
    env.ownerForm = w.Window();
    env.sessionOpened = [&w](const std::string& caption) { ShowOpenedSession(w, caption); };
    return env;
}

// A load inside the busy bracket; the program ends after a set-up error
// once the bracket is closed.
void RunLoad(platform::ui::IMainWindow& w, const std::function<WorkspaceView()>& load) {
    WorkspaceView view;
    bool fatal = false;
    {
        platform::ui::BusyScope busy(w);
        try {
            view = load();
        } catch (const std::exception& e) {
            // The core reports its own failures; anything else still must
            // not leave a half-open workspace behind.
            session::CloseWorkspace();
            w.Message(e.what(), w.ApplicationTitle().toStdString(), common::Icon::Critical);
            view.status = WorkspaceView::Status::Failed;
            view.previousClosed = true;
            view.caption = w.ApplicationTitle().toStdString();
        }
        fatal = view.status == WorkspaceView::Status::Fatal;
        ApplyWorkspaceView(w, std::move(view));
    }
    if (fatal) EndProgram(w);
}

}  // namespace

void SetWorkspaceFileChooser(WorkspaceFileChooser chooser) { Chooser() = std::move(chooser); }

void SetProgramEnd(std::function<void(platform::ui::IMainWindow&)> end) { ProgramEnd() = std::move(end); }

std::optional<fs::path> ChooseWorkspaceFileInDialog(QWidget* owner) {
    QFileDialog dialog(owner, session::kOpenWorkspaceTitle, StartFolder());
    dialog.setObjectName("dialog");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(session::kOpenWorkspaceExtension);
    dialog.setNameFilters(
        QString::fromStdString(session::QtFileFilter(session::kOpenWorkspaceFilter)).split(";;"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return fs::path(dialog.selectedFiles().front().toStdString());
}

std::vector<QWidget*> OtherWindows(platform::ui::IMainWindow& w) {
    std::vector<QWidget*> out;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == w.Window() || !window->isWindow()) continue;
        const Qt::WindowType type = window->windowType();
        if (type != Qt::Window && type != Qt::Dialog) continue;
        // Menus, floating panes and the like belong to the main window.
        if (qobject_cast<QMenu*>(window) || qobject_cast<QDockWidget*>(window)) continue;
        if (window->isVisible() || window->property("Tag").isValid()) out.push_back(window);
    }
    return out;
}

void UnloadWindows(const std::vector<QWidget*>& windows) {
    std::vector<QPointer<QWidget>> guarded(windows.begin(), windows.end());
    for (const QPointer<QWidget>& window : guarded) {
        if (!window) continue;
        window->close();
        if (!window) continue;
        // Deleted only when the events next run: until then neither the
        // look-up by Tag nor the question about open windows may find it.
        window->setProperty("Tag", QVariant());
        window->deleteLater();
    }
}

void ApplyWorkspaceView(platform::ui::IMainWindow& w, WorkspaceView view) {
    using Status = WorkspaceView::Status;
    if (view.status == Status::Unchanged) return;
    if (view.previousClosed) {
        ClearWorkspaceTrees(w);
        UnloadScreenFlow(w);
    }
    ShowCaption(w, view.caption);
    if (view.status == Status::Loaded) {
        ShowTree(*w.SummaryTree(), std::move(view.summary), w.TreeImages());
        ShowTree(*w.WebOperationsTree(), std::move(view.webOperations), w.WebTreeImages());
        ShowTree(*w.WebServicesTree(), std::move(view.webServices), w.WebTreeImages());
        ShowLog(w, view.logText, view.showLog);
    } else {
        ShowLog(w, std::string(), false);
    }
    EnableWorkspaceCommands(w, view.status == Status::Loaded && view.workspaceCommandsEnabled);
}

void OpenWorkspaceFile(platform::ui::IMainWindow& w, const fs::path& file) {
    RunLoad(w, [&] { return session::OpenWorkspace(file, Environment(w), w, w); });
}

void mnuFileOpenWorkspace_Click(platform::ui::IMainWindow& w) {
    const std::vector<QWidget*> others = OtherWindows(w);
    if (!others.empty()) {
        std::vector<std::string> tags;
        for (QWidget* window : others) tags.push_back(window->property("Tag").toString().toStdString());
        if (!session::MayCloseOtherWindows(tags, w)) return;
        UnloadWindows(others);
    }
    const auto file = Chooser() ? Chooser()(w.Window()) : ChooseWorkspaceFileInDialog(w.Window());
    if (!file) return;
    OpenWorkspaceFile(w, *file);
}

void mnuFileRefreshWorkspace_Click(platform::ui::IMainWindow& w) {
    // A workspace that cannot be rebuilt is refused before the question
    // (the answer would change nothing), and keeps its windows too.
    if (!session::RefreshPossible(w)) return;
    if (!session::ConfirmRefresh(w)) return;
    UnloadWindows(OtherWindows(w));
    RunLoad(w, [&] { return session::RefreshWorkspace(Environment(w), w, w); });
}

void CloseWorkspace(platform::ui::IMainWindow& w) {
    session::CloseWorkspace();
    ClearWorkspaceTrees(w);
    UnloadScreenFlow(w);
    ShowCaption(w, w.ApplicationTitle().toStdString());
    EnableWorkspaceCommands(w, false);
}

void InstallWorkspaceCommands(platform::ui::IMainWindow& w) {
    platform::ui::IMainWindow* main = &w;
    w.SetCommand("mnuFileOpenWorkspace", [main] { mnuFileOpenWorkspace_Click(*main); });
    w.SetCommand("mnuFileRefreshWorkspace", [main] { mnuFileRefreshWorkspace_Click(*main); });
    w.SetCloseWorkspace([main] { CloseWorkspace(*main); });
    w.SetCommandEnabled("mnuFileOpenWorkspace", true);
}

}  // namespace app
