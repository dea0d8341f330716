// The dock splitter: named panes, proportions of splits, hidden panes, and
// its layout text applied to a fresh splitter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <memory>

#include "platform/ui/TSplitter.h"
#include "tests/support/EventWait.h"

using namespace platform::ui;

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Processes events until done() holds: the sizes of a fresh split go in on
// timers after the first paint, later on a busy machine.
template <typename Pred>
bool SettleUntil(Pred done) {
    return testsupport::RunEventsUntil(done);
}

// A window of a fixed size with the splitter filling it.
struct Host {
    QWidget window;
    TSplitter* splitter;
    Host() {
        window.resize(1000, 700);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        splitter = new TSplitter(&window);
        layout->addWidget(splitter);
        layout->activate();
    }
    void Show() {
        window.show();
        Settle();
    }
};

// The four panes of the main window, Log hidden.
void BuildFour(TSplitter& s) {
    const int w = s.width(), h = s.height();
    ASSERT_TRUE(s.Root()->Split(SplitOrientation::SideBySide, w / 2, "Left", "Right"));
    ASSERT_TRUE(s.Panes("Left")->Split(SplitOrientation::Stacked, h * 8 / 10, "Summary", "Log"));
    ASSERT_TRUE(s.Panes("Right")->Split(SplitOrientation::Stacked, h / 2, "Web Operations", "Web Services"));
    for (const char* name : {"Summary", "Log", "Web Operations", "Web Services"}) {
        s.Panes(name)->SetCaption(name);
        s.SetPaneWidget(name, new QLabel(name));
    }
    s.Panes("Log")->SetVisible(false);
}

double Share(int a, int b) { return static_cast<double>(a) / (a + b); }

}  // namespace

TEST(TSplitter, SplitsMakeNamedPanesWithTheirProportions) {
    Host host;
    BuildFour(*host.splitter);
    TSplitter& s = *host.splitter;
    EXPECT_EQ(s.AllPanes().size(), 6u);
    EXPECT_TRUE(s.Panes("Left")->IsDivided());
    EXPECT_EQ(s.Panes("Summary")->Parent(), s.Panes("Left"));
    EXPECT_EQ(s.Panes("Summary")->Dock()->objectName(), "Summary");
    EXPECT_EQ(s.Panes("Web Services")->Dock()->windowTitle(), "Web Services");
    EXPECT_EQ(s.Panes("nothing"), nullptr);
    // A divided pane, a taken name and an empty name cannot be split again.
    EXPECT_FALSE(s.Panes("Left")->Split(SplitOrientation::Stacked, 10, "X", "Y"));
    EXPECT_FALSE(s.Panes("Summary")->Split(SplitOrientation::Stacked, 10, "Log", "Y"));
    EXPECT_FALSE(s.Panes("Summary")->Split(SplitOrientation::Stacked, 10, "", "Y"));
    EXPECT_FALSE(s.Panes("Log")->Visible());

    host.Show();
    const QRect sum = s.Panes("Summary")->GetRect();
    const QRect ops = s.Panes("Web Operations")->GetRect();
    const QRect svc = s.Panes("Web Services")->GetRect();
    EXPECT_FALSE(s.Panes("Log")->Visible());
    EXPECT_TRUE(s.Panes("Log")->GetRect().isEmpty());
    EXPECT_NEAR(Share(sum.width(), ops.width()), 0.5, 0.03);
    EXPECT_NEAR(Share(ops.height(), svc.height()), 0.5, 0.03);
    EXPECT_LT(sum.right(), ops.left());
    EXPECT_LT(ops.bottom(), svc.top());
    // The hidden pane comes back at the share it was split with.
    s.Panes("Log")->SetVisible(true);
    Settle();
    const QRect log = s.Panes("Log")->GetRect();
    EXPECT_TRUE(s.Panes("Log")->Visible());
    EXPECT_NEAR(Share(s.Panes("Summary")->GetRect().height(), log.height()), 0.8, 0.03);
    EXPECT_EQ(s.Panes("Left")->GetRect(), s.Panes("Summary")->GetRect().united(log));
}

