#include <gtest/gtest.h>

#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPen>

#include <vector>

#include "platform/diagram/OpaqueLines.h"

using platform::diagram::OpaqueLines;

namespace {

// A picture with something under the lines, so that a pixel written out of
// turn shows.
QImage Backdrop() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(qRgb(200, 200, 200));
    QPainter p(&image);
    p.fillRect(QRect(5, 5, 10, 10), QColor(0, 128, 0));
    return image;
}

}  // namespace

// Held lines come out as Qt's antialiased lines of the same pen, in turn
// with what is painted between them: lines reaching past every edge or
// wholly outside, a colour changing, a box painted over part of them.
TEST(OpaqueLines, WritesThePixelsQtsOwnLinesWould) {
    const std::vector<QLineF> red{{2.5, 3.5, 30.5, 3.5},  {10.5, -5.5, 10.5, 40.5}, {-8.5, 20.5, 60.5, 20.5},
                                  {35.5, 1.5, 35.5, 1.5}, {50.5, 2.5, 55.5, 2.5},  {39.5, 29.5, 39.5, 10.5}};
    const std::vector<QLineF> blue{{0.5, 3.5, 12.5, 3.5}, {10.5, 0.5, 10.5, 25.5}};
    auto paint = [&](QImage& image, bool held) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        OpaqueLines lines(p);
        auto draw = [&](const std::vector<QLineF>& drawn, QColor colour) {
            p.setPen(QPen(colour, 1));
            const bool takes = held && lines.Takes(p.pen());
            EXPECT_EQ(takes, held);
            for (const QLineF& l : drawn) {
                if (takes && lines.Add(l)) continue;
                lines.Flush(QRectF(l.p1(), l.p2()).normalized().adjusted(-3, -3, 3, 3).toAlignedRect());
                p.drawLine(l);
            }
        };
        draw(red, Qt::red);
        lines.Flush(QRect(8, 8, 6, 6));
        p.fillRect(QRect(8, 8, 6, 6), QColor(255, 255, 255, 128));
        draw(blue, Qt::blue);
        lines.Flush();
        p.fillRect(QRect(0, 18, 6, 6), Qt::black);
        draw(red, Qt::red);
    };
    QImage expected = Backdrop(), image = Backdrop();
    paint(expected, false);
    paint(image, true);
    EXPECT_TRUE(image == expected);
}

// Only what comes out the same is held: a point, a slanted line, one off
// the pixels' centres, a wider or translucent pen, a transformed painter.
TEST(OpaqueLines, LeavesToQtWhatItCannotWriteExactly) {
    QImage image = Backdrop();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    OpaqueLines lines(p);
    ASSERT_TRUE(lines.Takes(QPen(Qt::red, 1)));
    EXPECT_TRUE(lines.Add(QLineF(1.5, 1.5, 9.5, 1.5)));
    EXPECT_FALSE(lines.Add(QLineF(1.5, 1.5, 1.5, 1.5)));
    EXPECT_FALSE(lines.Add(QLineF(1.5, 1.5, 9.5, 2.5)));
    EXPECT_FALSE(lines.Add(QLineF(1, 1, 9, 1)));
    EXPECT_FALSE(lines.Takes(QPen(Qt::red, 2)));
    EXPECT_FALSE(lines.Takes(QPen(QColor(255, 0, 0, 128), 1)));
    p.scale(2, 2);
    EXPECT_FALSE(lines.Takes(QPen(Qt::red, 1)));
    p.resetTransform();
    p.setRenderHint(QPainter::Antialiasing, false);
    EXPECT_FALSE(lines.Takes(QPen(Qt::red, 1)));
}
