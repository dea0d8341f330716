#include "views/WizardTree.h"

#include <utility>

#include "platform/db/Database.h"
#include "services/StoreIds.h"

namespace views {

SuccessorSource TableSuccessors(platform::db::Database& db, std::string table) {
    return [&db, table = std::move(table)](const std::string& tag) { return ReadSuccessors(db, table, tag); };
}

int32_t NodeColour(const common::TreeNode& node) { return node.foreColour.value_or(kNewNode); }

std::optional<std::string> NodeEntityId(platform::db::Database& db, const std::string& tag) {
    if (tag == "*TRIM*") return std::nullopt;
    std::optional<int64_t> serial;
    if (!tag.empty() && (tag[0] == 'e' || tag[0] == 'E')) {
        const auto element = services::ParseId(tag.substr(1));
        if (!element) return std::nullopt;
        const auto value = db.Scalar("SELECT SerialID FROM pcaElements WHERE ElementID = ?1", {*element});
        if (value.IsNull()) return std::nullopt;
        serial = value.AsInt();
    } else {
        serial = services::ParseId(tag);
    }
    if (!serial) return std::nullopt;
    auto row = db.OpenRecordset("SELECT ID FROM Ents WHERE SerialID = ?1", {*serial});
    if (row.IsEOF()) return std::nullopt;
    return row.Text("ID");
}

}  // namespace views

namespace Globals {

namespace {

using common::Tree;
using common::TreeNode;
using namespace views;

bool HasChildren(const Tree& tree, const std::string& key) { return !tree.Children(key).empty(); }

std::vector<std::string> ChildKeys(const Tree& tree, const std::string& parentKey) {
    std::vector<std::string> keys;
    for (const TreeNode* child : tree.Children(parentKey)) keys.push_back(child->key);
    return keys;
}

// After a commit the alternatives beside the committed node go: new and
// set-aside ones, and loops too beside an end, unless the analyst already
// walked on from them.
void SweepSiblings(Tree& tree, const std::string& parentKey, bool loopsToo) {
    for (const std::string& key : ChildKeys(tree, parentKey)) {
        const TreeNode* sibling = tree.Find(key);
        if (!sibling) continue;
        const int32_t colour = NodeColour(*sibling);
        const bool alternative = colour == kNewNode || colour == kSetAside || (loopsToo && colour == kLoopNode);
        if (alternative && !HasChildren(tree, key)) tree.Remove(key);
    }
}

void Label(Tree& tree, const std::string& key, Criteria& criteria) {
    TreeNode* node = tree.Find(key);
    const std::string criterion = node->parentKey.empty() ? kRootCriterion : kEnterCriterion;
    CollectionSet(key, criterion, criteria);
    node->text += " (" + criterion + ")";
}

}  // namespace

void CommitWizardPath(Tree& tree, Criteria& criteria, const SuccessorSource& successors) {
    std::vector<std::string> keys;
    keys.reserve(tree.Count());
    for (const TreeNode& node : tree.Nodes()) keys.push_back(node.key);

    for (const std::string& key : keys) {
        const TreeNode* node = tree.Find(key);
        if (!node) continue;  // removed earlier in this walk
        const int32_t colour = NodeColour(*node);
        if (colour == kExpandMarked || colour == kEndMarked) {
            const std::string parentKey = node->parentKey;
            Label(tree, key, criteria);
            if (colour == kExpandMarked) ExpandScreenNode(tree, key, successors);
            SweepSiblings(tree, parentKey, colour == kEndMarked);
        }
        node = tree.Find(key);
        // A top-level node has no parent to drop: its mark is ignored.
        if (!node || NodeColour(*node) != kDropMarked || node->parentKey.empty()) continue;
        const std::string parentKey = node->parentKey;
        const std::string grandparentKey = tree.Find(parentKey)->parentKey;
        tree.Remove(parentKey);
        if (!grandparentKey.empty()) PruneChildlessAncestors(tree, grandparentKey);
    }
}

void ExpandScreenNode(Tree& tree, const std::string& key, const SuccessorSource& successors) {
    const TreeNode* node = tree.Find(key);
    if (!node) return;
    const std::string tag = node->tag;
    for (const std::string& child : ChildKeys(tree, key))
        if (!HasChildren(tree, child)) tree.Remove(child);

    // The screens on the path down to a new child: the node's and its ancestors'.
    common::Collection<std::string> path;
    path.Add(tag, tag);
    CollectParentTags(path, tree, key);

    for (const Successor& next : successors ? successors(tag) : std::vector<Successor>{}) {
        const std::string screen = std::to_string(next.serialId);
        TreeNode child{GetNodePath("n" + screen, tree, key), key, next.name, kImageScreen, screen};
        // A child kept from an earlier expansion already stands for this screen.
        if (tree.Find(child.key)) continue;
        child.foreColour = kNewNode;
        if (CollectionHasKey(path, screen)) {
            child.foreColour = kLoopNode;
            child.image = kImageLoop;
        }
        tree.Add(std::move(child));
    }

    TreeNode* expanded = tree.Find(key);
    expanded->foreColour = kExpandedNode;
    expanded->image = kImageScreen;
    expanded->expanded = true;
}

void PruneChildlessAncestors(Tree& tree, const std::string& key) {
    std::string current = key;
    while (!current.empty()) {
        const TreeNode* node = tree.Find(current);
        if (!node || HasChildren(tree, current)) return;
        const std::string parentKey = node->parentKey;
        tree.Remove(current);
        current = parentKey;
    }
}

void RemoveNode(Tree& tree, const std::string& key) { tree.Remove(key); }

std::string GetNodePath(std::string text, const Tree& tree, const std::string& key) {
    if (const TreeNode* node = tree.Find(key)) text += node->key;
    return text;
}

void CollectParentTags(common::Collection<std::string>& tags, const Tree& tree, const std::string& key) {
    const TreeNode* node = tree.Find(key);
    for (node = node ? tree.Find(node->parentKey) : nullptr; node; node = tree.Find(node->parentKey))
        if (!tags.Contains(node->tag)) tags.Add(node->tag, node->tag);
}

void CollectionSet(const std::string& key, const std::string& item, common::Collection<std::string>& col) {
    if (col.Contains(key)) col.Remove(key);
    col.Add(item, key);
}

}  // namespace Globals
