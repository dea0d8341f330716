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

#include <chrono>
#include <exception>

#include "common/Globals.h"
#include "common/Progress.h"
#include "common/ResModule.h"
#include "common/WhileStepping.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/MessageBoxPrompt.h"
#include "platform/ui/QtText.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/CrudComparison.h"
#include "reports/GaugedSteps.h"
#include "reports/ui/NumberGapDelegate.h"
#include "reports/ui/frmCRUDSig.h"
#include "services/NodeMenu.h"
#include "views/SourceView.h"
#include "views/ui/frmSource.h"

namespace reports::ui {

namespace {

using platform::ui::Q;
using platform::ui::S;

constexpr int kApplicationTitle = 1006;

// The progress bar's length for reading the file and for filling the list.
constexpr long kReadLength = 1000;
constexpr long kFillLength = 100;
// Rows are added for this long before the window's events run again.
constexpr auto kFillSlice = std::chrono::milliseconds(40);

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
    : QWidget(owner, Qt::Window), EntityWindow(*this, owner, "Settings\\CRUDComp"), m_file(comparisonFile) {
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
    // Widths are fitted once the list is filled: fitted to contents at
    // every change, a list of 100,000 rows held the window a quarter of a
    // second each time it showed.
    lvCRUDComp->header()->setSectionResizeMode(QHeaderView::Interactive);
    lvCRUDComp->header()->setStretchLastSection(false);
    lvCRUDComp->setItemDelegateForColumn(1, new NumberGapDelegate(lvCRUDComp));
    lblMore = new QLabel(this);
    lblMore->setObjectName("lblMore");
    lblMore->setWordWrap(true);
    lblMore->setMargin(6);
    lblMore->hide();
    lblDamaged = new QLabel(this);
    lblDamaged->setObjectName("lblDamaged");
    lblDamaged->setWordWrap(true);
    lblDamaged->setMargin(6);
    lblDamaged->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDamaged->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lblDamaged);
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
}

bool frmCRUDComp::Load(common::IProgress& progress) {
    const QString fileName = Q(m_file.filename().string());
    common::ProgressScope level(progress, "Reading " + m_file.filename().string(), kReadLength + kFillLength, true);
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(m_file, ec);
    platform::xml::ReadGauge gauge;
    mdlReports::GaugedSteps steps(progress, gauge, ec ? 0 : bytes, mdlReports::CrudComparisonNodes(kMaxRows),
                                  kReadLength);
    auto reading =
        common::StartAside([this, &gauge] { return mdlReports::ReadCRUDComparison(m_file, kMaxRows, &gauge); });
    mdlReports::CrudComparisonList list = common::AwaitStepping(steps, reading);
    if (list.stopped || progress.Cancelled()) return false;
    steps.Complete();

    lvCRUDComp->clear();
    auto clock = std::chrono::steady_clock::now();
    QList<QTreeWidgetItem*> items;
    long moved = 0;
    for (std::size_t r = 0; r <= list.rows.size(); ++r) {
        if (r == list.rows.size() || std::chrono::steady_clock::now() - clock >= kFillSlice) {
            lvCRUDComp->addTopLevelItems(items);
            items.clear();
            const long reached = static_cast<long>(kFillLength * r / std::max<std::size_t>(list.rows.size(), 1));
            progress.FinishStep(reached - moved);
            moved = reached;
            progress.StartStep("");
            if (progress.Cancelled()) return false;
            clock = std::chrono::steady_clock::now();
            if (r == list.rows.size()) break;
        }
        const auto& row = list.rows[r];
        auto* item = new QTreeWidgetItem(QStringList{Q(row.program1), Q(row.similarity), Q(row.program2), Q(row.cap)});
        item->setData(0, kTagRole, Q(services::JoinTag(row.program1, row.p1Id)));
        item->setData(2, kTagRole, Q(services::JoinTag(row.program2, row.p2Id)));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    progress.FinishStep(kFillLength - moved);
    for (int c = 0; c < lvCRUDComp->columnCount(); ++c) lvCRUDComp->resizeColumnToContents(c);

    lblMore->setVisible(list.more);
    if (list.more) {
        lblMore->setText(fileName + " holds more than this window reads: the similar pairs among its first " +
                         QLocale().toString(static_cast<qulonglong>(kMaxRows)) + " entries are shown.");
    }
    lblDamaged->setVisible(static_cast<bool>(list.damage));
    if (list.damage) ShowDamage(list.damage);
    return true;
}

void frmCRUDComp::ShowDamage(const platform::xml::ParseError& damage) {
    // Where, in the window's words; the parser's own, for whoever asks.
    lblDamaged->setToolTip({});
    QString what;
    if (damage.IsEmptyDocument()) {
        what = " is empty: it lists no pairs.";
    } else if (damage.line > 0) {
        what = QString(" is damaged at line %1, position %2: the pairs after that point are not listed.")
                   .arg(damage.line)
                   .arg(damage.linePos);
        lblDamaged->setToolTip(Q(damage.reason));
    } else {
        what = " cannot be read (" + Q(damage.reason) + ").";
    }
    lblDamaged->setText(Q(m_file.string()) + what + " Run CRUD Overlap again to write the file anew.");
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
