// The diagram control: boxes and links by key, painting suspended and
// resumed, activation by mouse and keyboard, key codes and zoom.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "platform/diagram/DiagramPainter.h"
#include "platform/ui/TDiagram.h"
#include "tests/platform/diagram/DenseTracks.h"
#include "tests/support/TestSupport.h"

using namespace platform::ui;
using platform::diagram::Colour;
using platform::diagram::Rgb;

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// The pixels of the viewport whose colour is within tol of c, as painted.
std::vector<QPoint> PixelsOf(TDiagram& d, Colour c, int tol = 0) {
    QImage img = d.viewport()->grab().toImage();
    std::vector<QPoint> found;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QColor p = img.pixelColor(x, y);
            if (std::abs(p.red() - platform::diagram::Red(c)) <= tol &&
                std::abs(p.green() - platform::diagram::Green(c)) <= tol &&
                std::abs(p.blue() - platform::diagram::Blue(c)) <= tol)
                found.push_back(QPoint(x, y));
        }
    return found;
}

QPoint Centre(const std::vector<QPoint>& pts) {
    long sx = 0, sy = 0;
    for (QPoint p : pts) sx += p.x(), sy += p.y();
    return QPoint(static_cast<int>(sx / static_cast<long>(pts.size())), static_cast<int>(sy / static_cast<long>(pts.size())));
}

// A shown control with a caller box, a callee box and one link between
// them, each in a colour of its own so the test finds them on the screen.
struct Shown {
    TDiagram d;
    TDiagramShape* caller;
    TDiagramShape* callee;
    TDiagramLink* link;
    static constexpr Colour kCallerFill = Rgb(250, 200, 40);
    static constexpr Colour kCalleeFill = Rgb(40, 200, 250);
    static constexpr Colour kLinkColour = Rgb(0, 0, 255);
    Shown() {
        d.resize(500, 400);
        caller = d.Shapes().Add("ORDENTR", 0, 0, 3, 3, kCallerFill, std::nullopt, "ORDENTR");
        callee = d.Shapes().Add("ORDPROC", 0, 0, 3, 3, kCalleeFill, std::nullopt, "ORDPROC");
        link = d.Links().Add(caller, callee, "", "ORDENTRCallsORDPROC", "", false, "", false);
        link->color = kLinkColour;
        d.AutoLayout();
        d.FinishLayout();
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        Settle();
    }
};

}  // namespace

TEST(TDiagram, ShapesAndLinksByKey) {
    TDiagram d;
    TDiagramShape* a = d.Shapes().Add("PROGA", 0, 0, 3, 3, Rgb(1, 2, 3), Rgb(4, 5, 6), "PROGA");
    TDiagramShape* b = d.Shapes().Add("PROGB", 0, 0, 3, 3, "PROGB");
    EXPECT_EQ(d.Shapes().Item("PROGA"), a);
    EXPECT_EQ(a->fillColor, Rgb(1, 2, 3));
    EXPECT_EQ(a->textColor, Rgb(4, 5, 6));
    EXPECT_EQ(b->fillColor, Rgb(255, 255, 255));
    // Missing keys are "none", and keys compare exactly.
    EXPECT_EQ(d.Shapes().Item("NOPE"), nullptr);
    EXPECT_FALSE(d.Shapes().Exists("proga"));
    EXPECT_FALSE(d.Shapes().Exists(""));
    // A second box under a taken key is refused and leaves the first alone.
    EXPECT_THROW(d.Shapes().Add("other", 0, 0, 3, 3, "PROGA"), platform::diagram::DuplicateKey);
    EXPECT_EQ(d.Shapes().Count(), 2);
    EXPECT_EQ(d.Shapes().Item("PROGA")->text, "PROGA");

    // Links without keys may repeat; they are not found by the empty key.
    d.Links().Add(a, b, "XCtls");
    d.Links().Add(a, b, "XCtls");
    TDiagramLink* keyed = d.Links().Add(b, a, "Calls", "PROGBCallsPROGA");
    EXPECT_EQ(d.Links().Count(), 3);
    EXPECT_EQ(d.Links().Item(""), nullptr);
    EXPECT_EQ(d.Links().Item("PROGBCallsPROGA"), keyed);
    EXPECT_THROW(d.Links().Add(a, b, "", "PROGBCallsPROGA"), platform::diagram::DuplicateKey);
    EXPECT_THROW(d.Links().Add(a, nullptr, ""), std::invalid_argument);
    EXPECT_EQ(d.Links().Count(), 3);

    d.Clear();
    EXPECT_EQ(d.Shapes().Count(), 0);
    EXPECT_EQ(d.Links().Count(), 0);
    EXPECT_FALSE(d.Shapes().Exists("PROGA"));
}

