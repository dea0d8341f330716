#include "platform/diagram/PixelGrid.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace platform::diagram {

PixelGrid::PixelGrid(const QPainter& p) {
    const QTransform t = p.combinedTransform();
    m_snaps = t.type() <= QTransform::TxScale && t.m11() > 0 && std::abs(t.m22() - t.m11()) <= 1e-9 * t.m11();
    if (!m_snaps) return;
    m_scale = t.m11();
    m_dx = t.dx();
    m_dy = t.dy();
}

double PixelGrid::Pen(double width) const {
    return m_snaps ? static_cast<double>(std::max(1L, std::lround(width * m_scale))) : width;
}

QPointF PixelGrid::Map(QPointF point) const {
    return m_snaps ? QPointF(point.x() * m_scale + m_dx, point.y() * m_scale + m_dy) : point;
}

QPolygonF PixelGrid::Map(const QPolygonF& polygon) const {
    QPolygonF mapped = polygon;
    for (QPointF& point : mapped) point = Map(point);
    return mapped;
}

QPointF PixelGrid::Snap(QPointF point, double width) const {
    if (!m_snaps) return point;
    const QPointF at = Map(point);
    const bool odd = static_cast<long>(Pen(width)) % 2 != 0;
    auto along = [odd](double v) { return odd ? std::floor(v) + 0.5 : std::floor(v + 0.5); };
    return QPointF(along(at.x()), along(at.y()));
}

QRectF PixelGrid::Snap(const QRectF& rect, double width) const {
    if (!m_snaps || rect.isNull()) return rect;
    return QRectF(Snap(rect.topLeft(), width), Snap(rect.bottomRight(), width));
}

QPainterPath PixelGrid::Snap(const QPainterPath& path, double width) const {
    if (!m_snaps) return path;
    bool straight = true;
    for (int i = 0; i < path.elementCount() && straight; ++i)
        straight = path.elementAt(i).type == QPainterPath::MoveToElement ||
                   path.elementAt(i).type == QPainterPath::LineToElement;
    QPainterPath moved = path;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPointF at = straight ? Snap(QPointF(path.elementAt(i)), width) : Map(QPointF(path.elementAt(i)));
        moved.setElementPositionAt(i, at.x(), at.y());
    }
    return moved;
}

DevicePixels::DevicePixels(QPainter& p, const PixelGrid& grid) : m_painter(p) {
    m_painter.save();
    if (!grid.Snaps()) return;
    // What is left under no world transform is the window and the device
    // pixel ratio: undone, the painter draws in pixels (exactly so where it
    // is the identity, as on an image).
    m_painter.resetTransform();
    m_painter.setWorldTransform(m_painter.combinedTransform().inverted());
}

DevicePixels::~DevicePixels() { m_painter.restore(); }

}  // namespace platform::diagram
