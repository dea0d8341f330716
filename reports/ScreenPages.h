#pragma once
// The screens inventory and one page per screen map. The inventory lists
// every map, stubs included, those that are not stubs first, each group by
// name; each name that is not a stub links to the screen's own page, which
// is written at the same moment. A screen's page shows the map drawn as
// preformatted text from its field listing: named entry fields as text
// boxes, every other field as its initial text, each at its row and column.
// The listing passes through the table Fields of the workspace database,
// which afterwards holds the last drawn map's fields.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "reports/ReportContext.h"

namespace platform::db { class Database; }
namespace platform::workbench { class RepositoryEntity; }

namespace mdlReports {

// Writes inventory/screens.html and the page of every listed screen that is
// not a stub. Sets g_StubsPresent when a stub is listed. Returns the count
// text ("3", "3&#42;" with stubs); "0" and no page when the workspace has
// no screen map.
std::string GenerateScreensReport(ReportContext& ctx);

// Writes inventory/screens/<name>.html for the screen map with that Ents.Id
// and Name: the screen template titled with the name, then the screen. A
// listing that cannot be read (or read in full) gives a page with the fields
// before the damage, or none. The template and the page file raise; an id
// the repository does not know leaves the titled page without a screen and
// raises.
void GenerateScreenPage(ReportContext& ctx, const std::string& id, const std::string& name);

// Empties Fields and fills it from the map's field listing, found through
// the entity's "Source" inside the workspace folder: the pseudo fields
// "**EIBAID**" and "**EIBCPOSN**" (ordinals -2 and -1), then one row per
// field line in file order (ordinals from 0). Nothing more when there is no
// listing; a listing damaged on a line keeps the rows before it.
void LoadMapFields(platform::db::Database& db, const platform::workbench::RepositoryEntity& entity,
                   const std::string& name, const std::filesystem::path& workspaceFolder);

// A field as the screen drawing reads it back from Fields.
struct GridField {
    std::string name;   // empty for an unnamed field
    int64_t row = 0, col = 0, length = 0;
    std::string initialValue;
    int64_t attrib = 0;
};

// The screen as preformatted text, fields in row and column order, each
// screen line width characters long except the last (which is not filled).
// Named fields whose attribute is not both 1 and 2 become text boxes of
// their length (read-only with bit 1); the others show their initial text
// cut to their length. Text is escaped for HTML. A field overlapping the one
// before it is drawn after it; a field above the current line is drawn on
// it; padding is never negative. The drawing stops at kMaxGridBytes, so no
// field position makes a page of unbounded size.
std::string ScreenGrid(const std::vector<GridField>& fields, int64_t width);
inline constexpr std::size_t kMaxGridBytes = 4u << 20;

// What a screen's drawing is made of: the fields Fields holds for the map
// and the drawing's width, its widest field's end (80 without fields).
struct ScreenFields {
    std::vector<GridField> fields;
    int64_t width = 80;
};
ScreenFields ReadScreenFields(platform::db::Database& db, const std::string& name);

// The centred table of a screen's page, from <table> to the closing body
// and html tags: the grid of the fields.
std::string ScreenTable(const ScreenFields& screen);
inline std::string ScreenTable(platform::db::Database& db, const std::string& name) {
    return ScreenTable(ReadScreenFields(db, name));
}

}  // namespace mdlReports