// Painting off shows nothing of a new drawing; a build that fails inside a
// scope still leaves the control painting, however it switched painting off.
TEST(TDiagram, RedrawScopeAlwaysTurnsPaintingBackOn) {
    TDiagram d;
    d.resize(400, 300);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const Colour fill = Rgb(200, 30, 30);
    d.Redraw(false);
    d.Shapes().Add("A", 0, 0, 3, 3, fill, std::nullopt, "A");
    d.AutoLayout();
    Settle();
    EXPECT_TRUE(PixelsOf(d, fill).empty());

    try {
        RedrawScope outer(d);
        {
            RedrawScope inner(d);
            d.Redraw(false);
            d.Shapes().Add("B", 0, 0, 3, 3, fill, std::nullopt, "B");
        }
        d.AutoLayout();
        throw std::runtime_error("build failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(d.IsRedrawOn());
    Settle();
    EXPECT_FALSE(PixelsOf(d, fill).empty());
}

// What is painted is what is hit: a double-click where a box shows activates
// that box, one on the link activates the link, and a right-button release
// on a box reports the box with button 2.
TEST(TDiagram, MouseActivatesTheBoxOrLinkUnderIt) {
    Shown s;
    std::vector<TDiagramShape*> shapes;
    std::vector<TDiagramLink*> links;
    std::vector<std::pair<TDiagramShape*, int>> releases;
    QObject::connect(&s.d, &TDiagram::ShapeActivated, [&](TDiagramShape* x) { shapes.push_back(x); });
    QObject::connect(&s.d, &TDiagram::LinkActivated, [&](TDiagramLink* x) { links.push_back(x); });
    QObject::connect(&s.d, &TDiagram::ShapeMouseReleased,
                     [&](TDiagramShape* x, int b) { releases.push_back({x, b}); });

    std::vector<QPoint> callee = PixelsOf(s.d, Shown::kCalleeFill);
    ASSERT_GT(callee.size(), 100u);
    QTest::mouseDClick(s.d.viewport(), Qt::LeftButton, {}, Centre(callee));
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0], s.callee);
    EXPECT_TRUE(links.empty());

    // The middle of the painted line (no arrowheads, no caption).
    std::vector<QPoint> line = PixelsOf(s.d, Shown::kLinkColour, 60);
    ASSERT_GT(line.size(), 10u);
    std::sort(line.begin(), line.end(), [](QPoint a, QPoint b) { return std::make_pair(a.y(), a.x()) < std::make_pair(b.y(), b.x()); });
    QTest::mouseDClick(s.d.viewport(), Qt::LeftButton, {}, line[line.size() / 2]);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0], s.link);
    EXPECT_EQ(shapes.size(), 1u);

    std::vector<QPoint> caller = PixelsOf(s.d, Shown::kCallerFill);
    ASSERT_FALSE(caller.empty());
    releases.clear();
    QTest::mouseClick(s.d.viewport(), Qt::RightButton, {}, Centre(caller));
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0].first, s.caller);
    EXPECT_EQ(releases[0].second, 2);
    EXPECT_EQ(s.d.SelectedShape(), s.caller);
}

TEST(TDiagram, KeyReleasedCarriesKeyCodeAndShiftState) {
    Shown s;
    s.d.setFocus();
    std::vector<std::pair<int, int>> got;
    QObject::connect(&s.d, &TDiagram::KeyReleased, [&](int k, int sh) { got.push_back({k, sh}); });
    struct Case { Qt::Key key; Qt::KeyboardModifiers mods; int code; int shift; };
    const Case cases[] = {
        {Qt::Key_F10, Qt::ShiftModifier, 121, 1},
        {Qt::Key_F1, Qt::NoModifier, 112, 0},
        {Qt::Key_F12, Qt::NoModifier, 123, 0},
        {Qt::Key_Escape, Qt::NoModifier, 27, 0},
        {Qt::Key_Delete, Qt::NoModifier, 46, 0},
        {Qt::Key_A, Qt::ControlModifier, 65, 2},
        {Qt::Key_Z, Qt::ShiftModifier | Qt::AltModifier, 90, 5},
        {Qt::Key_7, Qt::AltModifier, 55, 4},
        {Qt::Key_Left, Qt::NoModifier, 37, 0},
        {Qt::Key_Down, Qt::NoModifier, 40, 0},
    };
    for (const Case& c : cases) {
        got.clear();
        QTest::keyClick(&s.d, c.key, c.mods);
        // The modifier keys report their own releases (16, 17, 18) after it.
        ASSERT_FALSE(got.empty()) << c.code;
        EXPECT_EQ(got[0], std::make_pair(c.code, c.shift));
        for (std::size_t i = 1; i < got.size(); ++i) EXPECT_TRUE(got[i].first >= 16 && got[i].first <= 18);
    }
}

