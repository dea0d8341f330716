#pragma once
// Dropping a web operation on the Web Services tree, without the window: on
// a service or a member it joins that service; on empty space the user
// names a new service, which gets the operation as its first member.

#include <optional>
#include <string>

#include "app/WebServiceCommands.h"
#include "app/WebTreeMenus.h"
#include "common/Prompt.h"
#include "platform/db/Database.h"

namespace app {

// The operations tree node whose Key a drop carried.
struct DroppedOperation {
    std::string key;
    std::string image;
};

enum class DropResult {
    Ignored,     // no operation node carried: nothing done, no reload
    Cancelled,   // the name prompt was cancelled or refused: nothing stored, no reload
    Reload,      // the services tree is to be reloaded
};

// source: the node found for the dropped text (nothing for text that is no
// key of trWebOperations); target: the services node under the pointer
// (nullptr for empty space). Only operation nodes ("ACloseProcess") join a
// service; any other node only reloads the tree.
DropResult DropOperationOnServices(platform::db::Database& db, const std::optional<DroppedOperation>& source,
                                   const WebTreeNode* target, const InputBox& ask, common::IPrompt& prompt,
                                   const std::string& title);

}  // namespace app
