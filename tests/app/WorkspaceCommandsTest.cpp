// File > Open Workspace, Refresh Workspace and Close on the real main window
// with the OrderEntry sample: what the analyst sees after each (caption,
// Summary tree, web trees, Log pane, available commands) and what stays
// when a load goes wrong.

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <fstream>

#include "platform/ui/TSplitter.h"
#include "platform/workbench/WorkbenchSession.h"
#include "tests/app/WorkspaceSampleFixture.h"

namespace {

namespace fs = std::filesystem;
using apptest::WorkspaceSampleTest;
using common::Answer;

const char* const kIncomplete = " * Repository was not loaded completely!!!";

class WorkspaceCommandsTest : public WorkspaceSampleTest {
protected:
    bool Enabled(const char* command) { return main->Command(command)->isEnabled(); }
    bool ToolsEnabled() { return main->mnuTools->menuAction()->isEnabled(); }
    bool LogPaneVisible() { return main->splMain->Panes("Log")->Visible(); }
    // The Summary node of the entity with this name, as a row of the tree.
    QString Describe(QTreeWidgetItem* item) {
        return item->text(0) + " | " + item->data(0, app::kNodeKeyRole).toString() + " | " +
               item->data(0, app::kNodeTagRole).toString() + " | " + item->data(0, app::kNodeImageRole).toString();
    }
    // A window of the workspace besides the main window.
    QPointer<QWidget> OpenWindow(const char* tag) {
        auto* w = new QWidget(main.get(), Qt::Window);
        w->setProperty("Tag", tag);
        w->show();
        return w;
    }
};

TEST_F(WorkspaceCommandsTest, OpenBuildsTheDatabaseAndShowsTheClassifiedApplication) {
    apptest::ShowAt(*main);
    EXPECT_TRUE(Enabled("mnuFileOpenWorkspace"));
    EXPECT_FALSE(Enabled("mnuFileRefreshWorkspace"));
    EXPECT_FALSE(ToolsEnabled());

    Open(sample);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(prompt.asked.empty()) << prompt.asked.front();
    EXPECT_EQ(main->windowTitle(), "Quarvel Analyzer - OrderEntry");
    EXPECT_TRUE(fs::exists(dir / "OrderEntry" / "QuarvelAnalyzer.mdb"));

    EXPECT_EQ(Texts(nullptr),
              (QStringList{"12 Screens*", "16 Client Branch*", "15 Server Branch*", "23 Data Stores"}));
    EXPECT_EQ(Texts(Summary("Client Branch")),
              (QStringList{"5 Batch*", "1 Client Facing", "1 Client Facing Called", "5 Client Facing Data",
                           "2 Client Facing Called Data", "1 Transitional", "1 Transitional Called"}));
    EXPECT_EQ(Texts(Summary("Server Branch")),
              (QStringList{"2 Frontier Data Access", "1 Frontier Data Logic", "3 Frontier Logic Only*",
                           "2 Frontier Irregular", "3 Server Data Access", "1 Server Data Logic",
                           "2 Server Logic Only*", "1 Server Irregular"}));
    EXPECT_EQ(Summary("Client Branch")->data(0, app::kNodeImageRole).toString(), "Client Branch");
    // Entity nodes: BusName, entity id, full type (or STUBMAP) and the
    // group's picture (a stub's is "Missing").
    const QString ordmenu = Describe(Entity("ORDMENU"));
    EXPECT_TRUE(ordmenu.startsWith("ORDMENU | PROGRAM#")) << ordmenu.toStdString();
    EXPECT_TRUE(ordmenu.endsWith(" | PROGRAM | Client Facing")) << ordmenu.toStdString();
    EXPECT_EQ(Entity("ORDMENU")->parent(), Summary("Client Facing"));
    QTreeWidgetItem* oldMenu = Summary("Screens")->child(Summary("Screens")->childCount() - 1);
    EXPECT_EQ(oldMenu->text(0), "OLDMNU");
    EXPECT_EQ(oldMenu->data(0, app::kNodeTagRole).toString(), "STUBMAP");
    EXPECT_EQ(oldMenu->data(0, app::kNodeImageRole).toString(), "Missing");
    EXPECT_FALSE(oldMenu->icon(0).isNull());
    EXPECT_EQ(main->trWebOperations->topLevelItemCount(), 0);
    EXPECT_EQ(main->trWebServices->topLevelItemCount(), 0);

    // The workspace commands are there, the window is no longer busy and
    // a completed build leaves an empty, hidden Log pane.
    EXPECT_FALSE(main->IsBusy());
    EXPECT_TRUE(Enabled("mnuFileRefreshWorkspace"));
    EXPECT_TRUE(Enabled("mnuToolsEnterClientInformation"));
    EXPECT_TRUE(ToolsEnabled());
    EXPECT_TRUE(main->trSummary->isEnabled());
    EXPECT_TRUE(main->tbLog->toPlainText().isEmpty());
    EXPECT_FALSE(LogPaneVisible());
    EXPECT_EQ(Globals::g_Database->Scalar("SELECT StatusVal FROM Status WHERE StatusType = 'ErrorMessage'").AsText(),
              "none");

    // The second open reopens the database as it is: no new rows, the same tree.
    const QStringList tree = app::DescribeTree(*main->trSummary);
    const int64_t ents = Count("SELECT COUNT(*) FROM Ents");
    const int64_t rels = Count("SELECT COUNT(*) FROM Rels");
    Open(sample);
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), ents);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Rels"), rels);
    EXPECT_EQ(app::DescribeTree(*main->trSummary), tree);
    EXPECT_EQ(main->windowTitle(), "Quarvel Analyzer - OrderEntry");
    EXPECT_TRUE(Enabled("mnuFileRefreshWorkspace"));
}

