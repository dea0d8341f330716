// "View &Flow Context" and "View &Source" on the real main window with the
// OrderEntry sample: offered by the Summary tree and the web operations
// tree, and opening their windows owned by the main window.

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTreeWidgetItemIterator>

#include "platform/ui/BmsViewControl.h"
#include "tests/app/WorkspaceSampleFixture.h"
#include "views/ui/frmContext.h"
#include "views/ui/frmSource.h"

namespace {

using apptest::WorkspaceSampleTest;

class ViewCommandsTest : public WorkspaceSampleTest {
protected:
    void SetUp() override {
        WorkspaceSampleTest::SetUp();
        apptest::ShowAt(*main);
        Open(sample);
        ASSERT_TRUE(Globals::g_Database);
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<views::ui::frmContext*>(w) || qobject_cast<views::ui::frmSource*>(w)) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        WorkspaceSampleTest::TearDown();
    }
    void RightClick(QTreeWidget* tree, QTreeWidgetItem* item) {
        for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
        tree->scrollToItem(item);
        const QPoint at = tree->visualItemRect(item).center();
        const QPoint global = tree->viewport()->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::RightButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &release);
        main->mnuProgContext->hide();
    }
    int Windows(const char* className) {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->inherits(className)) ++n;
        return n;
    }
};

TEST_F(ViewCommandsTest, SummaryTreeOpensFlowContextAndSourceOfPrograms) {
    QTreeWidgetItem* program = Entity("ORDENTR");
    ASSERT_TRUE(program);
    RightClick(main->trSummary, program);
    ASSERT_TRUE(main->mnuNCFlowContext->isVisible());
    ASSERT_TRUE(main->mnuNCViewSource->isVisible());

    main->mnuNCFlowContext->trigger();
    main->mnuNCFlowContext->trigger();
    const std::string id = Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = 'ORDENTR'").AsText();
    views::ui::frmContext* context = views::ui::FindFlowContextWindow(QString::fromStdString(id + "-FlowContext"));
    ASSERT_TRUE(context);
    EXPECT_EQ(Windows("views::ui::frmContext"), 1);
    EXPECT_EQ(context->Owner, main.get());

    main->mnuNCViewSource->trigger();
    views::ui::frmSource* viewer = views::ui::SourceViewer();
    ASSERT_TRUE(viewer);
    EXPECT_TRUE(viewer->rtf->toPlainText().contains("PROGRAM-ID. ORDENTR."));

    // A screen's source is its map, in the same viewer.
    RightClick(main->trSummary, Entity("ORDMNU"));
    ASSERT_TRUE(main->mnuNCViewSource->isVisible());
    main->mnuNCViewSource->trigger();
    EXPECT_EQ(views::ui::SourceViewer(), viewer);
    EXPECT_FALSE(viewer->BMS->Listing().fields.empty());
}

TEST_F(ViewCommandsTest, WebOperationsTreeOffersBothForItsEntity) {
    const int64_t serial = Globals::g_Database->Scalar("SELECT SerialID FROM Ents WHERE Name = 'CUSTINQ'").AsInt();
    Globals::g_Database->Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('Customer inquiry', ?1, 1)",
                                 {serial});
    app::ReloadWebTrees(*main);
    // The operation's node shows its entity's business name.
    const QString busName =
        QString::fromStdString(Globals::g_Database->Scalar("SELECT BusName FROM Ents WHERE Name = 'CUSTINQ'").AsText());
    QTreeWidget* tree = main->trWebOperations;
    QTreeWidgetItem* node = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == busName) node = *it;
    ASSERT_TRUE(node);
    RightClick(tree, node);
    ASSERT_TRUE(main->mnuNCFlowContext->isVisible());
    ASSERT_TRUE(main->mnuNCViewSource->isVisible());
    main->mnuNCFlowContext->trigger();
    main->mnuNCViewSource->trigger();
    const std::string id = Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = 'CUSTINQ'").AsText();
    views::ui::frmContext* context = views::ui::FindFlowContextWindow(QString::fromStdString(id + "-FlowContext"));
    ASSERT_TRUE(context);
    EXPECT_EQ(context->windowTitle(), busName + " - Flow Context");
    ASSERT_TRUE(views::ui::SourceViewer());
    EXPECT_TRUE(views::ui::SourceViewer()->rtf->toPlainText().contains("PROGRAM-ID. CUSTINQ."));
}

}  // namespace
