#include "reports/ui/frmCRUDSig.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/ui/QtText.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/CrudSignature.h"

namespace reports::ui {

namespace {

using platform::ui::Q;

}  // namespace

frmCRUDSig::frmCRUDSig(QWidget* owner)
    : QWidget(owner, Qt::Window), EntityWindow(*this, owner, "Settings\\CRUDSig") {
    setObjectName("frmCRUDSig");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("CRUD Signature");
    resize(460, 320);
    UIUtility::PrepareForm(this);

    lstCRUD = new QTreeWidget(this);
    lstCRUD->setObjectName("lstCRUD");
    lstCRUD->setRootIsDecorated(false);
    lstCRUD->setUniformRowHeights(true);
    lstCRUD->setHeaderLabels({"Store Name", "Inserts", "Reads", "Updates", "Deletes"});
    lstCRUD->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstCRUD->header()->setStretchLastSection(false);
    for (int c = 1; c <= 4; ++c) lstCRUD->header()->resizeSection(c, 64);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lstCRUD);

    RestorePlacement();
}

void frmCRUDSig::Fill(const Globals::CrudSignature& signature) {
    lstCRUD->clear();
    QList<QTreeWidgetItem*> items;
    for (const auto& row : signature.Rows()) {
        QStringList texts{Q(row.storeName)};
        for (const char* kind = Globals::kCrudKinds; *kind; ++kind) texts << (row.Marked(*kind) ? "Y" : "");
        auto* item = new QTreeWidgetItem(texts);
        for (int c = 1; c <= 4; ++c) item->setTextAlignment(c, Qt::AlignCenter);
        items << item;
    }
    lstCRUD->addTopLevelItems(items);
}

void frmCRUDSig::closeEvent(QCloseEvent* event) {
    MarkClosed();
    SavePlacement();
    ReleaseOwner();
    QWidget::closeEvent(event);
}

frmCRUDSig* FindCRUDSignatureWindow(const std::string& id) {
    return platform::ui::FindEntityWindow<frmCRUDSig>(Q(Globals::CrudSignatureKey(id)), Qt::CaseInsensitive);
}

}  // namespace reports::ui

namespace Globals {

void ShowCRUDSignature(const std::string& id, const std::string& name, QWidget* owner) {
    using namespace reports::ui;
    if (frmCRUDSig* open = FindCRUDSignatureWindow(id)) {
        platform::ui::BringToFront(*open, open->CurrentWindowState);
        return;
    }
    if (!g_Database) return;
    const CrudSignature signature = ProgramCRUDSignature(*g_Database, id);
    auto* window = new frmCRUDSig(owner);
    window->Owner = owner;
    window->SetTag(platform::ui::Q(CrudSignatureKey(id)));
    UIUtility::SetCaption(window, platform::ui::Q(name + " - CRUD Signature"));
    window->Fill(signature);
    platform::ui::BringToFront(*window, window->CurrentWindowState);
}

}  // namespace Globals
