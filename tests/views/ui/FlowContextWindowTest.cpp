// The flow context window on the sample: one window per program, its zooms
// and panes kept while the workspace is open, the box menus from the
// diagrams' events, Refocus, Expand and the source view from a box.

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

#include <gmock/gmock.h>

#include <string>

#include "platform/ui/TDiagram.h"
#include "platform/ui/TSplitter.h"
#include "tests/views/ui/SampleWindowsFixture.h"
#include "views/ContextLayouts.h"

namespace {

using platform::diagram::Shape;
using platform::ui::TDiagram;
using views::ui::frmContext;
using viewsuitest::SampleWindows;

class FlowContextWindowTest : public SampleWindows {
protected:
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = qobject_cast<QMenu*>(w)) m->hide();
        SampleWindows::TearDown();
    }

    frmContext* Open(const char* name) {
        Globals::ShowFlowContext(Id(name), name, nullptr, &owner, true);
        return views::ui::FindFlowContextWindow(QString::fromStdString(Id(name) + "-FlowContext"));
    }
    static Shape* Box(TDiagram* d, const char* key) { return d->Model().FindShape(key); }
    static QStringList Keys(TDiagram* d) {
        QStringList out;
        for (const auto& s : d->Model().Shapes()) out << QString::fromStdString(s->key);
        return out;
    }
    // The items' enabled states, and whether the menu shows.
    static std::string Menu(frmContext* w) {
        std::string out;
        out += w->mnuBCViewSource->isEnabled() ? 'S' : '-';
        out += w->mnuBCRefocus->isEnabled() ? 'R' : '-';
        out += w->mnuBCExpand->isEnabled() ? 'E' : '-';
        out += w->mnuBoxContext->isVisible() ? "+menu" : "";
        w->mnuBoxContext->hide();
        return out;
    }

    QWidget owner;
};

TEST_F(FlowContextWindowTest, OneWindowPerProgramRestoredWhenMinimised) {
    frmContext* w = Open("ORDENTR");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), "ORDENTR - Flow Context");
    EXPECT_EQ(w->Tag().toStdString(), Id("ORDENTR") + "-FlowContext");
    EXPECT_EQ(Globals::g_ActiveContextKey, Id("ORDENTR") + "-FlowContext");
    EXPECT_EQ(w->Owner, &owner);
    // The client side ends at the screens, the data side reaches the data.
    EXPECT_TRUE(Keys(w->dgmClientFacing).contains("ORDENT"));
    EXPECT_FALSE(Keys(w->dgmClientFacing).contains("ORDPROC"));
    EXPECT_TRUE(Keys(w->dgmDataFacing).contains("ORDPROC"));
    EXPECT_FALSE(Keys(w->dgmDataFacing).contains("ORDENT"));
    EXPECT_EQ(Box(w->dgmDataFacing, "ORDENTR")->fillColor, platform::diagram::Rgb(255, 0, 0));
    // Both panes are white like the plot and the report's pictures: the
    // palette's base colour, not the window's grey.
    QPalette palette = w->palette();
    palette.setColor(QPalette::Base, QColor(250, 250, 235));
    palette.setColor(QPalette::Window, QColor(160, 160, 160));
    w->setPalette(palette);
    for (TDiagram* d : {w->dgmClientFacing, w->dgmDataFacing})
        EXPECT_EQ(d->viewport()->grab().toImage().pixelColor(2, 2), QColor(250, 250, 235)) << d->objectName().toStdString();

    w->showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(Open("ORDENTR"), w);
    EXPECT_FALSE(w->windowState() & Qt::WindowMinimized);
    EXPECT_EQ(Count<frmContext>(), 1);
    ASSERT_TRUE(Open("ORDPROC"));
    EXPECT_EQ(Count<frmContext>(), 2);
}

