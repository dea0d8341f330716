#include "app/ReportCommands.h"

#include <QLocale>
#include <QUrl>

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
        if (!opener || !opener(url))
            w.Message("No program is available to open the report:\n" + index.string(),
                      w.ApplicationTitle().toStdString(), common::Icon::Exclamation);
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
    ToolServices services;
    services.generateReports = [opener = std::move(opener)](platform::ui::IMainWindow& main) {
        GenerateReports(main, opener);
    };
    InstallToolCommands(w, services);
}

}  // namespace app