// While a second workspace builds, nothing of the first is on screen: its
// trees, Log text and caption are gone once the new session is open.
TEST_F(WorkspaceCommandsTest, ASecondWorkspaceBuildsInAnEmptiedWindowUnderItsCaption) {
    apptest::ShowAt(*main);
    Open(sample);
    Globals::g_Database->Execute(
        "INSERT INTO ucUseCases (Name, ForeignID, Nature) SELECT BusName, SerialID, 1 FROM Ents WHERE Name = ?1",
        {"ORDENTR"});
    app::ReloadWebTrees(*main);
    main->tbLog->setPlainText(kIncomplete);
    ASSERT_GT(main->trSummary->topLevelItemCount(), 0);
    ASSERT_EQ(main->trWebOperations->topLevelItemCount(), 1);

    testsupport::TempDir other;
    CopySample(other.Path(), "Second");
    const fs::path secondFolder = other / "Second";
    // Looked at the first time the build lets the window handle events.
    struct Seen {
        bool looked = false;
        int summary = -1, operations = -1;
        QString log, caption;
        bool busy = false;
    } seen;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (seen.looked || Globals::g_WorkspaceFolder != secondFolder) return;
        seen = {true, main->trSummary->topLevelItemCount(), main->trWebOperations->topLevelItemCount(),
                main->tbLog->toPlainText(), main->windowTitle(), main->IsBusy()};
    });
    watch.start();
    Open(other / "Second.hxp");
    watch.stop();

    ASSERT_TRUE(seen.looked);
    EXPECT_TRUE(seen.busy);
    EXPECT_EQ(seen.summary, 0);
    EXPECT_EQ(seen.operations, 0);
    EXPECT_EQ(seen.log, "");
    EXPECT_EQ(seen.caption, "Quarvel Analyzer - Second");
    // And then the second workspace, whole.
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(main->trSummary->topLevelItemCount(), 4);
    EXPECT_EQ(main->trWebOperations->topLevelItemCount(), 0);
    EXPECT_EQ(main->windowTitle(), "Quarvel Analyzer - Second");
}

