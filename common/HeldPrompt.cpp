#include "common/HeldPrompt.h"

#include <utility>

namespace common {

Answer HeldPrompt::Ask(const std::string& text, const std::string& title, Buttons buttons, Icon icon) {
    std::lock_guard lock(m_mutex);
    m_questions.push_back({text, title, buttons, icon});
    return Answer::OK;
}

void HeldPrompt::AskThrough(IPrompt& prompt) {
    std::vector<Question> questions;
    {
        // Taken whole, so the window's prompt is never asked under the lock.
        std::lock_guard lock(m_mutex);
        questions = std::exchange(m_questions, {});
    }
    for (const Question& q : questions) prompt.Ask(q.text, q.title, q.buttons, q.icon);
}

}  // namespace common
