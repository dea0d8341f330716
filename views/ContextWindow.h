#pragma once
// The flow context window without its widgets: its key, the layout text it
// keeps per program while the workspace is open, and which box commands a
// box offers.

#include <optional>
#include <string>
#include <string_view>

#include "platform/diagram/DiagramModel.h"
#include "services/NodeMenu.h"

namespace views {

// The two diagrams' panes, also their captions.
inline constexpr const char* kClientFacingPane = "Client Facing";
inline constexpr const char* kDataFacingPane = "Data Facing";

// "<id>-FlowContext": the window's Tag.
std::string FlowContextWindowKey(std::string_view id);
// "<name> - Flow Context".
std::string FlowContextCaption(std::string_view name);

// What the window keeps in g_ContextLayouts under its key when it closes.
struct ContextLayout {
    std::string splitterLayout;
    int clientZoom = 100;
    int dataZoom = 100;
};
// "<splitter layout>-<client zoom>-<data zoom>".
std::string WriteContextLayout(const ContextLayout& layout);
// Nothing for an empty entry, or one whose last two "-" parts are not
// 16-bit whole numbers. The zooms are taken from the end: the splitter's own
// text may hold a "-" itself.
std::optional<ContextLayout> ReadContextLayout(std::string_view entry);

// How the box menu was asked for.
enum class BoxMenuTrigger {
    RightMouse,  // the right button released over the box
    ShiftF10,    // Shift+F10 on the selected box
};

// The state of the box menu's three items after a request, and whether it
// pops up. The enabled states are the items' states from then on even when
// no menu shows; the Tags are set only when it pops up: View Source and
// Refocus carry "<key>", NUL, "<tag>", Expand the key alone.
struct BoxMenuState {
    bool popUp = false;
    bool viewSource = false;
    bool refocus = false;
    bool expand = false;
    std::string viewSourceTag;
    std::string refocusTag;
    std::string expandTag;
};

// The box menu for a box, by the box's kind (the start of its tag, case
// ignored): none for data stores of the workbench ("DATASTORE"),
// placeholders ("DUMMYSTORE"), stub programs ("STUBPROG") and the screen
// placeholder (empty tag); View Source alone for a screen unless it is a
// stub (red outline: no menu); for a program, Refocus and Expand, and View
// Source when its language has a source view (by mouse) or always (by
// keyboard); any other box, Refocus and Expand (and View Source by keyboard).
BoxMenuState PrepareBoxMenu(BoxMenuTrigger trigger, const platform::diagram::Shape& box,
                            const services::LanguageLookup& language);

// Whether a double-click on the box opens its source view: a screen that is
// not a stub, or a program whose language has a source view.
bool BoxOpensSource(const platform::diagram::Shape& box, const services::LanguageLookup& language);

}  // namespace views
