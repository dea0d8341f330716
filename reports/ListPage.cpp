#include "reports/ListPage.h"

#include "common/AsciiCase.h"
#include "platform/db/Database.h"
#include "reports/PageDocument.h"

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

void WriteListPage(ReportContext& ctx, const std::filesystem::path& file) {
    ctx.builder.WritePage(file);
    platform::xml::Document page = LoadPage(file, PageSource::GeneratedPage, ctx.prompt);
    FillClientInfo(page, ctx.db);
    SavePage(page, file);
}

}  // namespace mdlReports
