#pragma once
// The node menus of the Web Operations and Web Services trees, prepared on
// the node-menu model without the window: which items a node offers and the
// Tag each item carries. The window copies the model onto mnuProgContext.
//
// A preparation always clears the Tag of "D&elete Node" before it sets one,
// so neither the menu item nor the Delete key can act on the Tag that an
// earlier menu (of another node, or of another tree) left behind.

#include <optional>
#include <string>

#include "platform/db/Database.h"
#include "services/NodeMenu.h"

namespace app {

// What a menu preparation needs to know of a node of a web tree.
struct WebTreeNode {
    std::string key;
    std::string text;
    std::string tag;
    std::string rootKey;   // the key of the node's top-level node (its own for a root)
    std::string rootTag;   // the Tag of that node
};

// The key of the root that process nodes hang under.
inline constexpr const char* kProcessFlowRootKey = "PROGFLOWTITLE";

struct WebMenuPreparation {
    // The menu is to pop up: a menu was prepared and the button mask holds
    // the right button.
    bool popup = false;
    // The Tag this preparation gave "D&elete Node"; nothing when it gave none.
    std::optional<std::string> deleteTag;
    // An operation node without a Tag is given "-1" (the window stores it
    // on the node).
    std::optional<std::string> newNodeTag;
};

// The menu of a node of trWebOperations (none: nullptr). An entity
// operation offers "View &Flow Context", "Define &Messages", "View &Source",
// "&CRUD Signature", "D&elete Node" and "&Description"; an operation whose
// entity is gone from Ents gets no menu. Process ("p") and process element
// ("e") nodes get the diagram, and elements also messages and "Alter &Key".
WebMenuPreparation ShowWebOperationNodeMenu(services::NodeMenu& menu, platform::db::Database& db,
                                            const WebTreeNode* node, int button);

// The menu of a node of trWebServices (none: nullptr): empty space offers
// "&New Web Service..." alone; a service adds "&Save Web Service..." and
// "D&elete Node"; a member adds "D&elete Node". Without an open workspace
// there is no menu.
WebMenuPreparation ShowWebServiceNodeMenu(services::NodeMenu& menu, bool workspaceOpen, const WebTreeNode* node,
                                          int button);

}  // namespace app
