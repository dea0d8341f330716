// The description editor on its own: what OK, Cancel, Esc and Enter do to
// the stored text, a store that fails, the window's minimum size and the
// lookup of an open editor by entity.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "common/Globals.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/NodeCommands.h"
#include "tests/support/TestSupport.h"
#include "views/Description.h"
#include "views/ui/frmDesc.h"

namespace {

using views::ui::frmDesc;

class DescriptionEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        Globals::g_Database = platform::db::Database::InMemory();
        db().ExecuteScript(
            "CREATE TABLE Ents (SerialID INTEGER PRIMARY KEY, ID TEXT COLLATE NOCASE, BusName TEXT, "
            "Description TEXT);"
            "INSERT INTO Ents (ID, BusName, Description) VALUES ('PROGRAM#1', 'Order Entry', 'old');"
            "INSERT INTO Ents (ID, BusName, Description) VALUES ('MAP#2', 'Menu', NULL);");
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmDesc*>(w)) delete w;
        Globals::g_Database.reset();
    }
    platform::db::Database& db() { return *Globals::g_Database; }
    std::string Stored(const char* id) {
        return db().Scalar("SELECT Description FROM Ents WHERE ID = ?1", {id}).AsText();
    }
    bool IsNull(const char* id) { return db().Scalar("SELECT Description FROM Ents WHERE ID = ?1", {id}).IsNull(); }
    QPointer<frmDesc> Open(const char* id, const char* busName, const char* text) {
        return views::ui::OpenDescription(&owner, prompt, views::DescriptionTarget{id, busName, text});
    }
    static void Settle() { QApplication::processEvents(); }

    QWidget owner;
    testsupport::ScriptedPrompt prompt;
};

TEST_F(DescriptionEditorTest, OpensWithTheEntitysTextTagAndCaption) {
    QPointer<frmDesc> editor = Open("PROGRAM#1", "Order Entry", "old");
    EXPECT_EQ(editor->windowTitle(), "Order Entry - Description");
    EXPECT_EQ(editor->Tag(), "PROGRAM#1-Description");
    EXPECT_EQ(editor->EntityId(), "PROGRAM#1");
    EXPECT_EQ(editor->txtDescription->toPlainText(), "old");
    EXPECT_EQ(editor->parentWidget(), &owner);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(editor->isModal());

    // Found again by its entity, letter case ignored; another entity is not.
    EXPECT_EQ(views::ui::FindDescriptionWindow("program#1"), editor.data());
    EXPECT_EQ(views::ui::FindDescriptionWindow("MAP#2"), nullptr);
}

TEST_F(DescriptionEditorTest, OkStoresQuotesAndEmptyTextsAndCloses) {
    QPointer<frmDesc> editor = Open("PROGRAM#1", "Order Entry", "old");
    editor->txtDescription->setPlainText("Customer's \"order\"\nsecond line");
    editor->cmdOK->click();
    EXPECT_EQ(Stored("PROGRAM#1"), "Customer's \"order\"\nsecond line");
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(views::ui::FindDescriptionWindow("PROGRAM#1"), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());

    editor = Open("MAP#2", "Menu", "");
    EXPECT_TRUE(editor->txtDescription->toPlainText().isEmpty());
    editor->cmdOK->click();
    EXPECT_FALSE(IsNull("MAP#2"));
    EXPECT_EQ(Stored("MAP#2"), "");
}

TEST_F(DescriptionEditorTest, CancelEscAndTheWindowsCloseStoreNothing) {
    QPointer<frmDesc> editor = Open("PROGRAM#1", "Order Entry", "old");
    editor->txtDescription->setPlainText("changed");
    editor->cmdCancel->click();
    EXPECT_EQ(Stored("PROGRAM#1"), "old");
    EXPECT_FALSE(views::ui::FindDescriptionWindow("PROGRAM#1"));

    editor = Open("PROGRAM#1", "Order Entry", "old");
    editor->txtDescription->setPlainText("changed");
    QTest::keyClick(editor->txtDescription, Qt::Key_Escape);
    EXPECT_EQ(Stored("PROGRAM#1"), "old");
    EXPECT_FALSE(views::ui::FindDescriptionWindow("PROGRAM#1"));

    editor = Open("PROGRAM#1", "Order Entry", "old");
    editor->txtDescription->setPlainText("changed");
    editor->close();
    EXPECT_EQ(Stored("PROGRAM#1"), "old");
    EXPECT_FALSE(views::ui::FindDescriptionWindow("PROGRAM#1"));
}

