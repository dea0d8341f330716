// The tree record every tree view is filled from: which nodes it takes (keys
// folded as the database's NOCASE folds them) and what removal takes with a
// node.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/AsciiCase.h"
#include "common/Tree.h"

namespace {

using common::Tree;
using common::TreeNode;

std::vector<std::string> Keys(const Tree& tree) {
    std::vector<std::string> keys;
    for (const TreeNode& n : tree.Nodes()) keys.push_back(n.key);
    return keys;
}

std::vector<std::string> Keys(const std::vector<const TreeNode*>& nodes) {
    std::vector<std::string> keys;
    for (const TreeNode* n : nodes) keys.push_back(n->key);
    return keys;
}

// Screens > MAP#4, Key12, Écran: the shapes the trees' keys take.
Tree Base() {
    Tree tree;
    tree.Add("", "Screens", "12 Screens", "Screens");
    tree.Add("Screens", "MAP#4", "ORDER ENTRY", "Screens", "MAP");
    tree.Add("", "Key12", "Sales", "AWebService", "12");
    tree.Add("", "\xC3\x89" "cran", "Écran", "");
    return tree;
}

TEST(TreeTest, AddAndTryAddTakeTheSameNodesWithKeysFoldedAsTheDatabaseFoldsThem) {
    struct Case {
        const char* what;
        TreeNode node;
        bool taken;
    };
    const Case cases[] = {
        {"a new top-level node", {"Key13", "", "Stock", "AWebService", "13"}, true},
        {"a child of a parent named in other letter case", {"12n7", "KEY12", "Order", "ACloseProcess", "12n7"}, true},
        {"a grandchild", {"MAP#5", "map#4", "HELP", "", ""}, true},
        {"a key already there", {"Key12", "", "again", "", ""}, false},
        {"a key already there in other letter case", {"SCREENS", "", "again", "", ""}, false},
        {"an entity id in other letter case", {"map#4", "Screens", "again", "", ""}, false},
        // NOCASE folds A-Z only: a key that differs in an accented capital is another key.
        {"a key differing in a non-ASCII capital", {"\xC3\xA9" "cran", "", "écran", "", ""}, true},
        {"a non-ASCII key in other ASCII case", {"\xC3\x89" "CRAN", "", "ÉCRAN", "", ""}, false},
        {"an empty key", {"", "", "no key", "", ""}, false},
        {"a parent that is not there", {"9n1", "Key9", "orphan", "", ""}, false},
        {"a node naming itself as parent", {"Self", "self", "loop", "", ""}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tree thrown = Base();
        Tree answered = Base();
        if (c.taken) {
            TreeNode& added = thrown.Add(c.node);
            EXPECT_EQ(added.key, c.node.key);
            EXPECT_TRUE(answered.TryAdd(c.node));
        } else {
            EXPECT_THROW(thrown.Add(c.node), std::invalid_argument);
            EXPECT_FALSE(answered.TryAdd(c.node));
        }
        for (const Tree* tree : {&thrown, &answered}) {
            EXPECT_EQ(tree->Count(), Base().Count() + (c.taken ? 1 : 0));
            if (!c.taken) continue;
            // Stored as given, found in any ASCII letter case, last among its siblings.
            const TreeNode* found = tree->Find(common::AsciiFold(c.node.key));
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->key, c.node.key);
            EXPECT_EQ(found->parentKey, c.node.parentKey);
            EXPECT_EQ(tree->Children(c.node.parentKey).back(), found);
        }
    }
}

TEST(TreeTest, RemoveTakesTheWholeSubtreeAndTheRestKeepsItsOrderAndItsRoots) {
    Tree tree;
    tree.Add("", "A", "a", "");
    tree.Add("A", "B", "b", "");
    tree.Add("", "E", "e", "");
    tree.Add("B", "C", "c", "");
    tree.Add("A", "D", "d", "");
    tree.Add("E", "F", "f", "");
    tree.Add("C", "G", "g", "");

    tree.Remove("b");  // B with C and G, though C and G come after E
    EXPECT_EQ(Keys(tree), (std::vector<std::string>{"A", "E", "D", "F"}));
    EXPECT_EQ(Keys(tree.Children("A")), (std::vector<std::string>{"D"}));
    for (const char* gone : {"B", "C", "G"}) EXPECT_EQ(tree.Find(gone), nullptr) << gone;
    // The look-up follows the nodes that moved up.
    for (const char* kept : {"A", "E", "D", "F"}) {
        ASSERT_NE(tree.Find(kept), nullptr) << kept;
        EXPECT_EQ(tree.Find(kept)->key, kept);
        EXPECT_EQ(&tree.Nodes()[tree.IndexOf(kept)], tree.Find(kept));
    }

    tree.Remove("absent");
    EXPECT_EQ(tree.Count(), 4u);
    // A removed key can be used again.
    tree.Add("D", "b", "b again", "");
    // The top-level node above, as it was spelt.
    EXPECT_EQ(tree.RootKey("B"), "A");
    EXPECT_EQ(tree.RootKey("a"), "A");
    EXPECT_EQ(tree.RootKey("none"), "");

    tree.Remove("e");
    EXPECT_EQ(Keys(tree), (std::vector<std::string>{"A", "D", "b"}));
    tree.Clear();
    EXPECT_TRUE(tree.Empty());
    EXPECT_EQ(tree.Find("A"), nullptr);
}

}  // namespace
