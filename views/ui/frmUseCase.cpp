#include "views/ui/frmUseCase.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeView>

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "common/AsciiCase.h"
#include "common/Globals.h"
#include "platform/ui/BmsViewControl.h"
#include "platform/ui/EntityWindow.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/MessageBoxPrompt.h"
#include "platform/ui/QtText.h"
#include "platform/ui/TSplitter.h"
#include "platform/ui/TreeItemModel.h"
#include "platform/ui/UIUtility.h"
#include "platform/ui/WindowSettings.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/ServiceTables.h"
#include "services/StoreIds.h"
#include "views/SourceView.h"
#include "views/StoredProcess.h"
#include "views/UseCaseTable.h"

namespace views::ui {

namespace {

using platform::ui::Q;
using platform::ui::S;

constexpr char kCaption[] = "Use Cases";
constexpr char kWizardPane[] = "Wizard";
constexpr char kBmsPane[] = "BMS";
// The share of the window's height the tree's pane starts with.
constexpr double kWizardShare = 0.3;

// The screens a node leads to, read from the open workspace when asked.
std::vector<views::Successor> OpenWorkspaceSuccessors(const std::string& tag) {
    if (!Globals::g_Database) return {};
    return views::ReadSuccessors(*Globals::g_Database, Globals::g_UseCaseTable, tag);
}

platform::workbench::EntityStore OpenStore() {
    const auto& session = Globals::g_Workbench;
    if (!session || !session->IsRepositoryOpen()) return {};
    return session->GetEntityStore();
}

// Runs a handler of the window; an error is told in a message box instead
// of escaping into the event loop.
template <class F>
void Guarded(QWidget* window, F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        platform::ui::MessageBoxPrompt prompt(window, kCaption);
        prompt.Message(e.what(), kCaption, common::Icon::Exclamation);
    }
}

bool IsScreenNode(const common::TreeNode& node) { return services::ParseId(node.tag).has_value(); }

}  // namespace

frmUseCase::frmUseCase(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmUseCase");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    resize(640, 720);
    UIUtility::PrepareForm(this);

    Label1 = new QLabel("Use Case:", this);
    Label1->setObjectName("Label1");
    cmdCommit = new QPushButton("&Next >", this);
    cmdCommit->setObjectName("cmdCommit");
    cmdCancel = new QPushButton("&Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    // "&Finish" and "Sel Path" have nothing to do: the wizard stores no path.
    cmdSaveUseCase = new QPushButton("&Finish", this);
    cmdSaveUseCase->setObjectName("cmdSaveUseCase");
    cmdSelPath = new QPushButton("Sel Path", this);
    cmdSelPath->setObjectName("cmdSelPath");
    connect(cmdCommit, &QPushButton::clicked, this, [this] { cmdCommit_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { close(); });

    imgUseCase =
        platform::ui::ImageList::Load({views::kImageExpand, views::kImageLoop, views::kImageScreen, views::kImageTrim});
    m_model = new platform::ui::TreeItemModel(imgUseCase, this);
    trWizard = new QTreeView(this);
    trWizard->setObjectName("trWizard");
    trWizard->setHeaderHidden(true);
    trWizard->setModel(m_model);
    trWizard->setContextMenuPolicy(Qt::PreventContextMenu);
    trWizard->viewport()->installEventFilter(this);

    bmsView = new QScrollArea(this);
    bmsView->setObjectName("bmsView");
    BMS = new platform::ui::BmsViewControl();
    BMS->setObjectName("BMS");
    BMS->hide();
    bmsView->setWidget(BMS);
    bmsView->setWidgetResizable(false);

    // A stored process is loaded from here; nothing fills it yet.
    lvProcesses = new QListWidget(this);
    lvProcesses->setObjectName("lvProcesses");
    lvProcesses->hide();
    connect(lvProcesses, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Guarded(this, [&] { lvProcesses_ItemClick(item); }); });

    mnuPNContext = new QMenu("PNContext", this);
    mnuPNContext->setObjectName("mnuPNContext");
    mnuReexpand = mnuPNContext->addAction("ReE&xpand");
    mnuReexpand->setObjectName("mnuReexpand");
    mnuTrim = mnuPNContext->addAction("&Trim");
    mnuTrim->setObjectName("mnuTrim");
    mnuPNViewScreen = mnuPNContext->addAction("&View Screen");
    mnuPNViewScreen->setObjectName("mnuPNViewScreen");
    connect(mnuReexpand, &QAction::triggered, this, [this] { Guarded(this, [this] { mnuReexpand_Click(); }); });
    connect(mnuTrim, &QAction::triggered, this, [this] { mnuTrim_Click(); });

    splMain = new platform::ui::TSplitter(this);
    splMain->setObjectName("splMain");
    Load();
    // The window keeps no placement: it opens centred on its owner.
    WindowSettings::PlaceWhenShown(this);
}

frmUseCase::~frmUseCase() = default;

void frmUseCase::Load() {
    Arrange();
    splMain->Root()->Split(platform::ui::SplitOrientation::Stacked, static_cast<int>(kWizardShare * height()),
                           kWizardPane, kBmsPane);
    splMain->SetPaneWidget(kWizardPane, trWizard);
    splMain->SetPaneWidget(kBmsPane, bmsView);
    for (const char* name : {kWizardPane, kBmsPane}) {
        if (platform::ui::TSplitterPane* pane = splMain->Panes(name)) {
            pane->SetCaption(name);
            // Neither pane can be closed.
            pane->SetClosable(false);
        }
    }
    splMain->SetLayoutEnabled(true);
}

void frmUseCase::Arrange() {
    // The button strip on top, the splitter below it.
    const int buttonHeight = cmdSaveUseCase->sizeHint().height();
    int left = 6;
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, cmdCommit, cmdCancel, cmdSaveUseCase, cmdSelPath}) {
        const int width = w->sizeHint().width();
        w->setGeometry(left, 0, width, buttonHeight);
        left += width + 6;
    }
    const int top = buttonHeight + kBelowButtons;
    splMain->setGeometry(0, top, width(), std::max(0, height() - top));
}