TEST_F(DescriptionEditorTest, EnterInTheTextIsALineBreakAndOnOkItSaves) {
    QPointer<frmDesc> editor = Open("PROGRAM#1", "Order Entry", "");
    editor->activateWindow();
    editor->txtDescription->setFocus();
    Settle();
    QTest::keyClicks(editor->txtDescription, "one");
    QTest::keyClick(editor->txtDescription, Qt::Key_Return);
    QTest::keyClicks(editor->txtDescription, "two");
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->txtDescription->toPlainText(), "one\ntwo");
    EXPECT_EQ(Stored("PROGRAM#1"), "old");

    // Ctrl+A selects the whole text.
    QTest::keyClick(editor->txtDescription, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(editor->txtDescription->textCursor().selectedText().size(), 7);

    editor->cmdOK->setFocus();
    Settle();
    QTest::keyClick(editor->cmdOK, Qt::Key_Return);
    EXPECT_EQ(Stored("PROGRAM#1"), "one\ntwo");
}

TEST_F(DescriptionEditorTest, AFailedStoreIsReportedAndTheEditorKeepsTheText) {
    db().ExecuteScript(
        "CREATE TRIGGER NoWrites BEFORE UPDATE ON Ents BEGIN SELECT RAISE(ABORT, 'disk is full'); END;");
    QPointer<frmDesc> editor = Open("PROGRAM#1", "Order Entry", "old");
    editor->txtDescription->setPlainText("new text");
    editor->cmdOK->click();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("disk is full"), std::string::npos);
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer");
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->txtDescription->toPlainText(), "new text");
    EXPECT_EQ(Stored("PROGRAM#1"), "old");

    // An entity that left the database is no silent success either.
    db().ExecuteScript("DROP TRIGGER NoWrites; DELETE FROM Ents WHERE ID = 'PROGRAM#1';");
    editor->cmdOK->click();
    ASSERT_EQ(prompt.asked.size(), 2u);
    // Named as the analyst knows it, not by its key.
    EXPECT_EQ(prompt.asked[1], "The description could not be stored.\nOrder Entry is no longer in the workspace database.");
    EXPECT_TRUE(editor->isVisible());

    // Without a workspace nothing can be stored.
    Globals::g_Database.reset();
    editor->cmdOK->click();
    EXPECT_EQ(prompt.asked.size(), 3u);
    EXPECT_TRUE(editor->isVisible());
}

TEST_F(DescriptionEditorTest, KeepsItsMinimumSizeAndItsLastStateForTheWayBack) {
    QPointer<frmDesc> editor = Open("PROGRAM#1", "Order Entry", "");
    editor->resize(50, 40);
    EXPECT_GE(editor->width(), views::ui::kDescMinimumSize);
    EXPECT_GE(editor->height(), views::ui::kDescMinimumSize);

    editor->setWindowState(Qt::WindowMaximized);
    editor->setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(editor->CurrentWindowState, Qt::WindowMaximized);
    editor->hide();
    views::ui::ReactivateDescription(*editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(editor->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(editor->windowState() & Qt::WindowMaximized);
}

// Editors of two entities open centred on their owner but never exactly over
// each other; all of each stays on the screen.
TEST_F(DescriptionEditorTest, ASecondEditorOpensCascadedFromTheFirst) {
    const QRect screen = owner.screen()->availableGeometry();
    owner.setGeometry(screen.left() + 60, screen.top() + 60, 600, 450);
    owner.show();
    QPointer<frmDesc> first = Open("PROGRAM#1", "Order Entry", "");
    QPointer<frmDesc> second = Open("MAP#2", "Menu", "");
    EXPECT_LE((first->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);
    const QPoint offset = second->frameGeometry().topLeft() - first->frameGeometry().topLeft();
    EXPECT_GT(offset.x(), 0);
    EXPECT_GT(offset.y(), 0);
    EXPECT_TRUE(screen.contains(first->frameGeometry()));
    EXPECT_TRUE(screen.contains(second->frameGeometry()));
}

}  // namespace
