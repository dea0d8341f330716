#pragma once
// The layout text of the dock splitter: its tree of named panes (each split
// into two, side by side or one above the other), their captions, options
// and visibility, plus the dock state that holds the sizes. Reading and
// writing the text needs no window, so it is tested on its own.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ui {

enum class SplitOrientation { None = 0, SideBySide = 1, Stacked = 2 };

struct PaneLayout {
    std::string name;
    std::string caption;
    // None for a pane that shows a control; otherwise the pane is divided
    // into exactly two children.
    SplitOrientation orientation = SplitOrientation::None;
    // Share of the first child in the divided direction (0 < share < 1).
    double firstShare = 0.5;
    bool visible = true;
    bool closable = true;
    bool movable = true;
    bool floatable = true;
    std::vector<PaneLayout> children;
};

struct SplitterLayout {
    PaneLayout root;
    // The docks' own state (base64), holding sizes and floating panes.
    std::string state;
};

std::string WriteSplitterLayout(const SplitterLayout& layout);
// nullopt for any text that does not describe a whole, consistent tree:
// unknown version, bad numbers, a divided pane without exactly two children,
// a child of a pane that shows a control, duplicate or empty pane names.
std::optional<SplitterLayout> ReadSplitterLayout(std::string_view text);

}  // namespace platform::ui
