#pragma once
// The use-case wizard's screen-path tree, without the window: each node is a
// screen (its Tag the screen's SerialID), its children the screens reachable
// from it through one transfer of control. A node's state is its text
// colour; "&Next >" commits every marked node: labelled with the criterion
// by which its screen is reached, expanded (or not, for an end mark), the
// alternatives not taken removed.
//
// A node's key is "n", its screen's SerialID, then its parent's key, which
// holds the path above: unique per path and growing by one segment a level.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/Collection.h"
#include "common/Tree.h"
#include "views/UseCaseTable.h"

namespace views {

// A colour as the tree holds it: red + 256 x green + 65536 x blue.
constexpr int32_t PackedRgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

// The node states.
inline constexpr int32_t kExpandMarked = PackedRgb(0, 0, 255);
inline constexpr int32_t kEndMarked = PackedRgb(127, 0, 0);
inline constexpr int32_t kDropMarked = PackedRgb(153, 0, 0);
inline constexpr int32_t kNewNode = PackedRgb(0, 0, 0);
inline constexpr int32_t kLoopNode = PackedRgb(255, 0, 0);
inline constexpr int32_t kSetAside = PackedRgb(0, 153, 153);
inline constexpr int32_t kExpandedNode = PackedRgb(66, 66, 66);

inline constexpr char kImageExpand[] = "AExpand";
inline constexpr char kImageScreen[] = "AScreen";
inline constexpr char kImageLoop[] = "ACloseProcess";
inline constexpr char kImageTrim[] = "ATrim";

inline constexpr char kRootCriterion[] = "Root";
inline constexpr char kEnterCriterion[] = "[Enter] key";

// Criterion texts by node key.
using Criteria = common::Collection<std::string>;
// The screens reachable from the screen of a node's Tag, in order.
using SuccessorSource = std::function<std::vector<Successor>(const std::string& tag)>;

// The successors as the open table lists them (Globals::g_UseCaseTable).
SuccessorSource TableSuccessors(platform::db::Database& db, std::string table);

// The node's state colour; kNewNode for a node without one.
int32_t NodeColour(const common::TreeNode& node);

// The Ents.ID of the entity behind a node's Tag: "e<ElementID>" names a
// process element and so its SerialID, any other Tag is a SerialID. None
// for "*TRIM*" and for a Tag that names no row.
std::optional<std::string> NodeEntityId(platform::db::Database& db, const std::string& tag);

}  // namespace views

namespace Globals {

// Commits every marked node, in the tree's order:
// - expand-marked: criterion "Root" (no parent) or "[Enter] key" stored
//   under its key and added to its text as " (<criterion>)", expanded; its
//   new and set-aside siblings without children are removed;
// - end-marked: labelled the same, not expanded; loop siblings without
//   children go too;
// - drop-marked: its parent (with it) is removed and the ancestors above
//   pruned. A drop mark on a top-level node is ignored.
void CommitWizardPath(common::Tree& tree, views::Criteria& criteria, const views::SuccessorSource& successors);

// Removes the node's children that have none of their own and adds a new
// child per successor screen (red with the loop image when the screen is
// the node's or an ancestor's); a kept child for the same screen stays as it
// is. The node becomes expanded.
void ExpandScreenNode(common::Tree& tree, const std::string& key, const views::SuccessorSource& successors);

// Removes the node when it has no children, then its parent the same way,
// and so on up to the top.
void PruneChildlessAncestors(common::Tree& tree, const std::string& key);

// Removes the node and its subtree.
void RemoveNode(common::Tree& tree, const std::string& key);

// text followed by the node's key, which holds the keys of the path above.
std::string GetNodePath(std::string text, const common::Tree& tree, const std::string& key);

// Adds the Tag of every ancestor of the node (parent up to the top) as
// item and key; a Tag already there is skipped.
void CollectParentTags(common::Collection<std::string>& tags, const common::Tree& tree, const std::string& key);

// Replaces the item stored under the key, or adds it.
void CollectionSet(const std::string& key, const std::string& item, common::Collection<std::string>& col);

}  // namespace Globals
