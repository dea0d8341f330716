#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "platform/diagram/DiagramLayout.h"
#include "platform/diagram/DiagramPack.h"
#include "platform/diagram/DiagramPainter.h"
#include "platform/diagram/TextMeasure.h"
#include "tests/platform/diagram/DenseTracks.h"
#include "tests/support/TestSupport.h"

using namespace platform::diagram;

namespace {

QString Q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

// A small flow: a centre with callers and callees, a self-link, two links
// each way between one pair, labels at both ends.
void BuildFlow(DiagramModel& m) {
    Shape& centre = m.AddShape("ORDPROC", 0, 0, 3, 3, "ORDPROC");
    Shape& a = m.AddShape("ORDENTR", 0, 0, 3, 3, "ORDENTR");
    Shape& b = m.AddShape("CUSTOMER-FILE", 0, 0, 3, 3, "CUSTOMER-FILE");
    Shape& c = m.AddShape("PRICING", 0, 0, 3, 3, "PRICING");
    centre.boldText = centre.heavyBorder = true;
    m.AddLink(a, centre, "Calls", "k1");
    m.AddLink(centre, b, "access Read", "k2", "from", true, "to", true);
    m.AddLink(centre, c, "Xctls", "k3");
    m.AddLink(c, centre, "Calls back", "k4");
    m.AddLink(c, c, "Calls itself", "k5");
    AutoLayout(m);
}

}  // namespace

// The picture's size follows the preview rule's width exactly, at zoom 100
// and reduced, and the JPEG reads back as the picture painted: its colours
// in their order, at the density Qt's writer records.
TEST(DiagramPainter, ExportWritesJpegOfThePreviewRuleWidth) {
    DiagramModel m;
    BuildFlow(m);
    m.FindShape("PRICING")->fillColor = Rgb(10, 120, 230);
    testsupport::TempDir dir;
    long w = std::lround(DrawingWidth(m) * 100 / kTwipsPerPixelX);
    ASSERT_GT(w, 100);

    struct Case { int zoom; long width; long height; };
    double bw = DrawingBounds(m).width(), bh = DrawingBounds(m).height();
    for (Case c : {Case{100, w + 4, std::lround(bh) + 4},
                   Case{49, std::lround(bw * 0.49) + 4, std::lround(bh * 0.49) + 4}}) {
        auto file = dir / ("flow" + std::to_string(c.zoom) + ".jpg");
        ASSERT_TRUE(ExportImage(m, file, c.zoom));
        QImageReader reader(Q(file));
        EXPECT_EQ(reader.format(), "jpeg") << c.zoom;
        QImage img = reader.read();
        ASSERT_FALSE(img.isNull()) << c.zoom;
        EXPECT_EQ(img.width(), c.width) << c.zoom;
        EXPECT_EQ(img.height(), c.height) << c.zoom;
        const QImage painted = RenderImage(m, c.zoom);
        auto dpi = [](int dotsPerMeter) { return std::lround(dotsPerMeter * 0.0254); };
        EXPECT_EQ(dpi(img.dotsPerMeterX()), dpi(painted.dotsPerMeterX())) << c.zoom;
        EXPECT_EQ(dpi(img.dotsPerMeterY()), dpi(painted.dotsPerMeterY())) << c.zoom;
        // The blue box's colour, on average over it (with its caption).
        const Shape& box = *m.FindShape("PRICING");
        const QRectF b = DrawingBounds(m);
        const double z = c.zoom / 100.0;
        const QRect inside(QPoint(static_cast<int>(kImageMargin + (box.left - b.left() + 2) * z),
                                  static_cast<int>(kImageMargin + (box.top - b.top() + 2) * z)),
                           QPoint(static_cast<int>(kImageMargin + (box.left + box.width - b.left() - 2) * z),
                                  static_cast<int>(kImageMargin + (box.top + box.height - b.top() - 2) * z)));
        auto mean = [&inside](const QImage& i) {
            return i.copy(inside).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
        };
        const QColor read = mean(img), drawn = mean(painted);
        EXPECT_NEAR(read.red(), drawn.red(), 3) << c.zoom;
        EXPECT_NEAR(read.green(), drawn.green(), 3) << c.zoom;
        EXPECT_NEAR(read.blue(), drawn.blue(), 3) << c.zoom;
    }
}

