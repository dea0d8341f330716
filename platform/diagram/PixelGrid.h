#pragma once
// Where the pixels of a picture fall, so that lines and borders come out
// crisp. Antialiased, a line one pixel wide that runs along the boundary
// between two rows of pixels paints both at half its colour; moved half a
// pixel, it paints one row at its full colour. A grid gives a stroke a
// whole number of pixels (never none) and moves its straight pieces onto
// whole rows and columns.

#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>

class QPainter;

namespace platform::diagram {

class PixelGrid {
public:
    // The model's own pixels: those of a picture at zoom 100 whose origin
    // falls on a pixel's corner. Its device is the model.
    PixelGrid() = default;
    // The pixels of the painter's device under its current transform
    // (world, window and device pixel ratio). Where the transform turns,
    // shears or stretches one axis more than the other the grid keeps to
    // the painter's coordinates: it moves nothing and pens keep their width.
    explicit PixelGrid(const QPainter& p);
    bool Snaps() const { return m_snaps; }

    // A pen width (in the painter's coordinates) as a pen in the device's,
    // a whole number of pixels nearest it and at least one.
    double Pen(double width) const;
    // Painter coordinates in the device's, and a length.
    QPointF Map(QPointF point) const;
    double Length(double length) const { return m_snaps ? length * m_scale : length; }
    QPolygonF Map(const QPolygonF& polygon) const;
    // The point in the device moved less than half a pixel along each axis,
    // to where a stroke of the pen Pen(width) covers whole pixels either
    // side: the centre of a pixel for an odd number of them, a corner for an
    // even number.
    QPointF Snap(QPointF point, double width) const;
    // Each corner snapped, so that the rectangle's border drawn with that pen
    // lies on whole pixels.
    QRectF Snap(const QRectF& rect, double width) const;
    // A line of straight pieces with every point snapped, so that its
    // horizontal and vertical pieces stay so; a path with curves in it is
    // only mapped.
    QPainterPath Snap(const QPainterPath& path, double width) const;

private:
    bool m_snaps = true;
    double m_scale = 1, m_dx = 0, m_dy = 0;
};

// Switches a painter to its device's pixels (the coordinates of its
// PixelGrid) for the scope's lifetime, where the grid snaps; its pen,
// brush and transform come back at the end.
class DevicePixels {
public:
    DevicePixels(QPainter& p, const PixelGrid& grid);
    ~DevicePixels();
    DevicePixels(const DevicePixels&) = delete;
    DevicePixels& operator=(const DevicePixels&) = delete;

private:
    QPainter& m_painter;
};

}  // namespace platform::diagram
