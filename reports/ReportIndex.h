#pragma once
// The index page of a report set: one entry per page with its link and
// count, and a remark note at the bottom.

#include <string>
#include <string_view>

#include "platform/xml/XmlDocument.h"
#include "reports/ReportPaths.h"

namespace mdlReports {

// Set by the page writers when a page lists a stub (a program or screen the
// workspace refers to but does not hold); cleared when a report run starts;
// the report note says so when it is set.
extern bool g_StubsPresent;

// The page of an index entry caption (letter case ignored) relative to the
// report root ("inventory/screens.html"); "" for a caption with no page.
std::string GetCategoryLink(const ReportPaths& paths, std::string_view caption);

// Gives the index entry <td id="caption"> its result. "0": the entry shows
// its caption without a link and its count cell is left alone. Otherwise
// the caption becomes (or stays) a link to its page with the class
// "style2", and unless the count is "-1" the count cell shows the count
// ("3&#42;" shows as 3 followed by an asterisk). Raises ReportError when the
// index template lacks the entry or its cells have another shape.
void SetIndexEntry(platform::xml::Document& index, const ReportPaths& paths, std::string_view caption,
                   std::string_view count);

// Writes the remarks into the index's note cell <td id="Note"><div>: for an
// incomplete run the red "! Generation of reports was incomplete." in place
// of the cell's text, and when stubs were listed the line about missing
// programs. A complete run without stubs leaves the cell as it is.
void WriteReportNote(platform::xml::Document& index, bool incomplete, bool stubsPresent);

}  // namespace mdlReports