TEST(DiagramPainter, ExportToAMissingFolderFailsAndCreatesNothing) {
    DiagramModel m;
    BuildFlow(m);
    testsupport::TempDir dir;
    EXPECT_FALSE(ExportImage(m, dir / "missing" / "flow.jpg", 100));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

// Everything drawn lies inside the bounds: the margin of the image stays
// white. Where lines and borders make the outline (text boxes carry some
// blank space around their glyphs), the bounds are tight too: ink reaches
// the row or column next to the margin on every side.
TEST(DiagramPainter, BoundsHoldEveryMarkAndNoMore) {
    struct Case {
        const char* name;
        bool tight;
        std::function<void(DiagramModel&)> build;
    };
    const Case cases[] = {
        {"boxes and links", false, BuildFlow},
        {"self-link with long labels", false,
         [](DiagramModel& m) {
             Shape& s = m.AddShape("S", 0, 0, 40, 30, "S");
             m.AddLink(s, s, "a rather long link caption", "", "from end label", true, "to end label", true);
             m.AddLink(s, s, "", "");
         }},
        {"self-links", true,
         [](DiagramModel& m) {
             Shape& s = m.AddShape("S", 0, 0, 40, 30, "S");
             m.AddLink(s, s, "", "", "", true, "", true);
             m.AddLink(s, s, "", "");
         }},
        {"heavy box alone", true,
         [](DiagramModel& m) {
             Shape& s = m.AddShape("CENTRE", 10.5, 7.25, 80, 30, "C");
             s.heavyBorder = true;
         }},
    };
    for (const Case& c : cases) {
        DiagramModel m;
        c.build(m);
        QImage img = RenderImage(m, 100);
        ASSERT_FALSE(img.isNull()) << c.name;
        auto inkInRow = [&](int y) {
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != qRgb(255, 255, 255)) return true;
            return false;
        };
        auto inkInColumn = [&](int x) {
            for (int y = 0; y < img.height(); ++y)
                if (img.pixel(x, y) != qRgb(255, 255, 255)) return true;
            return false;
        };
        for (int i = 0; i < kImageMargin; ++i) {
            EXPECT_FALSE(inkInRow(i)) << c.name;
            EXPECT_FALSE(inkInRow(img.height() - 1 - i)) << c.name;
            EXPECT_FALSE(inkInColumn(i)) << c.name;
            EXPECT_FALSE(inkInColumn(img.width() - 1 - i)) << c.name;
        }
        if (!c.tight) continue;
        EXPECT_TRUE(inkInRow(kImageMargin)) << c.name;
        EXPECT_TRUE(inkInRow(img.height() - 1 - kImageMargin)) << c.name;
        EXPECT_TRUE(inkInColumn(kImageMargin)) << c.name;
        EXPECT_TRUE(inkInColumn(img.width() - 1 - kImageMargin)) << c.name;
    }
}

// A caption breaks between its words, never inside one that fits the width;
// only a word wider than the width is broken, so no label grows past it.
TEST(DiagramPainter, LabelsBreakBetweenWords) {
    const QFontMetricsF fm(DiagramFont(false));
    for (const char* text : {"Interprogram Relationship", "Right Program/Screen Pair"}) {
        const QSizeF size = LabelSize(text);
        const double whole = fm.horizontalAdvance(text);
        // Too wide for one line, it is as wide as its widest line of whole
        // words; a break inside a word would leave it at the full width.
        const QString first = QString(text).section(' ', 0, -2);
        const double widest = std::max(fm.horizontalAdvance(first), fm.horizontalAdvance(QString(text).section(' ', -1)));
        if (whole > kMaxLabelWidth && widest <= kMaxLabelWidth)
            EXPECT_LE(size.width(), std::ceil(widest) + 1) << text;
        else
            EXPECT_GE(size.width(), std::floor(std::min(whole, kMaxLabelWidth))) << text;
    }
    EXPECT_LE(LabelSize(std::string(200, 'x')).width(), kMaxLabelWidth);
    // A size measured once answers only for the same text, width and face.
    const std::string caption = "Interprogram Relationship";
    const QSizeF wide = LabelSize(caption, 1000);
    EXPECT_GT(LabelSize(caption, 90).height(), wide.height());
    EXPECT_EQ(LabelSize(caption, 1000), wide);
    EXPECT_GT(TextBoxSize(caption).width(), wide.width() + 16);   // bold, padded
}

