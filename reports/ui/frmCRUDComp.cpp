#include "reports/ui/frmCRUDComp.h"

#include <QCloseEvent>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/MessageBoxPrompt.h"
#include "platform/ui/QtText.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/CrudComparison.h"
#include "reports/ui/frmCRUDSig.h"
#include "services/NodeMenu.h"
#include "views/SourceView.h"
#include "views/ui/frmSource.h"

namespace reports::ui {

namespace {

using platform::ui::Q;
using platform::ui::S;

constexpr int kApplicationTitle = 1006;

// Shift 1, Ctrl 2, Alt 4, and the button numbers of the row menu.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

int ButtonNumber(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return kLeftButton;
    case Qt::RightButton: return kRightButton;
    case Qt::MiddleButton: return kMiddleButton;
    default: return 0;
    }
}

std::string TagOf(const QAction* action) { return S(action->property("Tag").toString()); }

platform::workbench::EntityStore OpenStore() {
    const auto& session = Globals::g_Workbench;
    if (!session || !session->IsRepositoryOpen()) return {};
    return session->GetEntityStore();
}

}  // namespace

frmCRUDComp::frmCRUDComp(QWidget* owner)
    : frmCRUDComp(owner, mdlReports::CrudComparisonPath(Globals::g_WorkspaceFolder)) {}

frmCRUDComp::frmCRUDComp(QWidget* owner, const std::filesystem::path& comparisonFile)
    : QWidget(owner, Qt::Window), EntityWindow(*this, owner, "Settings\\CRUDComp") {
    setObjectName("frmCRUDComp");
    setWindowTitle("CRUD Overlap");
    resize(640, 400);
    UIUtility::PrepareForm(this);

    lvCRUDComp = new QTreeWidget(this);
    lvCRUDComp->setObjectName("lvCRUDComp");
    lvCRUDComp->setRootIsDecorated(false);
    lvCRUDComp->setUniformRowHeights(true);
    lvCRUDComp->setAllColumnsShowFocus(true);
    // The row menu comes from the mouse and key releases below only.
    lvCRUDComp->setContextMenuPolicy(Qt::PreventContextMenu);
    lvCRUDComp->setHeaderLabels({"Program One", "Degree of Similarity", "Program Two", "Total Comparison Points"});
    lvCRUDComp->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lvCRUDComp->header()->setStretchLastSection(false);
    lblMore = new QLabel(this);
    lblMore->setObjectName("lblMore");
    lblMore->setWordWrap(true);
    lblMore->setMargin(6);
    lblMore->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lblMore);
    layout->addWidget(lvCRUDComp);
    lvCRUDComp->viewport()->installEventFilter(this);
    lvCRUDComp->installEventFilter(this);

    mnuRowOptions = new QMenu("Row Options", this);
    mnuRowOptions->setObjectName("mnuRowOptions");
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    mnuP1 = mnuRowOptions->addMenu("Program &1");
    mnuP1->setObjectName("mnuP1");
    mnuP1CRUDSig = item(mnuP1, "mnuP1CRUDSig", "CRUD &Signature");
    mnuP1ViewSrc = item(mnuP1, "mnuP1ViewSrc", "&View Source");
    mnuP2 = mnuRowOptions->addMenu("Program &2");
    mnuP2->setObjectName("mnuP2");
    mnuP2CRUDSig = item(mnuP2, "mnuP2CRUDSig", "CRUD &Signature");
    mnuP2ViewSrc = item(mnuP2, "mnuP2ViewSrc", "&View Source");
    mnuBothCRUDSig = item(mnuRowOptions, "mnuBothCRUDSig", "Both Programs' CRUD &Signatures");
    mnuBothViewSrc = item(mnuRowOptions, "mnuBothViewSrc", "Both Programs' Source");

    connect(mnuP1CRUDSig, &QAction::triggered, this, [this] { Run([this] { ShowCRUDSignature(TagOf(mnuP1CRUDSig)); }); });
    connect(mnuP1ViewSrc, &QAction::triggered, this, [this] { Run([this] { ShowSource(TagOf(mnuP1ViewSrc)); }); });
    connect(mnuP2CRUDSig, &QAction::triggered, this, [this] { Run([this] { ShowCRUDSignature(TagOf(mnuP2CRUDSig)); }); });
    connect(mnuP2ViewSrc, &QAction::triggered, this, [this] { Run([this] { ShowSource(TagOf(mnuP2ViewSrc)); }); });
    connect(mnuBothCRUDSig, &QAction::triggered, this, [this] {
        Run([this] {
            ShowCRUDSignature(TagOf(mnuP1CRUDSig));
            ShowCRUDSignature(TagOf(mnuP2CRUDSig));
        });
    });
    connect(mnuBothViewSrc, &QAction::triggered, this, [this] {
        Run([this] {
            ShowSource(TagOf(mnuP1ViewSrc));
            ShowSource(TagOf(mnuP2ViewSrc));
        });
    });

    RestorePlacement();
    Load(comparisonFile);
}