// Box menus and activation work without a mouse.
TEST(TDiagram, KeyboardSelectsAndActivatesBoxes) {
    TDiagram d;
    d.resize(500, 400);
    // A at the top left, B to its right, C below A.
    TDiagramShape* a = d.Shapes().Add("A", 0, 0, 60, 30, "A");
    TDiagramShape* b = d.Shapes().Add("B", 200, 0, 60, 30, "B");
    TDiagramShape* c = d.Shapes().Add("C", 0, 150, 60, 30, "C");
    d.FinishLayout();
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.setFocus();
    std::vector<TDiagramShape*> activated;
    QObject::connect(&d, &TDiagram::ShapeActivated, [&](TDiagramShape* x) { activated.push_back(x); });

    EXPECT_EQ(d.SelectedShape(), nullptr);
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_TRUE(activated.empty());

    QTest::keyClick(&d, Qt::Key_Tab);
    EXPECT_EQ(d.SelectedShape(), a);
    EXPECT_TRUE(d.hasFocus());
    QTest::keyClick(&d, Qt::Key_Return);
    ASSERT_EQ(activated.size(), 1u);
    EXPECT_EQ(activated[0], a);

    struct Step { Qt::Key key; Qt::KeyboardModifiers mods; TDiagramShape* then; };
    const Step steps[] = {
        {Qt::Key_Tab, Qt::NoModifier, b},     {Qt::Key_Tab, Qt::NoModifier, c},
        {Qt::Key_Tab, Qt::NoModifier, a},     {Qt::Key_Backtab, Qt::ShiftModifier, c},
        {Qt::Key_Up, Qt::NoModifier, a},      {Qt::Key_Right, Qt::NoModifier, b},
        {Qt::Key_Right, Qt::NoModifier, b},   {Qt::Key_Down, Qt::NoModifier, c},
        {Qt::Key_Left, Qt::NoModifier, c},
    };
    for (const Step& s : steps) {
        QTest::keyClick(&d, s.key, s.mods);
        EXPECT_EQ(d.SelectedShape(), s.then) << "after key " << s.key << " expected " << s.then->key;
    }
    QTest::keyClick(&d, Qt::Key_Enter);
    ASSERT_EQ(activated.size(), 2u);
    EXPECT_EQ(activated[1], c);
}