TEST_F(FlowContextWindowTest, ZoomsAndPanesSurviveCloseAndReopenButNotAReload) {
    frmContext* w = Open("ORDENTR");
    ASSERT_TRUE(w);
    w->dgmClientFacing->SetZoom(150);
    w->dgmDataFacing->SetZoom(75);
    w->splMain->Panes(views::kDataFacingPane)->SetVisible(false);
    w->close();
    Settle();
    const std::string key = Id("ORDENTR") + "-FlowContext";
    ASSERT_TRUE(Globals::g_ContextLayouts->Contains(key));
    EXPECT_TRUE(Globals::g_ContextLayouts->Item(key).ends_with("-150-75"));

    w = Open("ORDENTR");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->dgmClientFacing->Zoom(), 150);
    EXPECT_EQ(w->dgmDataFacing->Zoom(), 75);
    EXPECT_EQ(w->lblZoom->text(), "150%");
    EXPECT_FALSE(w->splMain->Panes(views::kDataFacingPane)->Visible());
    EXPECT_TRUE(w->splMain->Panes(views::kClientFacingPane)->Visible());
    // Another program's window starts as the default.
    frmContext* other = Open("ORDPROC");
    EXPECT_EQ(other->dgmClientFacing->Zoom(), 100);
    w->close();
    other->close();
    Settle();

    // A workspace loaded again starts from nothing.
    session::CloseWorkspace();
    OpenSample();
    w = Open("ORDENTR");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->dgmClientFacing->Zoom(), 100);
    EXPECT_EQ(w->dgmDataFacing->Zoom(), 100);
    EXPECT_TRUE(w->splMain->Panes(views::kDataFacingPane)->Visible());
}

TEST_F(FlowContextWindowTest, BoxMenusByBoxKindFromMouseAndKeyboard) {
    frmContext* w = Open("ORDENTR");
    ASSERT_TRUE(w);
    TDiagram* client = w->dgmClientFacing;
    TDiagram* data = w->dgmDataFacing;
    Shape* store = nullptr;
    for (const auto& s : data->Model().Shapes())
        if (s->tag.rfind("TABLE", 0) == 0) store = s.get();
    ASSERT_TRUE(store);

    // The diagrams' events reach the menu (the matrix itself is tested
    // without the window): right button, tags, the diagram remembered.
    emit client->ShapeMouseReleased(Box(client, "ORDENT"), 2);
    EXPECT_EQ(Menu(w), "S--+menu");
    EXPECT_EQ(w->CurrentDiagram(), client);
    EXPECT_EQ(w->mnuBCViewSource->property("Tag").toString().toStdString(), Request("ORDENT", Id("ORDENT", "MAP")));
    emit data->ShapeMouseReleased(store, 2);
    EXPECT_EQ(Menu(w), "-RE+menu");
    EXPECT_EQ(w->CurrentDiagram(), data);
    EXPECT_EQ(w->mnuBCExpand->property("Tag").toString().toStdString(), store->key);
    // The left button opens nothing.
    emit data->ShapeMouseReleased(Box(data, "ORDPROC"), 1);
    EXPECT_EQ(Menu(w), "-RE");

    // Shift+F10 on the selected box: the store gets all three.
    data->setFocus();
    data->show();
    QTest::keyClick(data, Qt::Key_Tab);
    while (data->SelectedShape() != store) QTest::keyClick(data, Qt::Key_Tab);
    QCursor::setPos(data->screen()->geometry().bottomRight());
    QTest::keyClick(data, Qt::Key_F10, Qt::ShiftModifier);
    // At the box, not at the mouse pointer.
    EXPECT_EQ(data->ShapeAt(data->viewport()->mapFromGlobal(w->mnuBoxContext->pos())), store);
    EXPECT_EQ(Menu(w), "SRE+menu");
    QTest::keyClick(data, Qt::Key_F10);  // without Shift: nothing
    EXPECT_EQ(Menu(w), "SRE");
}

