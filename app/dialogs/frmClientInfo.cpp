#include "app/dialogs/frmClientInfo.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ResModule.h"
#include "platform/db/Database.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ClientInfo.h"

namespace dialogs {

namespace {
QString Res(int id) { return QString::fromStdString(ResModule::LoadResString(id)); }
}  // namespace

frmClientInfo::frmClientInfo(platform::db::Database& db, common::IPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_db(db), m_prompt(prompt) {
    setObjectName("frmClientInfo");

    lblClient = new QLabel(this);
    lblClient->setObjectName("lblClient");
    txtClient = new QLineEdit(this);
    txtClient->setObjectName("txtClient");
    lblClient->setBuddy(txtClient);
    lblApp = new QLabel(this);
    lblApp->setObjectName("lblApp");
    txtApp = new QLineEdit(this);
    txtApp->setObjectName("txtApp");
    lblApp->setBuddy(txtApp);
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName("cmdCancel");

    auto* fields = new QGridLayout;
    fields->addWidget(lblClient, 0, 0);
    fields->addWidget(txtClient, 0, 1);
    fields->addWidget(lblApp, 1, 0);
    fields->addWidget(txtApp, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(fields);
    all->addLayout(buttons);
    // Two names need no resizing: a fixed size also keeps the window
    // manager's resize strip and maximise button off the dialog.
    all->setSizeConstraint(QLayout::SetFixedSize);
    for (QLineEdit* box : {txtClient, txtApp}) box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 40);

    // Esc rejects the dialog, as Cancel does.
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    Form_Load();
}

void frmClientInfo::LoadCaptions() {
    setWindowTitle(Res(1003));
    lblClient->setText(Res(1004));
    lblApp->setText(Res(1005));
    cmdOK->setText(Res(1001));
    cmdCancel->setText(Res(1002));
}

void frmClientInfo::Form_Load() {
    LoadCaptions();
    UIUtility::PrepareForm(this);
    try {
        txtClient->setText(QString::fromStdString(mdlReports::GetClientName(m_db)));
        txtApp->setText(QString::fromStdString(mdlReports::GetApplicationName(m_db)));
    } catch (const std::exception& e) {
        ReportError(std::string("The client information could not be read:\n") + e.what());
    }
}

void frmClientInfo::ReportError(const std::string& what) {
    m_prompt.Message(what, ResModule::LoadResString(1006), common::Icon::Exclamation);
}

void frmClientInfo::cmdOK_Click() {
    // Looking is allowed in a workspace open for viewing only; the names
    // stay as typed.
    if (Globals::RefuseWhileViewOnly(m_prompt, "Storing the client information")) return;
    try {
        mdlReports::SaveClientInfo(m_db, txtClient->text().toStdString(), txtApp->text().toStdString());
    } catch (const std::exception& e) {
        ReportError(std::string("The client information could not be saved:\n") + e.what());
        return;
    }
    accept();
}

void frmClientInfo::cmdCancel_Click() { reject(); }

bool EnterClientInformation(QWidget* owner, platform::db::Database* db, common::IPrompt& prompt) {
    if (!db || !db->IsOpen() || !db->TableExists("Settings")) {
        prompt.Message(ResModule::LoadResString(503), ResModule::LoadResString(1006), common::Icon::Information);
        return false;
    }
    frmClientInfo dialog(*db, prompt, owner);
    dialog.exec();
    return true;
}

}  // namespace dialogs
