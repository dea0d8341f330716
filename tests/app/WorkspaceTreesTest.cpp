// The main window's trees and the item model over the same tree show the
// opened sample alike, node for node: text, key, Tag, image key, picture,
// colour, expansion and the place under the parent.

#include <gtest/gtest.h>

#include <QBrush>
#include <QTreeWidget>

#include "classify/BuildSummaryTree.h"
#include "platform/ui/TreeItemModel.h"
#include "services/NodeCommands.h"
#include "services/NodeMenu.h"
#include "services/WebOperations.h"
#include "services/WebServices.h"
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
        model.SetTree(tree);
        return ExpectAlike(widget, nullptr, model, {});
    }

    void MakeWebOperation(const char* name) {
        auto& db = *Globals::g_Database;
        const std::string id = db.Scalar("SELECT ID FROM Ents WHERE Name = ? AND EntName = 'PROGRAM'", {name}).AsText();
        ASSERT_EQ(services::SetAsWebOperation(db, services::JoinTag(name, id)), services::SetWebOperationResult::Added);
    }
};

TEST_F(WorkspaceTreesTest, SummaryAndWebTreesOfTheSampleShowAlikeInTheWindowAndThroughTheModel) {
    Open(sample);
    ASSERT_TRUE(Globals::g_Database);
    auto& db = *Globals::g_Database;
    const common::Tree summary = classify::BuildSummaryTree(db);
    EXPECT_EQ(ExpectAlike(*main->trSummary, summary, main->TreeImages()), static_cast<int>(summary.Count()));

    MakeWebOperation("ORDENTR");
    MakeWebOperation("SHIPCALC");
    common::Tree operations;
    Globals::LoadWebOperationsTree(operations, db);
    const std::string sales = Globals::AddWebService("Sales", db);
    ASSERT_FALSE(Globals::AddWebService("Empty", db).empty());
    for (const common::TreeNode& n : operations.Nodes()) Globals::AddUseCaseToWebService(sales, n.key, db);
    app::ReloadWebTrees(*main);

    common::Tree services;
    Globals::LoadWebServicesTree(services, db);
    ASSERT_EQ(operations.Count(), 2u);
    ASSERT_EQ(services.Count(), 4u);  // two services, two members of Sales
    EXPECT_EQ(ExpectAlike(*main->trWebOperations, operations, main->WebTreeImages()), 2);
    EXPECT_EQ(ExpectAlike(*main->trWebServices, services, main->WebTreeImages()), 4);
    EXPECT_TRUE(main->trWebServices->topLevelItem(0)->isExpanded());
}

}  // namespace
