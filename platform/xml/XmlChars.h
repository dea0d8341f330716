#pragma once
// Text handed to the XML layer becomes characters XML 1.0 can carry, so a
// document the program writes always loads again; and the characters that
// every reader takes in a name.

#include <string>
#include <string_view>

namespace platform::xml {

// Whether a character may start, or stand inside, a name without colon
// (NCName) in every reader: the characters that both the fourth and the
// fifth edition of XML 1.0 allow. libxml2's schema compiler, and every tool
// built on it, checks names by the fourth edition's tables, which leave out
// much of what the fifth allows (U+203F, U+FEFF, U+FFFD, everything beyond
// U+FFFF).
bool IsPortableNameStart(char32_t c);
bool IsPortableNameChar(char32_t c);

// Appends text with &, <, > and " written as references, so that it stands
// as character data or as an attribute value between double quotes; with
// whiteSpaceAsReferences also tab, line feed and carriage return (&#9;,
// &#10;, &#13;), which a reader would otherwise turn into blanks in an
// attribute value. The text is taken as it is: XmlChars makes it
// characters XML can carry first where that is wanted.
void AppendEscaped(std::string& out, std::string_view text, bool whiteSpaceAsReferences);

}  // namespace platform::xml

namespace platform::xml::detail {

// Every byte that does not start a well-formed UTF-8 sequence, and every
// character XML forbids (C0 controls but tab, line feed and carriage return;
// NUL; U+FFFE, U+FFFF), becomes U+FFFD. Valid text comes back unchanged.
std::string XmlChars(std::string_view text);

}  // namespace platform::xml::detail
