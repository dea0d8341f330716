#pragma once
// The link direction dialog's content, headless: the four parties of one
// link of the screen interaction plot (its left and right node, its left
// and right program) side by side, joined by three relationships, and the
// two statements that would fix the link's direction.

#include <cstdint>
#include <string>

#include "platform/diagram/DiagramModel.h"

namespace platform::db {
class Database;
}

namespace views {

// "<linkKey>-Relationship": the dialog of one link, found again by it.
std::string RelationshipWindowKey(const std::string& linkKey);

// The dialog's geometry is given in units of this many pixels.
inline constexpr double kRelationshipUnit = 8;

// Fixes the link's direction as drawn.
void KeepLinkDirection(platform::db::Database& db, int64_t relId);
// Swaps the link's sides, then fixes its direction.
void SwapLinkDirection(platform::db::Database& db, int64_t relId, int64_t leftProgId, int64_t rightProgId,
                       int64_t leftScrId, int64_t rightScrId);

}  // namespace views

namespace Globals {

// Empties the model and draws the boxes "LeftScreen", "RightScreen" (green
// text: the role, not the entity, decides), "LeftProgram", "RightProgram"
// (black text) and the links "LSLP", "LPRP", "RSRP". The left and right
// boxes stand far enough apart for the middle link's caption and some of
// its line to show between them; each link runs straight between the
// facing sides of its boxes with its caption on one line. A box is filled by the
// entity's kind and Ents.Nature (an empty Nature counts as 0), marked when
// the entity is a stub, and tagged with its SerialID. An identifier that
// Ents does not hold raises std::runtime_error and leaves the model empty.
void DrawRelationshipDiagram(platform::diagram::DiagramModel& model, platform::db::Database& db, int64_t leftProgId,
                             int64_t rightProgId, int64_t leftScrId, int64_t rightScrId);

}  // namespace Globals
