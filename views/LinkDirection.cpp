#include "views/LinkDirection.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

#include <QRectF>

#include "platform/db/Database.h"
#include "platform/diagram/DiagramPainter.h"
#include "views/EntityColour.h"

namespace views {

std::string RelationshipWindowKey(const std::string& linkKey) { return linkKey + "-Relationship"; }

void KeepLinkDirection(platform::db::Database& db, int64_t relId) {
    db.Execute("UPDATE sfScreenRels SET Directed = -1 WHERE sfRelID = ?1", {relId});
}

void SwapLinkDirection(platform::db::Database& db, int64_t relId, int64_t leftProgId, int64_t rightProgId,
                       int64_t leftScrId, int64_t rightScrId) {
    db.Execute(
        "UPDATE sfScreenRels SET LScrID = ?1, RScrID = ?2, LProgID = ?3, RProgID = ?4, Directed = -1 "
        "WHERE sfRelID = ?5",
        {rightScrId, leftScrId, rightProgId, leftProgId, relId});
}

}  // namespace views

namespace Globals {

namespace {

namespace dg = platform::diagram;
using views::kRelationshipUnit;

constexpr double kWidth = 25, kHeight = 8, kMargin = 1, kGap = 6;
constexpr char kMiddleCaption[] = "Interprogram Relationship";
// Line left visible on each side of the middle link's caption.
constexpr double kLineShown = 2;
// Wide enough for any caption of the dialog on one line.
constexpr double kOneLine = 1e6;

// The gap between the left and the right boxes: the middle link runs
// across it with its caption centred, so the caption and some line on
// either side of it must fit, or the boxes paint over both.
double ColumnGap() {
    const double caption = dg::LabelSize(kMiddleCaption, kOneLine).width();
    return std::max(kGap, std::ceil(caption / kRelationshipUnit) + 2 * kLineShown);
}

// A link straight from the middle of one box's side to the facing side of
// the other, its caption on one line at its middle. The painter would break
// a caption as wide as these, which then stands in two lines with a single
// word on the second.
void StraightLink(dg::Link& link) {
    const QRectF a = dg::ShapeRect(*link.from), b = dg::ShapeRect(*link.to);
    const bool below = b.top() >= a.bottom();
    const QPointF start = below ? QPointF(a.center().x(), a.bottom()) : QPointF(a.right(), a.center().y());
    const QPointF end = below ? QPointF(b.center().x(), b.top()) : QPointF(b.left(), b.center().y());
    link.route = {{start.x(), start.y()}, {end.x(), end.y()}};
    const QSizeF size = dg::LabelSize(link.text, kOneLine);
    const QPointF middle = (start + end) / 2;
    link.textRect = {middle.x() - size.width() / 2, middle.y() - size.height() / 2, size.width(), size.height()};
}

struct Party {
    const char* key;
    int64_t serialId;
    bool screenRole;
};

}  // namespace

void DrawRelationshipDiagram(dg::DiagramModel& model, platform::db::Database& db, int64_t leftProgId,
                             int64_t rightProgId, int64_t leftScrId, int64_t rightScrId) {
    model.Clear();
    const Party parties[] = {{"LeftScreen", leftScrId, true},
                             {"RightScreen", rightScrId, true},
                             {"LeftProgram", leftProgId, false},
                             {"RightProgram", rightProgId, false}};
    auto read = db.Prepare("SELECT BusName, EntName, Nature, Stub, SerialID FROM Ents WHERE SerialID = ?1");
    for (const Party& p : parties) {
        read.Reset().Bind(1, p.serialId);
        if (!read.Step()) {
            model.Clear();
            throw std::runtime_error("No entity has the SerialID " + std::to_string(p.serialId) + ".");
        }
        // Each box is placed from the geometry of the boxes added before it.
        double left = kMargin, top = kMargin;
        const std::string key = p.key;
        if (key == "RightScreen") {
            const dg::Shape& ls = *model.FindShape("LeftScreen");
            left = (ls.left + ls.width) / kRelationshipUnit + ColumnGap();
        } else if (key == "LeftProgram") {
            const dg::Shape& ls = *model.FindShape("LeftScreen");
            top = (ls.top + ls.height) / kRelationshipUnit + kGap;
        } else if (key == "RightProgram") {
            left = model.FindShape("RightScreen")->left / kRelationshipUnit;
            top = model.FindShape("LeftProgram")->top / kRelationshipUnit;
        }
        dg::Shape& box = model.AddShape(read.Text(0), left * kRelationshipUnit, top * kRelationshipUnit,
                                        kWidth * kRelationshipUnit, kHeight * kRelationshipUnit, key);
        const int64_t nature = std::clamp<int64_t>(read.Int(2), INT_MIN, INT_MAX);   // Null reads as 0
        box.fillColor = EntityColour(read.Text(1), static_cast<int>(nature));
        box.textColor = p.screenRole ? dg::Rgb(0, 255, 0) : dg::Rgb(0, 0, 0);
        if (read.Int(3) != 0) {
            box.lineColor = dg::Rgb(255, 0, 0);
            box.lineStyle = dg::kLineDashed;
        }
        box.tag = read.Text(4);
    }
    auto link = [&model](const char* key, const char* from, const char* to, const char* text) {
        StraightLink(model.AddLink(*model.FindShape(from), *model.FindShape(to), text, key, "", false, "", false));
    };
    link("LSLP", "LeftScreen", "LeftProgram", "Left Program/Screen Pair");
    link("LPRP", "LeftProgram", "RightProgram", kMiddleCaption);
    link("RSRP", "RightScreen", "RightProgram", "Right Program/Screen Pair");
}

}  // namespace Globals
