#pragma once
// The real save dialog of the save loop (services/SaveLoop.h): Qt's file
// dialog, which leaves the overwrite question to the loop.

#include "services/SaveLoop.h"

class QWidget;

namespace services::ui {

class QtSaveDialog : public services::ISaveDialog {
public:
    explicit QtSaveDialog(QWidget* owner) : m_owner(owner) {}
    services::SaveDialogResult ShowSave(const services::SaveDialogSpec& spec) override;

    // "WSDL (*.xml)|*.xml|All Files (*.*)|*.*" -> "WSDL (*.xml);;All Files (*.*)".
    static std::string QtFilter(const std::string& filter);

private:
    QWidget* m_owner;
};

}  // namespace services::ui