// Captions are drawn from lines laid out once per thread; they must land
// exactly where the painter's own drawText puts them, or a caption would
// stand off its box or out of the size measured for it: centred, broken
// between words or anywhere, over several lines, clipped to a rectangle too
// small for it, bold, and at a preview's zoom; one text and width broken
// both ways; one text at two widths.
TEST(DiagramPainter, CaptionsAreDrawnWhereThePainterDrawsText) {
    TextMeasure& measure = TextMeasure::ForThread();
    struct Case {
        std::string text;
        QRectF rect;
        int flags;
        bool bold;
    };
    const std::vector<Case> cases = {
        {"ORDPROC", QRectF(3.5, 2, 90, 24), Qt::AlignCenter, true},
        {"Interprogram Relationship", QRectF(10, 40, 90, 40), Qt::AlignCenter | Qt::TextWordWrap, false},
        // One text and width broken between words and anywhere: lines of their own.
        {"Reads Table Twice", QRectF(200, 100, 60, 56), Qt::AlignCenter | Qt::TextWordWrap, false},
        {"Reads Table Twice", QRectF(240, 100, 60, 56), Qt::AlignCenter | Qt::TextWrapAnywhere, false},
        {std::string(40, 'W'), QRectF(0, 90, 120, 60), Qt::AlignCenter | Qt::TextWrapAnywhere, false},
        {"two\nlines\tand a tab", QRectF(130, 0, 150, 50), Qt::AlignCenter, false},
        {"Much too long for its rectangle", QRectF(130, 60, 60, 8), Qt::AlignCenter | Qt::TextWordWrap, false},
        {"caf\xC3\xA9 \xE2\x82\xAC & \xE6\x97\xA5\xE6\x9C\xAC", QRectF(130, 80, 150, 30), Qt::AlignCenter, true},
        // The text broken at 90 above, on one line here.
        {"Interprogram Relationship", QRectF(0, 165, 300, 30), Qt::AlignCenter | Qt::TextWordWrap, false},
    };
    for (double zoom : {1.0, 0.37}) {
        QImage ours(300, 200, QImage::Format_RGB32), qts(300, 200, QImage::Format_RGB32);
        ours.fill(Qt::white);
        qts.fill(Qt::white);
        QPainter a(&ours), b(&qts);
        for (QPainter* p : {&a, &b}) {
            p->setRenderHint(QPainter::Antialiasing);
            p->setRenderHint(QPainter::TextAntialiasing);
            p->scale(zoom, zoom);
        }
        for (const Case& c : cases) {
            measure.Draw(a, c.rect, c.flags, c.text, c.bold);
            b.setFont(measure.Font(c.bold));
            b.drawText(c.rect, c.flags, QString::fromStdString(c.text));
        }
        a.end();
        b.end();
        EXPECT_EQ(ours, qts) << "zoom " << zoom;
        EXPECT_NE(ours, [] { QImage w(300, 200, QImage::Format_RGB32); w.fill(Qt::white); return w; }());
    }
}

