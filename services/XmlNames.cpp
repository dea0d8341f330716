#include "services/XmlNames.h"

#include <cstdint>

namespace services {
namespace {

// Decodes one UTF-8 character at pos and advances pos; malformed bytes
// come back as 0xFFFFFFFF (never a name character) and are skipped one by one.
uint32_t NextCodePoint(std::string_view s, size_t& pos) {
    constexpr uint32_t kBad = 0xFFFFFFFF;
    const auto b0 = static_cast<unsigned char>(s[pos]);
    size_t len = 0;
    uint32_t cp = 0;
    if (b0 < 0x80) {
        ++pos;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        ++pos;
        return kBad;
    }
    if (pos + len > s.size()) {
        ++pos;
        return kBad;
    }
    for (size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return kBad;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos += len;
    return cp;
}

// XML 1.0 (fifth edition) NameStartChar without ':'.
bool IsNameStart(uint32_t c) {
    return (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(uint32_t c) {
    return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

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

std::string UniqueNames::Claim(const std::string& name) {
    std::string candidate = name;
    for (int n = 2; m_used.count(candidate) != 0; ++n) candidate = name + "_" + std::to_string(n);
    m_used.insert(candidate);
    return candidate;
}

}  // namespace services
