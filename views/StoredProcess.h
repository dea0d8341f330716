#pragma once
// A stored process (the rows of pcaElements under one ProcID: each element a
// visit of a screen, below the element it follows, ParentID -1 at the top)
// shown two ways, without a window: as a tree of nodes and as a diagram of
// screen boxes linked in visiting order. Both walk the process from the top
// with their own stack, so a deep process cannot exhaust the call stack.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Tree.h"
#include "platform/diagram/DiagramModel.h"
#include "views/WizardTree.h"

namespace platform::db {
class Database;
}

namespace views {

inline constexpr int32_t kProcessNode = PackedRgb(66, 66, 66);
inline constexpr int32_t kProcessLoop = PackedRgb(96, 0, 0);
// The end label of every process link, at the end of the screen left.
inline constexpr char kProcessLinkLabel[] = "XCtls";

struct ProcessElement {
    int64_t elementId = 0;
    int64_t parentId = 0;
    int64_t serialId = 0;
    std::string name;
    std::string criteria;
    // The element's screen in Ents; none when Ents has no such SerialID.
    std::optional<std::string> busName;
};

// The elements of the process in ElementID order; none for a process id
// that is no whole number.
std::vector<ProcessElement> ReadProcessElements(platform::db::Database& db, const std::string& procId);

// The link from the box of a parent element to the box of its child: the
// two box keys with a separator, so that boxes "1" and "23" never share a
// link key with boxes "12" and "3".
std::string ProcessLinkKey(const std::string& fromKey, const std::string& toKey);

}  // namespace views

namespace Globals {

// Empties the tree and fills it with the process: a node per element, text
// "<Name> (<Criteria>)", Tag "e<ElementID>", image "AScreen" in grey, every
// node expanded; an element whose screen an ancestor element already visits
// is a loop, red-brown with the image "ACloseProcess". Keys follow the
// wizard's rule: "n<ElementID>" followed by the parent's key.
void RefreshProcessTree(platform::db::Database& db, const std::string& procId, common::Tree& tree);

// Draws the process into the model: one black box per screen (key and Tag
// its SerialID, caption its BusName in green), a link from the box of each
// element's parent to the element's box, labelled "XCtls" at the parent's
// end with the arrowhead at the element's, one per pair of boxes. An element
// whose screen is missing from Ents is left out with everything below it; an
// element on its parent's screen gets a link to the same box and nothing
// below it is drawn.
void DrawProcessElements(platform::diagram::DiagramModel& model, platform::db::Database& db, const std::string& procId);

}  // namespace Globals
