#pragma once
// Questions and message boxes raised inside operations go through this
// interface: the main window shows real message boxes, tests script answers.

#include <string>

namespace common {

enum class Buttons { OK, OKCancel, YesNo, YesNoCancel };
enum class Icon { None, Information, Question, Exclamation, Critical };
enum class Answer { OK, Cancel, Yes, No };

class IPrompt {
public:
    virtual ~IPrompt() = default;
    virtual Answer Ask(const std::string& text, const std::string& title, Buttons buttons, Icon icon) = 0;
    void Message(const std::string& text, const std::string& title, Icon icon = Icon::Information) {
        Ask(text, title, Buttons::OK, icon);
    }
};

}  // namespace common
