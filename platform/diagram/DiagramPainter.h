#pragma once
// Draws a diagram model with QPainter. One painter serves the window (the
// scene's items paint through it) and the image export (report pages and
// "export image" draw a model nobody sees), so both look the same.

#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/diagram/DiagramModel.h"

class QPainter;

namespace platform::diagram {

// Margin in pixels around the drawing in an exported image (each side).
constexpr int kImageMargin = 2;
// The quality of an exported JPEG picture (1 to 100).
constexpr int kJpegQuality = 90;
// Twips per pixel along x of the reference screen (96 dpi).
constexpr int kTwipsPerPixelX = 15;

// The one diagram font (a sans font at a fixed pixel size, so sizes and
// pictures do not depend on the screen's resolution).
QFont DiagramFont(bool bold = false);

// The size a box needs for its text in the diagram font at zoom 100. Measured
// in the bold face, so a box fits its caption whichever face it is drawn in.
QSizeF TextBoxSize(const std::string& text);

// The size of a link's caption or end label in the diagram font; a long
// one is broken into lines no wider than maxWidth. Drawn in a rectangle of
// that size, it breaks the same way.
constexpr double kMaxLabelWidth = 150;
QSizeF LabelSize(const std::string& text, double maxWidth = kMaxLabelWidth);

// Where a link stands among the links between the same two boxes (either
// direction; a self-link among the self-links of its box).
struct LinkSlot {
    int index = 0;
    int count = 1;
    // Sideways offset in pixels that takes the line around other boxes it
    // would cross (a link between two boxes of one column or row).
    double bend = 0;
};
// One slot per link, in the order of model.Links().
std::vector<LinkSlot> LinkSlots(const DiagramModel& model);

// A box's rectangle in model coordinates.
QRectF ShapeRect(const Shape& s);
// The line of a link (without arrowheads and labels) in model coordinates:
// what the window hit-tests a click against.
QPainterPath LinkPath(const Link& l, int index, int count);
QPainterPath LinkPath(const Link& l, const LinkSlot& slot);

// Everything a link draws, in model coordinates: its line, its arrowheads
// and the rectangles of its caption and end labels (null where it has
// none). The painter, the bounds and the geometry check all come from here,
// so they never disagree; the painter and the bounds only move a line of
// straight pieces less than a pixel, onto whole pixels (see PixelGrid), and
// its arrowheads with it.
struct LinkGeometry {
    QPainterPath path;
    QPolygonF fromHead, toHead;
    QRectF textRect, fromRect, toRect;
};
LinkGeometry LinkShape(const Link& l, const LinkSlot& slot);

// What painting a drawing and sizing its image take, worked out once: an
// image and its reduced copy, and the preview rule's width, share it. It
// holds while the model's boxes and links stay as they were.
struct DrawingGeometry {
    // In the order of model.Links(), as drawn at zoom 100: lines of
    // straight pieces on the model's pixels.
    std::vector<LinkGeometry> links;
    QRectF bounds;                    // as DrawingBounds
};
DrawingGeometry MeasureDrawing(const DiagramModel& model);

// Bounds of everything drawn (boxes, links, labels, self-link arcs) at
// zoom 100, in model coordinates, widened to whole pixels. Empty for an
// empty model.
QRectF DrawingBounds(const DiagramModel& model);
// The drawing's width in the unit the preview rule uses (hundreds of twips):
// round(DrawingWidth * 100 / kTwipsPerPixelX) is the width in pixels at
// zoom 100.
double DrawingWidth(const DiagramModel& model);
double DrawingWidth(const DrawingGeometry& drawing);

// One box or one link, in model coordinates (the caller sets the zoom on
// the painter). A link is one of count links between the same two boxes
// (either direction); index spreads them into separate curves. Whatever
// the zoom, lines and borders are whole pixels of the painter's device
// wide (the pen's width times the zoom, rounded, at least one) and their
// horizontal and vertical pieces cover whole rows and columns of pixels at
// their full colour; captions are drawn where the layout put them.
void PaintShape(QPainter& p, const Shape& s, bool selected);
void PaintLink(QPainter& p, const Link& l, int index, int count, bool selected);
void PaintLink(QPainter& p, const Link& l, const LinkSlot& slot, bool selected);
// The whole model, links under boxes.
void PaintDiagram(QPainter& p, const DiagramModel& model);
void PaintDiagram(QPainter& p, const DiagramModel& model, const DrawingGeometry& drawing);

// The drawing at zoomPercent on a white image: its width is the bounds'
// width times zoom / 100, rounded, plus kImageMargin on each side. A null
// image when the picture is too large to allocate.
QImage RenderImage(const DiagramModel& model, int zoomPercent);
QImage RenderImage(const DiagramModel& model, const DrawingGeometry& drawing, int zoomPercent);
// Writes RenderImage as a JPEG (or by the file's extension where Qt knows
// it), under the path's own bytes. False unless every byte reached the file
// (a full disk at the last write included); a missing folder is not
// created, and a failed write leaves an earlier file as it was.
bool ExportImage(const DiagramModel& model, const std::filesystem::path& file, int zoomPercent);
bool ExportImage(const DiagramModel& model, const DrawingGeometry& drawing, const std::filesystem::path& file,
                 int zoomPercent);
// The picture ExportImage writes, encoded in memory: the file's extension
// picks the format as there, and nothing is written or created. For a
// writer that puts the bytes in place itself (the report tree's, through
// its boundary); none when the picture cannot be made.
std::optional<std::string> EncodeImage(const DiagramModel& model, const DrawingGeometry& drawing,
                                       const std::filesystem::path& file, int zoomPercent);

}  // namespace platform::diagram
