#pragma once
// What the screen interaction plot draws, headless: every link of
// sfScreenRels as a line between the boxes of its two nodes (a screen, or a
// program that stands for its several screens), each node one box however
// many links touch it. The plot window shows the model; the benchmark and
// the tests build it without a window.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/diagram/DiagramModel.h"

namespace platform::db {
class Database;
}

namespace views {

// The Tag of the single plot window.
inline constexpr char kScreenFlowTag[] = "ScreenFlow";
inline constexpr char kReturnsLabel[] = "Returns";

// One link of sfScreenRels with its two nodes.
struct ScreenFlowRow {
    int64_t relId = 0;               // sfRelID
    int64_t lScrId = 0, rScrId = 0;  // the nodes' SerialIDs
    int64_t lProgId = 0, rProgId = 0;
    std::string lEntName, lBusName, rEntName, rBusName;
    bool lStub = false, rStub = false;
    bool twoWay = false, directed = false;
};

// The links of sfScreenRels in sfRelID order; without stub screens a link
// with a stub at either end is left out.
std::vector<ScreenFlowRow> ReadScreenFlow(platform::db::Database& db, bool stubScreens);

// Labels and arrowheads at the two ends of a link, left node first.
struct LinkEnds {
    std::string fromLabel;
    bool fromArrow = false;
    std::string toLabel;
    bool toArrow = false;
    bool operator==(const LinkEnds&) const = default;
};
// A one-way link points at its right node; a two-way link says "Returns" at
// both ends and points both ways until its direction is fixed.
LinkEnds ScreenFlowLinkEnds(bool twoWay, bool directed);

// Adds the row's boxes that the model lacks (keyed by SerialID) and its
// link (keyed by sfRelID) unless the model has it.
void AddScreenFlowRow(platform::diagram::DiagramModel& model, const ScreenFlowRow& row);

// Rebuilds sfScreenRels, then draws it into the emptied model and lays it out.
void BuildScreenFlow(platform::diagram::DiagramModel& model, platform::db::Database& db, bool stubScreens);

// What a box of the plot opens: the request of the source viewer ("<BusName>",
// NUL, "<ID>") for the entity whose SerialID is the box's key; nothing for a
// stub's box (red border) or a key Ents does not hold.
std::optional<std::string> ScreenFlowSourceRequest(platform::db::Database& db,
                                                   const platform::diagram::Shape& box);

// The sfScreenRels row behind a link of the plot.
struct LinkParties {
    int64_t relId = 0;
    int64_t lProgId = 0, rProgId = 0, lScrId = 0, rScrId = 0;
};
// Nothing when the key names no row.
std::optional<LinkParties> ReadLinkParties(platform::db::Database& db, const std::string& linkKey);

}  // namespace views