void frmUseCase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Arrange();
}

void frmUseCase::ShowTree() {
    m_model->SetTree(m_tree);
    m_model->ExpandMarked(*trWizard);
}

bool frmUseCase::eventFilter(QObject* watched, QEvent* event) {
    if (watched == trWizard->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const int button = mouse->button() == Qt::LeftButton ? 1 : mouse->button() == Qt::RightButton ? 2 : 4;
        const QPoint pos = mouse->position().toPoint();
        const QPoint global = mouse->globalPosition().toPoint();
        Guarded(this, [&] { trWizard_MouseUp(button, pos, global); });
    }
    return QWidget::eventFilter(watched, event);
}

bool frmUseCase::trWizard_MouseUp(int button, const QPoint& pos, const QPoint& globalPos) {
    const common::TreeNode* node = m_model->NodeAt(trWizard->indexAt(pos));
    // Copies: the preview may run events, and the menu outlives this call.
    const std::string key = node ? node->key : std::string();
    const std::string tag = node ? node->tag : std::string();
    const bool screenNode = node && IsScreenNode(*node);
    if (node) ShowNodeScreen(tag);
    if (button != 2) return false;
    for (QAction* item : {mnuReexpand, mnuTrim, mnuPNViewScreen}) item->setEnabled(false);
    if (key.empty()) return false;
    mnuReexpand->setProperty("Tag", Q(key));
    mnuTrim->setProperty("Tag", Q(key));
    mnuTrim->setEnabled(true);
    mnuPNViewScreen->setProperty("Tag", Q(tag));
    mnuPNViewScreen->setEnabled(true);
    // Any screen can be walked on again; a stored process's elements cannot.
    mnuReexpand->setEnabled(screenNode);
    mnuPNContext->popup(globalPos);
    return true;
}

void frmUseCase::ShowNodeScreen(const std::string& tag) {
    if (!Globals::g_Database) return;
    std::optional<std::string> id;
    try {
        id = views::NodeEntityId(*Globals::g_Database, tag);
    } catch (const std::exception&) {
        return;  // a process whose tables are gone: the preview stays
    }
    if (!id || !common::AsciiStartsWithNoCase(*id, "MAP")) return;
    const views::SourceContent content = views::LoadSourceContent(OpenStore(), Globals::g_WorkspaceFolder, *id);
    // A map without a listing (or one that cannot be read) keeps the preview.
    if (content.kind == views::SourceContent::Kind::Map && !content.file.empty()) BMS->SetListing(content.listing);
    BMS->show();
    BMS->adjustSize();
}

void frmUseCase::cmdCommit_Click() {
    Guarded(this, [this] { Globals::CommitWizardPath(m_tree, cBranchCriteria, OpenWorkspaceSuccessors); });
    ShowTree();
}

void frmUseCase::mnuReexpand_Click() {
    Globals::ExpandScreenNode(m_tree, S(mnuReexpand->property("Tag").toString()), OpenWorkspaceSuccessors);
    ShowTree();
}

void frmUseCase::mnuTrim_Click() {
    Globals::RemoveNode(m_tree, S(mnuTrim->property("Tag").toString()));
    ShowTree();
}

void frmUseCase::lvProcesses_ItemClick(QListWidgetItem* item) {
    if (!item || !Globals::g_Database) return;
    Globals::RefreshProcessTree(*Globals::g_Database, S(item->data(Qt::UserRole).toString()), m_tree);
    ShowTree();
}

frmUseCase* StartUseCaseWizard(const std::string& id, QWidget* owner, common::IPrompt& prompt) {
    Globals::g_UseCaseTable = Globals::kUseCaseTableName;
    if (!Globals::g_Database) throw std::runtime_error("No workspace is open.");
    platform::db::Database& db = *Globals::g_Database;
    auto start = db.OpenRecordset("SELECT SerialID, BusName FROM Ents WHERE ID = ?1", {id});
    if (start.IsEOF()) throw std::runtime_error("The workspace holds no entity " + id + ".");
    const std::string serial = start.Text("SerialID");
    const std::string busName = start.Text("BusName");

    Globals::BuildUseCaseScreenTable(db, Globals::g_UseCaseTable, prompt);
    Globals::CreateProcessTables(db, false);

    auto* window = new frmUseCase(owner);
    common::TreeNode root{"n" + serial, {}, busName, views::kImageExpand, serial};
    root.foreColour = views::kExpandMarked;
    window->Tree().Add(std::move(root));
    try {
        Globals::CommitWizardPath(window->Tree(), window->cBranchCriteria, OpenWorkspaceSuccessors);
    } catch (...) {
        delete window;
        throw;
    }
    window->ShowTree();
    platform::ui::BringToFront(*window);
    return window;
}

}  // namespace views::ui

namespace Globals {

void StartUseCaseWizard(const std::string& id, QWidget* owner) {
    platform::ui::MessageBoxPrompt boxes(owner, "Generate Screen Flow");
    common::IPrompt& prompt = g_MainForm ? static_cast<common::IPrompt&>(*g_MainForm) : boxes;
    views::ui::StartUseCaseWizard(id, owner, prompt);
}

}  // namespace Globals
