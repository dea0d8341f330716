#include "platform/workbench/WorkspaceGlobals.h"

#include "common/Globals.h"
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

std::string MovedRefusal(const std::string& why, const std::string& command) {
    std::string reason = why;
    if (!reason.empty() && reason[0] >= 'a' && reason[0] <= 'z') reason[0] = static_cast<char>(reason[0] - 'a' + 'A');
    return command + " was refused: nothing in the workspace was changed.\n" + reason +
           ". Close the workspace and open it again.";
}

bool RefuseWhileViewOnly(common::IPrompt& prompt, const std::string& command) {
    std::string refusal;
    if (g_ViewOnly) {
        refusal = ViewOnlyRefusal(g_ViewOnly, command);
    } else if (g_WorkspaceOpen) {
        const std::string moved = g_WorkspaceBoundary.Moved();
        if (moved.empty()) return false;
        refusal = MovedRefusal(moved, command);
    } else {
        return false;
    }
    constexpr int kApplicationTitle = 1006;
    prompt.Message(refusal, ResModule::LoadResString(kApplicationTitle), common::Icon::Exclamation);
    return true;
}

}  // namespace Globals
