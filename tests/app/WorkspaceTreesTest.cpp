// The main window's trees and the item model over the same tree show it
// alike, node for node: text, key, Tag, image key, picture, colour,
// expansion and the place under the parent.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QTreeWidget>

#include "classify/BuildSummaryTree.h"
#include "platform/ui/TreeItemModel.h"
#include "tests/app/WorkspaceSampleFixture.h"

namespace {

using platform::ui::TreeItemModel;

class WorkspaceTreesTest : public apptest::WorkspaceSampleTest {
protected:
    // The children of parentItem (the top level when null) against the rows
    // under parent; returns how many nodes were compared.
    int ExpectAlike(const QTreeWidget& widget, QTreeWidgetItem* parentItem, const TreeItemModel& model,
                    const QModelIndex& parent) {
        const int rows = model.rowCount(parent);
        EXPECT_EQ(parentItem ? parentItem->childCount() : widget.topLevelItemCount(), rows);
        int compared = 0;
        for (int row = 0; row < rows; ++row) {
            QTreeWidgetItem* item = parentItem ? parentItem->child(row) : widget.topLevelItem(row);
            const QModelIndex index = model.index(row, 0, parent);
            if (!item || !index.isValid()) {
                ADD_FAILURE() << "row " << row << " missing";
                continue;
            }
            SCOPED_TRACE(item->text(0).toStdString());
            for (int role : {int(Qt::DisplayRole), platform::ui::kNodeKeyRole, platform::ui::kNodeTagRole,
                             platform::ui::kNodeImageRole})
                EXPECT_EQ(item->data(0, role).toString(), model.data(index, role).toString()) << role;
            EXPECT_EQ(item->icon(0).isNull(), model.data(index, Qt::DecorationRole).value<QIcon>().isNull());
            const QVariant colour = model.data(index, Qt::ForegroundRole);
            EXPECT_EQ(item->data(0, Qt::ForegroundRole).isValid(), colour.isValid());
            if (colour.isValid()) {
                EXPECT_EQ(item->foreground(0).color(), colour.value<QBrush>().color());
            }
            EXPECT_EQ(item->isExpanded(), model.NodeAt(index)->expanded);
            compared += 1 + ExpectAlike(widget, item, model, index);
        }
        return compared;
    }

    int ExpectAlike(const QTreeWidget& widget, const common::Tree& tree, const platform::ui::ImageList& images) {
        TreeItemModel model(images);
        // The sample's real trees pass Qt's own model checks too.
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        model.SetTree(tree);
        return ExpectAlike(widget, nullptr, model, {});
    }
};

TEST_F(WorkspaceTreesTest, TheWindowsTreesShowEveryNodeAsTheItemModelDoes) {
    Open(sample);
    ASSERT_TRUE(Globals::g_Database);
    const common::Tree summary = classify::BuildSummaryTree(*Globals::g_Database);
    EXPECT_EQ(ExpectAlike(*main->trSummary, summary, main->TreeImages()), static_cast<int>(summary.Count()));

    // What no tree of the sample carries yet: text colours, expansion deep
    // down, parent keys in other letter case.
    common::Tree marked;
    marked.Add("", "n7", "ORDER ENTRY", "AScreen", "7").expanded = true;
    marked.Add("N7", "n9n7", "PAYMENT", "ACloseProcess", "9").foreColour = 96;
    marked.Add("n9N7", "n7n9n7", "ORDER ENTRY", "AScreen", "7").foreColour = 66 + 66 * 256 + 66 * 65536;
    marked.Find("n9n7")->expanded = true;
    marked.Add("", "Key3", "Sales", "AWebService", "3");
    app::ShowTree(*main->trWebServices, marked, main->WebTreeImages());
    EXPECT_EQ(ExpectAlike(*main->trWebServices, marked, main->WebTreeImages()), 4);
    EXPECT_EQ(main->trWebServices->topLevelItem(0)->child(0)->foreground(0).color(), QColor(96, 0, 0));
    // A value set on an item later (a web node's new Tag) is what it shows from then on.
    QTreeWidgetItem* retagged = main->trWebServices->topLevelItem(1);
    retagged->setData(0, platform::ui::kNodeTagRole, "-1");
    EXPECT_EQ(app::NodeTag(retagged), "-1");
}

}  // namespace
