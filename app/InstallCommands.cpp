#include "app/InstallCommands.h"

#include "app/frmMain.h"

namespace app {

void InstallCommands(frmMain& main) {
    main.SetCommand("mnuFileClose", [&main] { main.close(); });
    main.SetCommand("mnuHelpAbout", [&main] { main.mnuHelpAbout_Click(); });
}

}  // namespace app