// Lines side by side on the 4 px tracks read as separate lines in every
// picture: each horizontal or vertical piece is whole pixels at its full
// colour (at a whole zoom as many as the zoom, at others the nearest whole
// number, never none), however the layout's coordinates fall on pixels, so
// at 100% three white pixels stand between neighbours; so too on a screen
// of more device pixels than pixels. Box borders are as crisp, and an
// arrowhead stays centred on its line's end.
TEST(DiagramPainter, LinesCoverWholePixelsAtTheirFullColour) {
    using namespace densetracks;
    struct Case {
        int zoom;
        double pixelRatio;
    };
    const Case cases[] = {{100, 1}, {200, 1}, {300, 1}, {75, 1}, {150, 1}, {100, 2}, {100, 1.5}};
    for (QPointF offset : {QPointF(0, 0), QPointF(0.5, 0.5), QPointF(0.3, 0.75)})
        for (const Case& c : cases) {
            SCOPED_TRACE("offset " + std::to_string(offset.x()) + ", " + std::to_string(offset.y()) + ", zoom " +
                         std::to_string(c.zoom) + ", device pixel ratio " + std::to_string(c.pixelRatio));
            DiagramModel m;
            Plant(m, offset);
            const QRectF b = DrawingBounds(m);
            QImage img = RenderImage(m, c.zoom);
            ASSERT_FALSE(img.isNull());
            if (c.pixelRatio != 1) {
                img = QImage(img.size() * c.pixelRatio, QImage::Format_RGB32);
                img.setDevicePixelRatio(c.pixelRatio);
                img.fill(Qt::white);
                QPainter p(&img);
                p.setRenderHint(QPainter::Antialiasing);
                p.translate(QPointF(kImageMargin, kImageMargin) / c.pixelRatio - b.topLeft());
                PaintDiagram(p, m);
            }
            const double k = c.zoom / 100.0 * c.pixelRatio;
            auto at = [&](double x, double y) {
                return QPoint(static_cast<int>(std::floor(kImageMargin + (x + offset.x() - b.left()) * k)),
                              static_cast<int>(std::floor(kImageMargin + (y + offset.y() - b.top()) * k)));
            };
            const int width = std::max(1, static_cast<int>(std::lround(k))), pitch = static_cast<int>(std::lround(kPitch * k));
            const int span = static_cast<int>(std::ceil(kLines * kPitch * k)) + 2 * width;
            // Across the tracks, the upper pieces and the lower.
            for (auto [from, step, first] : {std::tuple{at(TrackX(kLines - 1) - 4, kAcrossVertical), QPoint(1, 0), kLines - 1},
                                             std::tuple{at(kAcrossUpper, UpperY(0) - 4), QPoint(0, 1), 0},
                                             std::tuple{at(kAcrossLower, LowerY(0) - 4), QPoint(0, 1), 0}})
                EXPECT_TRUE(CrispSection(RunsAlong(img, from, step, span), first, first ? -1 : 1, width, pitch));
            // Where a line turns, and where its straight pieces meet on the way.
            for (int i = 0; i < kLines; ++i)
                for (QPoint corner : {at(kStraightOn, UpperY(i)), at(TrackX(i), UpperY(i)), at(TrackX(i), LowerY(i))})
                    EXPECT_EQ(img.pixel(corner), ColourOf(i)) << "line " << i << " turning at " << corner.x() << ", "
                                                              << corner.y();

            // The right box's border across a row no line takes, and the
            // left box's top border.
            for (const auto& [from, step] : {std::pair{at(290, 100), QPoint(1, 0)}, std::pair{at(30, -6), QPoint(0, 1)}}) {
                const std::vector<PixelRun> border = RunsAlong(img, from, step, static_cast<int>(12 * k));
                ASSERT_EQ(border.size(), 1u);
                EXPECT_TRUE(border[0].length == width && border[0].oneColour && border[0].colour == qRgb(0, 0, 0));
            }

            // The lone line, crisp down to its arrowhead, which spreads
            // equally either side of it and leaves no gap.
            const std::vector<PixelRun> line = RunsAlong(img, at(kLoneX - 6, 90), {1, 0}, static_cast<int>(12 * k));
            ASSERT_EQ(line.size(), 1u);
            ASSERT_EQ(line[0].length, width);
            EXPECT_EQ(line[0].colour, ColourOf(0));
            const int column = at(kLoneX - 6, 90).x() + line[0].start;
            for (int y = at(0, 90).y(); y <= at(0, kLoneTip - 2).y(); ++y)
                for (int x = column; x < column + width; ++x) ASSERT_EQ(img.pixel(x, y), ColourOf(0)) << x << ", " << y;
            const QPoint head = at(kLoneX - 10, kLoneTip - 6);
            const std::vector<PixelRun> across = RunsAlong(img, head, {1, 0}, static_cast<int>(20 * k));
            ASSERT_EQ(across.size(), 1u);
            const int left = column - (head.x() + across[0].start);
            const int right = head.x() + across[0].start + across[0].length - (column + width);
            EXPECT_GT(left, 0);
            EXPECT_EQ(left, right);
        }
}

