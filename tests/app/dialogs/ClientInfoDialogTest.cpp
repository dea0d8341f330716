#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <sstream>

#include "app/dialogs/frmClientInfo.h"
#include "common/ResModule.h"
#include "platform/db/Database.h"
#include "reports/ClientInfo.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

using dialogs::frmClientInfo;
using platform::db::Database;

namespace {

std::unique_ptr<Database> WorkspaceDb() {
    auto db = Database::InMemory();
    std::ifstream in(testsupport::SourceDir() / "resources/sql/01_workspace.sql");
    std::stringstream sql;
    sql << in.rdbuf();
    db->ExecuteScript(sql.str());
    return db;
}

int64_t Rows(Database& db) { return db.Scalar("SELECT COUNT(*) FROM Settings").AsInt(); }

// Whether the window can take no other size than the one it has.
::testing::AssertionResult FixedAtItsSize(const QWidget& w) {
    if (w.minimumSize() == w.size() && w.maximumSize() == w.size()) return ::testing::AssertionSuccess();
    const auto text = [](QSize s) { return std::to_string(s.width()) + "x" + std::to_string(s.height()); };
    return ::testing::AssertionFailure() << "size " << text(w.size()) << ", from " << text(w.minimumSize()) << " to "
                                         << text(w.maximumSize());
}

class ClientInfoDialog : public ::testing::Test {
protected:
    void SetUp() override { ResModule::SetLanguage(ResModule::Language::English); }
    std::unique_ptr<Database> db = WorkspaceDb();
    testsupport::ScriptedPrompt prompt;
};

}  // namespace

TEST_F(ClientInfoDialog, CaptionsComeFromTheResourceStrings) {
    frmClientInfo dlg(*db, prompt);
    EXPECT_EQ(dlg.windowTitle(), "Client Information");
    EXPECT_EQ(dlg.findChild<QLabel*>("lblClient")->text(), "&Client");
    EXPECT_EQ(dlg.findChild<QLabel*>("lblApp")->text(), "&Application");
    EXPECT_EQ(dlg.findChild<QPushButton*>("cmdOK")->text(), "OK");
    EXPECT_EQ(dlg.findChild<QPushButton*>("cmdCancel")->text(), "Cancel");
    EXPECT_TRUE(dlg.cmdOK->isDefault());

    ResModule::SetLanguage(ResModule::Language::Japanese);
    dlg.LoadCaptions();
    EXPECT_EQ(dlg.windowTitle().toStdString(), ResModule::LoadResString(1003, ResModule::Language::Japanese));
}

// Two names need no resizing: the dialog keeps the one size its controls
// take, so a window manager puts no resize strip under its buttons, and a
// longer caption still shows whole.
TEST_F(ClientInfoDialog, KeepsTheSizeOfItsControlsWithNothingBelowTheButtons) {
    frmClientInfo dlg(*db, prompt);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_TRUE(FixedAtItsSize(dlg));
    EXPECT_EQ(dlg.height() - 1 - dlg.cmdOK->geometry().bottom(), dlg.layout()->contentsMargins().bottom());
    EXPECT_GE(dlg.txtClient->width(), dlg.txtClient->fontMetrics().averageCharWidth() * 40);
    const QList<QWidget*> controls = {dlg.lblClient, dlg.txtClient, dlg.lblApp, dlg.txtApp, dlg.cmdOK, dlg.cmdCancel};
    for (QWidget* child : dlg.findChildren<QWidget*>())
        EXPECT_TRUE(controls.contains(child)) << child->metaObject()->className();

    dlg.lblApp->setText("A much longer caption for the application's name");
    EXPECT_TRUE(testsupport::RunEventsUntil([&] { return dlg.lblApp->width() >= dlg.lblApp->sizeHint().width(); }));
    EXPECT_TRUE(FixedAtItsSize(dlg));
}

TEST_F(ClientInfoDialog, EmptyTableStartsEmptyAndOkStoresOneRowEvenWithEmptyNames) {
    frmClientInfo dlg(*db, prompt);
    EXPECT_TRUE(dlg.findChild<QLineEdit*>("txtClient")->text().isEmpty());
    EXPECT_TRUE(dlg.findChild<QLineEdit*>("txtApp")->text().isEmpty());
    dlg.cmdOK->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(Rows(*db), 1);
    EXPECT_EQ(mdlReports::GetClientName(*db), "");
}

TEST_F(ClientInfoDialog, ShowsAndSavesTheNames) {
    mdlReports::SaveClientInfo(*db, "Acme \"Old\"", "Lager");
    frmClientInfo dlg(*db, prompt);
    EXPECT_EQ(dlg.txtClient->text(), "Acme \"Old\"");
    EXPECT_EQ(dlg.txtApp->text(), "Lager");
    dlg.txtClient->setText("O'Neil & Søn");
    dlg.txtApp->setText("受注");
    dlg.cmdOK->click();
    EXPECT_EQ(mdlReports::GetClientName(*db), "O'Neil & Søn");
    EXPECT_EQ(mdlReports::GetApplicationName(*db), "受注");
    EXPECT_EQ(Rows(*db), 1);
}

TEST_F(ClientInfoDialog, CancelLeavesTheTableAsItWas) {
    mdlReports::SaveClientInfo(*db, "Keep", "This");
    frmClientInfo dlg(*db, prompt);
    dlg.txtClient->setText("Changed");
    dlg.cmdCancel->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(mdlReports::GetClientName(*db), "Keep");
    EXPECT_EQ(mdlReports::GetApplicationName(*db), "This");
}

TEST_F(ClientInfoDialog, FailedSaveIsShownAndKeepsDialogAndOldNames) {
    mdlReports::SaveClientInfo(*db, "Old", "Names");
    db->ExecuteScript("CREATE TRIGGER refuse BEFORE INSERT ON Settings BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    frmClientInfo dlg(*db, prompt);
    dlg.txtClient->setText("New");
    dlg.cmdOK->click();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("refused"), std::string::npos);
    EXPECT_EQ(dlg.txtClient->text(), "New");
    EXPECT_EQ(mdlReports::GetClientName(*db), "Old");
}

TEST_F(ClientInfoDialog, CommandWithoutSettingsTableShowsTheRefreshHint) {
    auto bare = Database::InMemory();
    EXPECT_FALSE(dialogs::EnterClientInformation(nullptr, bare.get(), prompt));
    EXPECT_FALSE(dialogs::EnterClientInformation(nullptr, nullptr, prompt));
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(prompt.asked[0], "You should refresh the project first!");
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer");
}

TEST_F(ClientInfoDialog, CommandOpensTheDialogModal) {
    mdlReports::SaveClientInfo(*db, "Before", "App");
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<frmClientInfo*>(QApplication::activeModalWidget());
        if (!dlg) return;
        sawDialog = true;
        dlg->txtClient->setText("After");
        dlg->cmdOK->click();
    });
    EXPECT_TRUE(dialogs::EnterClientInformation(nullptr, db.get(), prompt));
    EXPECT_TRUE(sawDialog);
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(mdlReports::GetClientName(*db), "After");
}
