#pragma once
// The screen pairs the use-case wizard walks: a row says that from a screen
// conversed by one program the user reaches a screen conversed by a program
// the first transfers control to. Built from Rels ("Xctls" between
// programs, "converse" from a program to a screen map) into a table of the
// workspace database that stays there between wizards; a later start asks
// before it replaces it.

#include <cstdint>
#include <string>
#include <vector>

namespace common {
class IPrompt;
}
namespace platform::db {
class Database;
}

namespace Globals {

// The name of the screen-pair table the wizard's expansion reads; every
// start of the wizard sets it to kUseCaseTableName.
extern std::string g_UseCaseTable;
inline constexpr char kUseCaseTableName[] = "UseCaseTable";

// Builds the screen-pair table under that name. When it exists already the
// analyst is asked "Generate new Screen Flow plot?"; any answer but Yes
// keeps it as it is. The rebuild (SerialIDs of any size; every transfer,
// whichever program has the lower SerialID; conversations with screen maps
// only) runs in one transaction, so a failure keeps the earlier table and
// leaves no scratch table. Returns whether the table was built.
bool BuildUseCaseScreenTable(platform::db::Database& db, const std::string& table, common::IPrompt& prompt);

}  // namespace Globals

namespace views {

// A screen reachable in one step, with its display name.
struct Successor {
    int64_t serialId = 0;
    std::string name;
    bool operator==(const Successor&) const = default;
};

// The distinct screens reachable from the screen with this SerialID (as
// text: a wizard node's Tag) through the named table, in the order the
// table first lists them; none for a text that is no whole number.
std::vector<Successor> ReadSuccessors(platform::db::Database& db, const std::string& table,
                                      const std::string& screenSerialId);

}  // namespace views
