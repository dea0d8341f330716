#include <algorithm>

#include "platform/diagram/DiagramLayout.h"
#include "platform/diagram/DiagramPainter.h"

namespace platform::diagram {

void AutoLayout(DiagramModel& model) {
    // Callers add boxes with a token size; the box grows to its caption but
    // keeps a size the caller chose larger.
    for (const auto& s : model.Shapes()) {
        QSizeF need = TextBoxSize(s->text);
        s->width = std::max(s->width, need.width());
        s->height = std::max(s->height, need.height());
    }
    LayeredLayout().Layout(model);
}

}  // namespace platform::diagram
