#include "app/InstallCommands.h"

#include "app/AnalysisCommands.h"
#include "app/CommandsEnabling.h"
#include "app/CommandsHelp.h"
#include "app/CommandsTools.h"
#include "app/CommandsView.h"
#include "app/CrudCommands.h"
#include "app/NodeMenuCommands.h"
#include "app/ReportCommands.h"
#include "app/ScreenFlowCommands.h"
#include "app/ViewCommands.h"
#include "app/WebTreeEvents.h"
#include "app/WizardCommands.h"
#include "app/WorkspaceCommands.h"
#include "app/frmMain.h"

namespace app {

void InstallCommands(frmMain& main) {
    main.SetCommand("mnuFileClose", [&main] { main.close(); });
    main.SetCommand("mnuHelpAbout", [&main] { main.mnuHelpAbout_Click(); });
    InstallHelpCommands(main);
    InstallViewCommands(main);
    InstallToolCommands(main);
    InstallCrudCommands(main);
    InstallAnalysisCommands(main);
    InstallReportCommands(main);
    InstallScreenFlowCommands(main);
    InstallWorkspaceCommands(main);
    InstallNodeMenuCommands(main);
    InstallEntityViewCommands(main);
    InstallWizardCommands(main);
    InstallWebTrees(main);
    EnableWorkspaceCommands(main, false);
}

}  // namespace app
