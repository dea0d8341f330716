#pragma once
// The questions of work done on another thread, kept for the window's
// thread: each is answered OK where it is raised and asked again, in order,
// through the window's own prompt once that work is done. The list is
// locked, so the window's thread may also ask through while the work is
// still under way (it then gets the questions raised so far).

#include <mutex>
#include <string>
#include <vector>

#include "common/Prompt.h"

namespace common {

class HeldPrompt : public IPrompt {
public:
    Answer Ask(const std::string& text, const std::string& title, Buttons buttons, Icon icon) override;
    // Asks the questions kept, and forgets them.
    void AskThrough(IPrompt& prompt);

private:
    struct Question {
        std::string text, title;
        Buttons buttons;
        Icon icon;
    };
    std::mutex m_mutex;
    std::vector<Question> m_questions;
};

}  // namespace common
