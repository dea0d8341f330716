#pragma once
// The architecture picture drawn from a tree of objects, without a window:
// one box per node coloured by the node's image (screen, middle tier, logic,
// file), each child linked from its parent with the relationship name; store
// and map nodes are left out with everything below them. Middle-tier and
// file boxes then move below all others.
//
// A node's Tag describes its object in four lines (line feeds): object id,
// object name, object type, relationship name.

#include <optional>
#include <string>

#include "common/Collection.h"
#include "common/Tree.h"
#include "platform/diagram/DiagramModel.h"

namespace views {

inline constexpr platform::diagram::Colour kArchScreen = platform::diagram::Rgb(0, 0, 255);
inline constexpr platform::diagram::Colour kArchMiddle = platform::diagram::Rgb(255, 0, 255);
inline constexpr platform::diagram::Colour kArchLogic = platform::diagram::Rgb(255, 255, 255);
inline constexpr platform::diagram::Colour kArchFile = platform::diagram::Rgb(255, 255, 0);

// The box colour of a node's image key; none for "Store" and "Map", which
// get no box.
std::optional<platform::diagram::Colour> ArchitectureColour(const std::string& image);

// Adds the box of the node (key: the node's key, text: its object name,
// 50 wide and 100 high at 0, 0) and, below it, the boxes of its children
// with a link from the node's box to each, carrying the child's
// relationship name and no arrowheads. Returns the node's box; nullptr for
// a store or map node and for a key the tree does not hold.
platform::diagram::Shape* AddTreeToDiagram(platform::diagram::DiagramModel& model, const common::Tree& tree,
                                           const std::string& key);

// Moves the middle-tier and file boxes down so that the topmost of them
// starts where the lowest other box ends. The topmost is sought from
// startTop down (the window passes its inner width); with no such box
// nothing moves.
void MoveMiddleAndFilesBelow(platform::diagram::DiagramModel& model, double startTop);

}  // namespace views

namespace Globals {

// The four lines of an object descriptor under "ObjectId", "ObjectName",
// "ObjectType" and "RelName" (a missing line reads as empty text); none for
// an empty text.
std::optional<common::Collection<std::string>> ParseObjectDescriptor(const std::string& text);

}  // namespace Globals
