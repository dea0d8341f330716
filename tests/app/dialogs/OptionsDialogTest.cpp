#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTabBar>

#include "app/dialogs/ShellOptions.h"
#include "app/dialogs/frmOptions.h"
#include "common/Globals.h"

using dialogs::frmOptions;

namespace {

struct Flag {
    const char* box;
    bool* option;
    const char* caption;
};

const Flag kFlags[] = {
    {"chkValidations", &Globals::g_Validations, "Find screen field validations"},
    {"chkUses", &Globals::g_Uses, "Find number of usages of a program, screen or table"},
    {"chkCommarea", &Globals::g_Commarea, "Find length of communication area for frontier programs"},
    {"chkStubScrn", &Globals::g_StubScrn, "Show &Ghost Screens"},
    {"CheckRestrict", &Globals::g_Restrict, "Restrict Comparison to Web Service Candidates"},
    {"CheckDownstream", &Globals::g_Downstream, "Include Downstream CRUD Data"},
    {"CheckCompare", &Globals::g_Compare, "Cross-Compare Immediate CRUD With Subtree CRUD"},
};

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Globals::g_Validations = Globals::g_Uses = Globals::g_Commarea = Globals::g_StubScrn = false;
        Globals::InitShellOptions();
    }
    void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(OptionsDialog, StartValuesTickOnlyTheTwoCrudInclusions) {
    frmOptions dlg;
    EXPECT_EQ(dlg.windowTitle(), "Options");
    for (const Flag& f : kFlags) {
        auto* box = dlg.findChild<QCheckBox*>(f.box);
        ASSERT_NE(box, nullptr) << f.box;
        EXPECT_EQ(box->text(), f.caption);
        const bool expected = std::string(f.box) == "CheckDownstream" || std::string(f.box) == "CheckCompare";
        EXPECT_EQ(box->isChecked(), expected) << f.box;
    }
}

TEST_F(OptionsDialog, EachBoxMirrorsItsOwnOption) {
    for (const Flag& f : kFlags) {
        SetUp();
        *f.option = !*f.option;
        frmOptions dlg;
        for (const Flag& g : kFlags)
            EXPECT_EQ(dlg.findChild<QCheckBox*>(g.box)->isChecked(), *g.option) << f.box << " / " << g.box;
        // OK stores each box into its own option.
        dlg.findChild<QCheckBox*>(f.box)->toggle();
        dlg.cmdOK->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        SCOPED_TRACE(f.box);
        EXPECT_FALSE(Globals::g_Validations);
        EXPECT_FALSE(Globals::g_Uses);
        EXPECT_FALSE(Globals::g_Commarea);
        EXPECT_FALSE(Globals::g_StubScrn);
        EXPECT_FALSE(Globals::g_Restrict);
        EXPECT_TRUE(Globals::g_Downstream);
        EXPECT_TRUE(Globals::g_Compare);
    }
}

TEST_F(OptionsDialog, CancelLeavesEveryOptionAsItWas) {
    frmOptions dlg;
    for (const Flag& f : kFlags) dlg.findChild<QCheckBox*>(f.box)->toggle();
    dlg.cmdCancel->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(Globals::g_Validations || Globals::g_Uses || Globals::g_Commarea || Globals::g_StubScrn ||
                 Globals::g_Restrict);
    EXPECT_TRUE(Globals::g_Downstream && Globals::g_Compare);
}

TEST_F(OptionsDialog, GreyedBoxCountsAsFalse) {
    frmOptions dlg;
    dlg.CheckDownstream->setTristate(true);
    dlg.CheckDownstream->setCheckState(Qt::PartiallyChecked);
    dlg.chkUses->setChecked(true);
    dlg.cmdOK->click();
    EXPECT_FALSE(Globals::g_Downstream);
    EXPECT_TRUE(Globals::g_Uses);
}

TEST_F(OptionsDialog, TabsShowTheirOwnPanel) {
    frmOptions dlg;
    auto* tabs = dlg.findChild<QTabBar*>("TabStrip");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "General");
    EXPECT_EQ(tabs->tabText(1), "CRUD");
    QWidget* general = dlg.findChild<QWidget*>("Panel0");
    QWidget* crud = dlg.findChild<QWidget*>("Panel1");
    ASSERT_TRUE(general && crud);
    EXPECT_TRUE(general->isAncestorOf(dlg.chkStubScrn));
    EXPECT_TRUE(crud->isAncestorOf(dlg.CheckRestrict));
    EXPECT_FALSE(general->isHidden());
    EXPECT_TRUE(crud->isHidden());
    tabs->setCurrentIndex(1);
    EXPECT_TRUE(general->isHidden());
    EXPECT_FALSE(crud->isHidden());
    tabs->setCurrentIndex(0);
    EXPECT_FALSE(general->isHidden());
}
