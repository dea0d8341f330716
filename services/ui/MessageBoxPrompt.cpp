#include "services/ui/MessageBoxPrompt.h"

#include <QMessageBox>

namespace services::ui {

common::Answer MessageBoxPrompt::Ask(const std::string& text, const std::string& title,
                                     common::Buttons buttons, common::Icon icon) {
    QMessageBox box(m_owner);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    switch (icon) {
    case common::Icon::Information: box.setIcon(QMessageBox::Information); break;
    case common::Icon::Question: box.setIcon(QMessageBox::Question); break;
    case common::Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case common::Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case common::Icon::None: break;
    }
    switch (buttons) {
    case common::Buttons::OK:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case common::Buttons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case common::Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case common::Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return common::Answer::OK;
    case QMessageBox::Yes: return common::Answer::Yes;
    case QMessageBox::No: return common::Answer::No;
    default: return common::Answer::Cancel;
    }
}

}  // namespace services::ui
