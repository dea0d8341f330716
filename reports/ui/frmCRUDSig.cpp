#include "reports/ui/frmCRUDSig.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/ui/QtText.h"
#include "platform/ui/UIUtility.h"
#include "platform/ui/WindowSettings.h"
#include "reports/CrudSignature.h"
#include "reports/ui/WindowFront.h"
#include "session/WorkspaceGlobals.h"

namespace reports::ui {

namespace {

using platform::ui::Q;

constexpr char kAppKey[] = "QuarvelAnalyzer";
constexpr char kSection[] = "Settings\\CRUDSig";

}  // namespace

frmCRUDSig::frmCRUDSig(QWidget* owner) : QWidget(owner, Qt::Window), Owner(owner) {
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

    WindowSettings::RestorePlacement(this, kAppKey, kSection);
}

QString frmCRUDSig::Tag() const { return property("Tag").toString(); }

void frmCRUDSig::SetTag(const QString& tag) { setProperty("Tag", tag); }

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
    m_closed = true;
    WindowSettings::SavePlacement(this, kAppKey, kSection);
    QPointer<QWidget> owner = Owner;
    Owner.clear();
    if (owner) owner->activateWindow();
    QWidget::closeEvent(event);
}

void frmCRUDSig::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) RememberWindowState();
}

void frmCRUDSig::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RememberWindowState();
}

void frmCRUDSig::RememberWindowState() {
    if (!(windowState() & Qt::WindowMinimized)) CurrentWindowState = windowState() & ~Qt::WindowActive;
}

frmCRUDSig* FindCRUDSignatureWindow(const std::string& id) {
    const QString tag = Q(Globals::CrudSignatureKey(id));
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<frmCRUDSig*>(w);
        if (window && !window->IsClosed() && window->Tag().compare(tag, Qt::CaseInsensitive) == 0) return window;
    }
    return nullptr;
}

}  // namespace reports::ui

namespace Globals {

void ShowCRUDSignature(const std::string& id, const std::string& name, QWidget* owner) {
    using namespace reports::ui;
    if (frmCRUDSig* open = FindCRUDSignatureWindow(id)) {
        BringBack(*open, open->CurrentWindowState);
        return;
    }
    if (!g_Database) return;
    const CrudSignature signature = ProgramCRUDSignature(*g_Database, id);
    auto* window = new frmCRUDSig(owner);
    window->Owner = owner;
    window->SetTag(platform::ui::Q(CrudSignatureKey(id)));
    UIUtility::SetCaption(window, platform::ui::Q(name + " - CRUD Signature"));
    window->Fill(signature);
    BringBack(*window, window->CurrentWindowState);
}

}  // namespace Globals
