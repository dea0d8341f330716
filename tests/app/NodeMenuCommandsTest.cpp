// The Summary tree's node menu on the real main window with the OrderEntry
// sample: the items each kind of node offers, their Tags, right click,
// Shift+F10 and left click, the items that wait for their windows, and the
// Description, Refocus and Delete Node commands.

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include "app/NodeMenuCommands.h"
#include "services/NodeCommands.h"
#include "tests/app/WorkspaceSampleFixture.h"
#include "views/ui/frmDesc.h"

namespace {

using apptest::WorkspaceSampleTest;
using services::NodeMenuItem;

class NodeMenuCommandsTest : public WorkspaceSampleTest {
protected:
    void SetUp() override {
        WorkspaceSampleTest::SetUp();
        apptest::ShowAt(*main);
        Open(sample);
        ASSERT_TRUE(Globals::g_Database);
    }

    // Brings a node into view and clicks it with one button; without a
    // node, clicks the space below the last one.
    void Click(QTreeWidgetItem* item, Qt::MouseButton button) {
        QTreeWidget* tree = main->trSummary;
        QPoint at;
        if (item) {
            for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
            tree->scrollToItem(item);
            at = tree->visualItemRect(item).center();
        } else {
            // The tree's height depends on when the panes got their sizes
            // and its rows on the fonts: with branches open, whatever node
            // stands at the bottom would be clicked. Folded, the few top
            // nodes leave room below them.
            tree->collapseAll();
            tree->scrollToTop();
            at = QPoint(10, tree->visualItemRect(tree->topLevelItem(tree->topLevelItemCount() - 1)).bottom() + 4);
            ASSERT_TRUE(tree->viewport()->rect().contains(at) && !tree->itemAt(at)) << at.y();
        }
        const QPoint global = tree->viewport()->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &release);
    }
    void RightClick(QTreeWidgetItem* item) { Click(item, Qt::RightButton); }
    void Key(int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(main->trSummary, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(main->trSummary, &release);
    }

    bool MenuShowing() { return main->mnuProgContext->isVisible(); }
    void CloseMenu() { main->mnuProgContext->hide(); }
    // The items the model offers, and the actions the menu shows, by object name.
    QStringList Offered() {
        QStringList out;
        for (NodeMenuItem item : app::SharedNodeMenu(*main).ShownItems()) out << services::NodeMenu::ObjectName(item);
        return out;
    }
    QStringList Shown() {
        QStringList out;
        for (QAction* a : main->mnuProgContext->actions())
            if (a->isVisible()) out << a->objectName();
        return out;
    }
    std::string Tag(NodeMenuItem item) { return app::NodeMenuTag(*main, item); }
    std::string EntityTag(QTreeWidgetItem* node) { return services::JoinTag(app::NodeText(node), app::NodeKey(node)); }

    std::vector<views::ui::frmDesc*> Editors() {
        std::vector<views::ui::frmDesc*> out;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* e = qobject_cast<views::ui::frmDesc*>(w); e && e->isVisible()) out.push_back(e);
        return out;
    }
    std::string StoredDescription(const char* name) {
        return Globals::g_Database->Scalar("SELECT Description FROM Ents WHERE Name = ?1", {name}).AsText();
    }
};

