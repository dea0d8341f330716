#include "common/HeldPrompt.h"

#include <utility>

namespace common {

Answer HeldPrompt::Ask(const std::string& text, const std::string& title, Buttons buttons, Icon icon) {
    m_questions.push_back({text, title, buttons, icon});
    return Answer::OK;
}

void HeldPrompt::AskThrough(IPrompt& prompt) {
    for (const Question& q : std::exchange(m_questions, {})) prompt.Ask(q.text, q.title, q.buttons, q.icon);
}

}  // namespace common