// A box is filled with its own colour, unpacked red + 256 green + 65536 blue.
TEST(DiagramPainter, BoxIsFilledWithItsColour) {
    DiagramModel m;
    Shape& s = m.AddShape("MAP01", 0, 0, 3, 3, "MAP01");
    Shape& t = m.AddShape("PROG", 0, 0, 3, 3, "PROG");
    s.fillColor = Rgb(10, 120, 230);
    t.fillColor = Rgb(255, 0, 0);
    m.AddLink(s, t, "Receives", "");
    AutoLayout(m);
    for (int zoom : {100, 200}) {
        QImage img = RenderImage(m, zoom);
        QRectF b = DrawingBounds(m);
        for (const Shape* box : {&s, &t}) {
            // Just inside the border, clear of the centred caption.
            double x = kImageMargin + (box->left - b.left() + 3) * zoom / 100.0;
            double y = kImageMargin + (box->top - b.top() + 3) * zoom / 100.0;
            QColor got = img.pixelColor(static_cast<int>(x), static_cast<int>(y));
            EXPECT_EQ(got, QColor(Red(box->fillColor), Green(box->fillColor), Blue(box->fillColor)))
                << box->key << " zoom " << zoom;
        }
    }
}

// Links between the same two boxes, whichever way they run, are drawn as
// separate lines; so are the self-links of one box.
TEST(DiagramPainter, ParallelLinksAreSeparateCurves) {
    DiagramModel m;
    Shape& a = m.AddShape("A", 0, 0, 60, 30, "A");
    Shape& b = m.AddShape("B", 200, 0, 60, 30, "B");
    Shape& c = m.AddShape("C", 0, 200, 60, 30, "C");
    m.AddLink(a, b, "", "");
    m.AddLink(b, a, "", "");
    m.AddLink(a, b, "", "");
    m.AddLink(c, c, "", "");
    m.AddLink(c, c, "", "");
    m.AddLink(a, c, "", "");
    std::vector<LinkSlot> linkSlots = LinkSlots(m);
    std::vector<QPointF> mids;
    for (std::size_t i = 0; i < m.Links().size(); ++i)
        mids.push_back(LinkPath(*m.Links()[i], linkSlots[i].index, linkSlots[i].count).pointAtPercent(0.5));
    auto apart = [&](int i, int j) { return QLineF(mids[i], mids[j]).length(); };
    EXPECT_GE(apart(0, 1), 10);
    EXPECT_GE(apart(0, 2), 10);
    EXPECT_GE(apart(1, 2), 10);
    EXPECT_GE(apart(3, 4), 10);
    // A lone link runs straight between the facing borders.
    QPainterPath lone = LinkPath(*m.Links()[5], linkSlots[5].index, linkSlots[5].count);
    EXPECT_NEAR(lone.pointAtPercent(0).y(), 30, 0.5);
    EXPECT_NEAR(lone.pointAtPercent(1).y(), 200, 0.5);
    EXPECT_NEAR(lone.pointAtPercent(0.5).x(), 30, 0.5);
}

// A link between two boxes of one column bends around the boxes between
// them (straight, it would run through them); a link with nothing in its
// way stays straight.
TEST(DiagramPainter, ALinkAlongAColumnBendsAroundTheBoxesBetween) {
    DiagramModel model;
    Shape& top = model.AddShape("TOP", 0, 0, 80, 30, "T");
    Shape& middle = model.AddShape("MIDDLE", 0, 70, 120, 30, "M");
    Shape& bottom = model.AddShape("BOTTOM", 10, 140, 80, 30, "B");
    Shape& aside = model.AddShape("ASIDE", 300, 0, 80, 30, "A");
    Link& across = model.AddLink(top, bottom, "Xctls", "TB");
    Link& free = model.AddLink(top, aside, "Calls", "TA");

    const std::vector<LinkSlot> linkSlots = LinkSlots(model);
    ASSERT_EQ(linkSlots.size(), 2u);
    EXPECT_GT(linkSlots[0].bend, 0);
    EXPECT_EQ(linkSlots[1].bend, 0);
    // The line itself, not the area a closed path would enclose.
    const QRectF blocker = ShapeRect(middle);
    auto crosses = [&blocker](const QPainterPath& line) {
        for (int k = 0; k <= 200; ++k)
            if (blocker.contains(line.pointAtPercent(k / 200.0))) return true;
        return false;
    };
    EXPECT_TRUE(crosses(LinkPath(across, LinkSlot{0, 1, 0})));
    EXPECT_FALSE(crosses(LinkPath(across, linkSlots[0])));
    EXPECT_FALSE(crosses(LinkPath(free, linkSlots[1])));
}

