#pragma once
// The table side of the node-menu commands: each takes the Tag the menu
// preparation left on its item, works on the database and tells the window
// what to show. A Tag without NUL, or an identifier that has no row, makes
// a command do nothing.

#include <optional>
#include <string>
#include <string_view>

#include "platform/db/Database.h"

namespace services {

enum class SetWebOperationResult {
    Added,          // the operations tree is to be reloaded
    AlreadyAdded,   // resource message 507
    NoEntity,       // nothing done
};
// "Set as &Web Operation" on the Tag of "&Description": adds a nature 1
// operation named after the entity's BusName unless the entity has one.
SetWebOperationResult SetAsWebOperation(platform::db::Database& db, std::string_view descriptionTag);

// "D&elete Node" on its Tag: "UC1" (entity SerialID), "UC2" (process id),
// "WS" (WSID) or "WU" (WSID "n" UCID), codes compared without letter case.
// Returns whether a deletion routine ran; the window reloads both trees
// whatever the result.
bool DeleteNodeByTag(platform::db::Database& db, std::string_view deleteTag);

}  // namespace services
