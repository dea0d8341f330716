#include "app/CommandsHelp.h"

#include "common/Globals.h"
#include "platform/ui/MainWindow.h"

namespace app {

void InstallHelpCommands(platform::ui::IMainWindow& w, dialogs::UrlOpener opener) {
    w.SetCommand("mnuHelpWindow", [&w, opener = std::move(opener)] {
        // The application folder as the window's load set it; the opener
        // does not wait for the viewer.
        dialogs::OpenHelp(Globals::g_AppPath, w, w.ApplicationTitle().toStdString(), opener);
    });
    w.SetCommandEnabled("mnuHelpWindow", true);
}

}  // namespace app
