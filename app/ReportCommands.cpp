#include "app/ReportCommands.h"

#include <QLocale>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include "app/CommandsTools.h"
#include "common/Globals.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtText.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ReportError.h"
#include "reports/ReportPaths.h"
#include "reports/ReportRun.h"
#include "reports/ui/frmIssues.h"

namespace app {

namespace {

void TellNoViewer(platform::ui::IMainWindow& w, const std::string& index) {
    w.Message("No program is available to open the report:\n" + index, w.ApplicationTitle().toStdString(),
              common::Icon::Exclamation);
}

}  // namespace

void GenerateReports(platform::ui::IMainWindow& w, const dialogs::UrlOpener& opener) {
    if (!Globals::g_Database || !Globals::g_Workbench || Globals::g_WorkspaceFolder.empty()) return;
    mdlReports::ReportRun run{*Globals::g_Database,
                              *Globals::g_Workbench,
                              Globals::g_WorkspaceFolder,
                              mdlReports::g_ReportPaths,
                              w,
                              w,
                              {},
                              Globals::g_Restrict,
                              platform::ui::S(QLocale().decimalPoint())};
    // Asking the desktop may find nothing to open the page with: say so
    // rather than seem to have opened it.
    run.opener = [&w, &opener](const std::filesystem::path& index) {
        const QUrl url = QUrl::fromLocalFile(platform::ui::Q(index.string()));
        if (!opener || !opener(url)) TellNoViewer(w, index.string());
    };
    mdlReports::ReportRunResult result;
    try {
        result = mdlReports::GenerateReports(run);
    } catch (const mdlReports::IllFormedPage&) {
        return;   // the analyst has been told
    }
    reports::ui::AppendToLog(w, "Generate Reports", result.skipped);
}

void InstallReportCommands(platform::ui::IMainWindow& w, dialogs::UrlOpener opener) {
    if (!opener) {
        // The desktop's opener may find no browser after it has started.
        QPointer<QWidget> window = w.Window();
        opener = dialogs::DesktopUrlOpener([&w, window](const QUrl& url) {
            if (window) TellNoViewer(w, url.toLocalFile().toStdString());
        });
    }
    ToolServices services;
    services.generateReports = [opener = std::move(opener)](platform::ui::IMainWindow& main) {
        GenerateReports(main, opener);
    };
    InstallToolCommands(w, services);
}

}  // namespace app
