// The splash window and the start-up that leads from it to the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include "app/StartUp.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

std::vector<frmMain*> MainWindows() {
    std::vector<frmMain*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<frmMain*>(w)) out.push_back(m);
    return out;
}

frmSplash* OpenSplash() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<frmSplash*>(w); s && s->isVisible()) return s;
    return nullptr;
}

void CloseMainWindows() {
    for (frmMain* m : MainWindows()) {
        m->close();
        delete m;
    }
    ForgetLayout();
}

}  // namespace

TEST(Splash, IsMarkedAndSizedToItsLogo) {
    frmSplash splash;
    EXPECT_EQ(splash.property("SECRET-CODE").toInt(), 58203);
    EXPECT_EQ(splash.Logo->pos(), QPoint(3, 3));
    EXPECT_EQ(splash.width(), splash.Logo->width() + 8);
    EXPECT_EQ(splash.height(), splash.Logo->height() + 8);
    EXPECT_GT(splash.Logo->width(), 8);
}

TEST(Splash, ItsTimerLeadsToTheMainWindow) {
    ForgetLayout();
    Globals::Main();
    frmSplash* splash = OpenSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->Timer->interval(), 2000);
    EXPECT_TRUE(splash->Timer->isActive());
    EXPECT_TRUE(MainWindows().empty());
    // Run out the timer at once.
    QPointer<frmSplash> gone = splash;
    splash->Timer->setInterval(0);
    splash->Timer->start();
    Await([&] { return gone.isNull(); }, "the splash to close");
    EXPECT_EQ(OpenSplash(), nullptr);
    ASSERT_EQ(MainWindows().size(), 1u);
    EXPECT_TRUE(MainWindows()[0]->isVisible());
    CloseMainWindows();
}

TEST(Splash, ClosedEarlyStillLeadsToTheMainWindowOnce) {
    ForgetLayout();
    Globals::Main();
    frmSplash* splash = OpenSplash();
    ASSERT_NE(splash, nullptr);
    QPointer<frmSplash> gone = splash;
    splash->close();
    ASSERT_EQ(MainWindows().size(), 1u);
    EXPECT_TRUE(MainWindows()[0]->isVisible());
    // The program has not run out of windows on the way.
    EXPECT_FALSE(QApplication::topLevelWidgets().isEmpty());
    // Once the splash is gone, its timer can lead nowhere else.
    Await([&] { return gone.isNull(); }, "the splash to go");
    EXPECT_EQ(MainWindows().size(), 1u);
    CloseMainWindows();
}
