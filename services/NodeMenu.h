#pragma once
// The node context menu shared by the three trees, without the window: the
// items in menu order with their object names and captions, each item's
// visibility, enabled state and Tag, the reset every preparation starts
// with, and the preparation for a Summary tree node. The window mirrors the
// model onto its QMenu after a preparation; the web trees' preparations use
// the same model.
//
// An item's Tag carries its command's argument as two fields joined by one
// NUL character: the node's text or a command code, then the identifier.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::workbench { class WorkbenchSession; }

namespace services {

enum class NodeMenuItem {
    FlowContext,     // mnuNCFlowContext
    Sep1,            // mnuNCSep1
    NewWebService,   // mnuNCNewWebService
    SaveWebService,  // mnuNCSaveWebService
    Sep3,            // mnuNCSep3
    ScrnWebSvc,      // mnuNCScrnWebSvc
    SetWebSvc,       // mnuNCSetWebSvc
    DefineMessages,  // mnuNCDefineMessages
    ProcDiagram,     // mnuNCProcDiagram
    Refocus,         // mnuNCRefocus
    ViewSource,      // mnuNCViewSource
    SFV,             // mnuNCSFV
    CRUDSig,         // mnuNCCRUDSig
    DeleteNode,      // mnuNCDeleteNode
    Sep2,            // mnuNCSep2
    Key,             // mnuNCKey
    Description,     // mnuNCDescription
};

constexpr size_t kNodeMenuItemCount = 17;

struct NodeMenuItemState {
    bool visible = true;
    bool enabled = true;
    std::string tag;
};

class NodeMenu {
public:
    // The states the menu has when the main window is created.
    NodeMenu();

    // Every item, in menu order.
    static const std::array<NodeMenuItem, kNodeMenuItemCount>& Items();
    // "mnuNCFlowContext", ...: the Qt object name of the item's action.
    static const char* ObjectName(NodeMenuItem item);
    // "View &Flow Context", ...; empty for a separator.
    static const char* Caption(NodeMenuItem item);
    static bool IsSeparator(NodeMenuItem item);
    // The item whose object name this is (case ignored).
    static std::optional<NodeMenuItem> FromObjectName(std::string_view name);

    NodeMenuItemState& operator[](NodeMenuItem item) { return m_items[static_cast<size_t>(item)]; }
    const NodeMenuItemState& operator[](NodeMenuItem item) const { return m_items[static_cast<size_t>(item)]; }

    // Leaves "D&elete Node" and the separator after it shown and enabled,
    // hides and disables every other item except "Start Web Operation
    // &Here", and changes no Tag.
    void Reset();
    // Makes the item visible and enabled, and sets its Tag.
    void Offer(NodeMenuItem item, std::string tag);
    // Makes the item visible and enabled, Tag unchanged.
    void Offer(NodeMenuItem item);
    // Makes the item invisible; its enabled state and Tag stay.
    void Hide(NodeMenuItem item);

    // The visible items, in menu order.
    std::vector<NodeMenuItem> ShownItems() const;

private:
    std::array<NodeMenuItemState, kNodeMenuItemCount> m_items;
};

// first, NUL, second.
std::string JoinTag(std::string_view first, std::string_view second);
// Splits at the first NUL: the text before it and all the text after it.
// A Tag without NUL gives nothing, so a command given such a Tag does nothing.
std::optional<std::pair<std::string, std::string>> SplitTag(std::string_view tag);

// Shift+F10 (key code 121 with the modifier mask exactly Shift) asks for the
// selected node's menu as a right click would.
constexpr int kKeyF10 = 121;
constexpr int kShiftMask = 1;
constexpr int kRightButton = 2;
bool IsContextMenuKey(int keyCode, int shiftMask);

// What the Summary menu needs to know of a node of the Summary tree.
struct SummaryNodeRef {
    std::string key;
    std::string text;
    std::string tag;
};

// The repository's "Language" attribute of the program with this entity
// key, or nothing when the repository does not know the program or cannot
// be reached.
using LanguageLookup = std::function<std::optional<std::string>(const std::string& key)>;

// Asks the session's repository, afresh for every node; a closed or missing
// session, or a key the repository does not know, gives nothing.
LanguageLookup RepositoryLanguages(const platform::workbench::WorkbenchSession* session);

// "NATURAL", "COBOL", "PLI" or "RPG", case ignored: a source the viewer shows.
bool IsSourceLanguage(std::string_view language);

// Prepares the menu for a node of the Summary tree (none: nullptr). Returns
// whether the menu is to pop up: a menu was prepared and the button mask
// holds the right button. Group and branch nodes get no menu.
bool ShowSummaryNodeMenu(NodeMenu& menu, const SummaryNodeRef* node, int button, const LanguageLookup& language);

}  // namespace services
