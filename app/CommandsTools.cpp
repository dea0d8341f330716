#include "app/CommandsTools.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>

#include <exception>
#include <memory>

#include "app/CommandsEnabling.h"
#include "app/dialogs/frmClientInfo.h"
#include "common/Globals.h"
#include "platform/ui/MainWindow.h"
#include "platform/workbench/WorkspaceGlobals.h"

using platform::ui::BusyScope;
using platform::ui::IMainWindow;

namespace app {

CrudOutcome CrudOutcomeOf(bool fileWritten, bool cancelled) {
    if (cancelled) return CrudOutcome::Cancelled;
    return fileWritten ? CrudOutcome::Found : CrudOutcome::NoSimilarPairs;
}

CrudReaction CrudReactionTo(CrudOutcome outcome) {
    switch (outcome) {
        case CrudOutcome::Found: return CrudReaction::ShowComparison;
        case CrudOutcome::NoSimilarPairs: return CrudReaction::ReportNoIssues;
        case CrudOutcome::Cancelled: return CrudReaction::Nothing;
    }
    return CrudReaction::Nothing;
}

QWidget* FindTaggedWindow(const QString& tag) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const QVariant t = window->property("Tag");
        if (t.isValid() && t.toString().compare(tag, Qt::CaseInsensitive) == 0) return window;
    }
    return nullptr;
}

