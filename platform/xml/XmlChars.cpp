#include "platform/xml/XmlChars.h"

#include <libxml/chvalid.h>

#include <string>

#include "common/Utf8.h"

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

void AppendEscaped(std::string& out, std::string_view text, bool whiteSpaceAsReferences) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\t':
            case '\n':
            case '\r':
                if (whiteSpaceAsReferences)
                    out += "&#" + std::to_string(static_cast<int>(c)) + ";";
                else
                    out += c;
                break;
            default: out += c;
        }
    }
}

}  // namespace platform::xml

namespace platform::xml::detail {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed sequence at text[i] that XML allows, or 0.
size_t AllowedAt(std::string_view text, size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) return (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') ? 1 : 0;
    const common::Utf8Char ch = common::DecodeUtf8(text, i);
    // The two non-characters XML leaves out.
    if (ch.codePoint == 0xFFFE || ch.codePoint == 0xFFFF) return 0;
    return ch.length;
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
