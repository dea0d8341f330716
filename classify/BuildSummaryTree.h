#pragma once
// Fills the Summary tree from Ents: screens, the client and server branches
// with their category groups, programs of no category, data stores.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Tree.h"

namespace common { class IProgress; }
namespace platform::db { class Database; }

namespace mdlReports {

// Adds the group of one category code and entity kind ("MAP", "PROGRAM",
// "store") with a node per entity, under the parent (top level when the key
// is empty), and brings the parent's total up to date. The group's text is
// its count and caption, with "*" when one of its entities is a stub.
// Returns the number of entity nodes added: an entity whose id is already in
// the tree is skipped rather than counted twice.
long AddCategoryNodes(common::Tree& tree, platform::db::Database& db, int16_t code,
                      const std::string& kind, std::string_view parentKey);

}  // namespace mdlReports

namespace classify {

// The whole tree, rebuilt from the database; empty groups and branches are left out.
common::Tree BuildSummaryTree(platform::db::Database& db);
// The same, starting a step without caption before each group's query, so
// that a window lets its events through while a large workspace reopens.
common::Tree BuildSummaryTree(platform::db::Database& db, common::IProgress& progress);

}  // namespace classify
