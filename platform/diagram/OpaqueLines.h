#pragma once
// Horizontal and vertical lines one pixel wide at their full colour, held
// back and written into the painter's image together. Drawn one by one with
// antialiasing, each pixel of such a line costs Qt a blend of its own, and a
// vertical line a cache miss per row: the thousands of overlapping lines of
// a drawing with thousands of links cost seconds. Held as bits, a pixel
// several lines cover is written once, row by row, with the very value Qt
// would have left there (a line whose ends lie on pixel centres covers its
// pixels fully, and a full pixel of an opaque colour is that colour).
//
// A pixel is written before anything else is painted over it: whoever
// paints something else first calls Flush for the area it touches.

#include <QColor>
#include <QLineF>
#include <QRect>

#include <cstdint>
#include <vector>

class QImage;
class QPainter;
class QPen;

namespace platform::diagram {

class OpaqueLines {
public:
    // Holds lines only where the painter paints on an image of 32-bit
    // pixels; otherwise Add takes nothing.
    explicit OpaqueLines(QPainter& p);
    ~OpaqueLines();
    OpaqueLines(const OpaqueLines&) = delete;
    OpaqueLines& operator=(const OpaqueLines&) = delete;

    // Whether lines drawn with pen in the painter's present state can be
    // held: one pixel wide, solid, opaque, with square ends, antialiased,
    // in the device's own pixels, unclipped. Lines held before in another
    // colour are written first.
    bool Takes(const QPen& pen);
    // Holds the line (in the pen Takes accepted last) if it is horizontal
    // or vertical and joins two pixel centres; false leaves it to the
    // caller.
    bool Add(const QLineF& line);
    // Writes the lines held over area (device pixels), or all of them.
    void Flush(const QRect& area);
    void Flush();

private:
    void Write(const QRect& area);

    QPainter& m_painter;
    QImage* m_image = nullptr;
    int m_width = 0, m_height = 0;
    QRgb m_colour = 0;
    // A bit for each pixel a line covers: rows of horizontal lines, and
    // columns of vertical ones, so that a line sets a run of bits.
    std::vector<std::uint64_t> m_rows, m_columns;
    int m_rowWords = 0, m_columnWords = 0;
    QRect m_held;   // the bounds of the pixels held
};

}  // namespace platform::diagram