TEST_F(FlowContextWindowTest, RefocusRetargetsTheWindowOrRaisesTheProgramsOwn) {
    frmContext* w = Open("ORDENTR");
    ASSERT_TRUE(w);
    w->dgmClientFacing->SetZoom(130);
    TDiagram* data = w->dgmDataFacing;
    emit data->ShapeMouseReleased(Box(data, "ORDPROC"), 2);
    w->mnuBoxContext->hide();
    w->mnuBCRefocus->trigger();
    EXPECT_EQ(w->windowTitle(), "ORDPROC - Flow Context");
    EXPECT_EQ(w->Tag().toStdString(), Id("ORDPROC") + "-FlowContext");
    EXPECT_EQ(Globals::g_ActiveContextKey, Id("ORDPROC") + "-FlowContext");
    EXPECT_EQ(w->dgmClientFacing->Zoom(), 130);
    EXPECT_EQ(Box(w->dgmDataFacing, "ORDPROC")->fillColor, platform::diagram::Rgb(255, 0, 0));
    EXPECT_TRUE(Keys(w->dgmClientFacing).contains("ORDENTR"));
    EXPECT_EQ(Count<frmContext>(), 1);

    // A program with a window of its own: that window comes forward and
    // this one stays as it is.
    frmContext* stockchk = Open("STOCKCHK");
    ASSERT_TRUE(stockchk && stockchk != w);
    Globals::g_ActiveContextKey = w->Tag().toStdString();
    ASSERT_TRUE(Box(w->dgmDataFacing, "STOCKCHK"));
    emit w->dgmDataFacing->ShapeMouseReleased(Box(w->dgmDataFacing, "STOCKCHK"), 2);
    w->mnuBoxContext->hide();
    w->mnuBCRefocus->trigger();
    EXPECT_EQ(w->windowTitle(), "ORDPROC - Flow Context");
    EXPECT_EQ(stockchk->windowTitle(), "STOCKCHK - Flow Context");
    EXPECT_EQ(Count<frmContext>(), 2);

    // The window named as active is gone: the window Refocus was chosen in
    // is retargeted, nothing dereferences a window that is not there.
    Globals::g_ActiveContextKey = "PROGRAM#0-FlowContext";
    emit w->dgmClientFacing->ShapeMouseReleased(Box(w->dgmClientFacing, "ORDENTR"), 2);
    w->mnuBoxContext->hide();
    w->mnuBCRefocus->trigger();
    EXPECT_EQ(w->windowTitle(), "ORDENTR - Flow Context");
    EXPECT_EQ(Count<frmContext>(), 2);
}

TEST_F(FlowContextWindowTest, ExpandRedrawsOnlyTheCurrentSide) {
    frmContext* w = Open("ORDENTR");
    ASSERT_TRUE(w);
    const QStringList clientBefore = Keys(w->dgmClientFacing);
    TDiagram* data = w->dgmDataFacing;
    // Enlarged, the new drawing reaches far beyond the pane.
    ASSERT_TRUE(SettleUntil([&] { return data->isVisible() && data->viewport()->width() > 200; }));
    data->SetZoom(400);
    emit data->ShapeMouseReleased(Box(data, "ORDPROC"), 2);
    w->mnuBoxContext->hide();
    w->mnuBCExpand->trigger();
    // ORDPROC in the middle with both its sides: its caller ORDENTR and
    // its callees; the pane shows it, wherever the layout put it.
    EXPECT_EQ(Box(data, "ORDPROC")->fillColor, platform::diagram::Rgb(255, 0, 0));
    EXPECT_EQ(data->ShapeAt(data->viewport()->rect().center()), Box(data, "ORDPROC"));
    EXPECT_NE(Box(data, "ORDENTR")->fillColor, platform::diagram::Rgb(255, 0, 0));
    EXPECT_TRUE(Keys(data).contains("STOCKCHK"));
    EXPECT_EQ(Keys(w->dgmClientFacing), clientBefore);
    EXPECT_EQ(w->windowTitle(), "ORDENTR - Flow Context");
    EXPECT_EQ(w->Tag().toStdString(), Id("ORDENTR") + "-FlowContext");
}

