#include "reports/ui/frmRemedy.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/ui/EntityWindow.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtText.h"
#include "platform/ui/TreeItemModel.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/CrudSignature.h"
#include "reports/ui/frmCRUDSig.h"
#include "reports/ui/frmValid.h"
#include "services/NodeMenu.h"
#include "views/Description.h"
#include "views/ui/frmDesc.h"
#include "views/ui/frmSource.h"

namespace reports::ui {

using platform::ui::Q;
using platform::ui::S;

namespace {

const QStringList kImageKeys = {"File",
                                "Mainfr",
                                "Info",
                                "Screen",
                                "Logic",
                                "Mix",
                                "Missing",
                                "Converse",
                                "Bull",
                                "Table",
                                "HierarchicalSegment",
                                "ACloseProcess",
                                "AExpand",
                                "AScreen",
                                "ATrim"};

void Offer(QAction* item, bool enabled, const QString& tag) {
    item->setEnabled(enabled);
    if (enabled) item->setProperty("Tag", tag);
}

}  // namespace

frmRemedy::frmRemedy(QWidget* owner) : QWidget(owner, Qt::Window), m_prompt(this) {
    setObjectName("frmRemedy");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Remedy");
    resize(420, 480);
    UIUtility::PrepareForm(this);
    m_prompt.SetDefaultTitle(windowTitle());

    imgs = platform::ui::ImageList::Load(kImageKeys);
    trRemedy = new QTreeView(this);
    trRemedy->setObjectName("trRemedy");
    trRemedy->setHeaderHidden(true);
    m_model = new platform::ui::TreeItemModel(imgs, trRemedy);
    trRemedy->setModel(m_model);
    trRemedy->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(trRemedy);

    mnuProgContext = new QMenu("NodeContext", this);
    mnuProgContext->setObjectName("mnuProgContext");
    auto item = [this](const char* name, const char* caption) {
        QAction* a = mnuProgContext->addAction(caption);
        a->setObjectName(name);
        a->setEnabled(false);
        return a;
    };
    mnuViewSource = item("mnuViewSource", "&View Source");
    mnuCRUDSig = item("mnuCRUDSig", "&CRUD Signature");
    mnuDescription = item("mnuDescription", "&Description");
    mnuNCSFV = item("mnuNCSFV", "&Screen Field Validations");

    connect(mnuCRUDSig, &QAction::triggered, this, [this] {
        std::string name, id;
        if (Split(mnuCRUDSig, name, id)) ShowCRUDSignature(id, name);
    });
    connect(mnuNCSFV, &QAction::triggered, this, [this] {
        std::string name, id;
        if (Split(mnuNCSFV, name, id)) Globals::ShowValidationTree(id, name, this);
    });
    connect(mnuViewSource, &QAction::triggered, this, [this] { ViewSourceClick(); });
    connect(mnuDescription, &QAction::triggered, this, [this] { DescriptionClick(); });
}

void frmRemedy::SetTree(const common::Tree& tree) {
    m_tree = tree;
    m_model->SetTree(m_tree);
    m_model->ExpandMarked(*trRemedy);
}

const common::TreeNode* frmRemedy::SelectedNode() const {
    const QModelIndex current = trRemedy->currentIndex();
    if (!current.isValid() || !trRemedy->selectionModel()->isSelected(current)) return nullptr;
    return m_model->NodeAt(current);
}

void frmRemedy::trRemedy_MouseUp(Qt::MouseButtons buttons, const QPoint& globalPos) {
    const common::TreeNode* node = SelectedNode();
    if (node && node->tag.find('#') != std::string::npos) {
        const QString tag = Q(services::JoinTag(node->text, node->tag));
        Offer(mnuCRUDSig, true, tag);
        Offer(mnuViewSource, true, tag);
        Offer(mnuDescription, true, tag);
        // Only the entities listed under the validations node; its key is
        // compared exactly, letter case included.
        const common::TreeNode* parent = node->parentKey.empty() ? nullptr : m_tree.Find(node->parentKey);
        Offer(mnuNCSFV, parent && parent->key == "valid", tag);
    } else {
        for (QAction* a : {mnuCRUDSig, mnuViewSource, mnuDescription, mnuNCSFV}) a->setEnabled(false);
    }
    if (buttons & Qt::RightButton) mnuProgContext->popup(globalPos);
}

void frmRemedy::ShowCRUDSignature(const std::string& id, const std::string& name) {
    if (!Globals::g_Database) return;
    Globals::CrudSignature signature;
    Globals::BuildCRUDSignature(*Globals::g_Database, signature, id, {}, 1);
    QWidget* main = Globals::g_MainForm ? Globals::g_MainForm->Window() : nullptr;
    auto* window = new frmCRUDSig(main);
    window->Owner = main;
    UIUtility::SetCaption(window, window->windowTitle() + " - " + Q(name));
    window->Fill(signature);
    platform::ui::BringToFront(*window, window->CurrentWindowState);
}

bool frmRemedy::Split(QAction* item, std::string& name, std::string& id) const {
    const auto fields = services::SplitTag(S(item->property("Tag").toString()));
    if (!fields) return false;
    name = fields->first;
    id = fields->second;
    return true;
}

void frmRemedy::ViewSourceClick() { Globals::ViewSource(S(mnuViewSource->property("Tag").toString()), this); }

void frmRemedy::DescriptionClick() {
    if (!Globals::g_Database) return;
    const auto target =
        views::FindDescriptionTarget(*Globals::g_Database, S(mnuDescription->property("Tag").toString()));
    if (!target) return;
    if (views::ui::frmDesc* open = views::ui::FindDescriptionWindow(target->id)) {
        views::ui::ReactivateDescription(*open);
        return;
    }
    views::ui::OpenDescription(this, m_prompt, *target);
}

bool frmRemedy::eventFilter(QObject* watched, QEvent* event) {
    if (watched == trRemedy->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // The release's own button is no longer in buttons(): add it.
        trRemedy_MouseUp(mouse->buttons() | mouse->button(), mouse->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace reports::ui
