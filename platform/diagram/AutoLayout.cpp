#include <algorithm>

#include "platform/diagram/DiagramLayout.h"
#include "platform/diagram/DiagramPainter.h"

namespace platform::diagram {

void AutoLayout(DiagramModel& model, const std::function<bool()>& stop) {
    // Callers add boxes with a token size; the box grows to its caption but
    // keeps a size the caller chose larger.
    for (const auto& s : model.Shapes()) {
        QSizeF need = TextBoxSize(s->text);
        s->width = std::max(s->width, need.width());
        s->height = std::max(s->height, need.height());
    }
    LayeredLayout(stop).Layout(model);
}

void TakeLayout(const DiagramModel& laid, DiagramModel& into) {
    const auto &fromShapes = laid.Shapes(), &toShapes = into.Shapes();
    for (std::size_t k = 0; k < fromShapes.size() && k < toShapes.size(); ++k) {
        const Shape& from = *fromShapes[k];
        Shape& to = *toShapes[k];
        to.left = from.left;
        to.top = from.top;
        to.width = from.width;
        to.height = from.height;
    }
    const auto &fromLinks = laid.Links(), &toLinks = into.Links();
    for (std::size_t k = 0; k < fromLinks.size() && k < toLinks.size(); ++k) {
        const Link& from = *fromLinks[k];
        Link& to = *toLinks[k];
        to.route = from.route;
        to.textRect = from.textRect;
        to.fromRect = from.fromRect;
        to.toRect = from.toRect;
    }
}

}  // namespace platform::diagram
