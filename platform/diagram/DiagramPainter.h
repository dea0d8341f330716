#pragma once
// Draws a diagram model with QPainter. One painter serves the window (the
// scene's items paint through it) and the image export (report pages and
// "export image" draw a model nobody sees), so both look the same.

#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <filesystem>
#include <string>

#include "platform/diagram/DiagramModel.h"

class QPainter;

namespace platform::diagram {

// Margin in pixels around the drawing in an exported image (each side).
constexpr int kImageMargin = 2;
// Twips per pixel along x of the reference screen (96 dpi).
constexpr int kTwipsPerPixelX = 15;

// The size a box needs for its text in the diagram font at zoom 100.
QSizeF TextBoxSize(const std::string& text);

// Bounds of everything drawn (boxes, links, labels, self-link arcs) at
// zoom 100, in model coordinates.
QRectF DrawingBounds(const DiagramModel& model);
// The drawing's width in the unit the preview rule uses (hundreds of twips):
// round(DrawingWidth * 100 / kTwipsPerPixelX) is the width in pixels at
// zoom 100.
double DrawingWidth(const DiagramModel& model);

// One box or one link, in model coordinates (the caller sets the zoom on
// the painter). A link is one of count links between the same two boxes
// (either direction); index spreads them into separate curves.
void PaintShape(QPainter& p, const Shape& s, bool selected);
void PaintLink(QPainter& p, const Link& l, int index, int count, bool selected);
// The whole model, links under boxes.
void PaintDiagram(QPainter& p, const DiagramModel& model);

// The drawing at zoomPercent on a white image: its width is the bounds'
// width times zoom / 100, rounded, plus kImageMargin on each side.
QImage RenderImage(const DiagramModel& model, int zoomPercent);
// Writes RenderImage as a JPEG (or by the file's extension where Qt knows
// it). False when the file cannot be written.
bool ExportImage(const DiagramModel& model, const std::filesystem::path& file, int zoomPercent);

}  // namespace platform::diagram
