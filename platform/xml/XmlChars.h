#pragma once
// Text handed to the XML layer becomes characters XML 1.0 can carry, so a
// document the program writes always loads again.

#include <string>
#include <string_view>

namespace platform::xml::detail {

// Every byte that does not start a well-formed UTF-8 sequence, and every
// character XML forbids (C0 controls but tab, line feed and carriage return;
// NUL; U+FFFE, U+FFFF), becomes U+FFFD. Valid text comes back unchanged.
std::string XmlChars(std::string_view text);

}  // namespace platform::xml::detail