// A drawing queued packed comes back whole: laid out and painted, it is the
// same picture, and what is not painted (hints, tags, keys) is kept too.
TEST(DiagramPainter, APackedDrawingUnpacksToTheSamePicture) {
    DiagramModel original;
    Shape& a = original.AddShape("ORDENTR", 0, 0, 3, 3, "P:ORDENTR");
    Shape& b = original.AddShape("CUSTOMER-FILE", 0, 0, 3, 3, "");
    a.hint = "order entry";
    a.tag = "E42";
    a.fillColor = Rgb(200, 230, 255);
    a.lineColor = Rgb(0, 0, 128);
    a.textColor = Rgb(128, 0, 0);
    a.lineStyle = kLineDashed;
    a.side = kSideBefore;
    b.boldText = b.heavyBorder = true;
    original.AddLink(a, b, "access Read", "k1", "from", true, "to", false).color = Rgb(0, 128, 0);
    original.AddLink(b, b, "", "");

    const DiagramPack pack(original);
    DiagramModel copy;
    copy.AddShape("stale", 0, 0, 1, 1, "stale");
    pack.Unpack(copy);
    ASSERT_EQ(copy.ShapeCount(), 2u);
    ASSERT_EQ(copy.LinkCount(), 2u);
    const Shape& s = *copy.FindShape("P:ORDENTR");
    EXPECT_EQ(s.hint, "order entry");
    EXPECT_EQ(s.tag, "E42");
    EXPECT_EQ(s.side, kSideBefore);
    EXPECT_EQ(copy.FindLink("k1")->to, copy.Shapes()[1].get());
    EXPECT_FALSE(copy.FindShape("stale"));

    AutoLayout(original);
    AutoLayout(copy);
    EXPECT_EQ(RenderImage(original, 100), RenderImage(copy, 100));
    EXPECT_THROW(DiagramPack{original}, std::invalid_argument) << "routes are the layout's";
}

// A whole drawing painted on an image writes its straight lines together,
// after the fact: it must come out as each link and box painted in turn,
// where lines of other colours cross and lie on one another, labels and
// arrowheads cover them, curves and slanted pieces meet them, and at
// zooms whose pens are wider than a pixel.
TEST(DiagramPainter, AWholeDrawingPaintsAsItsLinksAndBoxesOneByOne) {
    DiagramModel flow;
    BuildFlow(flow);
    DiagramModel tracks;
    densetracks::Plant(tracks, QPointF(0.3, 0.75));
    DiagramModel stacked;
    Shape& a = stacked.AddShape("A", 0, 0, 80, 30, "A");
    Shape& b = stacked.AddShape("B", 300, 200, 80, 30, "B");
    // The same route three times, red, blue, red; then one slanted across.
    const std::vector<Point> route{{80, 15}, {200, 15}, {200, 215}, {300, 215}};
    int n = 0;
    for (Colour c : {Rgb(255, 0, 0), Rgb(0, 0, 255), Rgb(255, 0, 0)}) {
        Link& l = stacked.AddLink(a, b, "", "k" + std::to_string(++n));
        l.route = route;
        l.color = c;
    }
    Link& slanted = stacked.AddLink(b, a, "over", "slanted", "", true, "", true);
    slanted.route = {{300, 200}, {190, 25}};
    slanted.textRect = Rect{170, 100, 40, 14};
    slanted.color = Rgb(0, 160, 0);

    for (DiagramModel* m : {&flow, &tracks, &stacked})
        for (int zoom : {100, 75, 29, 4, 150, 200}) {
            SCOPED_TRACE("zoom " + std::to_string(zoom));
            const DrawingGeometry drawing = MeasureDrawing(*m);
            const QImage whole = RenderImage(*m, drawing, zoom);
            ASSERT_FALSE(whole.isNull());
            QImage oneByOne(whole.size(), QImage::Format_RGB32);
            oneByOne.fill(Qt::white);
            QPainter p(&oneByOne);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.translate(kImageMargin, kImageMargin);
            p.scale(zoom / 100.0, zoom / 100.0);
            p.translate(-drawing.bounds.topLeft());
            const std::vector<LinkSlot> linkSlots = LinkSlots(*m);
            for (std::size_t i = 0; i < m->Links().size(); ++i) PaintLink(p, *m->Links()[i], linkSlots[i], false);
            for (const auto& s : m->Shapes()) PaintShape(p, *s, false);
            p.end();
            EXPECT_TRUE(whole == oneByOne);
        }
}