// A drawing larger than its pane opens with the program asked about (the
// red centre box) in view, not at the drawing's top-left corner, though
// the panes are sized only after the window shows; Refocus does the same
// for its program. Once the analyst scrolls, resizing leaves the view be.
TEST_F(FlowContextWindowTest, TheCentreBoxIsInViewOnOpenAndAfterRefocus) {
    frmContext* w = Open("ORDENTR");
    ASSERT_TRUE(w);
    // At 400% both sides reach far beyond their panes.
    w->dgmClientFacing->SetZoom(400);
    w->dgmDataFacing->SetZoom(400);
    w->close();
    Settle();
    w = Open("ORDENTR");
    ASSERT_TRUE(w);
    TDiagram* client = w->dgmClientFacing;
    TDiagram* data = w->dgmDataFacing;
    auto shown = [&](TDiagram* d, const char* centre) {
        const Shape* box = Box(d, centre);
        return box && QRectF(d->viewport()->rect()).contains(d->ViewRect(*box));
    };
    auto settled = [&](const char* centre) {
        return SettleUntil([&] {
            return client->isVisible() && data->isVisible() && client->viewport()->width() > 200 &&
                   data->viewport()->width() > 200 && shown(client, centre) && shown(data, centre);
        });
    };
    ASSERT_TRUE(settled("ORDENTR"));
    // The corner would not have shown it.
    const QPointF scrolled(client->horizontalScrollBar()->value(), client->verticalScrollBar()->value());
    const QRectF atCorner = client->ViewRect(*Box(client, "ORDENTR")).translated(scrolled);
    EXPECT_FALSE(QRectF(client->viewport()->rect()).contains(atCorner));

    emit data->ShapeMouseReleased(Box(data, "ORDPROC"), 2);
    w->mnuBoxContext->hide();
    w->mnuBCRefocus->trigger();
    ASSERT_EQ(w->windowTitle(), "ORDPROC - Flow Context");
    EXPECT_TRUE(settled("ORDPROC"));

    client->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    client->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    w->resize(w->width() - 120, w->height() - 80);
    Settle();
    EXPECT_EQ(client->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(client->verticalScrollBar()->value(), 0);
}

TEST_F(FlowContextWindowTest, DoubleClickOpensTheSourceOwnedByTheWindow) {
    frmContext* w = Open("ORDENTR");
    ASSERT_TRUE(w);
    emit w->dgmClientFacing->ShapeActivated(Box(w->dgmClientFacing, "ORDENT"));
    views::ui::frmSource* viewer = views::ui::SourceViewer();
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->Tag().toStdString(), Id("ORDENT", "MAP") + "-Source");
    EXPECT_EQ(viewer->Owner, w);
    // The viewer outlives the window that asked for it.
    w->close();
    Settle();
    EXPECT_EQ(views::ui::SourceViewer(), viewer);
}

TEST_F(FlowContextWindowTest, AClosedPaneComesBackAndOnlyTheClientSideShowsItsZoom) {
    frmContext* w = Open("ORDENTR");
    ASSERT_TRUE(w);
    platform::ui::TSplitterPane* pane = w->splMain->Panes(views::kDataFacingPane);
    ASSERT_TRUE(pane);
    pane->SetVisible(false);
    EXPECT_TRUE(SettleUntil([&] { return !w->dgmDataFacing->isVisible(); }));
    QAction* item = nullptr;
    for (QAction* a : w->mnuView->actions())
        if (a->text() == views::kDataFacingPane) item = a;
    ASSERT_TRUE(item);
    item->trigger();
    EXPECT_TRUE(SettleUntil([&] { return w->dgmDataFacing->isVisible(); }));
    EXPECT_TRUE(pane->Visible());

    w->dgmClientFacing->SetZoom(120);
    EXPECT_EQ(w->lblZoom->text(), "120%");
    w->dgmDataFacing->SetZoom(60);
    EXPECT_EQ(w->lblZoom->text(), "120%");
}

// A routine that many programs call: its flow context is read and laid
// out under a progress level of its own with Cancel, the layout on another
// thread. The rows go again after the test, the sample being the suite's.
class HubContext : public FlowContextWindowTest {
protected:
    static constexpr int kCallers = 1200;
    static constexpr const char* kHub = "HUBTEST";

