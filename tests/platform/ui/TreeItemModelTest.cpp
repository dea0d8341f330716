// The item model over a tree: Qt's own model checker over random, empty and
// replaced trees, every node at the row and under the parent the tree gives
// it, and what each role shows.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QPixmap>
#include <QSignalSpy>
#include <QTreeView>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>

#include "common/AsciiCase.h"
#include "common/Tree.h"
#include "platform/ui/TreeItemModel.h"

namespace {

using common::Tree;
using common::TreeNode;
using platform::ui::TreeItemModel;
using Mode = QAbstractItemModelTester::FailureReportingMode;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A tree of random shape: each node under a random earlier node or at the
// top level, keys and parent keys in random letter case, some nodes
// coloured, some expanded.
Tree RandomTree(unsigned seed, int count) {
    std::mt19937 random(seed);
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    auto spell = [&](std::string key) {
        for (char& c : key)
            if (chance(50)) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return key;
    };
    Tree tree;
    for (int i = 0; i < count; ++i) {
        TreeNode node{spell("n" + std::to_string(i)), "", "node " + std::to_string(i), "AScreen", "e" + std::to_string(i)};
        if (i > 0 && chance(85)) node.parentKey = spell("n" + std::to_string(random() % i));
        node.expanded = chance(30);
        if (chance(30)) node.foreColour = static_cast<int32_t>(random() % 0x1000000);
        tree.Add(std::move(node));
    }
    return tree;
}

// Every node of the tree is where the tree puts it: found by its key, under
// its parent, at its row among its siblings, with as many rows as children.
void ExpectShows(const TreeItemModel& model, const Tree& tree) {
    EXPECT_EQ(model.rowCount(), static_cast<int>(tree.Children("").size()));
    for (const TreeNode& n : tree.Nodes()) {
        SCOPED_TRACE(n.key);
        const QModelIndex index = model.IndexOfKey(common::AsciiFold(n.key));
        ASSERT_TRUE(index.isValid());
        EXPECT_EQ(model.data(index, platform::ui::kNodeKeyRole).toString(), Q(n.key));
        EXPECT_EQ(model.data(index).toString(), Q(n.text));
        const QModelIndex parent = model.parent(index);
        EXPECT_EQ(parent, n.parentKey.empty() ? QModelIndex() : model.IndexOfKey(n.parentKey));
        const auto siblings = tree.Children(n.parentKey);
        const auto row = std::find(siblings.begin(), siblings.end(), tree.Find(n.key)) - siblings.begin();
        EXPECT_EQ(index.row(), row);
        EXPECT_EQ(model.index(index.row(), 0, parent), index);
        EXPECT_EQ(model.rowCount(index), static_cast<int>(tree.Children(n.key).size()));
    }
}

TEST(TreeItemModelTest, RandomTreesPassTheModelCheckerAndShowEveryNodeInPlace) {
    for (unsigned seed : {1u, 7u, 2024u}) {
        SCOPED_TRACE(seed);
        const Tree tree = RandomTree(seed, 300);
        TreeItemModel model;
        QAbstractItemModelTester tester(&model, Mode::Fatal);
        model.SetTree(tree);
        ExpectShows(model, tree);
    }
}

TEST(TreeItemModelTest, SettingAnotherTreeResetsTheModelOnceAndForgetsTheOldNodes) {
    TreeItemModel model;
    QAbstractItemModelTester tester(&model, Mode::Fatal);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.index(0, 0).isValid());
    QSignalSpy aboutToReset(&model, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.SetTree(RandomTree(3, 400));
    const Tree other = RandomTree(11, 50);
    model.SetTree(other);
    EXPECT_EQ(aboutToReset.count(), 2);
    EXPECT_EQ(reset.count(), 2);
    ExpectShows(model, other);
    EXPECT_FALSE(model.IndexOfKey("n60").isValid());

    model.SetTree(Tree());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.IndexOfKey("n0").isValid());
    EXPECT_EQ(model.NodeAt(model.index(0, 0)), nullptr);
}

TEST(TreeItemModelTest, RolesShowTextPictureColourKeyTagAndImageKey) {
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    platform::ui::ImageList images;
    images.Add("AScreen", QIcon(picture));

    Tree tree;
    TreeNode& loop = tree.Add("", "n3e1", "PAYMENT", "ACloseProcess", "e3");
    loop.foreColour = 96;  // RGB(96,0,0)
    TreeNode& screen = tree.Add("N3E1", "n4n3e1", "HELP \"1\"", "AScreen", "e4");
    screen.foreColour = 66 + 66 * 256 + 66 * 65536;
    tree.Add("n3e1", "n5n3e1", "MENU", "AScreen", "e5");
    tree.Add("", "e9", "Blue", "", "").foreColour = 255 * 65536 + 128 * 256;

    TreeItemModel model(images);
    model.SetTree(tree);
    const QModelIndex l = model.IndexOfKey("n3e1");
    const QModelIndex s = model.IndexOfKey("N4N3E1");
    const QModelIndex m = model.IndexOfKey("n5n3e1");
    const QModelIndex b = model.IndexOfKey("e9");

    EXPECT_EQ(model.data(s).toString(), "HELP \"1\"");
    EXPECT_EQ(model.data(s, platform::ui::kNodeKeyRole).toString(), "n4n3e1");
    EXPECT_EQ(model.data(s, platform::ui::kNodeTagRole).toString(), "e4");
    EXPECT_EQ(model.data(s, platform::ui::kNodeImageRole).toString(), "AScreen");
    EXPECT_EQ(model.data(l, platform::ui::kNodeImageRole).toString(), "ACloseProcess");

    EXPECT_EQ(model.data(l, Qt::ForegroundRole).value<QBrush>().color(), QColor(96, 0, 0));
    EXPECT_EQ(model.data(s, Qt::ForegroundRole).value<QBrush>().color(), QColor(66, 66, 66));
    EXPECT_EQ(model.data(b, Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 128, 255));
    EXPECT_FALSE(model.data(m, Qt::ForegroundRole).isValid());  // the view's own colour

    EXPECT_FALSE(model.data(s, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(model.data(l, Qt::DecorationRole).isValid());  // no such picture
    EXPECT_FALSE(model.data(b, Qt::DecorationRole).isValid());
    EXPECT_FALSE(TreeItemModel().data(TreeItemModel().index(0, 0), Qt::DecorationRole).isValid());

    EXPECT_FALSE(model.data(s, Qt::EditRole).isValid());
    EXPECT_FALSE(model.flags(s) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(s) & Qt::ItemIsSelectable);
}

TEST(TreeItemModelTest, ExpandMarkedExpandsExactlyTheMarkedNodesOfItsView) {
    const Tree tree = RandomTree(5, 200);
    TreeItemModel model;
    model.SetTree(tree);
    QTreeView view;
    view.setModel(&model);
    model.ExpandMarked(view);
    for (const TreeNode& n : tree.Nodes())
        EXPECT_EQ(view.isExpanded(model.IndexOfKey(n.key)), n.expanded) << n.key;

}

}  // namespace