TEST_F(WorkspaceCommandsTest, ReopenShowsTheWebTreesTheDatabaseHolds) {
    Open(sample);
    Globals::g_Database->Execute(
        "INSERT INTO ucUseCases (Name, ForeignID, Nature) SELECT BusName, SerialID, 1 FROM Ents WHERE Name = ?1",
        {"ORDENTR"});
    Globals::g_Database->Execute("INSERT INTO wsWebServices (Name) VALUES ('Orders')");
    Globals::g_Database->Execute("INSERT INTO wsWS_UC (WSID, UCID) SELECT 1, MAX(UCID) FROM ucUseCases");

    Open(sample);
    ASSERT_EQ(main->trWebOperations->topLevelItemCount(), 1);
    QTreeWidgetItem* operation = main->trWebOperations->topLevelItem(0);
    EXPECT_EQ(operation->text(0), "ORDENTR");
    EXPECT_EQ(app::NodeKey(operation), "Key1");
    EXPECT_EQ(app::NodeTag(operation),
              Globals::g_Database->Scalar("SELECT SerialID FROM Ents WHERE Name = 'ORDENTR'").AsText());
    EXPECT_FALSE(operation->icon(0).isNull());
    ASSERT_EQ(main->trWebServices->topLevelItemCount(), 1);
    QTreeWidgetItem* service = main->trWebServices->topLevelItem(0);
    EXPECT_EQ(app::DescribeTree(*main->trWebServices),
              (QStringList{"Orders | Key1 | 1 | AWebService | expanded", "  ORDENTR | 1n1 | 1n1 | ACloseProcess"}));
    EXPECT_TRUE(service->isExpanded());

    // A change is followed by a reload of both trees.
    Globals::g_Database->Execute("DELETE FROM wsWS_UC");
    app::ReloadWebTrees(*main);
    EXPECT_EQ(main->trWebServices->topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(main->trWebOperations->topLevelItemCount(), 1);
}

TEST_F(WorkspaceCommandsTest, RefreshAnsweredNoChangesNothingAndYesRebuilds) {
    Open(sample);
    Globals::g_Database->Execute("UPDATE Ents SET Description = 'kept' WHERE Name = 'ORDENTR'");
    Globals::g_Database->Execute(
        "INSERT INTO ucUseCases (Name, ForeignID, Nature) SELECT BusName, SerialID, 1 FROM Ents WHERE Name = ?1",
        {"ORDENTR"});
    app::ReloadWebTrees(*main);
    ASSERT_EQ(main->trWebOperations->topLevelItemCount(), 1);
    const auto* db = Globals::g_Database.get();
    const QStringList tree = app::DescribeTree(*main->trSummary);
    QPointer<QWidget> editor = OpenWindow("PROGRAM#1-Description");

    prompt.answers = {Answer::No};
    main->mnuFileRefreshWorkspace->trigger();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0],
              "Are you sure you want to refresh your session from repository?\n"
              "This operation will erase all changes you've made to this workspace\n"
              "and will close all currently opened Quarvel Analyzer windows.");
    EXPECT_EQ(prompt.titles[0], "Refresh Workspace");
    EXPECT_EQ(Globals::g_Database.get(), db);
    EXPECT_EQ(main->trWebOperations->topLevelItemCount(), 1);
    EXPECT_TRUE(editor && editor->isVisible());

    prompt.answers = {Answer::Yes};
    main->mnuFileRefreshWorkspace->trigger();
    EXPECT_EQ(prompt.asked.size(), 2u);
    EXPECT_FALSE(editor && editor->isVisible());
    EXPECT_EQ(Globals::g_Database->Scalar("SELECT Description FROM Ents WHERE Name = 'ORDENTR'").AsText(), "");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases"), 0);
    EXPECT_EQ(main->trWebOperations->topLevelItemCount(), 0);
    EXPECT_EQ(app::DescribeTree(*main->trSummary), tree);
    EXPECT_FALSE(main->IsBusy());
    EXPECT_TRUE(Enabled("mnuFileRefreshWorkspace"));
    EXPECT_TRUE(ToolsEnabled());
}

