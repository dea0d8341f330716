#include "common/PopToken.h"

#include <algorithm>

#include "common/AsciiCase.h"

namespace mdlReports {

namespace {

bool SameIgnoringCase(char a, char b) { return common::AsciiLower(a) == common::AsciiLower(b); }

}  // namespace

std::string PopToken(std::string& text, std::string_view delimiter) {
    auto it = delimiter.empty()
                  ? text.end()
                  : std::search(text.begin(), text.end(), delimiter.begin(), delimiter.end(), SameIgnoringCase);
    if (it == text.end()) {
        std::string all = std::move(text);
        text.clear();
        return all;
    }
    size_t pos = static_cast<size_t>(it - text.begin());
    std::string token = text.substr(0, pos);
    text.erase(0, pos + delimiter.size());
    return token;
}

}  // namespace mdlReports
