#pragma once
// Questions and messages of the web service windows as real message boxes.

#include "common/Prompt.h"

class QWidget;

namespace services::ui {

class MessageBoxPrompt : public common::IPrompt {
public:
    explicit MessageBoxPrompt(QWidget* owner) : m_owner(owner) {}
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                       common::Icon icon) override;
private:
    QWidget* m_owner;
};

}  // namespace services::ui
