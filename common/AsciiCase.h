#pragma once
// The one case fold of the program. The workspace database compares text
// with SQLite's NOCASE, which folds only the 26 ASCII letters (no other
// character, no locale); every comparison in memory that must agree with the
// database's (keys of collections and trees, look-ups of ids and names) folds
// the same way, so a name that matches in SQL matches here and vice versa.

#include <string>
#include <string_view>

namespace common {

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The text with A-Z folded to a-z, every other byte unchanged.
std::string AsciiFold(std::string_view text);
// Equal as NOCASE compares.
bool AsciiEqualNoCase(std::string_view a, std::string_view b);
// text starts with prefix as NOCASE compares.
bool AsciiStartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace common
