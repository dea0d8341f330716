#include "workspace/RelNames.h"

#include <array>

#include "workspace/Text.h"

namespace workspace {

namespace {

// One left-to-right pass that drops each occurrence of word (case ignored);
// text that only forms the word after a removal stays, as a plain replace does.
std::string RemoveWord(std::string_view s, std::string_view word) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        if (i + word.size() <= s.size() && SameText(s.substr(i, word.size()), word)) {
            i += word.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}

struct Mapping {
    std::string_view from;
    std::string_view to;
};

constexpr std::array<Mapping, 15> kNames{{
    {"Sends", "converse"},   {"Receives", "converse"}, {"Uses", "converse"},   {"converse", "converse"},
    {"Reads", "access"},     {"Writes", "access"},     {"Deletes", "access"},  {"Inserts", "access"},
    {"Updates", "access"},   {"Starts", "Xctls"},      {"Fetchs", "Xctls"},    {"Callnats", "Calls"},
    {"Calls", "Calls"},      {"FetchReturns", "Calls"}, {"Links", "Calls"},
}};

}  // namespace

std::string NormalizeRelName(std::string_view name) {
    std::string s(name);
    for (std::string_view word : {"Decision", "DataPort", "Table", "AdabasFile"}) s = RemoveWord(s, word);
    for (const auto& m : kNames)
        if (SameText(s, m.from)) return std::string(m.to);
    return s;
}

}  // namespace workspace
