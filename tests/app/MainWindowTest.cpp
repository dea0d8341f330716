// The main window's frame: panes, menus, toolbar, the default layout and
// the layout kept between runs.
#include <gtest/gtest.h>

#include <QDockWidget>
#include <QMessageBox>
#include <QTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>

#include "app/InstallCommands.h"
#include "app/frmMain.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/TSplitter.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;
using platform::ui::TSplitterPane;

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { ForgetLayout(); }
    void TearDown() override { ForgetLayout(); }
};

double Share(int a, int b) { return static_cast<double>(a) / (a + b); }

QRect PaneRect(frmMain& w, const char* name) { return w.splMain->Panes(name)->GetRect(); }

}  // namespace

TEST_F(MainWindow, HasItsPanesAndTitle) {
    auto w = NewMainWindow();
    EXPECT_EQ(w->objectName(), "frmMain");
    EXPECT_EQ(w->windowTitle(), "Quarvel Analyzer");
    EXPECT_EQ(w->ApplicationTitle(), "Quarvel Analyzer");
    EXPECT_EQ(Globals::g_MainForm, w.get());
    EXPECT_FALSE(w->windowIcon().isNull());
    EXPECT_EQ(w->findChild<QTreeWidget*>("trSummary"), w->trSummary);
    EXPECT_EQ(w->findChild<QTreeWidget*>("trWebOperations"), w->trWebOperations);
    EXPECT_EQ(w->findChild<QTreeWidget*>("trWebServices"), w->trWebServices);
    EXPECT_EQ(w->findChild<QPlainTextEdit*>("tbLog"), w->tbLog);

    const std::vector<std::pair<QString, QWidget*>> expected = {
        {"Summary", w->trSummary}, {"Web Operations", w->trWebOperations},
        {"Web Services", w->trWebServices}, {"Log", w->tbLog}};
    ASSERT_EQ(w->cPaneObjs(), expected);
    ASSERT_EQ(w->mnuPane.size(), 4u);
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& [caption, control] = expected[i];
        EXPECT_EQ(control->property("Tag").toString(), caption);
        EXPECT_EQ(w->mnuPane[i]->text(), caption);
        // Each control sits in the dock of the pane of its caption.
        TSplitterPane* pane = w->splMain->Panes(caption);
        ASSERT_NE(pane, nullptr) << caption.toStdString();
        EXPECT_EQ(pane->Dock()->widget(), control);
        EXPECT_EQ(pane->Caption(), caption);
    }
    // The pane items follow the hidden items at the end of the View menu.
    EXPECT_EQ(w->mnuView->actions().mid(4), QList<QAction*>(w->mnuPane.begin(), w->mnuPane.end()));

    EXPECT_TRUE(w->TreeImages().Has("Client Facing Called Data"));
    EXPECT_FALSE(w->TreeImages().Icon("OpenWorkspace").isNull());
    EXPECT_FALSE(w->WebTreeImages().Icon("ACloseProcess").isNull());
    w.reset();
    EXPECT_EQ(Globals::g_MainForm, nullptr);
}

