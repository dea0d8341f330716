#pragma once
// The programs summary and the category pages: classified programs listed
// with their category's legend image, each name (unless a stub) a link to
// the program's context diagram page, the six classification flags as
// Yes/No and the category's caption. The summary also hands the report run
// the list of programs whose diagram pages it writes (g_DiagramList).

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "reports/DiagramPages.h"
#include "reports/ReportContext.h"

namespace mdlReports {

// A category's caption and legend image file.
struct CategoryLegend {
    std::string caption;
    std::string image;
};

// The legend of a SOAType code: "Client Facing" and "CF.gif" for 1, ...,
// "Frontier" for 40, "No Category" for 60, "Batch" for 90. A code without a
// legend (none the classification gives) shows its caption from the
// category names, or else its number, with the No Category image.
CategoryLegend LegendOf(int64_t code);

// The sixteen category pages of a report run, in the run's order: the code
// and the page; the caption and image are the code's legend.
struct CategoryPage {
    int16_t code;
    std::filesystem::path ReportPaths::*page;
};
extern const std::array<CategoryPage, 16> kCategoryPages;

// Writes inventory/programs.html: every program with a SOAType other than 0,
// by category code, within a category the programs that are not stubs
// first, each group by name. Makes g_DiagramList anew with every listed
// program that is not a stub, in page order, and sets g_StubsPresent when a
// stub is listed. Returns the count text ("3", "3&#42;" with stubs); "0"
// and no page when no program is classified.
std::string GenerateProgramsReport(ReportContext& ctx);

// The list GenerateProgramsReport makes, read without writing a page.
DiagramList ProgramsWithDiagrams(platform::db::Database& db);

// Writes the page of one category to page: its programs, those that are
// not stubs first, each group by name, under the title caption +
// " Programs"; legendImage is the whole image element put before each name.
// Sets g_StubsPresent when a stub is listed; leaves g_DiagramList alone.
// Returns the count text; "0" and no page for an empty category.
std::string GenerateCategoryReport(ReportContext& ctx, int16_t code, const std::string& caption,
                                   const std::filesystem::path& page, const std::string& legendImage);

}  // namespace mdlReports