TEST_F(WorkspaceCommandsTest, CancelledImportIsShownInTheLogAndAgainAfterReopen) {
    apptest::ShowAt(*main);
    // The Cancel button is pressed (and confirmed) as soon as the import
    // lets the window handle events.
    QTimer::singleShot(0, main.get(), [this] { main->cmdCancel->click(); });
    Open(sample);
    ASSERT_FALSE(prompt.asked.empty());
    EXPECT_EQ(prompt.asked.size(), 1u);   // the confirmation of Cancel, nothing else
    EXPECT_EQ(main->tbLog->toPlainText().toStdString(), kIncomplete);
    EXPECT_TRUE(LogPaneVisible());
    EXPECT_TRUE(main->tbLog->isVisible());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM'"), 0);
    EXPECT_TRUE(Enabled("mnuFileRefreshWorkspace"));
    EXPECT_FALSE(main->IsBusy());

    main->tbLog->clear();
    Open(sample);
    EXPECT_EQ(main->tbLog->toPlainText().toStdString(), kIncomplete);
    EXPECT_TRUE(LogPaneVisible());

    // A refresh that completes clears the warning and hides the pane.
    prompt.answers = {Answer::Yes};
    main->mnuFileRefreshWorkspace->trigger();
    EXPECT_TRUE(main->tbLog->toPlainText().isEmpty());
    EXPECT_FALSE(LogPaneVisible());
    EXPECT_GT(Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM'"), 0);
}

TEST_F(WorkspaceCommandsTest, UnreadableWorkspaceGives511AndKeepsWhatTheWindowShows) {
    Open(sample);
    const QStringList tree = app::DescribeTree(*main->trSummary);
    const auto* db = Globals::g_Database.get();
    std::ofstream(dir / "Broken.hxp") << "this is not a workspace";
    std::ofstream(dir / "OrderEntry.txt") << "";

    for (const fs::path& bad : {dir / "Broken.hxp", dir / "OrderEntry.txt"}) {
        prompt.asked.clear();
        Open(bad);
        ASSERT_EQ(prompt.asked.size(), 1u) << bad;
        EXPECT_EQ(prompt.asked[0], "Cannot open workspace.");
        EXPECT_EQ(main->windowTitle(), "Quarvel Analyzer - OrderEntry");
        EXPECT_EQ(app::DescribeTree(*main->trSummary), tree);
        EXPECT_EQ(Globals::g_Database.get(), db);
        EXPECT_TRUE(Enabled("mnuFileRefreshWorkspace"));
        EXPECT_TRUE(ToolsEnabled());
        EXPECT_FALSE(main->IsBusy());
    }
}

TEST_F(WorkspaceCommandsTest, DatabaseFailureReEnablesTheWindowWithNothingOpen) {
    Open(sample);
    ASSERT_TRUE(Enabled("mnuFileRefreshWorkspace"));
    testsupport::TempDir other;
    CopySample(other.Path(), "OrderEntry");
    std::ofstream(other / "OrderEntry" / "QuarvelAnalyzer.mdb") << "garbage, not a database file at all.....";

    Open(other / "OrderEntry.hxp");
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_FALSE(prompt.asked[0].empty());
    EXPECT_FALSE(Globals::g_Database);
    EXPECT_FALSE(Globals::g_WorkspaceOpen);
    // The window is usable again: not busy, trees enabled, Open available;
    // nothing that needs a workspace is.
    EXPECT_FALSE(main->IsBusy());
    EXPECT_TRUE(main->trSummary->isEnabled());
    EXPECT_TRUE(Enabled("mnuFileOpenWorkspace"));
    EXPECT_TRUE(Enabled("mnuFileClose"));
    EXPECT_FALSE(Enabled("mnuFileRefreshWorkspace"));
    EXPECT_FALSE(Enabled("mnuToolsEnterClientInformation"));
    EXPECT_FALSE(ToolsEnabled());
    EXPECT_EQ(main->trSummary->topLevelItemCount(), 0);
    EXPECT_EQ(main->windowTitle(), "Quarvel Analyzer");

    // The first workspace opens again afterwards.
    Open(sample);
    EXPECT_EQ(main->trSummary->topLevelItemCount(), 4);
    EXPECT_TRUE(Enabled("mnuFileRefreshWorkspace"));
}

TEST_F(WorkspaceCommandsTest, OpenAsksBeforeClosingOtherWindowsAndACancelledDialogChangesNothing) {
    Open(sample);
    const QStringList tree = app::DescribeTree(*main->trSummary);

    // Only the screen-flow window: no question, but it goes.
    QPointer<QWidget> flow = OpenWindow("screenflow");
    chosen.reset();   // the dialog is cancelled
    main->mnuFileOpenWorkspace->trigger();
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_FALSE(flow && flow->isVisible());
    EXPECT_EQ(app::DescribeTree(*main->trSummary), tree);
    EXPECT_TRUE(Enabled("mnuFileRefreshWorkspace"));

    // Another window: the question; No keeps everything and shows no dialog.
    QPointer<QWidget> editor = OpenWindow("PROGRAM#3-Description");
    const int shown = dialogs;
    prompt.answers = {Answer::No};
    Open(sample);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0],
              "You have other forms open for this workspace.\n"
              "Do you want to close them all and open another workspace?");
    EXPECT_EQ(prompt.titles[0], "Open Workspace");
    EXPECT_EQ(dialogs, shown);
    EXPECT_TRUE(editor && editor->isVisible());

    // Yes closes them and opens.
    prompt.answers = {Answer::Yes};
    Open(sample);
    EXPECT_EQ(dialogs, shown + 1);
    EXPECT_FALSE(editor && editor->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
}

