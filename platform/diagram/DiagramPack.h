#pragma once
// A diagram before its layout, held in a few flat arrays: about a quarter
// of the model's memory, for when many drawings wait their turn to be laid
// out and painted. Unpacking gives a model equal to the packed one, keys
// and every attribute of its boxes and links included.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/diagram/DiagramModel.h"

namespace platform::diagram {

class DiagramPack {
public:
    // Raises std::invalid_argument for a model whose links are routed
    // already: routes and label places are the layout's, made after.
    explicit DiagramPack(const DiagramModel& model);

    // Adds the packed boxes and links to into, which is cleared first.
    void Unpack(DiagramModel& into) const;

    std::size_t ShapeCount() const { return m_shapes.size(); }

private:
    struct Text {
        std::uint32_t at = 0, size = 0;
    };
    struct PackedShape {
        Text key, text, hint, tag;
        double left, top, width, height;
        Colour fill, line, textColour;
        std::int32_t lineStyle, side;
        bool bold, heavy;
    };
    struct PackedLink {
        Text key, text, fromLabel, toLabel;
        std::uint32_t from, to;
        Colour colour;
        bool fromArrow, toArrow;
    };

    Text Keep(const std::string& text);
    std::string Get(Text text) const { return m_texts.substr(text.at, text.size); }

    std::string m_texts;   // every text, one after the other
    std::vector<PackedShape> m_shapes;
    std::vector<PackedLink> m_links;
};

}  // namespace platform::diagram
