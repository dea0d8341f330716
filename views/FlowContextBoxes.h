#pragma once
// Boxes and links of a flow context, shared by the build and its walks.

#include <string>

#include "platform/diagram/DiagramModel.h"
#include "views/FlowContext.h"

namespace views::detail {

// The box keyed so; the empty key (an entity without a Name) finds the first
// unkeyed box, so that such an entity is drawn once like any other.
platform::diagram::Shape* FindBox(platform::diagram::DiagramModel& diagram, const std::string& key);
const platform::diagram::Shape* FindBox(const platform::diagram::DiagramModel& diagram, const std::string& key);

// Colour by kind and category, and the stub marking (red dashed border).
void StyleEntityBox(platform::diagram::Shape& box, const std::string& kind, int64_t soaType, bool stub);

// A new box for the row's entity, keyed and labelled by its Name.
platform::diagram::Shape& AddEntityBox(platform::diagram::DiagramModel& diagram, const FlowContextSource::Row& row,
                                       const std::string& hint);

// The link from -> to keyed from.key + text + to.key, unless from and to are
// the same box or the key is drawn already.
void LinkOnce(platform::diagram::DiagramModel& diagram, platform::diagram::Shape& from,
              platform::diagram::Shape& to, const std::string& text, platform::diagram::Colour colour);

}  // namespace views::detail