TEST_F(MainWindow, MenusCarryTheirCaptionsShortcutsAndStates) {
    auto w = NewMainWindow();
    struct Item {
        const char* name;
        const char* caption;
        const char* shortcut;
        bool visible;
    };
    const Item items[] = {
        {"mnuFile", "&File", "", true},
        {"mnuFileOpenWorkspace", "&Open Workspace...", "Ctrl+O", true},
        {"mnuFileRefreshWorkspace", "Re&fresh Workspace", "", true},
        {"mnuFileClose", "&Close", "", true},
        {"mnuTools", "&Tools", "", true},
        {"mnuToolsScreenFlow", "Screen &Interaction Plot", "", true},
        {"mnuToolsCRUD", "&CRUD Overlap", "", true},
        {"mnuToolsCOMMAREA", "COMM&AREA Size", "", true},
        {"mnuToolsValidation", "Validation &Rules", "", true},
        {"mnuToolsGenerateReports", "&Generate Reports", "Ctrl+G", true},
        {"mnuToolsEnterClientInformation", "Enter Client &Information...", "Ctrl+I", true},
        {"mnuView", "&View", "", true},
        {"mnuViewParameters", "&Parameters", "", false},
        {"mnuViewMissing", "&Missing", "", false},
        {"mnuViewReturns", "&Returns", "", false},
        {"mnuHelp", "&Help", "", true},
        {"mnuHelpWindow", "Quarvel Analyzer Help", "", true},
        {"mnuHelpAbout", "&About Halcyra", "", true},
    };
    for (const Item& item : items) {
        QAction* a = w->Command(item.name);
        ASSERT_NE(a, nullptr) << item.name;
        EXPECT_EQ(a->objectName(), item.name);
        EXPECT_EQ(a->text(), item.caption) << item.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(item.shortcut)) << item.name;
        EXPECT_EQ(a->isVisible(), item.visible) << item.name;
    }
    // Menu bar order; the two pop-up menus are not on it.
    QStringList bar;
    for (QAction* a : w->menuBar()->actions()) bar << a->objectName();
    EXPECT_EQ(bar, QStringList({"mnuFile", "mnuTools", "mnuView", "mnuHelp"}));
    EXPECT_TRUE(w->findChild<QAction*>("mnuViewSplit")->isSeparator());
    EXPECT_FALSE(w->findChild<QAction*>("mnuViewSplit")->isVisible());

    // Before a workspace is loaded: Tools unavailable; commands of
    // subsystems not connected yet are unavailable; Close, About and the
    // pane items work.
    EXPECT_FALSE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_FALSE(w->mnuFileRefreshWorkspace->isEnabled());
    EXPECT_FALSE(w->mnuToolsGenerateReports->isEnabled());
    EXPECT_FALSE(w->mnuToolsEnterClientInformation->isEnabled());
    EXPECT_TRUE(w->mnuFileClose->isEnabled());
    EXPECT_TRUE(w->mnuHelpAbout->isEnabled());
    for (QAction* pane : w->mnuPane) EXPECT_TRUE(pane->isEnabled());
    w->EnableToolsMenu(true);
    EXPECT_TRUE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_EQ(w->Command("noSuchCommand"), nullptr);
}

TEST_F(MainWindow, NodeAndBoxMenusExistWithTheirItems) {
    auto w = NewMainWindow();
    ASSERT_NE(w->NodeMenu(), nullptr);
    EXPECT_EQ(w->NodeMenu(), w->findChild<QMenu*>("mnuProgContext"));
    EXPECT_EQ(w->mnuProgContext->title(), "NodeContext");
    struct Item {
        const char* name;
        const char* caption;
        bool visible;
        bool enabled;
    };
    const Item items[] = {
        {"mnuNCFlowContext", "View &Flow Context", true, true},
        {"mnuNCSep1", "", true, true},
        {"mnuNCNewWebService", "&New Web Service...", true, true},
        {"mnuNCSaveWebService", "&Save Web Service...", true, true},
        {"mnuNCSep3", "", true, true},
        {"mnuNCScrnWebSvc", "Start Web Operation &Here", false, true},
        {"mnuNCSetWebSvc", "Set as &Web Operation", true, true},
        {"mnuNCDefineMessages", "Define &Messages", true, true},
        {"mnuNCProcDiagram", "Show D&iagram", true, true},
        {"mnuNCRefocus", "&Refocus", false, true},
        {"mnuNCViewSource", "View &Source", true, false},
        {"mnuNCSFV", "View &Validations Details", true, false},
        {"mnuNCCRUDSig", "&CRUD Signature", true, false},
        {"mnuNCDeleteNode", "D&elete Node", false, true},
        {"mnuNCSep2", "", true, true},
        {"mnuNCKey", "Alter &Key", false, true},
        {"mnuNCDescription", "&Description", true, false},
    };
    const QList<QAction*> actions = w->mnuProgContext->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(items)));
    for (size_t i = 0; i < std::size(items); ++i) {
        QAction* a = actions[static_cast<qsizetype>(i)];
        EXPECT_EQ(a->objectName(), items[i].name);
        EXPECT_EQ(a->text(), items[i].caption) << items[i].name;
        EXPECT_EQ(a->isVisible(), items[i].visible) << items[i].name;
        // A hidden action reads as disabled; shown, it has its own state.
        a->setVisible(true);
        EXPECT_EQ(a->isEnabled(), items[i].enabled) << items[i].name;
    }
    auto* box = w->findChild<QMenu*>("mnuBoxContext");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), "BoxContext");
    QStringList captions;
    for (QAction* a : box->actions()) captions << a->text();
    EXPECT_EQ(captions, QStringList({"&View Source", "&Refocus Diagram", "E&xpand From This Point"}));
}

