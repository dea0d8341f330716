#include "workspace/Text.h"

#include "common/AsciiCase.h"

namespace workspace {

std::string FoldCase(std::string_view s) { return common::AsciiFold(s); }

bool SameText(std::string_view a, std::string_view b) { return common::AsciiEqualNoCase(a, b); }

std::string LeftChars(std::string_view s, size_t n) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        // A byte that is not a continuation byte starts a character.
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == n) return std::string(s.substr(0, i));
            ++chars;
        }
    }
    return std::string(s);
}

}  // namespace workspace