    void SetUp() override {
        auto& db = *Globals::g_Database;
        platform::db::Transaction adding(db);
        db.Execute("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub, SOAType) VALUES "
                   "('PROGRAM#HUBTEST', 'PROGRAM', 'PROGRAM', 'HUBTEST', 'HUBTEST', 0, 0)");
        for (int i = 0; i < kCallers; ++i) {
            const std::string name = "HUBC" + std::to_string(i);
            db.Execute("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub, SOAType) "
                       "VALUES (?1, 'PROGRAM', 'PROGRAM', ?2, ?2, 0, 0)",
                       {"PROGRAM#" + name, name});
            db.Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
                       "VALUES (?1, 'PROGRAM#HUBTEST', 'PROGRAM', 'PROGRAM', 'Calls', 'Calls')",
                       {"PROGRAM#" + name});
        }
        adding.Commit();
    }
    void TearDown() override {
        Globals::g_Database->Execute("DELETE FROM Rels WHERE Id2 = 'PROGRAM#HUBTEST'");
        Globals::g_Database->Execute("DELETE FROM Ents WHERE ID LIKE 'PROGRAM#HUB%'");
        FlowContextWindowTest::TearDown();
    }

    frmContext* OpenHub(testsupport::RecordingProgress& progress, bool show = true, frmContext* caller = nullptr) {
        Globals::ShowFlowContext("PROGRAM#HUBTEST", kHub, nullptr, &owner, show, caller, &progress);
        return views::ui::FindFlowContextWindow("PROGRAM#HUBTEST-FlowContext");
    }
    static std::string Reading() { return std::string("Reading the flow context of ") + kHub; }
    static std::string LayingOut() { return std::string("Laying out the flow context of ") + kHub; }
};

TEST_F(HubContext, OpensWithItsProgressShownAndEveryCallerLaidOut) {
    testsupport::RecordingProgress progress;
    frmContext* w = OpenHub(progress);
    ASSERT_TRUE(w);
    EXPECT_THAT(progress.steps, ::testing::Contains(Reading()));
    EXPECT_THAT(progress.steps, ::testing::Contains(LayingOut()));
    EXPECT_EQ(progress.level, 0);
    EXPECT_EQ(progress.maxLevel, 1);
    const auto& shapes = w->dgmClientFacing->Model().Shapes();
    ASSERT_EQ(shapes.size(), static_cast<std::size_t>(kCallers + 1));
    const Shape* hub = Box(w->dgmClientFacing, kHub);
    ASSERT_TRUE(hub);
    for (const auto& s : shapes) {
        if (s.get() == hub) continue;
        // Left of the hub, every caller with its line routed to it.
        ASSERT_LT(s->left + s->width, hub->left) << s->key;
    }
    for (const auto& l : w->dgmClientFacing->Model().Links()) ASSERT_FALSE(l->route.empty()) << l->from->key;
}

// Cancelled while its callers are laid out, or while they are read: no
// window opens; a window it was to be shown in keeps its own drawing.
TEST_F(HubContext, ACancelLeavesNoWindowAndNoHalfDrawing) {
    for (const std::string& at : {LayingOut(), Reading()}) {
        SCOPED_TRACE(at);
        testsupport::RecordingProgress progress;
        progress.cancelAtStep = at;
        EXPECT_FALSE(OpenHub(progress));
        EXPECT_EQ(Count<frmContext>(), 0);
        EXPECT_EQ(progress.level, 0);
        EXPECT_TRUE(progress.Cancelled());
    }

    frmContext* w = Open("ORDENTR");
    ASSERT_TRUE(w);
    const QStringList client = Keys(w->dgmClientFacing), data = Keys(w->dgmDataFacing);
    const double left = Box(w->dgmDataFacing, "ORDENTR")->left;
    testsupport::RecordingProgress progress;
    progress.cancelAtStep = LayingOut();
    Globals::g_ActiveContextKey = w->Tag().toStdString();
    EXPECT_FALSE(OpenHub(progress, false, w));
    EXPECT_EQ(w->windowTitle(), "ORDENTR - Flow Context");
    EXPECT_EQ(Keys(w->dgmClientFacing), client);
    EXPECT_EQ(Keys(w->dgmDataFacing), data);
    EXPECT_EQ(Box(w->dgmDataFacing, "ORDENTR")->left, left);
    EXPECT_EQ(Count<frmContext>(), 1);

    // Not cancelled, the same window is retargeted to the hub.
    testsupport::RecordingProgress again;
    EXPECT_EQ(OpenHub(again, false, w), w);
    EXPECT_EQ(w->windowTitle(), QString(kHub) + " - Flow Context");
    EXPECT_TRUE(Keys(w->dgmClientFacing).contains("HUBC0"));
}

}  // namespace
