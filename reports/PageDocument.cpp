#include "reports/PageDocument.h"

#include <fstream>
#include <sstream>

#include "common/WriteBoundary.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "platform/ui/core/FormatMessage.h"
#include "platform/xml/HtmlMarkup.h"
#include "reports/ClientInfo.h"
#include "reports/PageFixUps.h"
#include "reports/ReportError.h"

namespace mdlReports {

namespace fs = std::filesystem;
using platform::xml::Document;
using platform::xml::Node;
using platform::xml::NodeType;

namespace {

std::string ReadWholeFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ReportError("Cannot read \"" + file.string() + "\": the file is missing or unreadable");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw ReportError("Cannot read \"" + file.string() + "\"");
    return text.str();
}

void SetFirstText(const Document& page, std::string_view id, const std::string& value) {
    const Node cell = FindElementById(page, "td", id);
    if (!cell) throw ReportError("The page has no cell \"" + std::string(id) + "\"");
    Node first = cell.FirstChild();
    if (!first || first.Type() != NodeType::Text)
        throw ReportError("The cell \"" + std::string(id) + "\" of the page does not start with text");
    first.SetText(value);
}

}  // namespace

Document LoadPage(const fs::path& file, PageSource source, common::IPrompt& prompt) {
    return ParsePage(ReadWholeFile(file), file, source, prompt);
}

Document ParsePage(std::string text, const fs::path& file, PageSource source, common::IPrompt& prompt) {
    text = source == PageSource::Template ? TemplateFixUps(std::move(text)) : GeneratedPageFixUps(std::move(text));
    Document page;
    if (!page.LoadXml(text)) {
        const platform::xml::ParseError& error = page.LastParseError();
        const std::string message = UIUtility::FormatMessage(
            ResModule::LoadResString(502),
            {"\n" + error.reason + "\n" + error.srcText + "\n", std::to_string(error.line), std::to_string(error.linePos)});
        prompt.Ask(message, file.string(), common::Buttons::OK, common::Icon::None);
        throw IllFormedPage("\"" + file.string() + "\" is not well-formed: " + error.Describe(), error);
    }
    return page;
}

std::string PageText(const Document& page, const PageSaveOptions& options) {
    std::string text = RestoreProtectedEntities(platform::xml::ToHtmlPage(page));
    if (options.breakScriptCommentEnds) text = BreakBeforeScriptCommentEnds(std::move(text));
    if (text.empty() || text.back() != '\n') text += '\n';
    return text;
}

void SavePage(const common::WriteBoundary& output, const Document& page, const fs::path& file,
              const PageSaveOptions& options) {
    const std::string text = PageText(page, options);
    try {
        output.Replace(file, text);
    } catch (const std::exception& e) {
        throw ReportError("Cannot write \"" + file.string() + "\": " + e.what());
    }
}

void FillClientInfo(Document& page, const std::string& client, const std::string& application) {
    SetFirstText(page, "Client", client);
    SetFirstText(page, "Application", application);
}

void FillClientInfo(Document& page, platform::db::Database& db) {
    FillClientInfo(page, GetClientName(db), GetApplicationName(db));
}

Node FindElementById(const Document& page, std::string_view tag, std::string_view id) {
    // The elements in document order up to the first match, as "//tag[@id]"
    // would list them: pages run to tens of thousands of rows, and the cells
    // looked for lie near their top.
    const Node root = page.DocumentElement();
    for (Node node = root; node;) {
        if (node.Name() == tag && node.NamespaceUri().empty() && node.HasAttribute("id") &&
            node.GetAttribute("id") == id)
            return node;
        Node next = node.FirstChildElement();
        while (!next && node != root) {
            for (next = node.NextSibling(); next && next.Type() != NodeType::Element;) next = next.NextSibling();
            if (!next) node = node.Parent();
        }
        node = next;
    }
    return {};
}

Node TitleHeading(const Document& page) {
    const Node cell = FindElementById(page, "td", "title");
    return cell ? cell.FirstChild() : Node();
}

void SetTitleText(Node heading, const std::string& title) {
    if (Node text = heading.FirstChild()) heading.RemoveChild(text);
    heading.AppendText(title);
}

}  // namespace mdlReports
