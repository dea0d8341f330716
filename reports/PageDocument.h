#pragma once
// A report page as an XML document: loaded from a template or from a page
// the report engine wrote, changed through the DOM, saved back as HTML.

#include <filesystem>
#include <string>

#include "common/WriteBoundary.h"
#include "platform/xml/XmlDocument.h"

namespace common { class IPrompt; }
namespace platform::db { class Database; }

namespace mdlReports {

enum class PageSource {
    Template,        // written by hand: index, diagram, screen, CRUD comparison
    GeneratedPage,   // written by the report engine
};

// Reads the file, applies the fix-ups of its source and parses it. A page
// that does not parse is reported to the analyst with message 502 (reason,
// source line, line and position), titled with the file's full path, and
// then raises IllFormedPage. A file that cannot be read raises ReportError.
platform::xml::Document LoadPage(const std::filesystem::path& file, PageSource source, common::IPrompt& prompt);
// The same for a page's text in memory, as file would hold it.
platform::xml::Document ParsePage(std::string text, const std::filesystem::path& file, PageSource source,
                                  common::IPrompt& prompt);

// How SavePage writes the page.
struct PageSaveOptions {
    // Index, diagram and screen pages: every "//-->" starts a line.
    bool breakScriptCommentEnds = false;
};

// Writes the page as HTML that is also well-formed XML (see
// platform::xml::ToHtmlPage), with only the protected entities turned back,
// followed by one line break. The file is replaced whole: a failed write
// keeps the earlier file. It is written through output, inside its folder.
// Raises ReportError naming the file on failure.
void SavePage(const common::WriteBoundary& output, const platform::xml::Document& page,
              const std::filesystem::path& file, const PageSaveOptions& options = {});
// The text SavePage writes, for a writer that writes it itself (later, on
// another thread, or with more after it).
std::string PageText(const platform::xml::Document& page, const PageSaveOptions& options = {});

// Writes the client and application names into the first text of the
// cells //td[@id="Client"] and //td[@id="Application"]. Raises ReportError
// when a cell is missing or does not start with text (a broken template).
void FillClientInfo(platform::xml::Document& page, const std::string& client, const std::string& application);
// The same with the names of the workspace's client information store.
void FillClientInfo(platform::xml::Document& page, platform::db::Database& db);

// The first element <tag id="id"> of the page, found by comparing the
// attribute (no XPath is built from the text); a null node when none.
platform::xml::Node FindElementById(const platform::xml::Document& page, std::string_view tag, std::string_view id);

// The heading of a page template: the first child of its cell
// <td id="title">; null when it has none.
platform::xml::Node TitleHeading(const platform::xml::Document& page);
// Replaces the heading's first child (its text) by title.
void SetTitleText(platform::xml::Node heading, const std::string& title);

}  // namespace mdlReports
