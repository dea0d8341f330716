#pragma once
// The programs the message editor offers in its program combo: one item per
// web operation whose entity is still in Ents, the text "<Ents ID>|<SerialID>",
// keyed by the entity's Ents name. The Define Messages command rebuilds it
// before it opens the editor; the editor reads it.

#include <string>
#include <string_view>
#include <vector>

#include "common/Collection.h"
#include "platform/db/Database.h"

namespace services {

using ProgramList = common::Collection<std::string>;

// "<id>|<serialId>".
std::string ProgramListItem(std::string_view id, std::string_view serialId);

// The items of the operations tree's nodes, given their Tags (the entities'
// SerialIDs) in node order. A Tag that is no number, or whose entity is gone,
// gives no item; of two entities with one Name (case ignored) the first is
// taken.
ProgramList BuildProgramList(platform::db::Database& db, const std::vector<std::string>& operationTags);

}  // namespace services

namespace Globals {
// Filled by the Define Messages command, read by the message editor.
extern services::ProgramList g_ProgramList;
}  // namespace Globals
