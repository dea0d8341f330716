#include "reports/DataStoresPage.h"

#include "common/AsciiCase.h"
#include "common/Progress.h"
#include "platform/db/Database.h"
#include "reports/ListPage.h"

namespace mdlReports {

namespace {

constexpr const char* kStoresSql =
    "SELECT BusName, OnlineAccessible, SOAType FROM Ents WHERE EntName = ?1 ORDER BY BusName, SerialID";

}  // namespace

int64_t GenerateDataStoresReport(ReportContext& ctx) {
    platform::db::Recordset rs = ctx.db.OpenRecordset(kStoresSql, {"store"});
    if (rs.IsEOF()) return 0;
    const std::vector<std::string>& fields = rs.FieldNames();
    ctx.builder.StartPage(RecordFormat(fields, "BusName"), "Data Stores Report", ctx.paths.g_TemplateLevel1);
    int64_t rows = 0;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        ctx.builder.StartRow();
        for (const std::string& field : fields) {
            const std::string folded = common::AsciiFold(field);
            if (folded == "soatype")
                ctx.builder.AddCell(field, "Data Store");
            else if (folded == "busname")
                ctx.builder.AddCell(field, std::string(kStoreImage) + HtmlText(rs.Text(field)));
            else
                ctx.builder.AddCell(field, YesNo(rs.Field(field)));
        }
        ctx.builder.EndRow();
        ++rows;
        // The window may repaint between rows; a Cancel ends the list here.
        ctx.progress.StartStep("");
        if (ctx.progress.Cancelled()) break;
    }
    ctx.builder.FinishPage();
    WriteListPage(ctx, ctx.paths.g_DataStoresPagePath);
    // Counted in full: a workspace may hold more stores than a 16-bit count.
    return rows;
}

}  // namespace mdlReports
