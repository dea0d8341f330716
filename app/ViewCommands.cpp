#include "app/ViewCommands.h"

#include "app/NodeMenuCommands.h"
#include "platform/ui/MainWindow.h"
#include "services/NodeMenu.h"
#include "views/ui/frmContext.h"
#include "views/ui/frmSource.h"

namespace app {

using services::NodeMenuItem;

void mnuNCFlowContext_Click(platform::ui::IMainWindow& w) {
    const auto fields = services::SplitTag(NodeMenuTag(w, NodeMenuItem::FlowContext));
    if (!fields) return;
    Globals::ShowFlowContext(fields->second, fields->first, w.SummaryTree(), w.Window(), true);
}

void mnuNCViewSource_Click(platform::ui::IMainWindow& w) {
    // The viewer splits the Tag itself.
    Globals::ViewSource(NodeMenuTag(w, NodeMenuItem::ViewSource), w.Window());
}

void InstallEntityViewCommands(platform::ui::IMainWindow& w) {
    platform::ui::IMainWindow* main = &w;
    SetNodeCommand(w, NodeMenuItem::FlowContext, [main] { mnuNCFlowContext_Click(*main); });
    SetNodeCommand(w, NodeMenuItem::ViewSource, [main] { mnuNCViewSource_Click(*main); });
}

}  // namespace app
