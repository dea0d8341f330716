#include "reports/ui/frmValid.h"

#include <QTreeView>
#include <QVBoxLayout>

#include "platform/ui/EntityWindow.h"
#include "platform/ui/QtText.h"
#include "platform/ui/TreeItemModel.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ValidationTree.h"

namespace reports::ui {

frmValid::frmValid(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName("frmValid");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Screen Field Validations");
    resize(480, 400);
    UIUtility::PrepareForm(this);
    tvValid = new QTreeView(this);
    tvValid->setObjectName("tvValid");
    tvValid->setHeaderHidden(true);
    tvValid->setUniformRowHeights(true);
    m_model = new platform::ui::TreeItemModel({}, tvValid);
    tvValid->setModel(m_model);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tvValid);
}

void frmValid::Fill(const common::Tree& tree) {
    m_tree = tree;
    m_model->SetTree(m_tree);
    m_model->ExpandMarked(*tvValid);
}

}  // namespace reports::ui

namespace Globals {

void ShowValidationTree(const std::string& id, const std::string& name, QWidget* owner) {
    if (!g_Database) return;
    const common::Tree tree = mdlReports::ValidationTree(*g_Database, id);
    auto* window = new reports::ui::frmValid(owner);
    UIUtility::SetCaption(window, window->windowTitle() + " - " + platform::ui::Q(name));
    window->Fill(tree);
    platform::ui::BringToFront(*window);
}

}  // namespace Globals
