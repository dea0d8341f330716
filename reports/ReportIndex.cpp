#include "reports/ReportIndex.h"

#include <array>
#include <utility>

#include "common/AsciiCase.h"
#include "reports/PageDocument.h"
#include "reports/PageFixUps.h"
#include "reports/ReportError.h"

namespace mdlReports {

namespace fs = std::filesystem;
using platform::xml::Document;
using platform::xml::Node;
using platform::xml::NodeType;

bool g_StubsPresent = false;

namespace {

using PathMember = fs::path ReportPaths::*;

// The index entries and their pages, in the order they are looked up.
const std::array<std::pair<std::string_view, PathMember>, 24> kCategoryPages = {{
    {"Screens", &ReportPaths::g_ScreensPagePath},
    {"Programs", &ReportPaths::g_ProgramsPagePath},
    {"Data Stores", &ReportPaths::g_DataStoresPagePath},
    {"Lines Of Code", &ReportPaths::g_LinesOfCodePagePath},
    {"Client Facing", &ReportPaths::g_ClientFacingPagePath},
    {"Transitional", &ReportPaths::g_TransitionalPagePath},
    {"Frontier Data Access", &ReportPaths::g_FrontierDataAccessPagePath},
    {"Frontier Data Logic", &ReportPaths::g_FrontierDataLogicPagePath},
    {"Frontier Logic Only", &ReportPaths::g_FrontierLogicOnlyPagePath},
    {"Frontier Irregular", &ReportPaths::g_FrontierIrregularPagePath},
    {"Server Data Access", &ReportPaths::g_ServerDataAccessPagePath},
    {"Server Data Logic", &ReportPaths::g_ServerDataLogicPagePath},
    {"Server Logic Only", &ReportPaths::g_ServerLogicOnlyPagePath},
    {"Server Irregular", &ReportPaths::g_ServerIrregularPagePath},
    {"Batch", &ReportPaths::g_BatchPagePath},
    {"Client Facing Data", &ReportPaths::g_ClientFacingMixedPagePath},
    {"Client Facing Called", &ReportPaths::g_ClientFacingCalledPagePath},
    {"Client Facing Called Data", &ReportPaths::g_ClientFacingMixedCalledPagePath},
    {"Transitional Called", &ReportPaths::g_TransitionalCalledPagePath},
    {"No Category", &ReportPaths::g_NoCategoryPagePath},
    {"CRUD Overlap", &ReportPaths::g_CrudOverlapPagePath},
    {"COMMAREA Size", &ReportPaths::g_CommareaReportPath},
    {"Validation Rules", &ReportPaths::g_ValidationReportPath},
    {"Queues", &ReportPaths::g_QueuesPagePath},
}};

constexpr std::string_view kIncomplete = "! Generation of reports was incomplete.";
constexpr std::string_view kStubsLine = "&nbsp;&nbsp;&nbsp;&nbsp;&#42;&nbsp;Category contains missing programs (stubs).";

Node NextElement(Node node) {
    for (Node n = node.NextSibling(); n; n = n.NextSibling())
        if (n.IsElement()) return n;
    return {};
}

// The cell <td id="id"> and the div inside it; raises when the template lacks either.
std::pair<Node, Node> CellAndDiv(const Document& index, std::string_view id) {
    const Node cell = FindElementById(index, "td", id);
    if (!cell) throw ReportError("The index page has no cell \"" + std::string(id) + "\"");
    const Node div = cell.SelectSingleNode(".//div");
    if (!div) throw ReportError("The cell \"" + std::string(id) + "\" of the index page holds no div");
    return {cell, div};
}

// Puts the anchor's content where the anchor stood.
void Unlink(Node anchor) {
    Node parent = anchor.Parent();
    for (const Node& child : anchor.Children()) parent.InsertBefore(child, anchor);
    parent.RemoveChild(anchor);
}

void AppendRemarks(Document& index, Node div) {
    div.AppendChild(index.CreateElement("b")).AppendText("Remarks:");
    div.AppendChild(index.CreateElement("br"));
}


}  // namespace

std::string GetCategoryLink(const ReportPaths& paths, std::string_view caption) {
    for (const auto& [name, member] : kCategoryPages)
        if (common::AsciiEqualNoCase(name, caption)) return GetRelativeReportPath(paths, paths.*member);
    return {};
}

void SetIndexEntry(Document& index, const ReportPaths& paths, std::string_view caption, std::string_view count) {
    auto [cell, div] = CellAndDiv(index, caption);
    Node anchor = cell.SelectSingleNode(".//a");
    if (count == "0") {
        if (anchor) Unlink(anchor);
        return;
    }
    const std::string href = ReportHref(GetCategoryLink(paths, caption));
    if (anchor) {
        anchor.SetAttribute("href", href);
    } else {
        Node link = index.CreateElement("a");
        link.SetAttribute("href", href);
        link.SetAttribute("class", "style2");
        if (const Node first = div.FirstChild()) link.AppendChild(first);
        div.AppendChild(link);
    }
    if (count == "-1") return;
    const Node countCell = NextElement(cell);
    const Node holder = countCell ? countCell.FirstChild() : Node();
    Node text = holder && holder.IsElement() ? holder.FirstChild() : Node();
    if (!text || text.Type() != NodeType::Text)
        throw ReportError("The count cell of \"" + std::string(caption) + "\" on the index page has no text to set");
    text.SetText(EntityChars(count));
}

void WriteReportNote(Document& index, bool incomplete, bool stubsPresent) {
    if (!incomplete && !stubsPresent) return;
    auto [cell, div] = CellAndDiv(index, "Note");
    if (incomplete) {
        if (const Node first = div.FirstChild()) div.RemoveChild(first);
        AppendRemarks(index, div);
        div.AppendText(EntityChars("&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;"));
        Node font = div.AppendChild(index.CreateElement("font"));
        font.SetAttribute("style", "color:red; font-weight:bold");
        font.AppendText(kIncomplete);
        if (stubsPresent) {
            div.AppendChild(index.CreateElement("br"));
            div.AppendText(EntityChars(kStubsLine));
        }
    } else {
        AppendRemarks(index, div);
        div.AppendText(EntityChars(kStubsLine));
    }
}

}  // namespace mdlReports
