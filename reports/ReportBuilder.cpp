#include "reports/ReportBuilder.h"

#include "common/AsciiCase.h"
#include "common/WriteBoundary.h"
#include "platform/xml/HtmlMarkup.h"
#include "reports/ReportError.h"

namespace mdlReports {

namespace fs = std::filesystem;
using platform::xml::Document;
using platform::xml::Node;
using platform::xml::XmlError;
using platform::xml::XsltStylesheet;

// The document a template transforms:
//   <report title="...">
//     <column caption="..."/> ...
//     <row><cell valign="top">text or markup</cell> ...</row> ...
//   </report>
// Every row has one cell per column, in format order.

std::vector<ReportColumn> ParseRecordFormat(std::string_view recordFormat) {
    Document format;
    if (!format.LoadXml(recordFormat))
        throw ReportError("The record format does not parse: " + format.LastParseError().Describe());
    std::vector<ReportColumn> columns;
    for (const Node& element : format.DocumentElement().ChildElements()) {
        ReportColumn column;
        column.name = element.Name();
        bool hasCaption = false;
        for (auto& [name, value] : element.Attributes()) {
            if (common::AsciiEqualNoCase(name, "CAPTION")) {
                column.caption = value;
                hasCaption = true;
            } else if (common::AsciiEqualNoCase(name, "RAW")) {
                column.markup = common::AsciiEqualNoCase(value, "no");
            } else {
                column.cellAttributes.emplace_back(name, value);
            }
        }
        if (!hasCaption) throw ReportError("The column \"" + column.name + "\" of the record format has no CAPTION");
        for (const ReportColumn& earlier : columns)
            if (common::AsciiEqualNoCase(earlier.name, column.name))
                throw ReportError("The record format names the column \"" + column.name + "\" twice");
        columns.push_back(std::move(column));
    }
    return columns;
}

ReportBuilder::ReportBuilder() = default;
ReportBuilder::~ReportBuilder() = default;

void ReportBuilder::Require(State state, const char* operation) const {
    if (m_state != state) throw ReportError(std::string("The report page is not ready for ") + operation);
}

void ReportBuilder::Begin(std::vector<ReportColumn> columns, std::string_view title, const fs::path& templatePath) {
    m_columns = std::move(columns);
    m_columnIndex.clear();
    for (std::size_t i = 0; i < m_columns.size(); ++i) m_columnIndex[common::AsciiFold(m_columns[i].name)] = i;
    m_template = templatePath;
    m_data = Document();
    Node report = m_data.CreateElement("report");
    m_data.SetDocumentElement(report);
    report.SetAttribute("title", title);
    for (const ReportColumn& column : m_columns) report.AppendElement("column").SetAttribute("caption", column.caption);
    m_row.clear();
    m_state = State::Page;
}

void ReportBuilder::StartPage(std::string_view recordFormat, std::string_view title, const fs::path& templatePath) {
    m_state = State::Idle;
    Begin(ParseRecordFormat(recordFormat), title, templatePath);
}

void ReportBuilder::StartRow() {
    Require(State::Page, "a row");
    m_row.assign(m_columns.size(), Node());
    m_state = State::Row;
}

void ReportBuilder::AddCell(std::string_view column, std::string_view value) {
    Require(State::Row, "a cell");
    const auto found = m_columnIndex.find(common::AsciiFold(column));
    if (found == m_columnIndex.end())
        throw ReportError("The report page has no column \"" + std::string(column) + "\"");
    Node& cell = m_row[found->second];
    if (cell) throw ReportError("The column \"" + std::string(column) + "\" already has a cell in this row");
    cell = m_data.CreateElement("cell");
    if (m_columns[found->second].markup) {
        for (const Node& node : platform::xml::ParseHtmlFragment(m_data, value)) cell.AppendChild(node);
    } else {
        cell.AppendText(value);
    }
}

void ReportBuilder::EndRow() {
    Require(State::Row, "the end of a row");
    Node row = m_data.DocumentElement().AppendElement("row");
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        Node cell = m_row[i] ? m_row[i] : m_data.CreateElement("cell");
        for (const auto& [name, value] : m_columns[i].cellAttributes) cell.SetAttribute(name, value);
        row.AppendChild(cell);
    }
    m_row.clear();
    m_state = State::Page;
}

void ReportBuilder::FinishPage() {
    Require(State::Page, "its end");
    m_state = State::Finished;
}

void ReportBuilder::PageFromList(const ReportList& list, std::string_view title, const fs::path& templatePath) {
    m_state = State::Idle;
    std::vector<ReportColumn> columns;
    for (const std::string& header : list.headers) {
        ReportColumn column;
        column.caption = header;
        columns.push_back(std::move(column));
    }
    Begin(std::move(columns), title, templatePath);
    for (const auto& cells : list.rows) {
        if (cells.size() > list.headers.size())
            throw ReportError("A row of the list has more cells than the list has columns");
        Node row = m_data.DocumentElement().AppendElement("row");
        for (std::size_t i = 0; i < list.headers.size(); ++i) {
            Node cell = row.AppendElement("cell");
            if (i < cells.size()) cell.AppendText(cells[i]);
        }
    }
    m_state = State::Finished;
}

const XsltStylesheet& ReportBuilder::Stylesheet(const fs::path& templatePath) {
    const fs::path key = templatePath.lexically_normal();
    auto found = m_stylesheets.find(key);
    if (found == m_stylesheets.end()) {
        try {
            found = m_stylesheets.emplace(key, XsltStylesheet::Load(key)).first;
        } catch (const XmlError& e) {
            throw ReportError(std::string("The report template cannot be used: ") + e.what());
        }
    }
    return found->second;
}

Document ReportBuilder::RenderPage() {
    Require(State::Finished, "output");
    const XsltStylesheet& sheet = Stylesheet(m_template);
    try {
        return sheet.Apply(m_data);
    } catch (const XmlError& e) {
        throw ReportError("\"" + m_template.string() + "\" cannot lay out the page: " + e.what());
    }
}

void ReportBuilder::Clear() {
    m_data = Document();
    m_row.clear();
    m_state = State::Idle;
}

void ReportBuilder::WritePage(const common::WriteBoundary& output, const fs::path& file) {
    const std::string text = platform::xml::ToHtmlPage(RenderPage());
    try {
        output.Replace(file, text);
    } catch (const std::exception& e) {
        throw ReportError("Cannot write \"" + file.string() + "\": " + e.what());
    }
}

}  // namespace mdlReports
