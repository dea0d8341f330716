#pragma once
// Text repairs that let an HTML page be read as XML, and the way back.
// HTML entities XML does not know ("&nbsp;") are protected as text on the
// way in ("&amp;nbsp;") and turned back into entities when the page is
// saved; empty HTML tags are closed so the XML parser accepts them.

#include <string>
#include <string_view>

namespace mdlReports {

// Closes every "<tagName ...>" tag that does not already end in "/>"
// (tag name matched without regard to case and as a whole name, so "img"
// does not touch "<image>"); a ">" inside a quoted attribute value does not
// end the tag. A tag with no closing ">" leaves the rest of the text as it
// is. Changes text in place and returns it.
std::string CloseEmptyTags(std::string& text, std::string_view tagName);

// For templates written by hand: "&nbsp;" becomes "&amp;nbsp;", then
// "&#42;" becomes "&amp;#42;" (letter case ignored).
std::string TemplateFixUps(std::string text);

// For pages the report engine wrote: the template fix-ups, "<br>" becomes
// "<br/>", META and img tags are closed, and a bare nowrap attribute becomes
// nowrap="nowrap". Only attributes are touched: the word nowrap in text or in
// an attribute value, and a nowrap that already has a value, stay.
std::string GeneratedPageFixUps(std::string text);

// The saving side: only the two protected forms "&amp;nbsp;" and "&amp;#42;"
// become "&nbsp;" and "&#42;" again. Every other "&amp;" stays, so a name
// such as "A&lt;B" is still shown as written.
std::string RestoreProtectedEntities(std::string text);

// Puts every "//-->" (the end of a script hidden in a comment) at the start
// of a line.
std::string BreakBeforeScriptCommentEnds(std::string text);

}  // namespace mdlReports