TEST_F(NodeMenuCommandsTest, ProgramMenuOnRightClickWithItsTags) {
    QTreeWidgetItem* program = Entity("ORDENTR");
    ASSERT_TRUE(program);
    RightClick(program);
    EXPECT_TRUE(MenuShowing());
    EXPECT_EQ(Offered(), (QStringList{"mnuNCFlowContext", "mnuNCSep1", "mnuNCSetWebSvc", "mnuNCViewSource",
                                      "mnuNCCRUDSig", "mnuNCSep2", "mnuNCDescription"}));
    // The flow context, source and CRUD signature windows are connected:
    // every item offered shows.
    EXPECT_EQ(Shown(), Offered());
    const std::string tag = EntityTag(program);
    EXPECT_EQ(tag.substr(0, 8), std::string("ORDENTR\0", 8));
    for (NodeMenuItem item : {NodeMenuItem::FlowContext, NodeMenuItem::SetWebSvc, NodeMenuItem::ViewSource,
                              NodeMenuItem::CRUDSig, NodeMenuItem::Description})
        EXPECT_EQ(Tag(item), tag) << services::NodeMenu::ObjectName(item);
    EXPECT_TRUE(main->mnuNCDescription->isEnabled());
    CloseMenu();

    // On a window whose view commands are not connected, their items stay
    // hidden; once a command is connected its item shows, with the Tag it
    // reads.
    {
        auto bare = apptest::NewMainWindow();
        app::InstallNodeMenuCommands(*bare);
        auto shown = [&] {
            QStringList out;
            for (QAction* a : bare->mnuProgContext->actions())
                if (a->isVisible()) out << a->objectName();
            return out;
        };
        app::ShowSummaryNodeMenu(*bare, program, 1, QPoint());
        EXPECT_EQ(shown(), (QStringList{"mnuNCSep1", "mnuNCSetWebSvc", "mnuNCSep2", "mnuNCDescription"}));
        std::string seen;
        app::SetNodeCommand(*bare, NodeMenuItem::FlowContext,
                            [&] { seen = app::NodeMenuTag(*bare, NodeMenuItem::FlowContext); });
        app::SetNodeCommand(*bare, NodeMenuItem::CRUDSig, [] {});
        app::ShowSummaryNodeMenu(*bare, program, 1, QPoint());
        EXPECT_EQ(shown(), (QStringList{"mnuNCFlowContext", "mnuNCSep1", "mnuNCSetWebSvc", "mnuNCCRUDSig",
                                        "mnuNCSep2", "mnuNCDescription"}));
        bare->mnuNCFlowContext->trigger();
        EXPECT_EQ(seen, tag);
    }
    Globals::g_MainForm = main.get();
}

TEST_F(NodeMenuCommandsTest, ScreensStubsStoresAndGroupsGetTheirOwnMenus) {
    QTreeWidgetItem* screen = Summary("Screens")->child(0);
    ASSERT_NE(app::NodeTag(screen), "STUBMAP");
    RightClick(screen);
    EXPECT_TRUE(MenuShowing());
    EXPECT_EQ(Offered(), (QStringList{"mnuNCViewSource", "mnuNCSep2", "mnuNCDescription"}));
    EXPECT_EQ(Tag(NodeMenuItem::Description), EntityTag(screen));
    CloseMenu();

    QTreeWidgetItem* stubScreen = Entity("OLDMNU");
    QTreeWidgetItem* store = Summary("Data Stores")->child(0);
    QTreeWidgetItem* stubProgram = Entity("MENUOLD");
    ASSERT_TRUE(stubProgram);
    for (QTreeWidgetItem* other : {stubScreen, store, stubProgram}) {
        RightClick(other);
        EXPECT_TRUE(MenuShowing()) << app::NodeKey(other);
        EXPECT_EQ(Offered(), QStringList{"mnuNCDescription"}) << app::NodeKey(other);
        EXPECT_EQ(Shown(), QStringList{"mnuNCDescription"});
        EXPECT_EQ(Tag(NodeMenuItem::Description), EntityTag(other));
        CloseMenu();
    }

    // Groups, branches and the space beside the nodes: no menu, and the
    // Tags stay as the last node left them.
    const std::string last = Tag(NodeMenuItem::Description);
    for (QTreeWidgetItem* group : {Summary("Screens"), Summary("Client Branch"), Summary("Batch"),
                                   static_cast<QTreeWidgetItem*>(nullptr)}) {
        RightClick(group);
        EXPECT_FALSE(MenuShowing());
    }
    EXPECT_EQ(Tag(NodeMenuItem::Description), last);
}

