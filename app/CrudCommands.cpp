#include "app/CrudCommands.h"

#include <memory>
#include <stdexcept>

#include "app/NodeMenuCommands.h"
#include "common/Globals.h"
#include "platform/ui/MainWindow.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/CrudAnalysis.h"
#include "reports/ui/frmCRUDComp.h"
#include "reports/ui/frmCRUDSig.h"
#include "services/NodeMenu.h"

namespace app {

CrudOutcome GetCRUDReport(platform::ui::IMainWindow& w) {
    if (!Globals::g_Database) throw std::runtime_error("No workspace is open.");
    const auto result =
        mdlReports::GetCRUDReport(*Globals::g_Database, Globals::g_WorkspaceBoundary, w, Globals::g_Restrict);
    return CrudOutcomeOf(result.fileWritten, result.cancelled);
}

void InstallCrudCommands(platform::ui::IMainWindow& w) {
    ToolServices services;
    services.getCRUDReport = [](platform::ui::IMainWindow& main) { return GetCRUDReport(main); };
    // The list is read under the main window's progress, before the window
    // shows; cancelled, there is no window.
    services.crudComparisonWindow = [main = &w](QWidget* owner) -> QWidget* {
        auto window = std::make_unique<reports::ui::frmCRUDComp>(owner);
        return window->Load(*main) ? window.release() : nullptr;
    };
    InstallToolCommands(w, services);

    platform::ui::IMainWindow* main = &w;
    SetNodeCommand(w, services::NodeMenuItem::CRUDSig, [main] {
        const auto fields = services::SplitTag(NodeMenuTag(*main, services::NodeMenuItem::CRUDSig));
        if (!fields) return;
        Globals::ShowCRUDSignature(fields->second, fields->first, main->Window());
    });
}

}  // namespace app
