#include "common/SqlText.h"

#include <algorithm>

#include "common/AsciiCase.h"

namespace Globals {

std::string SqlQuote(std::string_view s) {
    std::string result;
    result.reserve(s.size() + 8);
    for (char c : s) {
        result += c;
        if (c == '\'') result += '\'';
    }
    return result;
}

std::string SqlQuoteIdentifier(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

namespace {

using common::AsciiLower;
char Lower(char c) { return AsciiLower(c); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Length of the UTF-8 sequence that starts with byte c (1 for a stray byte).
size_t SequenceLength(unsigned char c) {
    if (c >= 0xF0 && c <= 0xF7) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

}  // namespace

std::string ToCamelCase(std::string& s) {
    for (char& c : s) c = Lower(c);
    // Each pass takes the first "-" and the one character after it (empty
    // when the "-" is last) and puts that character, upper-cased, in their
    // place: "--a" becomes "-a" and then "A".
    for (size_t dash = s.find('-'); dash != std::string::npos; dash = s.find('-')) {
        size_t len = dash + 1 < s.size() ? SequenceLength(static_cast<unsigned char>(s[dash + 1])) : 0;
        len = std::min(len, s.size() - dash - 1);
        std::string next = s.substr(dash + 1, len);
        if (len == 1) next[0] = Upper(next[0]);
        s.replace(dash, 1 + len, next);
    }
    return s;
}

}  // namespace Globals
