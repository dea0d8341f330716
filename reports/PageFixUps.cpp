#include "reports/PageFixUps.h"

#include <vector>

#include "common/AsciiCase.h"

namespace mdlReports {

namespace {

using common::AsciiLower;

bool EqualNoCaseAt(const std::string& text, size_t at, std::string_view what) {
    if (at + what.size() > text.size()) return false;
    for (size_t k = 0; k < what.size(); ++k)
        if (AsciiLower(text[at + k]) != AsciiLower(what[k])) return false;
    return true;
}

size_t FindNoCase(const std::string& text, std::string_view what, size_t from) {
    if (what.empty() || what.size() > text.size()) return std::string::npos;
    for (size_t i = from; i + what.size() <= text.size(); ++i)
        if (EqualNoCaseAt(text, i, what)) return i;
    return std::string::npos;
}

std::string ReplaceAllNoCase(const std::string& text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (true) {
        const size_t hit = FindNoCase(text, from, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        out += to;
        pos = hit + from.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == ':' || c == '.';
}

// The position of the ">" that ends a tag whose attributes start at from,
// skipping quoted values; npos when the tag never ends.
size_t TagEnd(const std::string& text, size_t from) {
    char quote = 0;
    for (size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string::npos;
}

// Positions of the attribute names "nowrap" that have no value, in the
// start tags of the text (comments and end tags are skipped).
std::vector<size_t> BareNowraps(const std::string& text) {
    std::vector<size_t> found;
    size_t i = 0;
    while ((i = text.find('<', i)) != std::string::npos) {
        if (text.compare(i, 4, "<!--") == 0) {
            const size_t end = text.find("-->", i + 4);
            if (end == std::string::npos) break;
            i = end + 3;
            continue;
        }
        if (i + 1 >= text.size() || !IsNameChar(text[i + 1]) || text[i + 1] == '-' || text[i + 1] == '.') {
            ++i;
            continue;
        }
        size_t p = i + 1;
        while (p < text.size() && IsNameChar(text[p])) ++p;   // element name
        while (p < text.size()) {
            while (p < text.size() && IsSpace(text[p])) ++p;
            if (p >= text.size() || text[p] == '>' || text[p] == '/' || text[p] == '<') break;
            const size_t nameStart = p;
            while (p < text.size() && !IsSpace(text[p]) && text[p] != '=' && text[p] != '>' && text[p] != '/') ++p;
            const size_t nameEnd = p;
            size_t q = p;
            while (q < text.size() && IsSpace(text[q])) ++q;
            if (q < text.size() && text[q] == '=') {
                q++;
                while (q < text.size() && IsSpace(text[q])) ++q;
                if (q < text.size() && (text[q] == '"' || text[q] == '\'')) {
                    const size_t close = text.find(text[q], q + 1);
                    p = close == std::string::npos ? text.size() : close + 1;
                } else {
                    while (q < text.size() && !IsSpace(text[q]) && text[q] != '>') ++q;
                    p = q;
                }
            } else if (nameEnd - nameStart == 6 && EqualNoCaseAt(text, nameStart, "nowrap")) {
                found.push_back(nameStart);
            }
            if (p == nameStart) ++p;   // a stray character: never stand still
        }
        i = p;
    }
    return found;
}

}  // namespace

std::string CloseEmptyTags(std::string& text, std::string_view tagName) {
    const std::string open = "<" + std::string(tagName);
    std::string out;
    out.reserve(text.size() + 16);
    size_t pos = 0;
    while (true) {
        const size_t start = FindNoCase(text, open, pos);
        if (start == std::string::npos) break;
        const size_t after = start + open.size();
        if (after < text.size() && IsNameChar(text[after])) {   // a longer name, such as <image>
            out.append(text, pos, after - pos);
            pos = after;
            continue;
        }
        const size_t close = TagEnd(text, after);
        if (close == std::string::npos) break;   // unfinished tag: the rest stays as it is
        size_t end = close;
        while (end > start && IsSpace(text[end - 1])) --end;
        out.append(text, pos, end - pos);
        if (text[end - 1] != '/') out += '/';
        out += '>';
        pos = close + 1;
    }
    out.append(text, pos, std::string::npos);
    text = std::move(out);
    return text;
}

constexpr std::string_view kNoBreakSpace = "\xC2\xA0";

std::string TemplateFixUps(std::string text) { return ReplaceAllNoCase(text, "&nbsp;", "&#160;"); }

std::string GeneratedPageFixUps(std::string text) {
    text = TemplateFixUps(std::move(text));
    text = ReplaceAllNoCase(text, "<br>", "<br/>");
    CloseEmptyTags(text, "META");
    CloseEmptyTags(text, "img");
    const std::vector<size_t> nowraps = BareNowraps(text);
    if (nowraps.empty()) return text;
    std::string out;
    out.reserve(text.size() + nowraps.size() * 9);
    size_t pos = 0;
    for (size_t at : nowraps) {
        out.append(text, pos, at - pos);
        out += "nowrap=\"nowrap\"";
        pos = at + 6;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

std::string RestoreProtectedEntities(std::string text) { return ReplaceAllNoCase(text, kNoBreakSpace, "&nbsp;"); }

std::string EntityChars(std::string_view text) {
    const std::string spaced = ReplaceAllNoCase(std::string(text), "&nbsp;", kNoBreakSpace);
    return ReplaceAllNoCase(spaced, "&#42;", "*");
}

std::string BreakBeforeScriptCommentEnds(std::string text) {
    std::string out;
    out.reserve(text.size() + 8);
    size_t pos = 0;
    while (true) {
        const size_t hit = text.find("//-->", pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        if (out.empty() || out.back() != '\n') out += '\n';
        out += "//-->";
        pos = hit + 5;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

}  // namespace mdlReports
