#pragma once
// The screen-to-screen links of the legacy application, derived from two
// facts the workspace database holds: which programs converse with which
// screens ("converse" rows of Rels to a MAP) and which programs transfer
// control to which ("Xctls"). A program that converses with one screen is
// represented by that screen; a program with several screens by a node of
// its own (its SerialID), joined to each of its screens by a two-way link.
//
// sfScreenRels is dropped and rebuilt in one transaction: a build that fails
// leaves the previous table, its directions and the scratch tables as they
// were. tmpScreenCount0 and tmpScreenCount stay after a build;
// tmpXCtlSummary and tmpLS exist only during it.

namespace platform::db {
class Database;
}

namespace Globals {

// Rebuilds sfScreenRels (sfRelID numbered from 1 again, every Directed
// False). A transfer recorded in both directions gives one two-way row with
// the lower SerialID on the left; a transfer recorded in one direction only
// gives a one-way row with the calling program on the left. Errors of the
// database reach the caller after the rollback.
void GenerateScreenFlowTable(platform::db::Database& db);

}  // namespace Globals