// Ctrl+wheel and the zoom keys change the zoom, within its limits, each
// change reported; an export is drawn at the zoom shown.
TEST(TDiagram, ZoomByWheelAndKeysAndExportAtTheZoomShown) {
    Shown s;
    s.d.setFocus();
    QSignalSpy changed(&s.d, &TDiagram::ZoomChanged);
    QPointF at(100, 100);
    QWheelEvent up(at, s.d.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(s.d.viewport(), &up);
    EXPECT_EQ(s.d.Zoom(), 110);
    QWheelEvent plain(at, s.d.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(s.d.viewport(), &plain);
    EXPECT_EQ(s.d.Zoom(), 110);

    struct Step { Qt::Key key; Qt::KeyboardModifiers mods; int zoom; };
    const Step steps[] = {
        {Qt::Key_Equal, Qt::ControlModifier, 120},
        {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, 130},
        {Qt::Key_Minus, Qt::ControlModifier, 120},
        {Qt::Key_0, Qt::ControlModifier, 100},
        {Qt::Key_Minus, Qt::NoModifier, 100},
    };
    for (const Step& st : steps) {
        QTest::keyClick(&s.d, st.key, st.mods);
        EXPECT_EQ(s.d.Zoom(), st.zoom) << st.key;
    }
    EXPECT_EQ(changed.count(), 5);

    s.d.SetZoom(1000);
    EXPECT_EQ(s.d.Zoom(), TDiagram::kMaxZoom);
    s.d.SetZoom(0);
    EXPECT_EQ(s.d.Zoom(), TDiagram::kMinZoom);

    s.d.SetZoom(50);
    testsupport::TempDir dir;
    ASSERT_TRUE(s.d.ExportImage(dir / "half.jpg"));
    QImage img = QImageReader(QString::fromStdString((dir / "half.jpg").string())).read();
    double w = platform::diagram::DrawingBounds(s.d.Model()).width();
    EXPECT_EQ(img.width(), std::lround(w * 0.5) + 2 * platform::diagram::kImageMargin);
    EXPECT_FALSE(s.d.ExportImage(dir / "missing" / "half.jpg"));
}

// The control paints as the pictures are: at 100% and 200% each line on
// the 4 px tracks is one (two) columns or rows of screen pixels at its full
// colour with three (six) white between neighbours, wherever the layout's
// coordinates fall and the drawing is scrolled.
TEST(TDiagram, LinesLieOnWholeScreenPixelsAtWholeZooms) {
    using namespace densetracks;
    for (QPointF offset : {QPointF(0, 0), QPointF(0.3, 0.75)}) {
        TDiagram d;
        d.resize(1100, 700);
        const TDiagramShape& left = Plant(d.Model(), offset);
        d.FinishLayout();
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        for (int zoom : {100, 200}) {
            SCOPED_TRACE("offset " + std::to_string(offset.x()) + ", zoom " + std::to_string(zoom));
            d.SetZoom(zoom);
            Settle();
            const QImage img = d.viewport()->grab().toImage();
            const QRectF box = d.ViewRect(left);  // the left box stands at the offset
            ASSERT_TRUE(d.viewport()->rect().contains(box.topLeft().toPoint()));
            const int k = zoom / 100;
            auto at = [&](double x, double y) {
                return QPoint(static_cast<int>(std::floor(box.left() + x * k)), static_cast<int>(std::floor(box.top() + y * k)));
            };
            const int span = static_cast<int>(kLines * kPitch) * k + 2 * k;
            const int pitch = static_cast<int>(kPitch) * k;
            EXPECT_TRUE(CrispSection(RunsAlong(img, at(TrackX(kLines - 1) - 4, kAcrossVertical), {1, 0}, span),
                                     kLines - 1, -1, k, pitch));
            EXPECT_TRUE(CrispSection(RunsAlong(img, at(kAcrossUpper, UpperY(0) - 4), {0, 1}, span), 0, 1, k, pitch));
            EXPECT_TRUE(CrispSection(RunsAlong(img, at(kAcrossLower, LowerY(0) - 4), {0, 1}, span), 0, 1, k, pitch));
        }
    }
}

// A control grown to the drawing's size drops the scroll bars it showed
// while smaller (each would otherwise keep the other); a box asked for is
// scrolled to the middle of the viewport and kept there while the control
// is sized, until the analyst scrolls.
TEST(TDiagram, ScrollBarsGoWhenTheDrawingFitsAndABoxIsCentredOn) {
    Shown s;
    QScrollBar* bars[] = {s.d.horizontalScrollBar(), s.d.verticalScrollBar()};
    s.d.resize(60, 40);
    Settle();
    for (QScrollBar* bar : bars) ASSERT_TRUE(bar->isVisible());
    s.d.resize(s.d.DrawingSize());
    Settle();
    for (QScrollBar* bar : bars) {
        EXPECT_FALSE(bar->isVisible());
        EXPECT_EQ(bar->maximum(), 0);
    }
    EXPECT_EQ(s.d.viewport()->size(), s.d.contentsRect().size());

    // Enlarged beyond a small control, each box can stand in its middle.
    s.d.resize(200, 80);
    s.d.SetZoom(400);
    Settle();
    for (TDiagramShape* box : {s.callee, s.caller}) {
        s.d.CentreOn(*box);
        Settle();
        EXPECT_EQ(s.d.ShapeAt(s.d.viewport()->rect().center()), box) << box->key;
    }
    // It stays in the middle as the control is sized, until the analyst
    // scrolls.
    s.d.resize(160, 100);
    Settle();
    EXPECT_EQ(s.d.ShapeAt(s.d.viewport()->rect().center()), s.caller);
    bars[0]->triggerAction(QAbstractSlider::SliderToMinimum);
    s.d.resize(200, 80);
    Settle();
    EXPECT_EQ(bars[0]->value(), 0);
}

// A builder that clears and refills Model() inside a RedrawScope leaves no
// selection behind on a box that is gone; the keyboard starts afresh.
TEST(TDiagram, ASelectionTheRebuiltModelNoLongerHoldsIsDropped) {
    TDiagram d;
    d.resize(400, 300);
    d.Shapes().Add("OLD", 0, 0, 60, 30, "OLD");
    d.FinishLayout();
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.setFocus();
    QTest::keyClick(&d, Qt::Key_Tab);
    ASSERT_NE(d.SelectedShape(), nullptr);
    {
        RedrawScope scope(d);
        d.Model().Clear();
        d.Model().AddShape("NEW1", 0, 0, 60, 30, "NEW1");
        d.Model().AddShape("NEW2", 0, 100, 60, 30, "NEW2");
    }
    EXPECT_EQ(d.SelectedShape(), nullptr);
    QTest::keyClick(&d, Qt::Key_Down);
    ASSERT_NE(d.SelectedShape(), nullptr);
    EXPECT_EQ(d.SelectedShape()->key, "NEW1");
}
