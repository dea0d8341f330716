#include "platform/ui/MessageBoxPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace platform::ui {

MessageBoxPrompt::MessageBoxPrompt(QWidget* owner, QString defaultTitle)
    : m_owner(owner), m_defaultTitle(std::move(defaultTitle)) {}

QWidget* MessageBoxPrompt::MessageParent(QWidget* owner) {
    // A modal window (the message editor over the main window) is where the
    // analyst works even when the message comes from its owner's prompt:
    // parented to the owner, the box would bring the owner up over it.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) {
        const Qt::WindowType type = active->windowType();
        if ((type == Qt::Window || type == Qt::Dialog) && active->isVisible()) return active;
    }
    return owner;
}

common::Answer MessageBoxPrompt::Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                                     common::Icon icon) {
    // On the heap: should its parent close while the box is open, the box
    // goes with it and must not be deleted a second time.
    QPointer<QMessageBox> guarded = new QMessageBox(MessageParent(m_owner));
    QMessageBox& box = *guarded;
    box.setWindowTitle(title.empty() ? m_defaultTitle : QString::fromStdString(title));
    // Messages quote names and paths from the analyst's data; one that looks
    // like markup must be shown as it is, not rendered.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    switch (icon) {
    case common::Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case common::Icon::Information: box.setIcon(QMessageBox::Information); break;
    case common::Icon::Question: box.setIcon(QMessageBox::Question); break;
    case common::Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case common::Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case common::Buttons::OK:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case common::Buttons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case common::Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case common::Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    const int result = box.exec();
    delete guarded.data();
    switch (result) {
    case QMessageBox::Yes: return common::Answer::Yes;
    case QMessageBox::No: return common::Answer::No;
    case QMessageBox::Cancel: return common::Answer::Cancel;
    default: return common::Answer::OK;
    }
}

}  // namespace platform::ui
