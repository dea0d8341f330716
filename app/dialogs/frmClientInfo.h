#pragma once
// The Client information dialog: the client and application names that the
// reports print, read from and saved to the workspace database's Settings
// table.

#include <QDialog>

#include "common/Prompt.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace platform::db { class Database; }

namespace dialogs {

class frmClientInfo : public QDialog {
    Q_OBJECT
public:
    // Reports database errors through prompt, titled with the application title.
    frmClientInfo(platform::db::Database& db, common::IPrompt& prompt, QWidget* parent = nullptr);

    // Captions from resource strings 1003 (dialog), 1004, 1005, 1001, 1002.
    void LoadCaptions();
    // Saves both names and closes; when saving fails, or is refused in a
    // workspace open for viewing only, the message is shown and the dialog
    // stays open with the names as typed.
    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel* lblClient = nullptr;
    QLineEdit* txtClient = nullptr;
    QLabel* lblApp = nullptr;
    QLineEdit* txtApp = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void Form_Load();
    void ReportError(const std::string& what);

    platform::db::Database& m_db;
    common::IPrompt& m_prompt;
};

// Tools > Enter Client Information: without a workspace database holding a
// Settings table, resource message 503 (information icon, application
// title) and false; otherwise the dialog, modal, and true.
bool EnterClientInformation(QWidget* owner, platform::db::Database* db, common::IPrompt& prompt);

}  // namespace dialogs
