#include "reports/ListPage.h"

#include <utility>

#include "common/AsciiCase.h"
#include "common/Progress.h"
#include "common/WhileStepping.h"
#include "platform/db/Database.h"
#include "platform/xml/HtmlMarkup.h"
#include "reports/ClientInfo.h"
#include "reports/PageDocument.h"
#include "reports/ReportError.h"

namespace mdlReports {

std::string LegendImage(std::string_view file) {
    return R"(<img style="position:relative; top:1px;" src="../images/)" + std::string(file) +
           R"(" width="16" height="16" align="left" />)";
}

std::string RecordFormat(const std::vector<std::string>& fields, std::string_view markupField,
                         std::initializer_list<std::string_view> skipped) {
    std::string format = "<LCRecordFormat>";
    for (const std::string& field : fields) {
        bool skip = false;
        for (std::string_view s : skipped) skip = skip || common::AsciiEqualNoCase(field, s);
        if (skip) continue;
        format += "<" + field + " CAPTION = \"" + field +
                  (common::AsciiEqualNoCase(field, markupField) ? "\" RAW=\"no\"/>" : "\"/>");
    }
    return format + "</LCRecordFormat>";
}

std::string YesNo(const platform::db::Value& value) { return !value.IsNull() && value.AsBool() ? "Yes" : "No"; }

std::string CountText(std::size_t rows, bool stubs) { return std::to_string(rows) + (stubs ? "&#42;" : ""); }

ListedRows ListEntities(ReportContext& ctx, platform::db::Recordset& rs, std::string_view title,
                        const std::function<std::string(platform::db::Recordset&)>& caption,
                        const std::function<std::string(platform::db::Recordset&, const std::string&)>& linkedName) {
    const std::vector<std::string>& fields = rs.FieldNames();
    ctx.builder.StartPage(RecordFormat(fields, "Name", {"Id", "Stub"}), title, ctx.paths.g_TemplateLevel1);
    ListedRows listed;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        const std::string rowCaption = caption(rs);
        const bool stub = rs.Field("Stub").AsBool();
        ctx.builder.StartRow();
        for (const std::string& field : fields) {
            const std::string folded = common::AsciiFold(field);
            if (folded == "soatype") {
                ctx.builder.AddCell(field, rowCaption);
            } else if (folded == "name") {
                const std::string name = rs.Text("Name");
                if (stub) {
                    listed.stubs = true;
                    ctx.builder.AddCell(field, std::string(kMissingImage) + HtmlText(name));
                } else {
                    ctx.builder.AddCell(field, linkedName(rs, name));
                }
            } else if (folded != "id" && folded != "stub") {
                ctx.builder.AddCell(field, YesNo(rs.Field(field)));
            }
        }
        ctx.builder.EndRow();
        ++listed.rows;
        ctx.progress.StartStep("");
        if (ctx.progress.Cancelled()) break;
    }
    ctx.builder.FinishPage();
    return listed;
}

void WriteListPage(ReportContext& ctx, const std::filesystem::path& file) {
    WriteListPage(ctx.builder, ctx.db, ctx.prompt, ctx.progress, ctx.output, file);
}

void WriteListPage(ReportBuilder& builder, platform::db::Database& db, common::IPrompt& prompt,
                   common::IProgress& progress, const common::WriteBoundary& output,
                   const std::filesystem::path& file) {
    // A page of thousands of rows takes a while each way, a second and more
    // on a busy machine: the window repaints meanwhile.
    const std::string client = GetClientName(db);
    const std::string application = GetApplicationName(db);
    common::HeldPrompt held;
    progress.StartStep("");
    try {
        common::WhileStepping(progress, [&] {
            SavePage(output, FinishedListPage(builder, file, client, application, held), file);
            // Freed here, not by the next page's start on the window's thread.
            builder.Clear();
        });
    } catch (const IllFormedPage&) {
        held.AskThrough(prompt);
        throw;
    }
    progress.StartStep("");
}

platform::xml::Document FinishedListPage(ReportBuilder& builder, const std::filesystem::path& file,
                                         const std::string& client, const std::string& application,
                                         common::HeldPrompt& held) {
    // Parsed as the file would be read back, without writing and reading
    // it: what stands under its name meanwhile is not this run's to read.
    platform::xml::Document page =
        ParsePage(platform::xml::ToHtmlPage(builder.RenderPage()), file, PageSource::GeneratedPage, held);
    FillClientInfo(page, client, application);
    return page;
}

}  // namespace mdlReports
