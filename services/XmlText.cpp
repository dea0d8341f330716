#include "services/XmlText.h"

#include <algorithm>

namespace Globals {
namespace {

void RemoveAll(std::string& s, std::string_view what) {
    for (size_t pos = s.find(what); pos != std::string::npos; pos = s.find(what, pos)) s.erase(pos, what.size());
}

}  // namespace

std::string FlattenXML(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n') s += c;
    RemoveAll(s, "xsd:");
    return s;
}

std::string IndentXML(std::string_view text) {
    if (text.find('<') == std::string_view::npos) return {};
    const size_t start = text.find("<message");
    if (start == std::string_view::npos) return {};
    std::string t(text.substr(start));
    RemoveAll(t, "</definitions>");

    size_t p = 0;
    int indent = 0;
    while (p < t.size()) {
        const size_t lt = t.find('<', p);
        if (lt == std::string::npos || lt + 1 == t.size()) break;
        std::string before = t.substr(0, lt);
        const std::string rest = t.substr(lt);
        while (!before.empty() && (before.back() == ' ' || before.back() == '\r' || before.back() == '\n' ||
                                   before.back() == '\t'))
            before.pop_back();
        const bool closing = rest[1] == '/';
        if (closing) {
            indent = std::max(0, indent - 4);
            before += '\n' + std::string(static_cast<size_t>(indent), ' ');
        } else if (!before.empty()) {
            before += '\n' + std::string(static_cast<size_t>(indent), ' ');
        }
        t = before + rest;
        p = before.size();
        const size_t gt = t.find('>', p);
        if (gt == std::string::npos) {
            p = t.size();
        } else {
            if (!closing && t[gt - 1] != '/') indent += 4;
            p = gt + 1;
        }
    }
    return t;
}

}  // namespace Globals
