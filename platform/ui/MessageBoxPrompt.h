#pragma once
// The prompt interface answered with real message boxes, shown over the
// window the analyst is working in.

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

    // The window a message box belongs to: the active modal window, else
    // the active window, else the owner.
    static QWidget* MessageParent(QWidget* owner);

private:
    QPointer<QWidget> m_owner;
    QString m_defaultTitle;
};

}  // namespace platform::ui
