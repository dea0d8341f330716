// What every entity window gets from platform::ui::EntityWindow: the state
// it comes back to from minimised, its owner let go at the close, its
// placement kept under its own section only, and the look-up by Tag.

#include <gtest/gtest.h>

#include <QSettings>

#include <memory>

#include "tests/platform/ui/EntityWindowTestForm.h"

namespace {

using entity_window_test::frmEntityTest;

constexpr char kSection[] = "Settings\\EntityWindowTest";
constexpr char kSettingsKey[] = "QuarvelAnalyzer/Settings/EntityWindowTest";

class EntityWindowTest : public ::testing::Test {
protected:
    void SetUp() override { QSettings().remove(kSettingsKey); }
    void TearDown() override { QSettings().remove(kSettingsKey); }
};

TEST_F(EntityWindowTest, ComesBackFromMinimisedToTheLastOtherState) {
    frmEntityTest w(nullptr, "");
    w.show();
    w.setWindowState(Qt::WindowMaximized);
    w.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(w.CurrentWindowState, Qt::WindowMaximized);
    w.hide();
    platform::ui::BringToFront(w, w.CurrentWindowState);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), Qt::WindowMaximized);

    // Nothing remembered: back to what it was under the minimising.
    QWidget plain;
    plain.setWindowState(Qt::WindowMinimized | Qt::WindowFullScreen);
    platform::ui::RestoreFromMinimised(plain, Qt::WindowNoState);
    EXPECT_EQ(plain.windowState(), Qt::WindowFullScreen);
    // Not minimised: left alone, whatever is remembered.
    platform::ui::RestoreFromMinimised(plain, Qt::WindowMaximized);
    EXPECT_EQ(plain.windowState(), Qt::WindowFullScreen);
}

TEST_F(EntityWindowTest, TheCloseLetsGoOfTheOwnerEvenOneAlreadyGone) {
    auto owner = std::make_unique<QWidget>();
    frmEntityTest w(nullptr, "");
    w.Owner = owner.get();
    w.Close();
    EXPECT_TRUE(w.Owner.isNull());
    EXPECT_TRUE(w.IsClosed());

    frmEntityTest orphan(nullptr, "");
    orphan.Owner = owner.get();
    owner.reset();
    orphan.Close();   // nothing to focus, and no crash
    EXPECT_TRUE(orphan.Owner.isNull());
}

TEST_F(EntityWindowTest, ThePlacementIsKeptUnderItsOwnSectionOnly) {
    QRect placed;
    {
        frmEntityTest w(nullptr, kSection);
        w.setGeometry(w.geometry().left() + 40, w.geometry().top() + 30, 340, 220);
        placed = w.geometry();
        w.Close();
    }
    EXPECT_TRUE(QSettings().contains(QString(kSettingsKey) + "/Placement"));
    frmEntityTest again(nullptr, kSection);
    EXPECT_EQ(again.geometry(), placed);

    // A window without a section neither keeps nor takes one.
    QSettings().remove(kSettingsKey);
    frmEntityTest none(nullptr, "");
    none.resize(350, 230);
    none.Close();
    EXPECT_FALSE(QSettings().contains(QString(kSettingsKey) + "/Placement"));
    EXPECT_EQ(frmEntityTest(nullptr, "").size(), QSize(300, 200));
}

TEST_F(EntityWindowTest, IsFoundByItsTagUntilItCloses) {
    using platform::ui::FindEntityWindow;
    frmEntityTest first(nullptr, ""), second(nullptr, "");
    first.SetTag("PROGRAM#1-Thing");
    second.SetTag("PROGRAM#2-Thing");
    EXPECT_EQ(first.property("Tag").toString(), "PROGRAM#1-Thing");
    EXPECT_EQ(FindEntityWindow<frmEntityTest>("program#2-thing", Qt::CaseInsensitive), &second);
    EXPECT_EQ(FindEntityWindow<frmEntityTest>("program#2-thing", Qt::CaseSensitive), nullptr);
    second.Close();
    EXPECT_EQ(FindEntityWindow<frmEntityTest>("PROGRAM#2-Thing", Qt::CaseSensitive), nullptr);
    EXPECT_EQ(FindEntityWindow<frmEntityTest>("PROGRAM#1-Thing", Qt::CaseSensitive), &first);
}

}  // namespace
