#pragma once
// Text repairs that let an HTML page be read as XML, and the way back.
// The HTML entity XML does not know ("&nbsp;") is read as the character it
// stands for and written as the entity again when the page is saved; empty
// HTML tags are closed so the XML parser accepts them. The program's own
// texts that name "&nbsp;" or "&#42;" become those characters before they
// go into a page (EntityChars), so the same six characters in a name or a
// client text stay as written.

#include <string>
#include <string_view>

namespace mdlReports {

// Closes every "<tagName ...>" tag that does not already end in "/>"
// (tag name matched without regard to case and as a whole name, so "img"
// does not touch "<image>"); a ">" inside a quoted attribute value does not
// end the tag. A tag with no closing ">" leaves the rest of the text as it
// is. Changes text in place and returns it.
std::string CloseEmptyTags(std::string& text, std::string_view tagName);

// For templates written by hand: "&nbsp;" (letter case ignored) becomes
// "&#160;", the no-break space as XML writes it. "&#42;" is XML already.
std::string TemplateFixUps(std::string text);

// For pages the report engine wrote: the template fix-ups, "<br>" becomes
// "<br/>", META and img tags are closed, and a bare nowrap attribute becomes
// nowrap="nowrap". Only attributes are touched: the word nowrap in text or in
// an attribute value, and a nowrap that already has a value, stay.
std::string GeneratedPageFixUps(std::string text);

// The saving side: every no-break space is written as "&nbsp;" again (the
// same character to a browser). Every "&amp;" stays, so a name such as
// "A&lt;B" or "&nbsp;" is still shown as written.
std::string RestoreProtectedEntities(std::string text);

// A text of the program's own ("3&#42;", the note's "&nbsp;&nbsp;") with
// "&nbsp;" and "&#42;" turned into the no-break space and the asterisk, for
// a text node of a page. Never for data: a name keeps its characters.
std::string EntityChars(std::string_view text);

// Puts every "//-->" (the end of a script hidden in a comment) at the start
// of a line.
std::string BreakBeforeScriptCommentEnds(std::string text);

}  // namespace mdlReports
