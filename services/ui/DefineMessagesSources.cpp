#include "services/ui/DefineMessagesSources.h"

#include "common/Globals.h"
#include "platform/workbench/EntityStore.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/MessageStructure.h"

namespace services::ui {

MessageEditorSources WorkspaceSources() {
    MessageEditorSources sources;
    if (!Globals::g_Database || !Globals::g_Workbench) return sources;
    sources.db = Globals::g_Database.get();
    // The session is held, not borrowed: a workspace closed while the
    // editor is open must not leave it with a dangling session.
    std::shared_ptr<platform::workbench::WorkbenchSession> session = Globals::g_Workbench;
    sources.programName = [session](const std::string& programId) {
        return session->GetEntityStore().Item(programId).GetAttribute("Name");
    };
    sources.openModel = [session](const std::string& programId) {
        return services::OpenProgramCodeModel(*session, programId);
    };
    return sources;
}

}  // namespace services::ui
