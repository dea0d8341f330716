#include "platform/workbench/WorkspaceGlobals.h"

#include "common/ResModule.h"
#include "platform/workbench/WorkbenchSession.h"

namespace Globals {

std::unique_ptr<platform::db::Database> g_Database;
std::shared_ptr<platform::workbench::WorkbenchSession> g_Workbench;
ViewOnlyReason g_ViewOnly;

std::string ViewOnlyRefusal(const ViewOnlyReason& viewOnly, const std::string& command) {
    return command + " was refused: nothing in the workspace was changed.\n" + viewOnly.reason +
           ", so the workspace can only be viewed here. " + viewOnly.remedy;
}

bool RefuseWhileViewOnly(common::IPrompt& prompt, const std::string& command) {
    if (!g_ViewOnly) return false;
    constexpr int kApplicationTitle = 1006;
    prompt.Message(ViewOnlyRefusal(g_ViewOnly, command), ResModule::LoadResString(kApplicationTitle),
                   common::Icon::Exclamation);
    return true;
}

}  // namespace Globals
