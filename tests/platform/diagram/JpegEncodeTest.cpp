#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/diagram/DiagramPainter.h"
#include "platform/diagram/JpegEncode.h"
#include "tests/platform/diagram/DenseTracks.h"

using namespace platform::diagram;
using namespace densetracks;

// Lines one pixel wide on the 4 px tracks read back from the report's JPEG
// at their colour, the white between them white. (Colour at half
// resolution, JPEG's default, turns a blue line navy and smears a yellow
// one over three pixels.)
TEST(JpegEncode, OnePixelLinesKeepTheirColour) {
    DiagramModel m;
    Plant(m, QPointF(0, 0));
    const QImage painted = RenderImage(m, 100);
    const auto bytes = EncodeJpeg(painted, kJpegQuality);
    ASSERT_TRUE(bytes);
    const QImage read = QImage::fromData(QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())), "JPEG");
    ASSERT_EQ(read.size(), painted.size());
    const QPointF origin = QPointF(kImageMargin, kImageMargin) - DrawingBounds(m).topLeft();
    int lines = 0;
    for (auto [x, y, step] : {std::tuple{TrackX(kLines - 1) - 4, kAcrossVertical, QPoint(1, 0)},
                              std::tuple{kAcrossUpper, UpperY(0) - 4, QPoint(0, 1)},
                              std::tuple{kAcrossLower, LowerY(0) - 4, QPoint(0, 1)}})
        for (int k = 0; k < 40; ++k) {
            const QPoint p = (QPointF(x, y) + origin).toPoint() + step * k;
            const QRgb want = painted.pixel(p), got = read.pixel(p);
            lines += want != qRgb(255, 255, 255);
            EXPECT_LE(std::max({std::abs(qRed(want) - qRed(got)), std::abs(qGreen(want) - qGreen(got)),
                                std::abs(qBlue(want) - qBlue(got))}),
                      16)
                << p.x() << ", " << p.y() << ": (" << qRed(got) << "," << qGreen(got) << "," << qBlue(got) << ")";
        }
    EXPECT_EQ(lines, 3 * kLines);
}
