#include "platform/diagram/DiagramPack.h"

#include <stdexcept>

namespace platform::diagram {

DiagramPack::Text DiagramPack::Keep(const std::string& text) {
    const Text kept{static_cast<std::uint32_t>(m_texts.size()), static_cast<std::uint32_t>(text.size())};
    m_texts += text;
    return kept;
}

DiagramPack::DiagramPack(const DiagramModel& model) {
    m_shapes.reserve(model.ShapeCount());
    for (const auto& s : model.Shapes())
        m_shapes.push_back({Keep(s->key), Keep(s->text), Keep(s->hint), Keep(s->tag), s->left, s->top, s->width,
                            s->height, s->fillColor, s->lineColor, s->textColor, s->lineStyle, s->side, s->boldText,
                            s->heavyBorder});
    m_links.reserve(model.LinkCount());
    for (const auto& l : model.Links()) {
        if (!l->route.empty() || !l->textRect.Empty() || !l->fromRect.Empty() || !l->toRect.Empty())
            throw std::invalid_argument("A diagram is packed before its layout.");
        m_links.push_back({Keep(l->key), Keep(l->text), Keep(l->fromLabel), Keep(l->toLabel),
                           static_cast<std::uint32_t>(model.IndexOf(*l->from)),
                           static_cast<std::uint32_t>(model.IndexOf(*l->to)), l->color, l->fromArrow, l->toArrow});
    }
    m_texts.shrink_to_fit();
}

void DiagramPack::Unpack(DiagramModel& into) const {
    into.Clear();
    std::vector<Shape*> shapes;
    shapes.reserve(m_shapes.size());
    for (const PackedShape& p : m_shapes) {
        Shape& s = into.AddShape(Get(p.text), p.left, p.top, p.width, p.height, Get(p.key));
        s.hint = Get(p.hint);
        s.tag = Get(p.tag);
        s.fillColor = p.fill;
        s.lineColor = p.line;
        s.textColor = p.textColour;
        s.lineStyle = p.lineStyle;
        s.side = p.side;
        s.boldText = p.bold;
        s.heavyBorder = p.heavy;
        shapes.push_back(&s);
    }
    for (const PackedLink& p : m_links) {
        Link& l = into.AddLink(*shapes[p.from], *shapes[p.to], Get(p.text), Get(p.key), Get(p.fromLabel), p.fromArrow,
                               Get(p.toLabel), p.toArrow);
        l.color = p.colour;
    }
}

}  // namespace platform::diagram