TEST_F(NodeMenuCommandsTest, ShiftF10OpensTheSelectedNodesMenuAndALeftClickOnlyPrepares) {
    main->trSummary->clearSelection();
    Key(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_FALSE(MenuShowing());

    QTreeWidgetItem* program = Entity("CUSTINQ");
    Click(program, Qt::LeftButton);
    EXPECT_FALSE(MenuShowing());
    EXPECT_EQ(Tag(NodeMenuItem::Description), EntityTag(program));
    ASSERT_TRUE(program->isSelected());

    Key(Qt::Key_F10, Qt::NoModifier);
    EXPECT_FALSE(MenuShowing());
    Key(Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(MenuShowing());
    // The menu opens at the node, not at the mouse pointer.
    QCursor::setPos(main->screen()->geometry().bottomRight());
    Key(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(MenuShowing());
    EXPECT_EQ(Offered().size(), 7);
    QTreeWidget* tree = main->trSummary;
    EXPECT_EQ(tree->itemAt(tree->viewport()->mapFromGlobal(main->mnuProgContext->pos())), program);
}

TEST_F(NodeMenuCommandsTest, DescriptionOpensOneEditorPerEntityAndStoresOnlyOnOk) {
    QTreeWidgetItem* program = Entity("ORDENTR");
    RightClick(program);
    CloseMenu();
    main->mnuNCDescription->trigger();
    ASSERT_EQ(Editors().size(), 1u);
    QPointer<views::ui::frmDesc> editor = Editors().front();
    EXPECT_EQ(editor->windowTitle(), program->text(0) + " - Description");
    EXPECT_EQ(editor->Tag().toStdString(), app::NodeKey(program) + "-Description");
    EXPECT_TRUE(editor->txtDescription->toPlainText().isEmpty());

    editor->txtDescription->setPlainText("typed, then cancelled");
    editor->cmdCancel->click();
    EXPECT_TRUE(Editors().empty());
    EXPECT_EQ(StoredDescription("ORDENTR"), "");

    // A second request brings the open editor back, restored when minimized.
    main->mnuNCDescription->trigger();
    editor = Editors().front();
    editor->txtDescription->setPlainText("Takes the customer's order");
    editor->setWindowState(Qt::WindowMinimized);
    main->mnuNCDescription->trigger();
    ASSERT_EQ(Editors().size(), 1u);
    EXPECT_EQ(Editors().front(), editor.data());
    EXPECT_FALSE(editor->windowState() & Qt::WindowMinimized);
    EXPECT_EQ(editor->txtDescription->toPlainText(), "Takes the customer's order");

    // Another entity gets an editor of its own.
    RightClick(Summary("Screens")->child(0));
    CloseMenu();
    main->mnuNCDescription->trigger();
    EXPECT_EQ(Editors().size(), 2u);

    editor->cmdOK->click();
    EXPECT_EQ(StoredDescription("ORDENTR"), "Takes the customer's order");
    EXPECT_EQ(Editors().size(), 1u);

    // Opened again, it shows what is stored.
    RightClick(program);
    CloseMenu();
    main->mnuNCDescription->trigger();
    EXPECT_EQ(Editors().size(), 2u);
    EXPECT_NE(views::ui::FindDescriptionWindow(app::NodeKey(program)), nullptr);
    EXPECT_EQ(views::ui::FindDescriptionWindow(app::NodeKey(program))->txtDescription->toPlainText(),
              "Takes the customer's order");
}

TEST_F(NodeMenuCommandsTest, NamesWithQuotesReachTheEditorAndUnknownEntitiesOpenNothing) {
    const std::string id =
        Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE BusName LIKE 'ORDER''S%'").AsText();
    ASSERT_FALSE(id.empty());
    QTreeWidgetItem* store = Summary(id);
    ASSERT_TRUE(store);
    RightClick(store);
    CloseMenu();
    EXPECT_EQ(Tag(NodeMenuItem::Description), EntityTag(store));
    main->mnuNCDescription->trigger();
    ASSERT_EQ(Editors().size(), 1u);
    EXPECT_EQ(Editors().front()->windowTitle(), store->text(0) + " - Description");
    Editors().front()->txtDescription->setPlainText("It's \"quoted\"");
    Editors().front()->cmdOK->click();
    EXPECT_EQ(Globals::g_Database->Scalar("SELECT Description FROM Ents WHERE ID = ?1", {id}).AsText(),
              "It's \"quoted\"");

    // A Tag whose entity is not in Ents, or a Tag without NUL: nothing opens.
    for (const std::string& tag : {services::JoinTag("GONE", "PROGRAM#99999"), std::string("PROGRAM#1")}) {
        app::SharedNodeMenu(*main)[NodeMenuItem::Description].tag = tag;
        app::ApplyNodeMenu(*main);
        main->mnuNCDescription->trigger();
        EXPECT_TRUE(Editors().empty());
        EXPECT_TRUE(prompt.asked.empty());
    }
}

TEST_F(NodeMenuCommandsTest, RefocusScrollsTheNodeIntoViewWithoutSelectingIt) {
    main->trSummary->collapseAll();
    QTreeWidgetItem* selected = Summary("Screens");
    main->trSummary->setCurrentItem(selected);
    QTreeWidgetItem* program = Entity("PAYVAL");
    ASSERT_FALSE(program->parent()->isExpanded());

    // Its key in other letter case finds it all the same.
    app::SharedNodeMenu(*main)[NodeMenuItem::Refocus].tag = QString::fromStdString(app::NodeKey(program)).toLower().toStdString();
    app::ApplyNodeMenu(*main);
    main->mnuNCRefocus->trigger();
    EXPECT_TRUE(program->parent()->isExpanded());
    EXPECT_TRUE(program->parent()->parent()->isExpanded());
    EXPECT_EQ(main->trSummary->currentItem(), selected);
    EXPECT_FALSE(main->trSummary->visualItemRect(program).isEmpty());

    // An empty Tag does nothing.
    main->trSummary->collapseAll();
    app::SharedNodeMenu(*main)[NodeMenuItem::Refocus].tag.clear();
    app::ApplyNodeMenu(*main);
    main->mnuNCRefocus->trigger();
    EXPECT_FALSE(program->parent()->isExpanded());
}

TEST_F(NodeMenuCommandsTest, DeleteNodeDeletesByItsCodeAndReloadsBothTrees) {
    auto& db = *Globals::g_Database;
    db.Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) SELECT BusName, SerialID, 1 FROM Ents WHERE Name = ?1",
               {"ORDENTR"});
    db.Execute("INSERT INTO wsWebServices (Name) VALUES ('Orders')");
    const std::string wsid = db.Scalar("SELECT WSID FROM wsWebServices").AsText();
    db.Execute("INSERT INTO wsWS_UC (WSID, UCID) SELECT ?1, UCID FROM ucUseCases", {wsid});
    app::ReloadWebTrees(*main);
    ASSERT_EQ(main->trWebServices->topLevelItemCount(), 1);

    auto deleteWith = [&](const std::string& tag) {
        app::SharedNodeMenu(*main)[NodeMenuItem::DeleteNode].tag = tag;
        app::ApplyNodeMenu(*main);
        main->mnuNCDeleteNode->trigger();
    };
    // An unknown code deletes nothing, but the trees show the tables anew.
    db.Execute("INSERT INTO wsWebServices (Name) VALUES ('Billing')");
    deleteWith(services::JoinTag("XX", wsid));
    EXPECT_EQ(main->trWebServices->topLevelItemCount(), 2);
    EXPECT_EQ(main->trWebOperations->topLevelItemCount(), 1);

    deleteWith(services::JoinTag("ws", wsid));
    EXPECT_EQ(main->trWebServices->topLevelItemCount(), 1);
    EXPECT_EQ(main->trWebServices->topLevelItem(0)->text(0), "Billing");
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM wsWS_UC").AsInt(), 0);
    EXPECT_EQ(main->trWebOperations->topLevelItemCount(), 1);   // the operation stays
    EXPECT_TRUE(prompt.asked.empty());
}

}  // namespace
