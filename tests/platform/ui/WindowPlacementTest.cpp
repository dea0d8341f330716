// Where windows open: kept on the available screen area, a first opening
// centred on its owner, windows of one kind cascaded instead of stacked.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <memory>

#include "platform/ui/WindowSettings.h"

namespace {

using WindowSettings::Cascaded;
using WindowSettings::CentredOn;
using WindowSettings::KeptInside;

QString Text(const QRect& r) {
    return QString("%1,%2 %3x%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

TEST(WindowPlacementRules, FramesAreMovedAndShrunkIntoTheArea) {
    // A 1400 x 900 screen less a 40-pixel panel at the top; a second screen
    // to its right, so areas need not start at 0, 0.
    const QRect area(0, 40, 1400, 860);
    const QRect right(1400, 0, 1024, 768);
    struct Case {
        const char* what;
        QRect frame, area, expected;
    } cases[] = {
        {"inside stays", {100, 100, 960, 640}, area, {100, 100, 960, 640}},
        {"below the bottom moves up", {300, 500, 960, 640}, area, {300, 260, 960, 640}},
        {"right of the edge moves left", {900, 100, 960, 640}, area, {440, 100, 960, 640}},
        {"above the panel moves down", {100, 0, 960, 640}, area, {100, 40, 960, 640}},
        {"left of the screen moves right", {-500, 100, 960, 640}, area, {0, 100, 960, 640}},
        {"exactly the area stays", area, area, area},
        {"taller than the area is shrunk", {100, 100, 960, 1200}, area, {100, 40, 960, 860}},
        {"larger than the area is the area", {-20, -20, 2000, 1500}, area, area},
        {"on the second screen", {2000, 500, 600, 400}, right, {1824, 368, 600, 400}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(KeptInside(c.frame, c.area)), Text(c.expected)) << c.what;
}

TEST(WindowPlacementRules, AFirstOpeningIsCentredOnItsOwnerAndStaysOnScreen) {
    const QRect area(0, 0, 1400, 900);
    // Centred on a main window in the middle of the screen.
    EXPECT_EQ(Text(CentredOn({960, 640}, {150, 70, 1100, 760}, area)), Text({220, 130, 960, 640}));
    // An owner near the bottom right corner: centred as far as the screen allows.
    EXPECT_EQ(Text(CentredOn({960, 640}, {900, 600, 500, 300}, area)), Text({440, 260, 960, 640}));
    // A window larger than the screen fills it.
    EXPECT_EQ(Text(CentredOn({1600, 1000}, {150, 70, 1100, 760}, area)), Text(area));
}

TEST(WindowPlacementRules, WindowsOfOneKindAreCascaded) {
    const QRect area(0, 0, 1400, 900);
    const QRect frame(490, 300, 420, 300);
    // Nothing there: no move.
    EXPECT_EQ(Text(Cascaded(frame, {}, area, 24)), Text(frame));
    EXPECT_EQ(Text(Cascaded(frame, {{0, 0}, {514, 324}}, area, 24)), Text(frame));
    // One below, then two: each step goes down and right past the taken corners.
    EXPECT_EQ(Text(Cascaded(frame, {{490, 300}}, area, 24)), Text({514, 324, 420, 300}));
    EXPECT_EQ(Text(Cascaded(frame, {{490, 300}, {514, 324}}, area, 24)), Text({538, 348, 420, 300}));
    // At the bottom of the screen the next one starts again at the top left.
    const QRect low(900, 590, 420, 300);
    EXPECT_EQ(Text(Cascaded(low, {{900, 590}}, area, 24)), Text({0, 0, 420, 300}));
    EXPECT_EQ(Text(Cascaded(low, {{900, 590}, {0, 0}}, area, 24)), Text({24, 24, 420, 300}));
    // A window as large as the screen has nowhere to go: it ends inside.
    EXPECT_TRUE(area.contains(Cascaded(area, {{0, 0}}, area, 24)));
}

class WindowPlacementTest : public ::testing::Test {
protected:
    void SetUp() override { QSettings().remove("QuarvelAnalyzer/Settings/PlacementTest"); }
    void TearDown() override { QSettings().remove("QuarvelAnalyzer/Settings/PlacementTest"); }
    static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    static std::unique_ptr<QWidget> Window(QWidget* owner, const char* name = "frmPlacementTest") {
        auto w = std::make_unique<QWidget>(owner, Qt::Window);
        w->setObjectName(name);
        w->resize(300, 200);
        return w;
    }
};

TEST_F(WindowPlacementTest, AStoredPlacementBelowTheScreenIsPulledBack) {
    const QRect screen = Available();
    {
        // Saved where it hung over the bottom edge (a larger screen, say).
        auto w = Window(nullptr);
        w->setGeometry(screen.left() + 50, screen.bottom() - 100, 300, 200);
        WindowSettings::SavePlacement(w.get(), "QuarvelAnalyzer", "Settings\\PlacementTest");
    }
    auto w = Window(nullptr);
    WindowSettings::RestorePlacement(w.get(), "QuarvelAnalyzer", "Settings\\PlacementTest");
    w->show();
    const QRect frame = w->frameGeometry();
    EXPECT_TRUE(screen.contains(frame)) << Text(frame).toStdString() << " on " << Text(screen).toStdString();
    EXPECT_EQ(frame.bottom(), screen.bottom());
    EXPECT_EQ(w->size(), QSize(300, 200));
    EXPECT_EQ(w->geometry().left(), screen.left() + 50);   // moved only as far as needed
}

TEST_F(WindowPlacementTest, AFirstOpeningIsCentredOnTheOwnerAndASecondOneOfItsKindCascades) {
    const QRect screen = Available();
    auto owner = std::make_unique<QWidget>();
    owner->setGeometry(screen.left() + 40, screen.top() + 40, 500, 400);
    owner->show();

    auto first = Window(owner.get());
    WindowSettings::RestorePlacement(first.get(), "QuarvelAnalyzer", "Settings\\PlacementTest");
    first->show();
    const QPoint centre = owner->frameGeometry().center();
    EXPECT_LE((first->frameGeometry().center() - centre).manhattanLength(), 2) << Text(first->frameGeometry()).toStdString();

    // The same saved placement for a second window of the kind: it must not
    // cover the first exactly.
    WindowSettings::SavePlacement(first.get(), "QuarvelAnalyzer", "Settings\\PlacementTest");
    auto second = Window(owner.get());
    WindowSettings::RestorePlacement(second.get(), "QuarvelAnalyzer", "Settings\\PlacementTest");
    second->show();
    const QPoint offset = second->frameGeometry().topLeft() - first->frameGeometry().topLeft();
    EXPECT_GT(offset.x(), 0);
    EXPECT_EQ(offset.x(), offset.y());
    EXPECT_TRUE(screen.contains(second->frameGeometry()));

    // Another kind of window may open where it likes.
    auto other = Window(owner.get(), "frmOtherKind");
    other->move(first->pos());
    other->show();
    EXPECT_EQ(other->frameGeometry().topLeft(), first->frameGeometry().topLeft());
}

TEST_F(WindowPlacementTest, AWindowLargerThanTheScreenIsShrunkToIt) {
    const QRect screen = Available();
    auto w = Window(nullptr);
    w->resize(screen.width() + 300, screen.height() + 200);
    WindowSettings::PlaceWhenShown(w.get());
    WindowSettings::PlaceWhenShown(w.get());   // asked twice, placed once
    w->show();
    EXPECT_TRUE(screen.contains(w->frameGeometry())) << Text(w->frameGeometry()).toStdString();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->findChildren<QObject*>("qaShowPlacer").size(), 0);
}

}  // namespace
