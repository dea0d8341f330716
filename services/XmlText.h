#pragma once
// The two text forms of a stored message document: the storage form (one
// line) and the display form (one tag per line, indented by 4 blanks).

#include <string>
#include <string_view>

namespace Globals {

// The storage form: every CR and LF removed, and every "xsd:" removed.
// Quotes are kept as they are: the text goes to the database as a bound
// value, not as an SQL literal.
std::string FlattenXML(std::string_view text);

// The display form of a message document: the text from its first
// "<message" on, without "</definitions>", each tag on its own line, the
// content of an open element indented by 4 more blanks. A text without "<"
// or without "<message" gives the empty text. Applying it to its own result
// changes nothing.
std::string IndentXML(std::string_view text);

}  // namespace Globals
