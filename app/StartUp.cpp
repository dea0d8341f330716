#include "app/StartUp.h"

#include <QTimer>

#include "app/InstallCommands.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "platform/ui/WindowSettings.h"

namespace app {

frmMain* ShowMainWindow() {
    auto* main = new frmMain();
    main->setAttribute(Qt::WA_DeleteOnClose);
    InstallCommands(*main);
    // On the screen whatever its size: centred, and shrunk when larger.
    WindowSettings::PlaceWhenShown(main);
    main->show();
    return main;
}

}  // namespace app

namespace Globals {

void Main() {
    auto* splash = new frmSplash();
    splash->setAttribute(Qt::WA_DeleteOnClose);
    // Shown before the splash hides, so the program never runs out of windows.
    QObject::connect(splash, &frmSplash::Finished, [] { app::ShowMainWindow(); });
    splash->show();
    splash->Timer->setInterval(2000);
    splash->Timer->start();
}

}  // namespace Globals
