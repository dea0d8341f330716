#include "services/ui/DefineMessagesOpen.h"

#include <optional>

#include "services/NodeMenu.h"
#include "services/StoreIds.h"
#include "services/ui/frmMessages.h"

namespace services::ui {

frmMessages* OpenMessageEditor(const std::string& serialId, const std::string& natureCode, QWidget* owner,
                               common::IPrompt* prompt, const MessageEditorSources& sources,
                               const services::ProgramList& programs) {
    if (!sources.db) return nullptr;
    const std::optional<int64_t> serial = services::ParseId(serialId);
    if (!serial) return nullptr;
    platform::db::Recordset rs = sources.db->OpenRecordset("SELECT ID FROM Ents WHERE SerialID = ?", {*serial});
    if (rs.IsEOF()) return nullptr;
    const std::string programId = rs.Text("ID");

    auto* editor = new frmMessages(sources, std::to_string(*serial), natureCode, owner, prompt);
    if (!editor->Form_Load(programs, programId)) {
        delete editor;
        return nullptr;
    }
    // The main window stays unusable until the editor closes.
    editor->setWindowModality(Qt::ApplicationModal);
    editor->show();
    editor->raise();
    editor->activateWindow();
    return editor;
}

frmMessages* DefineMessages(const std::string& itemTag, const std::vector<std::string>& operationTags,
                            QWidget* owner, common::IPrompt* prompt, const MessageEditorSources& sources) {
    const auto fields = services::SplitTag(itemTag);
    if (!fields || !sources.db) return nullptr;
    const auto& [natureCode, serialId] = *fields;
    Globals::g_ProgramList = services::BuildProgramList(*sources.db, operationTags);
    return OpenMessageEditor(serialId, natureCode, owner, prompt, sources, Globals::g_ProgramList);
}

}  // namespace services::ui
