#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidget>

#include <fstream>
#include <sstream>

#include "app/NodeMenuCommands.h"
#include "app/WebServiceCommands.h"
#include "app/WebTreeEvents.h"
#include "app/WorkspaceTrees.h"
#include "common/Globals.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/SaveLoop.h"
#include "services/WebServices.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/WebTreeFixture.h"

namespace {

using services::JoinTag;
using webtreetest::Count;

struct IconPrompt : testsupport::ScriptedPrompt {
    std::vector<common::Icon> icons;
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                       common::Icon icon) override {
        icons.push_back(icon);
        return ScriptedPrompt::Ask(text, title, buttons, icon);
    }
};

struct FixedSaveDialog : services::ISaveDialog {
    std::filesystem::path file;
    std::vector<std::string> names;
    services::SaveDialogResult ShowSave(const services::SaveDialogSpec& spec) override {
        names.push_back(spec.fileName);
        return {services::SaveDialogOutcome::Chosen, file};
    }
};

class WebTreeEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        apptest::ForgetLayout();
        Globals::g_Database = webtreetest::NewWorkspaceDatabase();
        Globals::g_WorkspaceOpen = true;
        auto& db = *Globals::g_Database;
        ordSerial = webtreetest::AddProgram(db, "PROGRAM#1", "ORDPROG", "Order 'Entry'");
        shipSerial = webtreetest::AddProgram(db, "PROGRAM#2", "SHIPPROG", "Versand Überblick");
        payInd = webtreetest::AddProgram(db, "PROGRAM#3", "PAYPROG", "Payment");
        db.Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('Order ''Entry''', ?1, 1)", {ordSerial});
        ordUc = db.LastInsertId();
        db.Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('Versand Überblick', ?1, 1)", {shipSerial});
        shipUc = db.LastInsertId();
        wsid = Globals::AddWebService("Sales", db);
        Globals::AddUseCaseToWebService(wsid, "Key" + std::to_string(ordUc), db);
        Globals::AddUseCaseToWebService(wsid, "Key" + std::to_string(shipUc), db);

        w = apptest::NewMainWindow();
        w->SetPrompt(&prompt);
        app::InstallNodeMenuCommands(*w);
        app::InstallWebTrees(*w);
        app::SetWebInputBox(*w, [this](const std::string& p, const std::string& t, const std::string&) {
            inputPrompts.push_back(p + "|" + t);
            auto a = answers.empty() ? std::optional<std::string>() : answers.front();
            if (!answers.empty()) answers.pop_front();
            return a;
        });
        app::ReloadWebTrees(*w);
        apptest::ShowAt(*w);
        events = app::WebTreeEventsOf(*w);
        ASSERT_NE(events, nullptr);
    }
    void TearDown() override {
        w->NodeMenu()->hide();
        w.reset();
        Globals::g_Database.reset();
        Globals::g_WorkspaceOpen = false;
    }

    QTreeWidget* Ops() { return w->trWebOperations; }
    QTreeWidget* Svc() { return w->trWebServices; }
    QTreeWidgetItem* Node(QTreeWidget* tree, const std::string& key) { return app::FindNode(*tree, key, false); }
    std::string Member(int64_t uc) { return wsid + "n" + std::to_string(uc); }

    // A point on the node, or below the last node for empty space.
    QPoint At(QTreeWidget* tree, QTreeWidgetItem* item) {
        if (item) return tree->visualItemRect(item).center();
        return QPoint(10, tree->viewport()->height() - 5);
    }
    void Click(QTreeWidget* tree, QTreeWidgetItem* item, Qt::MouseButton button) {
        const QPoint p = At(tree, item);
        const QPoint g = tree->viewport()->mapToGlobal(p);
        QMouseEvent press(QEvent::MouseButtonPress, p, g, button, button, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, p, g, button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &release);
    }
    void KeyUp(QTreeWidget* tree, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent up(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(tree, &up);
    }
    void Select(QTreeWidget* tree, QTreeWidgetItem* item) {
        tree->clearSelection();
        if (!item) return;
        tree->setCurrentItem(item);
        item->setSelected(true);
    }
    QStringList ShownItems() {
        QStringList out;
        for (QAction* a : w->NodeMenu()->actions())
            if (a->isVisible() && !a->isSeparator()) out << a->text();
        return out;
    }
    std::string TagOf(QAction* a) { return a->property("Tag").toString().toStdString(); }
    int64_t Memberships() { return Count(*Globals::g_Database, "SELECT COUNT(*) FROM wsWS_UC"); }

    // Drags text over the services tree and drops it on item (none: empty space).
    bool DropText(const QString& text, QTreeWidgetItem* item) {
        QMimeData data;
        data.setText(text);
        const QPoint p = At(Svc(), item);
        QDragEnterEvent enter(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Svc()->viewport(), &enter);
        QDragMoveEvent move(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Svc()->viewport(), &move);
        selectedWhileOver = app::NodeKey(Svc()->currentItem());
        if (!item) selectedWhileOver = Svc()->selectedItems().isEmpty() ? "" : "?";
        QDropEvent drop(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Svc()->viewport(), &drop);
        return drop.isAccepted();
    }

    std::unique_ptr<frmMain> w;
    app::WebTreeEvents* events = nullptr;
    IconPrompt prompt;
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> inputPrompts;
    std::string selectedWhileOver;
    int64_t ordSerial = 0, shipSerial = 0, payInd = 0, ordUc = 0, shipUc = 0;
    std::string wsid;
};

