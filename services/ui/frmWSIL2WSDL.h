#pragma once
// The WSIL to WSDL assistant: the input parts of a WSIL document in a list,
// where each can be marked as a user input field with a default value; the
// WSIL text and the derived WSDL text beside it; both can be saved.

#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>

#include "common/Prompt.h"
#include "services/SaveLoop.h"
#include "services/WsilAssistant.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace services::ui {

class frmWSIL2WSDL : public QMainWindow {
    Q_OBJECT
public:
    explicit frmWSIL2WSDL(QWidget* parent = nullptr);
    ~frmWSIL2WSDL() override;

    // The WSIL text; the opener sets it before Form_Load.
    std::string sXMLI;

    // Parses sXMLI, derives the WSDL document, fills the list and shows both
    // texts. A text that does not parse is reported (reason, line and
    // position) and leaves the window empty: false.
    bool Form_Load();
    // Sets sXMLI and loads.
    bool Load(const std::string& wsilText);

    // The documents; null before a successful load.
    const services::WsilAssistant* Assistant() const { return m_assistant ? &*m_assistant : nullptr; }

    void SetSaveDialog(std::unique_ptr<services::ISaveDialog> dialog);
    void SetPrompt(std::unique_ptr<common::IPrompt> prompt);

    // The handlers, public so that tests drive them as the controls do.
    void lvVariables_ItemClick(QTreeWidgetItem* row);
    void cmdUpdate_Click();
    bool mnuSaveWSDL_Click();
    bool mnuSaveWSIL_Click();

    QLabel* lblVariables = nullptr;
    QTreeWidget* lvVariables = nullptr;
    QCheckBox* chkUserInput = nullptr;
    QLabel* lblValue = nullptr;
    QLineEdit* txtValue = nullptr;
    QPushButton* cmdUpdate = nullptr;   // its "tag" property holds the chosen WSILPartID
    QLabel* lblWSIL = nullptr;
    QPlainTextEdit* rtbWSIL = nullptr;
    QLabel* lblWSDL = nullptr;
    QPlainTextEdit* rtbWSDL = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuSaveWSIL = nullptr;
    QAction* mnuSaveWSDL = nullptr;
    QAction* mnuFileSep = nullptr;
    QAction* mnuFileExit = nullptr;

    // Columns of lvVariables.
    enum Column { MsgPartName = 0, UserField = 1, DefaultValue = 2, FieldType = 3 };

private:
    void FillVariables();
    void ShowDocuments();
    void EnableEditControls(bool enabled);
    bool SaveDocument(const std::string& kind, const platform::xml::Document& doc);

    std::optional<services::WsilAssistant> m_assistant;
    std::unique_ptr<services::ISaveDialog> m_dialog;
    std::unique_ptr<common::IPrompt> m_prompt;
};

}  // namespace services::ui
