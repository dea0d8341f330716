#include "session/WorkspaceOpenDialog.h"

#include "common/Collection.h"

namespace session {

std::string QtFileFilter(std::string_view pipeFilter) {
    std::string out;
    size_t start = 0;
    bool description = true;
    std::string entry;
    while (start <= pipeFilter.size()) {
        size_t bar = pipeFilter.find('|', start);
        if (bar == std::string_view::npos) bar = pipeFilter.size();
        std::string part(pipeFilter.substr(start, bar - start));
        if (description) {
            entry = part;
        } else {
            // The description usually names its patterns already; add them
            // when it does not, so the dialog still filters by them.
            std::string patterns;
            for (char c : part) patterns.push_back(c == ';' ? ' ' : c);
            if (entry.find('(') == std::string::npos) entry += " (" + patterns + ")";
            if (!out.empty()) out += ";;";
            out += entry;
        }
        description = !description;
        start = bar + 1;
    }
    return out;
}

bool MayCloseOtherWindows(const std::vector<std::string>& otherWindowTags, common::IPrompt& prompt) {
    bool other = false;
    for (const auto& tag : otherWindowTags)
        if (common::FoldKey(tag) != "screenflow") other = true;
    if (!other) return true;
    return prompt.Ask("You have other forms open for this workspace.\n"
                      "Do you want to close them all and open another workspace?",
                      kOpenWorkspaceTitle, common::Buttons::YesNo, common::Icon::Question) == common::Answer::Yes;
}

}  // namespace session
