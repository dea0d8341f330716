#include "reports/PageRows.h"

#include "common/AsciiCase.h"
#include "reports/PageDocument.h"

namespace mdlReports {

namespace {

using platform::xml::Node;
using platform::xml::NodeType;

bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

void DropTrailingSpace(std::string& out) {
    if (!out.empty() && out.back() == ' ') out.pop_back();
}

// The text below node as a browser lays it out: every run of white space
// one space, none at the start or end of a line, a line break per <br>.
void AppendShownText(const Node& node, std::string& out) {
    for (Node child = node.FirstChild(); child; child = child.NextSibling()) {
        const NodeType type = child.Type();
        if (type == NodeType::Text || type == NodeType::CData) {
            for (const char c : child.Text()) {
                if (!IsHtmlSpace(c))
                    out += c;
                else if (!out.empty() && out.back() != ' ' && out.back() != '\n')
                    out += ' ';
            }
        } else if (type == NodeType::Element) {
            if (common::AsciiEqualNoCase(child.LocalName(), "br")) {
                DropTrailingSpace(out);
                out += '\n';
            } else {
                AppendShownText(child, out);
            }
        }
    }
}

std::string ShownText(const Node& node) {
    std::string out;
    AppendShownText(node, out);
    DropTrailingSpace(out);
    return out;
}

PageRows::Align AlignOf(const Node& cell) {
    const std::string align = cell.GetAttribute("align");
    if (common::AsciiEqualNoCase(align, "right")) return PageRows::Align::Right;
    if (common::AsciiEqualNoCase(align, "center")) return PageRows::Align::Center;
    return PageRows::Align::Left;
}

bool Named(const Node& element, std::string_view name) { return common::AsciiEqualNoCase(element.LocalName(), name); }

// The rows of a table, also inside its thead, tbody and tfoot.
void ReadRows(const Node& parent, PageRows& out) {
    for (Node element = parent.FirstChildElement(); element; element = element.NextSibling()) {
        if (!element.IsElement()) continue;
        if (Named(element, "thead") || Named(element, "tbody") || Named(element, "tfoot")) {
            ReadRows(element, out);
            continue;
        }
        if (!Named(element, "tr")) continue;
        std::vector<std::string> cells;
        bool heading = true;
        for (Node cell = element.FirstChildElement(); cell; cell = cell.NextSibling()) {
            if (!cell.IsElement() || !(Named(cell, "td") || Named(cell, "th"))) continue;
            heading = heading && Named(cell, "th");
            cells.push_back(ShownText(cell));
            if (out.rows.empty() && !heading && out.align.size() < cells.size()) out.align.push_back(AlignOf(cell));
        }
        if (heading && out.captions.empty() && out.rows.empty())
            out.captions = std::move(cells);
        else
            out.rows.push_back(std::move(cells));
    }
}

}  // namespace

PageRows ReadPageRows(const std::filesystem::path& file, common::IPrompt& prompt) {
    // The saved page holds "&nbsp;" again, which the template fix-ups read.
    platform::xml::Document page = LoadPage(file, PageSource::Template, prompt);
    PageRows out;
    if (Node list = FindElementById(page, "table", "result")) {
        ReadRows(list, out);
        list.Parent().RemoveChild(list);
    }
    out.frame = PageText(page);
    return out;
}

}  // namespace mdlReports