TEST(TSplitter, LayoutTextRestoresPanesSizesAndVisibilityElsewhere) {
    QString text;
    {
        Host host;
        BuildFour(*host.splitter);
        host.Show();
        TSplitter& s = *host.splitter;
        // Until the split sizes hold the splitter gives them again, which
        // would undo the resize below; the Log pane hides once they hold.
        ASSERT_TRUE(SettleUntil([&] { return s.Panes("Log")->Dock()->isHidden(); }));
        s.Panes("Log")->SetVisible(true);
        s.Panes("Web Services")->SetVisible(false);
        s.Panes("Log")->SetCaption("Log (3)");
        s.Panes("Log")->SetFloatable(false);
        Settle();
        s.resizeDocks({s.Panes("Summary")->Dock(), s.Panes("Web Operations")->Dock()}, {300, 700}, Qt::Horizontal);
        Settle();
        text = s.GetLayout();
    }
    Host host;
    TSplitter& s = *host.splitter;
    ASSERT_TRUE(s.ApplyLayout(text));
    for (const char* name : {"Summary", "Log", "Web Operations", "Web Services"})
        s.SetPaneWidget(name, new QLabel(name));
    host.Show();
    ASSERT_NE(s.Panes("Log"), nullptr);
    EXPECT_EQ(s.Panes("Log")->Caption(), "Log (3)");
    EXPECT_FALSE(s.Panes("Log")->Floatable());
    EXPECT_TRUE(s.Panes("Log")->Visible());
    EXPECT_FALSE(s.Panes("Web Services")->Visible());
    EXPECT_NEAR(Share(s.Panes("Summary")->GetRect().width(), s.Panes("Web Operations")->GetRect().width()), 0.3,
                0.05);
}

TEST(TSplitter, DamagedLayoutTextLeavesNoPanes) {
    Host host;
    TSplitter& s = *host.splitter;
    BuildFour(s);
    EXPECT_FALSE(s.ApplyLayout("not a layout"));
    EXPECT_TRUE(s.AllPanes().empty());
    // A whole tree whose dock state is damaged is refused as well.
    EXPECT_FALSE(s.ApplyLayout("v1|3|-1,1,5000,1111,,|0,0,5000,1111,A,A|0,0,5000,1111,B,B|bm90IGEgc3RhdGU="));
    EXPECT_TRUE(s.AllPanes().empty());
    // The splitter is usable again afterwards.
    EXPECT_TRUE(s.Root()->Split(SplitOrientation::SideBySide, 100, "A", "B"));
}

TEST(TSplitter, ClearPanesKeepsTheControlsAlive) {
    Host host;
    TSplitter& s = *host.splitter;
    ASSERT_TRUE(s.Root()->Split(SplitOrientation::SideBySide, 500, "A", "B"));
    auto* control = new QLabel("a");
    ASSERT_TRUE(s.SetPaneWidget("A", control));
    EXPECT_FALSE(s.SetPaneWidget("nothing", new QLabel("x", &host.window)));
    QPointer<QLabel> alive(control);
    s.ClearPanes();
    ASSERT_TRUE(alive);
    EXPECT_EQ(control->parent(), &s);
    EXPECT_TRUE(s.AllPanes().empty());
    // The control can be shown by a pane of a new layout.
    ASSERT_TRUE(s.Root()->Split(SplitOrientation::Stacked, 300, "A", "B"));
    EXPECT_TRUE(s.SetPaneWidget("A", control));
    EXPECT_EQ(s.Panes("A")->Dock()->widget(), control);
}

TEST(TSplitter, LayoutSignalFollowsTheLayoutSwitch) {
    Host host;
    TSplitter& s = *host.splitter;
    QSignalSpy spy(&s, &TSplitter::Layout);
    s.SetLayoutEnabled(false);
    BuildFour(s);
    host.Show();
    EXPECT_EQ(spy.count(), 0);
    s.SetLayoutEnabled(true);
    EXPECT_GE(spy.count(), 1);
    spy.clear();
    s.Panes("Web Services")->SetVisible(false);
    Settle();
    EXPECT_GE(spy.count(), 1);
    EXPECT_FALSE(s.Panes("Right")->Visible() && !s.Panes("Web Operations")->Visible());
    EXPECT_TRUE(s.Panes("Right")->Visible());
}
