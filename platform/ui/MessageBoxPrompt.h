#pragma once
// The prompt interface answered with real message boxes, owned by a window.

#include <QPointer>
#include <QString>

#include "common/Prompt.h"

class QWidget;

namespace platform::ui {

class MessageBoxPrompt : public common::IPrompt {
public:
    // defaultTitle is used when a question comes without a title.
    explicit MessageBoxPrompt(QWidget* owner, QString defaultTitle = {});
    void SetDefaultTitle(const QString& title) { m_defaultTitle = title; }
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                       common::Icon icon) override;

private:
    QPointer<QWidget> m_owner;
    QString m_defaultTitle;
};

}  // namespace platform::ui
