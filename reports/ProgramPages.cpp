#include "reports/ProgramPages.h"

#include <functional>

#include "common/SoaType.h"
#include "platform/db/Database.h"
#include "reports/ListPage.h"
#include "reports/ReportIndex.h"

namespace mdlReports {

namespace fs = std::filesystem;
using platform::db::Recordset;

namespace {

struct LegendRow {
    int16_t code;
    const char* caption;
    const char* image;
};

constexpr LegendRow kLegend[] = {
    {1, "Client Facing", "CF.gif"},
    {2, "Client Facing Called", "CFCalled.gif"},
    {3, "Client Facing Data", "CFMix.gif"},
    {4, "Client Facing Called Data", "CFMixCalled.gif"},
    {10, "Transitional", "Transition.gif"},
    {11, "Transitional Called", "TransitionCalled.gif"},
    {20, "Frontier Data Access", "FDA.gif"},
    {21, "Frontier Data Logic", "FDL.gif"},
    {22, "Frontier Logic Only", "FLO.gif"},
    {23, "Frontier Irregular", "Irregular.gif"},
    {30, "Server Data Access", "SDA.gif"},
    {31, "Server Data Logic", "SDL.gif"},
    {32, "Server Logic Only", "SLO.gif"},
    {33, "Server Irregular", "Irregular.gif"},
    {40, "Frontier", "Frontier.gif"},
    {60, "No Category", "NoCat.gif"},
    {90, "Batch", "Batch.gif"},
};

// The Ids come first and the Stub last so that the record format, which
// follows the fields, lists the name, the six flags and the category.
constexpr const char* kProgramsSql =
    "SELECT Id, Name, AccessScreen, Xctled, CallsData, CallsDataIndirect, Called, OnTop, SOAType, Stub "
    "FROM Ents WHERE EntName = ?1 AND SOAType <> 0 ORDER BY SOAType, Stub DESC, Name, SerialID";
// Stub DESC puts the programs that are not stubs (0) above the stubs (-1).
constexpr const char* kCategorySql =
    "SELECT Name, AccessScreen, Xctled, CallsData, CallsDataIndirect, Called, OnTop, SOAType, Stub "
    "FROM Ents WHERE EntName = ?1 AND SOAType = ?2 ORDER BY Stub DESC, SOAType, Name, SerialID";

// A row's category caption and the image element before its name.
struct RowLegend {
    std::string caption;
    std::string image;
};

// The list page sequence shared by the summary and the category pages; the
// recordset holds at least one row. Programs that are not stubs go on list
// when there is one.
std::string WriteProgramList(ReportContext& ctx, Recordset& rs, std::string_view title, const fs::path& page,
                             const std::function<RowLegend(int64_t code)>& legendOf, DiagramList* list) {
    RowLegend legend;  // the current row's
    const ListedRows listed = ListEntities(
        ctx, rs, title,
        [&](Recordset& row) {
            legend = legendOf(row.Int("SOAType"));
            return legend.caption;
        },
        [&](Recordset& row, const std::string& name) {
            if (list) list->push_back({row.Text("Id"), name});
            return legend.image + GetDiagramLink(ctx.paths, name);
        });
    if (listed.stubs) g_StubsPresent = true;
    const std::string count = CountText(listed.rows, listed.stubs);
    WriteListPage(ctx, page);
    return count;
}

}  // namespace

CategoryLegend LegendOf(int64_t code) {
    for (const LegendRow& row : kLegend)
        if (row.code == code) return {row.caption, row.image};
    const std::string_view caption = common::SoaType::Caption(static_cast<int>(code));
    return {caption.empty() ? std::to_string(code) : std::string(caption), "NoCat.gif"};
}

const std::array<CategoryPage, 16> kCategoryPages = {{
    {1, &ReportPaths::g_ClientFacingPagePath},
    {10, &ReportPaths::g_TransitionalPagePath},
    {20, &ReportPaths::g_FrontierDataAccessPagePath},
    {21, &ReportPaths::g_FrontierDataLogicPagePath},
    {22, &ReportPaths::g_FrontierLogicOnlyPagePath},
    {23, &ReportPaths::g_FrontierIrregularPagePath},
    {30, &ReportPaths::g_ServerDataAccessPagePath},
    {31, &ReportPaths::g_ServerDataLogicPagePath},
    {32, &ReportPaths::g_ServerLogicOnlyPagePath},
    {33, &ReportPaths::g_ServerIrregularPagePath},
    {90, &ReportPaths::g_BatchPagePath},
    {3, &ReportPaths::g_ClientFacingMixedPagePath},
    {2, &ReportPaths::g_ClientFacingCalledPagePath},
    {4, &ReportPaths::g_ClientFacingMixedCalledPagePath},
    {11, &ReportPaths::g_TransitionalCalledPagePath},
    {60, &ReportPaths::g_NoCategoryPagePath},
}};

std::string GenerateProgramsReport(ReportContext& ctx) {
    g_DiagramList.clear();
    Recordset rs = ctx.db.OpenRecordset(kProgramsSql, {"PROGRAM"});
    if (rs.IsEOF()) return "0";
    return WriteProgramList(
        ctx, rs, "Summary Of Programs", ctx.paths.g_ProgramsPagePath,
        [](int64_t code) {
            CategoryLegend legend = LegendOf(code);
            return RowLegend{std::move(legend.caption), LegendImage(legend.image)};
        },
        &g_DiagramList);
}

DiagramList ProgramsWithDiagrams(platform::db::Database& db) {
    DiagramList list;
    for (Recordset rs = db.OpenRecordset(kProgramsSql, {"PROGRAM"}); !rs.IsEOF(); rs.MoveNext())
        if (!rs.Field("Stub").AsBool()) list.push_back({rs.Text("Id"), rs.Text("Name")});
    return list;
}

std::string GenerateCategoryReport(ReportContext& ctx, int16_t code, const std::string& caption,
                                   const fs::path& page, const std::string& legendImage) {
    Recordset rs = ctx.db.OpenRecordset(kCategorySql, {"PROGRAM", static_cast<int>(code)});
    if (rs.IsEOF()) return "0";
    return WriteProgramList(
        ctx, rs, caption + " Programs", page, [&](int64_t) { return RowLegend{caption, legendImage}; }, nullptr);
}

}  // namespace mdlReports
