#pragma once
// What the validation details window shows of one program: its screen
// ports with their declarations, under each the sub-declarations, under
// each the conditions, read from SFVPorts, SFVSubdecls and SFVConds.

#include <string>
#include <string_view>

#include "common/Tree.h"

namespace platform::db {
class Database;
}

namespace mdlReports {

// The tree of the program's validations, every port and sub-declaration
// node expanded. A sub-declaration is shown once under the first port that
// reaches it (its key joins the declaration and the sub-declaration), a
// condition once under its sub-declaration; a repeated node is left out
// with everything below it. The parts of a key are kept apart, so ids that
// run into each other ("AB" + "C", "A" + "BC") never make one key.
common::Tree ValidationTree(platform::db::Database& db, const std::string& programId);

// "<DeclName> of port <PortName>".
std::string PortNodeText(std::string_view declName, std::string_view portName);

}  // namespace mdlReports
