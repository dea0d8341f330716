#pragma once
// The node-menu commands that change the web operation and web service
// tables or start work on them: New Web Service, Set as Web Operation,
// Delete Node, Alter Key, Define Messages and Save Web Service. The parts
// that need no window take the database, the prompt and an input box, so
// tests drive them directly; the handlers read the menu items' Tags and
// reload the trees.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/Prompt.h"
#include "platform/db/Database.h"

namespace platform::ui { class IMainWindow; }
namespace services { class ISaveDialog; }

namespace app {

inline constexpr const char* kNewWebServicePrompt = "Please enter a name for your new Web Service.";
inline constexpr const char* kNewWebServiceTitle = "New Web Service";
inline constexpr const char* kInvalidNameMessage = "Invalid characters. Please try again.";
inline constexpr const char* kNameTakenMessage = "A web service with this name already exists.\r\nPlease use a different name.";
inline constexpr const char* kNewCriteriaPrompt = "Enter new criteria by which Screen may be reached from previous Screen.";
inline constexpr const char* kNewCriteriaTitle = "New Criteria";

// An input box: the text entered, or nothing when the user cancelled.
using InputBox = std::function<std::optional<std::string>(const std::string& prompt, const std::string& title,
                                                         const std::string& defaultText)>;

// Whether a service of this name exists, letter case ignored in every
// script ("Übersicht" and "ÜBERSICHT" are one name), as the name is stored.
bool IsWebServiceNameTaken(platform::db::Database& db, std::string_view name);

// Asks for the name of a new web service and creates it. An empty answer
// or Cancel ends silently; a name that cannot be a file name, or that is
// empty once converted for storing, gets "Invalid characters. Please try
// again."; a taken name gets the two-line message. Messages carry title.
// Returns the new WSID.
std::optional<std::string> CreateNamedWebService(platform::db::Database& db, const InputBox& ask,
                                                 common::IPrompt& prompt, const std::string& title);

// "Alter &Key" on its bare Tag (an element number): asks for the element's
// new criteria with its current ones as default and stores the answer,
// empty included. Cancel keeps the criteria. Returns whether they were stored.
bool AlterCriteria(platform::db::Database& db, std::string_view elementTag, const InputBox& ask);

// The window's input box (QInputDialog) owned by the main window.
InputBox WindowInputBox(platform::ui::IMainWindow& main);
// The input box the commands and the drop of this main window ask with:
// the window's own unless SetWebInputBox replaced it (tests, scripted
// runs); an empty function brings the window's back.
InputBox WebInputBox(platform::ui::IMainWindow& main);
void SetWebInputBox(platform::ui::IMainWindow& main, InputBox box);
// The same for the save dialog of Save Web Service (nullptr: the window's).
void SetWebSaveDialog(platform::ui::IMainWindow& main, std::shared_ptr<services::ISaveDialog> dialog);

// Connects mnuNCNewWebService, mnuNCSetWebSvc, mnuNCKey,
// mnuNCDefineMessages, mnuNCSaveWebService and mnuNCDeleteNode (the Delete
// key of the web trees runs DeleteNodeCommand with the Tag its own
// preparation gave).
void InstallWebServiceCommands(platform::ui::IMainWindow& main);

// The handlers, run when their item is chosen. Each does nothing while no
// workspace database is open.
void NewWebServiceCommand(platform::ui::IMainWindow& main, const InputBox& ask);
void SetAsWebOperationCommand(platform::ui::IMainWindow& main);
// Deletes by the Tag given (the delete item's Tag when run from the menu)
// and reloads both trees.
void DeleteNodeCommand(platform::ui::IMainWindow& main, std::string_view deleteTag);
// "D&elete Node": DeleteNodeCommand with the item's Tag.
void mnuNCDeleteNode_Click(platform::ui::IMainWindow& main);
void AlterKeyCommand(platform::ui::IMainWindow& main, const InputBox& ask);
void SaveWebServiceCommand(platform::ui::IMainWindow& main);
// Opens the message editor for the operation of the item's Tag, with the
// program list made from every node of trWebOperations.
void DefineMessagesCommand(platform::ui::IMainWindow& main);

}  // namespace app
