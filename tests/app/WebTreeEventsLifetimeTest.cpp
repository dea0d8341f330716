#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>

#include "app/WebTreeEvents.h"
#include "app/WorkspaceTrees.h"
#include "common/Globals.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/WebServices.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/WebTreeFixture.h"

// The main window deletes its trees one after the other when it goes; the
// events the remaining tree still receives must not reach the tree already
// deleted (run under AddressSanitizer this was a use after free), and a
// window being torn down takes no commands.
TEST(WebTreeEventsLifetime, EventsAfterOneTreeIsGoneTouchNothing) {
    apptest::ForgetLayout();
    Globals::g_Database = webtreetest::NewWorkspaceDatabase();
    Globals::g_WorkspaceOpen = true;
    auto& db = *Globals::g_Database;
    const std::string wsid = Globals::AddWebService("Sales", db);

    auto w = apptest::NewMainWindow();
    app::InstallWebTrees(*w);
    app::ReloadWebTrees(*w);
    QTreeWidget* services = w->trWebServices;
    QTreeWidgetItem* node = app::FindNode(*services, "Key" + wsid, false);
    ASSERT_NE(node, nullptr);
    services->setCurrentItem(node);
    node->setSelected(true);

    delete w->trWebOperations;
    w->trWebOperations = nullptr;

    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(services, &up);
    const QPoint p = services->visualItemRect(node).center();
    QMouseEvent release(QEvent::MouseButtonRelease, p, services->viewport()->mapToGlobal(p), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(services->viewport(), &release);

    EXPECT_EQ(webtreetest::Count(db, "SELECT COUNT(*) FROM wsWebServices"), 1);
    w.reset();
    Globals::g_Database.reset();
    Globals::g_WorkspaceOpen = false;
}
