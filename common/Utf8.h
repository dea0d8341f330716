#pragma once
// The one reading of UTF-8 in the program: a character is well-formed when
// it is the shortest sequence for a code point up to U+10FFFF that is no
// UTF-16 surrogate. What counts as text (a file read as UTF-8), what XML may
// carry and what a name may hold all start from here.

#include <cstddef>
#include <string_view>

namespace common {

struct Utf8Char {
    char32_t codePoint = 0;
    // 1 to 4 bytes; 0 when the byte at the position starts no well-formed
    // sequence (a stray continuation byte, a cut-off, overlong or surrogate
    // form, a code point past U+10FFFF).
    size_t length = 0;
};

// The character that starts at text[pos] (pos < text.size()).
Utf8Char DecodeUtf8(std::string_view text, size_t pos);

// Every byte of text belongs to a well-formed character.
bool IsValidUtf8(std::string_view text);

}  // namespace common
