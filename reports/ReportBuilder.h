#pragma once
// The report engine: list pages laid out by an XSL template from a column
// description and rows. A page is begun with its record format, title and
// template, filled row by row and cell by cell, finished, and then written
// as an HTML file or taken as a document in memory.
//
//   builder.StartPage(R"(<LCRecordFormat><Name CAPTION = "Name" RAW="no"/>)"
//                     R"(<Called CAPTION = "Called"/></LCRecordFormat>)",
//                     "Summary Of Programs", paths.g_TemplateLevel1);
//   builder.StartRow(); builder.AddCell("Name", link); builder.AddCell("Called", "Yes"); builder.EndRow();
//   builder.FinishPage();
//   builder.WritePage(output, paths.g_ProgramsPagePath);
//
// One builder serves a report run: each template is parsed the first time
// it is used and kept, so a run parses every stylesheet once.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/WriteBoundary.h"
#include "platform/xml/XmlDocument.h"
#include "platform/xml/XsltStylesheet.h"

namespace mdlReports {

// One column of a record format: <Name CAPTION="Name" RAW="no" valign="top"/>.
struct ReportColumn {
    std::string name;      // the element's name; AddCell finds the column by it
    std::string caption;   // the column's heading
    bool markup = false;   // RAW="no": the cells hold HTML markup, not text
    // Every other attribute, in order, copied onto each cell of the column.
    std::vector<std::pair<std::string, std::string>> cellAttributes;
};

// The columns of "<LCRecordFormat>...</LCRecordFormat>", in order. Raises
// ReportError for a format that does not parse, a column without CAPTION
// or a column named twice (names compared as the database compares them).
std::vector<ReportColumn> ParseRecordFormat(std::string_view recordFormat);

// The content of a list view: column headers and rows of cell texts.
struct ReportList {
    std::vector<std::string> headers;
    std::vector<std::vector<std::string>> rows;
};

class ReportBuilder {
public:
    ReportBuilder();
    ~ReportBuilder();
    ReportBuilder(const ReportBuilder&) = delete;
    ReportBuilder& operator=(const ReportBuilder&) = delete;

    // Begins a page; an unfinished page before it is dropped.
    void StartPage(std::string_view recordFormat, std::string_view title, const std::filesystem::path& templatePath);
    void StartRow();
    // A cell of the current row, in the column of that name (letter case
    // ignored). Text columns show the value as written; markup columns
    // take it as HTML. A column that the format lacks, or a second value
    // for the same column, raises ReportError. Cells left out stay empty.
    void AddCell(std::string_view column, std::string_view value);
    void EndRow();
    void FinishPage();

    // A finished page from a list: one column per header, one text cell per
    // list cell (a row shorter than the headers gets empty cells; a longer
    // one raises ReportError).
    void PageFromList(const ReportList& list, std::string_view title, const std::filesystem::path& templatePath);

    // The finished page laid out by its template, as a document.
    platform::xml::Document RenderPage();
    // The finished page written as an HTML file through output, replacing one.
    void WritePage(const common::WriteBoundary& output, const std::filesystem::path& file);
    // Drops the page, which for a list of thousands of rows takes a while
    // to free: a caller may do it on another thread once the page is written.
    void Clear();

    // How many templates have been parsed so far.
    std::size_t ParsedTemplates() const { return m_stylesheets.size(); }

private:
    enum class State { Idle, Page, Row, Finished };

    void Begin(std::vector<ReportColumn> columns, std::string_view title, const std::filesystem::path& templatePath);
    void Require(State state, const char* operation) const;
    const platform::xml::XsltStylesheet& Stylesheet(const std::filesystem::path& templatePath);

    std::map<std::filesystem::path, platform::xml::XsltStylesheet> m_stylesheets;
    State m_state = State::Idle;
    std::vector<ReportColumn> m_columns;
    std::map<std::string, std::size_t> m_columnIndex;   // folded name -> position
    std::filesystem::path m_template;
    platform::xml::Document m_data;                     // the page's rows as XML for the template
    std::vector<platform::xml::Node> m_row;             // the current row's cells by column
};

}  // namespace mdlReports