TEST_F(MainWindow, ToolbarButtonsShareTheMenuCommands) {
    auto w = NewMainWindow();
    ASSERT_EQ(w->findChild<QToolBar*>("tbButtons"), w->tbButtons);
    struct Button {
        const char* key;
        const char* tip;
        QAction* command;
    };
    const Button buttons[] = {
        {"OpenWorkspace", "Open Workspace", w->mnuFileOpenWorkspace},
        {"Refresh", "Refresh", w->mnuFileRefreshWorkspace},
        {"Screens", "Screen Interaction Plot", w->mnuToolsScreenFlow},
        {"CRUDOverlap", "CRUD Overlap", w->mnuToolsCRUD},
        {"Commarea", "COMMAREA Size", w->mnuToolsCOMMAREA},
        {"Validation", "Validation Rules", w->mnuToolsValidation},
        {"GenerateReports", "Generate Reports", w->mnuToolsGenerateReports},
    };
    QList<QAction*> onBar;
    for (QAction* a : w->tbButtons->actions())
        if (!a->isSeparator()) onBar << a;
    ASSERT_EQ(onBar.size(), 7);
    // One separator, after Refresh.
    EXPECT_TRUE(w->tbButtons->actions().at(2)->isSeparator());
    for (size_t i = 0; i < std::size(buttons); ++i) {
        const Button& b = buttons[i];
        EXPECT_EQ(onBar[static_cast<qsizetype>(i)], b.command) << b.key;
        EXPECT_EQ(w->Buttons(b.key), b.command);
        EXPECT_EQ(w->Buttons(QString(b.key).toUpper()), b.command);
        EXPECT_EQ(b.command->toolTip(), b.tip);
        EXPECT_FALSE(b.command->icon().isNull()) << b.key;
        auto* tool = w->tbButtons->findChild<QToolButton*>(b.key);
        ASSERT_NE(tool, nullptr) << b.key;
        EXPECT_EQ(tool->defaultAction(), b.command);
    }
    EXPECT_EQ(w->Buttons("Other"), nullptr);
}

TEST_F(MainWindow, DefaultLayoutSplitsHalfAndEightTenths) {
    auto w = NewMainWindow();
    ShowAt(*w);
    const QRect summary = PaneRect(*w, "Summary");
    const QRect ops = PaneRect(*w, "Web Operations");
    const QRect services = PaneRect(*w, "Web Services");
    EXPECT_NEAR(Share(summary.width(), ops.width()), 0.5, 0.03);
    EXPECT_NEAR(Share(ops.height(), services.height()), 0.5, 0.03);
    EXPECT_LT(summary.right(), ops.left());
    EXPECT_LT(ops.bottom(), services.top());
    EXPECT_FALSE(w->splMain->Panes("Log")->Visible());
    EXPECT_FALSE(w->tbLog->isVisible());
    EXPECT_TRUE(w->trSummary->isVisible());
    EXPECT_FALSE(w->splMain->Panes("Log")->Floatable());

    // View > Log shows the pane and its box, below Summary at 0.8.
    w->mnuPane[3]->trigger();
    Await([&] { return std::abs(Share(PaneRect(*w, "Summary").height(), PaneRect(*w, "Log").height()) - 0.8) < 0.03; },
          "the Log pane at its share");
    EXPECT_TRUE(w->splMain->Panes("Log")->Visible());
    EXPECT_TRUE(w->tbLog->isVisible());
    const QRect log = PaneRect(*w, "Log");
    EXPECT_NEAR(Share(PaneRect(*w, "Summary").height(), log.height()), 0.8, 0.03);
    EXPECT_GT(log.top(), PaneRect(*w, "Summary").bottom());
}

TEST_F(MainWindow, HidingAPaneHidesItsControl) {
    auto w = NewMainWindow();
    ShowAt(*w);
    w->splMain->Panes("Web Services")->Dock()->close();
    EXPECT_FALSE(w->splMain->Panes("Web Services")->Visible());
    EXPECT_FALSE(w->trWebServices->isVisible());
    // The other panes take the room.
    Await([&] { return PaneRect(*w, "Web Operations").height() > 600; }, "Web Operations to take the room");
    w->mnuPane_Click(2);
    EXPECT_TRUE(w->trWebServices->isVisible());
}

