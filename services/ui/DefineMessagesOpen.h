#pragma once
// Opening the message editor: from a web operation's SerialID, and from the
// Define Messages item of the Web Operations tree's node menu.

#include <string>
#include <vector>

#include "common/Prompt.h"
#include "services/ProgramList.h"
#include "services/ui/DefineMessagesSources.h"

class QWidget;

namespace services::ui {

class frmMessages;

// Opens the editor for the program whose Ents row has that SerialID, with
// the message nature natureCode ("1" process element, "2" entity operation),
// modal over owner. Returns the shown window (it deletes itself on
// closing), or nullptr when no window is shown: no database, no Ents row
// for the SerialID, or a load that failed (message 512 shown).
frmMessages* OpenMessageEditor(const std::string& serialId, const std::string& natureCode, QWidget* owner,
                               common::IPrompt* prompt, const MessageEditorSources& sources,
                               const services::ProgramList& programs);

// The Define Messages command: itemTag is the menu item's Tag (the nature
// code, NUL, the SerialID), operationTags the Tags of the operations tree's
// nodes in their order. Rebuilds Globals::g_ProgramList from the nodes, then
// opens the editor. A Tag without NUL opens nothing.
frmMessages* DefineMessages(const std::string& itemTag, const std::vector<std::string>& operationTags,
                            QWidget* owner, common::IPrompt* prompt, const MessageEditorSources& sources);

}  // namespace services::ui
