#include "app/ScreenFlowCommands.h"

#include <QWidget>

#include "app/CommandsEnabling.h"
#include "app/CommandsTools.h"
#include "platform/ui/MainWindow.h"
#include "views/ui/frmScreenFlow.h"

namespace app {

namespace {
constexpr char kCommand[] = "mnuToolsScreenFlow";
}

void OpenScreenFlow(platform::ui::IMainWindow& w) {
    // Off at once: the first draw lets events through, and a second opening
    // must not start inside it.
    w.SetCommandEnabled(kCommand, false);
    try {
        views::ui::ShowScreenFlow(w.Window(), [&w](QWidget* shown) { HoldCommandWhileOpen(w, kCommand, shown); });
    } catch (...) {
        // No window holds the command now: it is available again.
        SetCommandBacked(w, kCommand, true);
        throw;
    }
}

void InstallScreenFlowCommands(platform::ui::IMainWindow& w) {
    ToolServices services;
    platform::ui::IMainWindow* main = &w;
    services.showScreenFlow = [main] { OpenScreenFlow(*main); };
    InstallToolCommands(w, services);
}

}  // namespace app

namespace Globals {

void ShowScreenFlow() {
    if (g_MainForm) app::OpenScreenFlow(*g_MainForm);
}

}  // namespace Globals
