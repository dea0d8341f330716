#include "app/CommandsView.h"

#include "app/dialogs/frmParameters.h"
#include "platform/ui/MainWindow.h"

namespace app {

void InstallViewCommands(platform::ui::IMainWindow& w) {
    w.SetCommand("mnuViewParameters", [&w] { dialogs::ShowParameters(w.Window()); });
    w.SetCommandEnabled("mnuViewParameters", true);
}

}  // namespace app
