// The report's pictures as JPEG files.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/diagram/DiagramPainter.h"
#include "platform/diagram/JpegEncode.h"
#include "tests/platform/diagram/DenseTracks.h"

using namespace platform::diagram;

// Lines one pixel wide on the 4 px tracks read back at their colour, and
// the white between them white: blue, red, yellow and black alike.
// (Colour at half resolution, as JPEG's default has it, turns a blue line
// navy and smears a yellow one over three pixels.)
TEST(JpegEncode, OnePixelLinesKeepTheirColour) {
    using namespace densetracks;
    DiagramModel m;
    Plant(m, QPointF(0, 0));
    const QImage painted = RenderImage(m, 100);
    const std::optional<std::string> bytes = EncodeJpeg(painted, kJpegQuality);
    ASSERT_TRUE(bytes);
    const QImage read = QImage::fromData(QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())), "JPEG");
    ASSERT_EQ(read.size(), painted.size());

    const QRectF b = DrawingBounds(m);
    auto at = [&](double x, double y) {
        return QPoint(static_cast<int>(std::floor(kImageMargin + x - b.left())),
                      static_cast<int>(std::floor(kImageMargin + y - b.top())));
    };
    struct Section {
        QPoint from, step;
        int count;
    };
    const Section sections[] = {{at(TrackX(kLines - 1) - 4, kAcrossVertical), {1, 0}, 40},
                                {at(kAcrossUpper, UpperY(0) - 4), {0, 1}, 40},
                                {at(kAcrossLower, LowerY(0) - 4), {0, 1}, 40},
                                {at(kLoneX - 4, 90), {1, 0}, 9}};
    int lines = 0;
    for (const Section& s : sections)
        for (int k = 0; k < s.count; ++k) {
            const QPoint p = s.from + s.step * k;
            const QRgb want = painted.pixel(p), got = read.pixel(p);
            lines += want != qRgb(255, 255, 255);
            const int off = std::max({std::abs(qRed(want) - qRed(got)), std::abs(qGreen(want) - qGreen(got)),
                                      std::abs(qBlue(want) - qBlue(got))});
            EXPECT_LE(off, 16) << p.x() << ", " << p.y() << ": (" << qRed(got) << "," << qGreen(got) << ","
                               << qBlue(got) << ") for (" << qRed(want) << "," << qGreen(want) << "," << qBlue(want)
                               << ")";
        }
    EXPECT_EQ(lines, 3 * kLines + 1);
}
