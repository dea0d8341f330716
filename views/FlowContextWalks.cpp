// The three walks of a flow context. Each reads its rows to the end before
// it descends (the next level runs the same statement), and a failure ends
// only the walk it happens in: the level above goes on with its next row,
// and the diagram keeps every box and link added so far.

#include <exception>

#include "common/AsciiCase.h"
#include "views/FlowContext.h"
#include "views/FlowContextBoxes.h"

namespace Globals {

namespace {

using platform::diagram::Colour;
using platform::diagram::DiagramModel;
using platform::diagram::Rgb;
using platform::diagram::Shape;
using views::detail::AddEntityBox;
using views::detail::FindBox;
using views::detail::LinkOnce;

constexpr Colour kCallColour = Rgb(255, 0, 0);
constexpr Colour kTransferColour = Rgb(0, 0, 255);
constexpr Colour kAccessColour = Rgb(255, 255, 0);
constexpr Colour kScreenColour = Rgb(0, 255, 0);

const char* const kScreenLimit = "Screen linking limit reached";
// A program draws this many new screen boxes; the rest share one placeholder.
constexpr int kMaxNewScreens = 10;

// RelName compares as the database compared it when it chose the row.
Colour LinkColour(const std::string& relName) {
    if (common::AsciiEqualNoCase(relName, "Calls")) return kCallColour;
    if (common::AsciiEqualNoCase(relName, "Xctls")) return kTransferColour;
    if (common::AsciiEqualNoCase(relName, "access")) return kAccessColour;
    return Rgb(0, 0, 0);
}

}  // namespace

void AddCallers(DiagramModel& diagram, views::FlowContextSource& source, const std::string& programId,
                Shape& box) {
    try {
        // A program that converses with screens is where the client side
        // ends: its own callers are not followed from here.
        if (AddScreenConversations(diagram, source, programId, box)) return;
        for (const auto& row : source.Callers(programId)) {
            Shape* caller = FindBox(diagram, row.name);
            if (!caller) {
                caller = &AddEntityBox(diagram, row, row.name + " " + row.relNameFull + " " + box.text);
                caller->side = platform::diagram::kSideBefore;
                // Only a box made just now is walked from, so every name is
                // walked once and a cycle ends at its first repeated name.
                AddCallers(diagram, source, row.id, *caller);
            }
            LinkOnce(diagram, *caller, box, row.relNameFull, LinkColour(row.relName));
        }
    } catch (const std::exception&) {
    }
}

bool AddScreenConversations(DiagramModel& diagram, views::FlowContextSource& source, const std::string& programId,
                            Shape& box) {
    bool converses = false;
    try {
        const auto screens = source.Screens(programId);
        if (screens.empty()) return false;
        converses = true;

        const std::string placeholderKey = "ScrnPH" + box.key;
        int newScreens = 0;
        for (const auto& row : screens) {
            // A screen drawn already (shared with another program) is linked
            // without counting towards the limit.
            Shape* screen = FindBox(diagram, row.name);
            if (!screen) {
                if (++newScreens <= kMaxNewScreens) {
                    screen = &AddEntityBox(diagram, row, box.text + " Converses " + row.name);
                    screen->side = platform::diagram::kSideBefore;
                    screen->textColor = Rgb(0, 255, 0);
                } else if (diagram.FindShape(placeholderKey)) {
                    continue;   // the placeholder carries one link only
                } else {
                    screen = &diagram.AddShape(kScreenLimit, 0, 0, 3, 3, placeholderKey);
                    screen->side = platform::diagram::kSideBefore;
                    screen->fillColor = Rgb(255, 255, 255);
                    screen->hint = kScreenLimit;
                }
            }
            // The direction is the message's: into the program for what it
            // receives, out to the screen for what it sends.
            if (row.relNameFull.find("Receives") != std::string::npos)
                LinkOnce(diagram, *screen, box, row.relNameFull, kScreenColour);
            else if (row.relNameFull.find("Sends") != std::string::npos)
                LinkOnce(diagram, box, *screen, row.relNameFull, kScreenColour);
        }

        // Programs that call a screen program are shown one level deep: a
        // transfer to it comes from the screens' side and is not drawn.
        for (const auto& row : source.CallingPrograms(programId)) {
            Shape* caller = FindBox(diagram, row.name);
            if (!caller) {
                caller = &AddEntityBox(diagram, row, row.name + " " + row.relNameFull + " " + box.text);
                caller->side = platform::diagram::kSideBefore;
            }
            LinkOnce(diagram, *caller, box, row.relNameFull, kCallColour);
        }
    } catch (const std::exception&) {
    }
    return converses;
}

void AddCallees(DiagramModel& diagram, views::FlowContextSource& source, const std::string& id, Shape& box,
                int depth) {
    if (depth <= 0) return;
    std::vector<views::FlowContextSource::Row> rows;
    try {
        rows = source.Callees(id);
    } catch (const std::exception&) {
        return;
    }
    for (const auto& row : rows) {
        try {
            Shape* target = FindBox(diagram, row.name);
            if (!target) {
                target = &AddEntityBox(diagram, row, box.text + " " + row.relNameFull + " " + row.name);
                target->side = platform::diagram::kSideAfter;
                AddCallees(diagram, source, row.id, *target, depth - 1);
            }
            LinkOnce(diagram, box, *target, row.relNameFull, LinkColour(row.relName));
        } catch (const std::exception&) {
            // One row that cannot be drawn does not hide the others.
        }
    }
}

}  // namespace Globals