void frmCRUDComp::Load(const std::filesystem::path& comparisonFile) {
    QList<QTreeWidgetItem*> items;
    bool more = false;
    for (const auto& row : mdlReports::ReadCRUDComparison(comparisonFile, kMaxRows, more)) {
        auto* item = new QTreeWidgetItem(
            QStringList{Q(row.program1), Q(row.similarity), Q(row.program2), Q(row.cap)});
        item->setData(0, kTagRole, Q(services::JoinTag(row.program1, row.p1Id)));
        item->setData(2, kTagRole, Q(services::JoinTag(row.program2, row.p2Id)));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    lvCRUDComp->addTopLevelItems(items);
    if (more) {
        lblMore->setText(Q(comparisonFile.filename().string()) + " holds more similar pairs than this window lists: the first " +
                         QLocale().toString(static_cast<qulonglong>(kMaxRows)) + " are shown.");
        lblMore->show();
    }
}

bool frmCRUDComp::RowMenu(int button, QTreeWidgetItem* row, const QPoint& globalPos) {
    if (!row || button == kLeftButton || button == 0) return false;
    const QVariant one = row->data(0, kTagRole), two = row->data(2, kTagRole);
    mnuP1CRUDSig->setProperty("Tag", one);
    mnuP1ViewSrc->setProperty("Tag", one);
    mnuP2CRUDSig->setProperty("Tag", two);
    mnuP2ViewSrc->setProperty("Tag", two);
    mnuRowOptions->popup(globalPos);
    return true;
}

void frmCRUDComp::ShowCRUDSignature(const std::string& tag) {
    const auto fields = services::SplitTag(tag);
    if (!fields) return;
    Globals::ShowCRUDSignature(fields->second, fields->first, this);
}

void frmCRUDComp::ShowSource(const std::string& tag) {
    const auto fields = services::SplitTag(tag);
    if (!fields) return;
    const auto& [name, id] = *fields;
    const QString key = Q(views::SourceWindowKey(id));
    if (auto* open = platform::ui::FindEntityWindow<views::ui::frmSource>(key, Qt::CaseInsensitive)) {
        // Focused as it is: a minimised window stays minimised.
        open->activateWindow();
        return;
    }
    // A window of its own per program opened from here, beside the single
    // viewer of the main window's commands.
    auto* viewer = new views::ui::frmSource(this);
    viewer->Owner = this;
    viewer->SetTag(key);
    UIUtility::SetCaption(viewer, Q(name + " - Source"));
    viewer->HideContent();
    platform::ui::BringToFront(*viewer);
    viewer->ShowContent(views::LoadSourceContent(OpenStore(), Globals::g_WorkspaceFolder, id));
}

void frmCRUDComp::Run(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        const std::string title = ResModule::LoadResString(kApplicationTitle);
        if (Globals::g_MainForm) {
            Globals::g_MainForm->Message(e.what(), title, common::Icon::Critical);
        } else {
            platform::ui::MessageBoxPrompt(this).Message(e.what(), title, common::Icon::Critical);
        }
    }
}

bool frmCRUDComp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lvCRUDComp->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        RowMenu(ButtonNumber(mouse->button()), lvCRUDComp->itemAt(mouse->position().toPoint()),
                mouse->globalPosition().toPoint());
    } else if (watched == lvCRUDComp && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        const auto modifiers = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier && !key->isAutoRepeat()) {
            const auto selected = lvCRUDComp->selectedItems();
            RowMenu(kRightButton, selected.isEmpty() ? nullptr : selected.front(), QCursor::pos());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmCRUDComp::closeEvent(QCloseEvent* event) {
    SavePlacement();
    ReleaseOwner();
    QWidget::closeEvent(event);
}

}  // namespace reports::ui
