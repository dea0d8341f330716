#pragma once
// Pieces every inventory and category page shares: the images before a
// name, the record format built from a query's fields, the Yes/No cells,
// the count text, and the end of the page (written by the engine, read back
// with the generated-page fix-ups, given the client information, saved).

#include <cstddef>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/HeldPrompt.h"
#include "common/Prompt.h"
#include "platform/xml/XmlDocument.h"
#include "reports/ReportContext.h"

namespace platform::db {
class Recordset;
class Value;
}  // namespace platform::db

namespace mdlReports {

// Images of the list pages, which lie one folder below the report root.
// A category's legend image: 16 by 16 pixels from ../images/<file>.
std::string LegendImage(std::string_view file);
// A stub has no picture of its own: 15 pixels wide, no height.
inline constexpr std::string_view kMissingImage =
    R"(<img style="position:relative; top:1px;" src="../images/missing.gif" width="15" align="left" />)";
inline constexpr std::string_view kScreenImage =
    R"(<img style="position:relative; top:1px;" src="../images/Screen.gif" width="16" height="16" align="left" />)";
inline constexpr std::string_view kStoreImage =
    R"(<img style="position:relative; top:1px;" src="../images/Store.gif" width="16" height="16" align="left" />)";

// "<LCRecordFormat>" with one element per field in order, "</LCRecordFormat>":
// <Name CAPTION = "Name" RAW="no"/> for the markup field, <F CAPTION = "F"/>
// for the others; the skipped fields get none (names compared as the
// database compares them).
std::string RecordFormat(const std::vector<std::string>& fields, std::string_view markupField,
                         std::initializer_list<std::string_view> skipped = {});

// "Yes" for a true Yes/No value, "No" for false and for a missing one.
std::string YesNo(const platform::db::Value& value);

// The number of rows listed, followed by "&#42;" when a stub is among them.
std::string CountText(std::size_t rows, bool stubs);

// The page of an entity list (an inventory or a category) from rs, started
// and finished on the run's engine: one row per entity, the fields in the
// recordset's order less "Id" and "Stub". The "SOAType" cell holds
// caption(rs), asked once per row before its cells; the "Name" cell of a stub
// is the missing image and the name as text, that of any other entity
// linkedName(rs, name); every other field is Yes or No. After each row the
// window may repaint (an empty progress step) and a Cancel ends the list
// there: the page then holds the rows made so far.
struct ListedRows {
    std::size_t rows = 0;
    bool stubs = false;   // a stub is among them
};
ListedRows ListEntities(ReportContext& ctx, platform::db::Recordset& rs, std::string_view title,
                  const std::function<std::string(platform::db::Recordset&)>& caption,
                  const std::function<std::string(platform::db::Recordset&, const std::string&)>& linkedName);

// Writes the finished engine page to file, reloads it with the
// generated-page fix-ups, writes the client information and saves it over
// itself, all on another thread while the window's events run on
// progress's empty steps. An ill-formed page has been shown to the analyst
// when IllFormedPage is raised.
void WriteListPage(ReportContext& ctx, const std::filesystem::path& file);
// The same for a page made outside a report run (the COMMAREA and validation
// analyses), written through output.
void WriteListPage(ReportBuilder& builder, platform::db::Database& db, common::IPrompt& prompt,
                   common::IProgress& progress, const common::WriteBoundary& output,
                   const std::filesystem::path& file);

// The engine's finished page as it reads back from file once written, with
// the generated-page fix-ups and the given client information, on any
// thread (nothing of the database): an ill-formed page's message goes to
// held, titled with file.
platform::xml::Document FinishedListPage(ReportBuilder& builder, const std::filesystem::path& file,
                                         const std::string& client, const std::string& application,
                                         common::HeldPrompt& held);

}  // namespace mdlReports