TEST_F(WorkspaceCommandsTest, CloseReleasesTheWorkspaceAndEmptiesTheWindow) {
    Open(sample);
    QPointer<QWidget> flow = OpenWindow("ScreenFlow");
    main->mnuFileClose->trigger();
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(Globals::g_Database);
    EXPECT_FALSE(Globals::g_Workbench);
    EXPECT_FALSE(Globals::g_WorkspaceOpen);
    EXPECT_TRUE(Globals::g_WorkspaceFolder.empty());
    EXPECT_EQ(main->trSummary->topLevelItemCount(), 0);
    EXPECT_FALSE(Enabled("mnuFileRefreshWorkspace"));
    EXPECT_FALSE(flow && flow->isVisible());
    // Nothing holds the database file any more.
    EXPECT_TRUE(fs::remove(dir / "OrderEntry" / "QuarvelAnalyzer.mdb"));
}

TEST_F(WorkspaceCommandsTest, SessionSetUpErrorIsShownAndEndsTheProgram) {
    Open(sample);
    // A file where the user's option folder must be: the options cannot be made.
    const fs::path config = fs::path(Globals::g_Workbench->GetFolder(platform::workbench::kFolderUserConfig));
    fs::create_directories(config);
    const fs::path options = config / "Options";
    const fs::path saved = config / "Options.saved";
    const bool hadFolder = fs::exists(options);
    if (hadFolder) fs::rename(options, saved);
    std::ofstream(options) << "in the way";

    Open(sample);
    fs::remove(options);
    if (hadFolder) fs::rename(saved, options);

    ASSERT_EQ(prompt.titles.size(), 1u);
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer - Workbench");
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(main->IsBusy());
    EXPECT_FALSE(Globals::g_Database);
    EXPECT_EQ(main->trSummary->topLevelItemCount(), 0);
}

}  // namespace
