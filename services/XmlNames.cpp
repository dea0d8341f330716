#include "services/XmlNames.h"

#include <cstdint>

#include "common/Utf8.h"
#include "platform/xml/XmlChars.h"

namespace services {
namespace {

constexpr uint32_t kBad = 0xFFFFFFFF;

// Decodes one UTF-8 character at pos and advances pos. A byte that does not
// start a well-formed sequence (a stray continuation, a cut-off, overlong or
// surrogate form, beyond U+10FFFF) comes back as kBad, never a name
// character, and is skipped alone.
uint32_t NextCodePoint(std::string_view s, size_t& pos) {
    const common::Utf8Char c = common::DecodeUtf8(s, pos);
    if (c.length == 0) {
        ++pos;
        return kBad;
    }
    pos += c.length;
    return c.codePoint;
}

bool IsNameStart(uint32_t c) { return c != kBad && platform::xml::IsPortableNameStart(c); }
bool IsNameChar(uint32_t c) { return c != kBad && platform::xml::IsPortableNameChar(c); }

}  // namespace

std::string ToXmlName(std::string_view text) {
    std::string out;
    bool pendingGap = false;   // a run of refused characters not yet written
    bool first = true;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = pos;
        const uint32_t c = NextCodePoint(text, pos);
        if (!IsNameChar(c)) {
            pendingGap = true;
            continue;
        }
        if (pendingGap || (first && !IsNameStart(c))) out += '_';
        pendingGap = false;
        first = false;
        out.append(text.substr(start, pos - start));
    }
    if (out.empty()) out = "_";
    return out;
}

bool IsXmlName(std::string_view text) {
    if (text.empty()) return false;
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        const uint32_t c = NextCodePoint(text, pos);
        if (first ? !IsNameStart(c) : !IsNameChar(c)) return false;
        first = false;
    }
    return true;
}

std::string ToValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = pos;
        if (NextCodePoint(text, pos) == kBad)
            out += "\xEF\xBF\xBD";
        else
            out.append(text.substr(start, pos - start));
    }
    return out;
}

std::string UniqueNames::Claim(const std::string& name) {
    std::string candidate = name;
    for (int n = 2; m_used.count(candidate) != 0; ++n) candidate = name + "_" + std::to_string(n);
    m_used.insert(candidate);
    return candidate;
}

}  // namespace services