TEST_F(MainWindow, LayoutIsSavedOnCloseAndRestoredInTheNextRun) {
    {
        auto w = NewMainWindow();
        ShowAt(*w);
        w->mnuPane_Click(3);  // Log shown
        w->splMain->Panes("Web Services")->SetVisible(false);
        w->splMain->resizeDocks({w->splMain->Panes("Summary")->Dock(), w->splMain->Panes("Web Operations")->Dock()},
                                {300, 700}, Qt::Horizontal);
        Await([&] { return std::abs(Share(PaneRect(*w, "Summary").width(), PaneRect(*w, "Web Operations").width()) -
                                    0.3) < 0.03; },
              "the panes at their new widths");
        EXPECT_TRUE(w->close());
    }
    const QString saved = SavedLayout();
    ASSERT_TRUE(saved.startsWith("QuarvelAnalyzer"));
    auto w = NewMainWindow();
    ShowAt(*w);
    EXPECT_TRUE(w->splMain->Panes("Log")->Visible());
    EXPECT_TRUE(w->tbLog->isVisible());
    EXPECT_FALSE(w->splMain->Panes("Web Services")->Visible());
    EXPECT_FALSE(w->trWebServices->isVisible());
    EXPECT_NEAR(Share(PaneRect(*w, "Summary").width(), PaneRect(*w, "Web Operations").width()), 0.3, 0.05);
    EXPECT_EQ(w->splMain->Panes("Summary")->Dock()->widget(), w->trSummary);
}

TEST_F(MainWindow, SavedLayoutPrefixIgnoresLetterCase) {
    QString layout;
    {
        auto w = NewMainWindow();
        ShowAt(*w);
        w->mnuPane_Click(3);
        w->close();
        layout = SavedLayout().mid(15);
    }
    QSettings().setValue(kLayoutKey, "quarvelANALYZER" + layout);
    auto w = NewMainWindow();
    ShowAt(*w);
    EXPECT_TRUE(w->splMain->Panes("Log")->Visible());
}

TEST_F(MainWindow, DamagedSavedLayoutFallsBackToTheDefault) {
    // A valid tree that lacks the Log pane, plain garbage, and a text
    // without the prefix all give the default layout.
    const QString noLog = "QuarvelAnalyzerv1|3|-1,1,5000,1111,,|0,0,5000,1111,Summary,Summary|"
                          "0,0,5000,1111,Web Operations,Web Operations|AAAA";
    for (const QString& saved : {QString("QuarvelAnalyzer garbage"), noLog, QString("v1|1|-1,0,5000,1111,,|AAAA"),
                                 QString("QuarvelAnalyzer")}) {
        QSettings().setValue(kLayoutKey, saved);
        auto w = NewMainWindow();
        ShowAt(*w);
        for (const char* name : {"Summary", "Web Operations", "Web Services", "Log"})
            ASSERT_NE(w->splMain->Panes(name), nullptr) << saved.toStdString() << " " << name;
        EXPECT_FALSE(w->splMain->Panes("Log")->Visible()) << saved.toStdString();
        EXPECT_TRUE(w->trSummary->isVisible());
        EXPECT_NEAR(Share(PaneRect(*w, "Summary").width(), PaneRect(*w, "Web Operations").width()), 0.5, 0.03);
    }
}

TEST_F(MainWindow, PaneActivationAndFocusFollowEachOther) {
    auto w = NewMainWindow();
    ShowAt(*w);
    w->activateWindow();
    QApplication::setActiveWindow(w.get());
    Await([&] { return w->isActiveWindow(); }, "the window to be active");
    // Activating a pane focuses its tree; the Log pane has none to focus.
    emit w->splMain->PaneActivate(w->splMain->Panes("Web Services"));
    EXPECT_TRUE(w->trWebServices->hasFocus());
    emit w->splMain->PaneActivate(w->splMain->Panes("Log"));
    EXPECT_TRUE(w->trWebServices->hasFocus());
    // A control that gets the focus activates its pane.
    w->trSummary->setFocus();
    EXPECT_EQ(w->splMain->ActivePane(), w->splMain->Panes("Summary"));
}

TEST_F(MainWindow, AboutShowsTitleAndVersion) {
    auto w = NewMainWindow();
    app::InstallCommands(*w);
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (box->objectName() == "frmAbout") shown = box->text();
            box->accept();
        }
    });
    w->mnuHelpAbout->trigger();
    EXPECT_EQ(shown, "Quarvel Analyzer 1.0");
}
