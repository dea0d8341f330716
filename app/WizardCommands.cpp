#include "app/WizardCommands.h"

#include "app/NodeMenuCommands.h"
#include "platform/ui/MainWindow.h"
#include "services/NodeMenu.h"
#include "views/ui/frmProcessDiagram.h"
#include "views/ui/frmUseCase.h"

namespace app {

using services::NodeMenuItem;

void mnuNCScrnWebSvc_Click(platform::ui::IMainWindow& w) {
    const auto fields = services::SplitTag(NodeMenuTag(w, NodeMenuItem::Description));
    if (!fields) return;
    Globals::StartUseCaseWizard(fields->second, w.Window());
}

void mnuNCProcDiagram_Click(platform::ui::IMainWindow& w) {
    const auto fields = services::SplitTag(NodeMenuTag(w, NodeMenuItem::ProcDiagram));
    if (!fields) return;
    Globals::ShowProcessDiagram(fields->second, w.Window());
}

void InstallWizardCommands(platform::ui::IMainWindow& w) {
    platform::ui::IMainWindow* main = &w;
    SetNodeCommand(w, NodeMenuItem::ScrnWebSvc, [main] { mnuNCScrnWebSvc_Click(*main); });
    SetNodeCommand(w, NodeMenuItem::ProcDiagram, [main] { mnuNCProcDiagram_Click(*main); });
}

}  // namespace app
