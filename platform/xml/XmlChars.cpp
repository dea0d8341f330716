#include "platform/xml/XmlChars.h"

#include <libxml/chvalid.h>

namespace platform::xml {

namespace {

// XML 1.0 fifth edition, NameStartChar without ':'.
bool IsFifthEditionNameStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsFifthEditionNameChar(char32_t c) {
    return IsFifthEditionNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// The fourth edition's Letter, from libxml2's own tables.
bool IsFourthEditionLetter(char32_t c) { return xmlIsBaseChar(c) || xmlIsIdeographic(c); }

}  // namespace

bool IsPortableNameStart(char32_t c) {
    return (c == '_' || IsFourthEditionLetter(c)) && IsFifthEditionNameStart(c);
}

bool IsPortableNameChar(char32_t c) {
    const bool fourth = c == '_' || c == '-' || c == '.' || IsFourthEditionLetter(c) || xmlIsDigit(c) ||
                        xmlIsCombining(c) || xmlIsExtender(c);
    return fourth && IsFifthEditionNameChar(c);
}

}  // namespace platform::xml

namespace platform::xml::detail {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed sequence at text[i] that XML allows, or 0.
size_t AllowedAt(std::string_view text, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char c = b(0);
    if (c < 0x80) return (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') ? 1 : 0;
    size_t len = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        if (!Continuation(b(k))) return 0;
        cp = (cp << 6) | (b(k) & 0x3F);
    }
    // Overlong forms, surrogates, beyond U+10FFFF, and the two non-characters.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) return 0;
    return len;
}

}  // namespace

std::string XmlChars(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (size_t len = AllowedAt(text, i)) {
            out.append(text.substr(i, len));
            i += len;
        } else {
            out.append(kReplacement);
            ++i;
        }
    }
    return out;
}

}  // namespace platform::xml::detail