TEST_F(WebTreeEventsTest, RightClicksPrepareAndShowTheNodeMenus) {
    Click(Ops(), Node(Ops(), "Key" + std::to_string(ordUc)), Qt::RightButton);
    EXPECT_TRUE(w->NodeMenu()->isVisible());
    EXPECT_TRUE(ShownItems().contains("D&elete Node"));
    EXPECT_TRUE(ShownItems().contains("&Description"));
    EXPECT_EQ(TagOf(w->mnuNCDeleteNode), JoinTag("UC1", std::to_string(ordSerial)));
    EXPECT_EQ(TagOf(w->mnuNCDescription), JoinTag("Order 'Entry'", "PROGRAM#1"));
    w->NodeMenu()->hide();

    // A left click prepares without showing.
    Click(Svc(), Node(Svc(), "Key" + wsid), Qt::LeftButton);
    EXPECT_FALSE(w->NodeMenu()->isVisible());
    EXPECT_EQ(TagOf(w->mnuNCDeleteNode), JoinTag("WS", wsid));
    EXPECT_EQ(TagOf(w->mnuNCSaveWebService), JoinTag("Sales", wsid));

    Click(Svc(), Node(Svc(), "Key" + wsid), Qt::RightButton);
    EXPECT_EQ(ShownItems(), (QStringList{"&New Web Service...", "&Save Web Service...", "D&elete Node"}));
    w->NodeMenu()->hide();

    // Empty space of the operations tree: no menu.
    Click(Ops(), nullptr, Qt::RightButton);
    EXPECT_FALSE(w->NodeMenu()->isVisible());

    // Empty space of the services tree with nothing selected: New Web Service alone.
    Select(Svc(), nullptr);
    Click(Svc(), nullptr, Qt::RightButton);
    EXPECT_EQ(ShownItems(), QStringList{"&New Web Service..."});
    w->NodeMenu()->hide();

    // Shift+F10 shows the selected node's menu; Ctrl+Shift+F10 does nothing.
    Select(Svc(), Node(Svc(), Member(ordUc)));
    KeyUp(Svc(), Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(w->NodeMenu()->isVisible());
    QCursor::setPos(w->screen()->geometry().bottomRight());
    KeyUp(Svc(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(w->NodeMenu()->isVisible());
    EXPECT_EQ(ShownItems(), (QStringList{"&New Web Service...", "D&elete Node"}));
    // At the node, not at the mouse pointer.
    EXPECT_EQ(Svc()->itemAt(Svc()->viewport()->mapFromGlobal(w->NodeMenu()->pos())), Node(Svc(), Member(ordUc)));
    w->NodeMenu()->hide();

    // Without a workspace the services tree shows no menu.
    Globals::g_WorkspaceOpen = false;
    KeyUp(Svc(), Qt::Key_F10, Qt::ShiftModifier);
    Click(Svc(), Node(Svc(), "Key" + wsid), Qt::RightButton);
    EXPECT_FALSE(w->NodeMenu()->isVisible());
}

TEST_F(WebTreeEventsTest, DeleteKeyNeverActsOnATagLeftFromAnEarlierMenu) {
    auto& db = *Globals::g_Database;
    // The service's menu leaves "WS" on the delete item.
    Click(Svc(), Node(Svc(), "Key" + wsid), Qt::RightButton);
    w->NodeMenu()->hide();
    ASSERT_EQ(TagOf(w->mnuNCDeleteNode), JoinTag("WS", wsid));

    // Delete on an operation whose entity is gone: its menu sets no Tag.
    db.Execute("DELETE FROM Ents WHERE SerialID = ?1", {shipSerial});
    Select(Ops(), Node(Ops(), "Key" + std::to_string(shipUc)));
    ASSERT_NE(Node(Ops(), "Key" + std::to_string(shipUc)), nullptr);
    KeyUp(Ops(), Qt::Key_Delete);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM wsWebServices"), 1);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM ucUseCases"), 2);
    EXPECT_EQ(Memberships(), 2);
    EXPECT_EQ(TagOf(w->mnuNCDeleteNode), "");

    // Delete with nothing selected, in either tree.
    Click(Svc(), Node(Svc(), "Key" + wsid), Qt::LeftButton);
    Select(Ops(), nullptr);
    KeyUp(Ops(), Qt::Key_Delete);
    Click(Svc(), Node(Svc(), Member(ordUc)), Qt::LeftButton);
    Select(Svc(), nullptr);
    KeyUp(Svc(), Qt::Key_Delete);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM wsWebServices"), 1);
    EXPECT_EQ(Memberships(), 2);

    // Delete on the services tree once the workspace is closed.
    Click(Svc(), Node(Svc(), "Key" + wsid), Qt::LeftButton);
    Select(Svc(), Node(Svc(), "Key" + wsid));
    Globals::g_WorkspaceOpen = false;
    KeyUp(Svc(), Qt::Key_Delete);
    Globals::g_WorkspaceOpen = true;
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM wsWebServices"), 1);

    // Nor does the menu item, whose Tag the last preparation cleared.
    w->mnuNCDeleteNode->setEnabled(true);
    w->mnuNCDeleteNode->trigger();
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM wsWebServices"), 1);
    EXPECT_EQ(Memberships(), 2);
}

TEST_F(WebTreeEventsTest, DeleteKeyDeletesTheSelectedNodeAndSelectsItsNeighbour) {
    auto& db = *Globals::g_Database;
    // A member: only that membership; the previous sibling is selected.
    Select(Svc(), Node(Svc(), Member(shipUc)));
    KeyUp(Svc(), Qt::Key_Delete);
    EXPECT_EQ(Memberships(), 1);
    EXPECT_EQ(Node(Svc(), Member(shipUc)), nullptr);
    EXPECT_EQ(app::NodeKey(Svc()->currentItem()), Member(ordUc));
    EXPECT_TRUE(Svc()->currentItem()->isSelected());

    // An operation: the operation and its memberships, in every tree.
    Select(Ops(), Node(Ops(), "Key" + std::to_string(ordUc)));
    KeyUp(Ops(), Qt::Key_Delete);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM ucUseCases WHERE UCID = ?1", {ordUc}), 0);
    EXPECT_EQ(Memberships(), 0);
    EXPECT_EQ(Node(Svc(), Member(ordUc)), nullptr);
    EXPECT_EQ(app::NodeKey(Ops()->currentItem()), "Key" + std::to_string(shipUc));

    // A service: gone with its memberships; its operations stay.
    Globals::AddUseCaseToWebService(wsid, "Key" + std::to_string(shipUc), db);
    app::ReloadWebTrees(*w);
    Select(Svc(), Node(Svc(), "Key" + wsid));
    KeyUp(Svc(), Qt::Key_Delete);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM wsWebServices"), 0);
    EXPECT_EQ(Memberships(), 0);
    EXPECT_EQ(Svc()->topLevelItemCount(), 0);
    EXPECT_EQ(Ops()->topLevelItemCount(), 1);
}

TEST_F(WebTreeEventsTest, DropsOnAServiceAMemberAndEmptySpace) {
    auto& db = *Globals::g_Database;
    db.Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('Payment', ?1, 1)", {payInd});
    const int64_t payUc = db.LastInsertId();
    app::ReloadWebTrees(*w);
    const QString payKey = QString::fromStdString("Key" + std::to_string(payUc));

    // What a drag of the selected operation carries.
    Select(Ops(), Node(Ops(), payKey.toStdString()));
    std::unique_ptr<QMimeData> carried(events->DragData());
    ASSERT_TRUE(carried);
    EXPECT_EQ(carried->text(), payKey);

    // On a member: it joins that member's service; the target showed as the selection.
    EXPECT_TRUE(DropText(payKey, Node(Svc(), Member(ordUc))));
    EXPECT_EQ(selectedWhileOver, Member(ordUc));
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM wsWS_UC WHERE WSID = ?1 AND UCID = ?2", {std::stoll(wsid), payUc}), 1);
    ASSERT_NE(Node(Svc(), wsid + "n" + std::to_string(payUc)), nullptr);
    EXPECT_EQ(Node(Svc(), wsid + "n" + std::to_string(payUc))->parent(), Node(Svc(), "Key" + wsid));

    // Where it already is: nothing added.
    EXPECT_TRUE(DropText(payKey, Node(Svc(), "Key" + wsid)));
    EXPECT_EQ(Memberships(), 3);

    // On empty space: a new service named by the user, with it as its only member.
    Select(Svc(), nullptr);
    answers = {std::string("Café 'Ost' – Zürich")};
    EXPECT_TRUE(DropText(payKey, nullptr));
    EXPECT_EQ(inputPrompts, std::vector<std::string>{"Please enter a name for your new Web Service.|New Web Service"});
    const auto created = db.Scalar("SELECT WSID FROM wsWebServices WHERE Name = ?1", {"Café 'Ost' – Zürich"});
    ASSERT_FALSE(created.IsNull());
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM wsWS_UC WHERE WSID = ?1", {created}), 1);
    EXPECT_NE(Node(Svc(), created.AsText() + "n" + std::to_string(payUc)), nullptr);

    // A taken name in other letter case: reported, nothing changes.
    answers = {std::string("CAFÉ 'OST' – ZÜRICH")};
    EXPECT_TRUE(DropText(payKey, nullptr));
    EXPECT_EQ(prompt.asked.back(), "A web service with this name already exists.\r\nPlease use a different name.");
    EXPECT_EQ(prompt.titles.back(), w->ApplicationTitle().toStdString());
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM wsWebServices"), 2);

    // Text from elsewhere is not taken.
    EXPECT_FALSE(DropText("just some text", Node(Svc(), "Key" + wsid)));
    EXPECT_EQ(Memberships(), 4);
}

TEST_F(WebTreeEventsTest, NewWebServiceFromTheMenu) {
    Select(Svc(), nullptr);
    Click(Svc(), nullptr, Qt::RightButton);
    w->NodeMenu()->hide();
    answers = {std::string("Bestellungen \"Nord\"")};
    w->mnuNCNewWebService->trigger();
    EXPECT_EQ(prompt.asked, std::vector<std::string>{"Invalid characters. Please try again."});
    EXPECT_EQ(prompt.icons.back(), common::Icon::Critical);

    answers = {std::string("Bestellungen 'Nord' – 北")};
    w->mnuNCNewWebService->trigger();
    QStringList roots;
    for (int i = 0; i < Svc()->topLevelItemCount(); ++i) roots << Svc()->topLevelItem(i)->text(0);
    EXPECT_EQ(roots, (QStringList{"Sales", "Bestellungen 'Nord' – 北"}));

    answers = {std::string("sALES")};
    w->mnuNCNewWebService->trigger();
    EXPECT_EQ(prompt.asked.back(), "A web service with this name already exists.\r\nPlease use a different name.");
    EXPECT_EQ(prompt.icons.back(), common::Icon::Exclamation);
    EXPECT_EQ(Svc()->topLevelItemCount(), 2);
}

TEST_F(WebTreeEventsTest, SetAsWebOperationTwiceAndSaveWebService) {
    auto& db = *Globals::g_Database;
    // "Set as &Web Operation" acts on the entity of the "&Description" Tag
    // the latest preparation left (the Summary tree's).
    app::SharedNodeMenu(*w)[services::NodeMenuItem::Description].tag = JoinTag("Payment", "PROGRAM#3");
    app::ApplyNodeMenu(*w);
    w->mnuNCSetWebSvc->setEnabled(true);
    w->mnuNCSetWebSvc->trigger();
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM ucUseCases WHERE ForeignID = ?1 AND Nature = 1", {payInd}), 1);
    EXPECT_EQ(Ops()->topLevelItemCount(), 3);
    EXPECT_TRUE(prompt.asked.empty());
    w->mnuNCSetWebSvc->trigger();
    EXPECT_EQ(prompt.asked, std::vector<std::string>{"This entry has already been added to Web Operations!"});
    EXPECT_EQ(prompt.icons.back(), common::Icon::Exclamation);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM ucUseCases"), 3);

    testsupport::TempDir dir;
    auto dialog = std::make_shared<FixedSaveDialog>();
    dialog->file = dir / "out.xml";
    app::SetWebSaveDialog(*w, dialog);
    Click(Svc(), Node(Svc(), "Key" + wsid), Qt::RightButton);
    w->NodeMenu()->hide();
    w->mnuNCSaveWebService->trigger();
    EXPECT_EQ(dialog->names, std::vector<std::string>{"Sales-WSDL.xml"});
    std::ifstream in(dialog->file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("wsdl:definitions"), std::string::npos);
    EXPECT_NE(text.str().find("name=\"Sales\""), std::string::npos);
}

}  // namespace