namespace {

// The services connected to one main window, kept on it.
class ServicesHolder : public QObject {
    Q_OBJECT
public:
    explicit ServicesHolder(QObject* parent) : QObject(parent) { setObjectName("qaToolServices"); }
    ToolServices services;
};

ServicesHolder& HolderOf(IMainWindow& w) {
    QWidget* window = w.Window();
    if (auto* h = window->findChild<ServicesHolder*>(QString(), Qt::FindDirectChildrenOnly)) return *h;
    return *new ServicesHolder(window);
}

template <typename F>
void Join(F& into, const F& more) {
    if (more) into = more;
}

void ReportFailure(IMainWindow& w, const char* command, const std::exception& e) {
    w.Message(std::string(command) + " failed:\n" + e.what(), w.ApplicationTitle().toStdString(),
              common::Icon::Exclamation);
}

// Shows a window of the tool in front: visible, not minimized (Qt keeps
// the state it had before, maximized or normal), focused.
void BringToFront(QWidget* window) {
    if (!window->isWindow()) window->setWindowFlag(Qt::Window, true);
    if (window->isHidden()) window->show();
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

void ScreenFlow(IMainWindow& w, const ToolServices& s) {
    if (!s.showScreenFlow) return;
    try {
        s.showScreenFlow();
    } catch (const std::exception& e) {
        ReportFailure(w, "Screen Interaction Plot", e);
    }
}

// COMMAREA Size and Validation Rules: every run makes a further window,
// shown only when the analysis produced its page.
void IssuesAnalysis(IMainWindow& w, const ToolServices& s, const char* caption,
                    const std::function<bool(QWidget*, IMainWindow&)>& resolve) {
    if (!s.newIssuesWindow || !resolve) return;
    try {
        std::unique_ptr<QWidget> window(s.newIssuesWindow(w.Window()));
        if (!window) return;
        window->setWindowTitle(caption);
        {
            BusyScope busy(w);
            if (!resolve(window.get(), w)) return;   // no page, or cancelled: nothing to show
        }
        QWidget* shown = window.release();
        shown->setAttribute(Qt::WA_DeleteOnClose);
        BringToFront(shown);
    } catch (const std::exception& e) {
        ReportFailure(w, caption, e);
    }
}

void CrudOverlap(IMainWindow& w, const ToolServices& s) {
    if (!s.getCRUDReport || !s.crudComparisonWindow) return;
    QWidget* window = nullptr;
    QWidget* made = nullptr;
    try {
        {
            BusyScope busy(w);
            const CrudReaction reaction = CrudReactionTo(s.getCRUDReport(w));
            if (reaction == CrudReaction::ReportNoIssues)
                w.Message(kNoCrudIssues, kCrudIssuesTitle, common::Icon::None);
            if (reaction != CrudReaction::ShowComparison) return;
            window = FindTaggedWindow(kCrudComparisonTag);
            if (window) BringToFront(window);
            // A new window reads its list while the commands are held.
            else if (!(made = s.crudComparisonWindow(w.Window()))) return;
        }
        if (!window) {
            window = made;
            window->setProperty("Tag", QString(kCrudComparisonTag));
            // Closing ends this window, so the next run shows a new one that
            // reads the new comparison.
            window->setAttribute(Qt::WA_DeleteOnClose);
            BringToFront(window);
        }
    } catch (const std::exception& e) {
        ReportFailure(w, kCrudCaption, e);
        return;
    }
    HoldCommandWhileOpen(w, "mnuToolsCRUD", window);
}

void GenerateReports(IMainWindow& w, const ToolServices& s) {
    if (!s.generateReports) return;
    try {
        BusyScope busy(w);
        s.generateReports(w);
    } catch (const std::exception& e) {
        ReportFailure(w, kGenerateReportsCaption, e);
    }
}

void EnterClientInformation(IMainWindow& w) {
    try {
        dialogs::EnterClientInformation(w.Window(), Globals::g_Database.get(), w);
    } catch (const std::exception& e) {
        ReportFailure(w, kClientInformationCaption, e);
    }
}

}  // namespace

void InstallToolCommands(IMainWindow& w, const ToolServices& more) {
    ToolServices& s = HolderOf(w).services;
    Join(s.showScreenFlow, more.showScreenFlow);
    Join(s.getCRUDReport, more.getCRUDReport);
    Join(s.crudComparisonWindow, more.crudComparisonWindow);
    Join(s.newIssuesWindow, more.newIssuesWindow);
    Join(s.resolveCOMMAREASize, more.resolveCOMMAREASize);
    Join(s.resolveValidationRules, more.resolveValidationRules);
    Join(s.generateReports, more.generateReports);

    // Each run takes the services as they are then.
    auto services = [&w] { return HolderOf(w).services; };
    // The commands that write the workspace (its tables, the comparison
    // file, the report tree): in a workspace open for viewing only each is
    // refused with one message before it touches anything.
    const auto writing = [&w](const char* command, std::function<void()> run) {
        return [&w, command, run = std::move(run)] {
            if (!Globals::RefuseWhileViewOnly(w, command)) run();
        };
    };
    w.SetCommand("mnuToolsScreenFlow", [&w, services] { ScreenFlow(w, services()); });
    w.SetCommand("mnuToolsCRUD", writing(kCrudCaption, [&w, services] { CrudOverlap(w, services()); }));
    w.SetCommand("mnuToolsCOMMAREA", writing(kCommareaCaption, [&w, services] {
                     const ToolServices s = services();
                     IssuesAnalysis(w, s, kCommareaCaption, s.resolveCOMMAREASize);
                 }));
    w.SetCommand("mnuToolsValidation", writing(kValidationCaption, [&w, services] {
                     const ToolServices s = services();
                     IssuesAnalysis(w, s, kValidationCaption, s.resolveValidationRules);
                 }));
    w.SetCommand("mnuToolsGenerateReports",
                 writing(kGenerateReportsCaption, [&w, services] { GenerateReports(w, services()); }));
    w.SetCommand("mnuToolsEnterClientInformation",
                 writing(kClientInformationCaption, [&w] { EnterClientInformation(w); }));

    SetCommandBacked(w, "mnuToolsScreenFlow", bool(s.showScreenFlow));
    SetCommandBacked(w, "mnuToolsCRUD", s.getCRUDReport && s.crudComparisonWindow);
    SetCommandBacked(w, "mnuToolsCOMMAREA", s.newIssuesWindow && s.resolveCOMMAREASize);
    SetCommandBacked(w, "mnuToolsValidation", s.newIssuesWindow && s.resolveValidationRules);
    SetCommandBacked(w, "mnuToolsGenerateReports", bool(s.generateReports));
}

}  // namespace app

#include "CommandsTools.moc"
