#include "services/ui/frmMessages.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <stdexcept>
#include <unordered_map>

#include "common/Collection.h"
#include "common/PopToken.h"
#include "common/ResModule.h"
#include "platform/ui/QtText.h"
#include "platform/ui/TSplitter.h"
#include "platform/ui/UIUtility.h"
#include "platform/ui/WindowSettings.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "platform/ui/MessageBoxPrompt.h"

namespace services::ui {

namespace {

using platform::ui::SplitOrientation;
using platform::ui::TSplitterPane;

// Placement and layout are kept under the fixed application key, as the
// main window keeps its own, so they survive a change of language.
constexpr char kSettingsApp[] = "QuarvelAnalyzer";
constexpr char kSection[] = "Settings\\DefineMessages";
constexpr char kLayoutKey[] = "splDefineMessages";
constexpr char kLayoutPrefix[] = "splDefineMessages";

constexpr int kKeyRole = Qt::UserRole;
constexpr int kTagRole = Qt::UserRole + 1;

const char* const kListsChanged =
    "The lists have been changed.\r\nPlease close the window and choose Define Messages again.";

using platform::ui::Q;
using platform::ui::S;

bool SameText(const std::string& a, const std::string& b) { return common::FoldKey(a) == common::FoldKey(b); }

QIcon ButtonIcon(QStyle* style, const char* image, QStyle::StandardPixmap fallback) {
    const QPixmap picture = UIUtility::LoadImage(image);
    return picture.isNull() ? style->standardIcon(fallback) : QIcon(picture);
}

}  // namespace

frmMessages::frmMessages(MessageEditorSources sources, std::string elementId, std::string progNature,
                         QWidget* owner, common::IPrompt* prompt)
    : QMainWindow(owner, Qt::Window), m_sources(std::move(sources)), m_prompt(prompt), m_owner(owner) {
    if (!m_sources.db) throw std::invalid_argument("The message editor needs the workspace database.");
    if (!m_prompt) {
        m_ownPrompt = std::make_unique<platform::ui::MessageBoxPrompt>(this);
        m_prompt = m_ownPrompt.get();
    }
    m_session = std::make_unique<services::MessageEditorSession>(*m_sources.db, m_sources.openModel,
                                                                 std::move(elementId), std::move(progNature));
    setObjectName("frmMessages");
    setWindowTitle("Define Messages");
    setAttribute(Qt::WA_DeleteOnClose);
    UIUtility::PrepareForm(this);
    resize(960, 640);

    BuildMenus();
    BuildCoolBar();
    BuildPaneControls();

    Splitter = new platform::ui::TSplitter(this);
    Splitter->setObjectName("splDefineMessages");
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(cbCoolBar);
    column->addWidget(Splitter, 1);
    setCentralWidget(central);

    connect(Splitter, &platform::ui::TSplitter::Layout, this, [this] { Splitter_Layout(); });
    // The owner closing (the workspace goes with it) closes the editor
    // first, so that its document is stored while the database is open.
    if (m_owner) m_owner->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
}

frmMessages::~frmMessages() {
    // Children go with the base class; their last signals must not reach
    // this half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    if (m_owner) m_owner->removeEventFilter(this);
    if (Splitter) disconnect(Splitter, nullptr, this, nullptr);
    Form_Unload(false);
}

// ---- frame ----

void frmMessages::BuildMenus() {
    mnuActions = menuBar()->addMenu("&Actions");
    mnuActions->setObjectName("mnuActions");
    mnuActions->menuAction()->setObjectName("mnuActions");
    mnuActionsInput = mnuActions->addAction("Set As &Input");
    mnuActionsInput->setObjectName("mnuActionsInput");
    mnuActionsOutput = mnuActions->addAction("Set As &Output");
    mnuActionsOutput->setObjectName("mnuActionsOutput");
    mnuActionsSep = mnuActions->addSeparator();
    mnuActionsSep->setObjectName("mnuActionsSep");
    mnuActionsClearAll = mnuActions->addAction("Clear &All Messages");
    mnuActionsClearAll->setObjectName("mnuActionsClearAll");
    connect(mnuActionsInput, &QAction::triggered, this, [this] { mnuActionsInput_Click(); });
    connect(mnuActionsOutput, &QAction::triggered, this, [this] { mnuActionsOutput_Click(); });
    connect(mnuActionsClearAll, &QAction::triggered, this, [this] { mnuActionsClearAll_Click(); });

    mnuView = menuBar()->addMenu("&View");
    mnuView->setObjectName("mnuView");
    mnuView->menuAction()->setObjectName("mnuView");
    auto addView = [this](const char* name, const char* caption, const char* pane) {
        QAction* item = mnuView->addAction(caption);
        item->setObjectName(name);
        item->setCheckable(true);
        item->setChecked(true);
        connect(item, &QAction::triggered, this, [this, pane](bool checked) { SetPaneShown(pane, checked); });
        return item;
    };
    mnuViewLists = addView("mnuViewLists", "&Lists", "Lists");
    mnuViewElements = addView("mnuViewElements", "&Elements", "Elements");
    mnuViewStructures = addView("mnuViewStructures", "&Structures", "Structures");
    mnuViewPreview = addView("mnuViewPreview", "&Preview", "Preview");
}

void frmMessages::BuildCoolBar() {
    cbCoolBar = new QWidget(this);
    cbCoolBar->setObjectName("cbCoolBar");
    auto* bands = new QHBoxLayout(cbCoolBar);
    bands->setContentsMargins(2, 2, 2, 2);

    tbActions = new QToolBar(cbCoolBar);
    tbActions->setObjectName("tbActions");
    tbActions->setIconSize(QSize(16, 16));
    tbActions->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    struct Button {
        const char* key;
        const char* text;
        const char* tip;
        QStyle::StandardPixmap fallback;
    };
    const Button buttons[] = {
        {"In", "In", "Set As Input", QStyle::SP_ArrowForward},
        {"Out", "Out", "Set As Output", QStyle::SP_ArrowBack},
        {"ClearAll", "Clear All", "Clear All Messages", QStyle::SP_DialogDiscardButton},
    };
    for (const Button& b : buttons) {
        QAction* action = tbActions->addAction(ButtonIcon(style(), b.key, b.fallback), b.text);
        action->setObjectName(b.key);
        action->setToolTip(b.tip);
        action->setProperty("Key", QString(b.key));
        if (QWidget* button = tbActions->widgetForAction(action)) button->setObjectName(b.key);
        const QString key = b.key;
        connect(action, &QAction::triggered, this, [this, key] { tbActions_ButtonClick(key); });
        m_buttons[key] = action;
    }
    bands->addWidget(tbActions);

    lblProgram = new QLabel("Program:", cbCoolBar);
    lblProgram->setObjectName("lblProgram");
    bands->addSpacing(12);
    bands->addWidget(lblProgram);
    tbCombo = new QToolBar(cbCoolBar);
    tbCombo->setObjectName("tbCombo");
    cmbProgs = new QComboBox(tbCombo);
    cmbProgs->setObjectName("cmbProgs");
    cmbProgs->setMinimumContentsLength(24);
    cmbProgs->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    tbCombo->addWidget(cmbProgs);
    bands->addWidget(tbCombo);
    bands->addStretch(1);
    lblProgram->setBuddy(cmbProgs);

    connect(cmbProgs, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_loading) cmbProgs_Click();
    });
}

void frmMessages::BuildPaneControls() {
    lstLists = new QListWidget(this);
    lstLists->setObjectName("lstLists");

    lstElements = new QTreeWidget(this);
    lstElements->setObjectName("lstElements");
    lstElements->setColumnCount(1);
    lstElements->setHeaderLabels({"Name"});
    lstElements->setRootIsDecorated(false);

    trStructures = new QTreeWidget(this);
    trStructures->setObjectName("trStructures");
    trStructures->setHeaderHidden(true);
    trStructures->viewport()->installEventFilter(this);

    rtbPreview = new QPlainTextEdit(this);
    rtbPreview->setObjectName("rtbPreview");
    rtbPreview->setReadOnly(true);
    rtbPreview->setLineWrapMode(QPlainTextEdit::NoWrap);
    rtbPreview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_panes = {{"Lists", lstLists, mnuViewLists},
               {"Elements", lstElements, mnuViewElements},
               {"Structures", trStructures, mnuViewStructures},
               {"Preview", rtbPreview, mnuViewPreview}};

    connect(lstLists, &QListWidget::currentRowChanged, this, [this] { lstLists_Click(); });
    connect(lstElements, &QTreeWidget::currentItemChanged, this, [this] { lstElements_Click(); });
}

// ---- load and layout ----

bool frmMessages::Form_Load(const services::ProgramList& programs, const std::string& programId) {
    bError = false;
    m_loading = true;
    WindowSettings::RestorePlacement(this, kSettingsApp, kSection);
    const QString saved = Q(WindowSettings::GetSetting(kSettingsApp, kSection, kLayoutKey, ""));
    Splitter->SetLayoutEnabled(false);
    if (!ApplySavedLayout(saved)) BuildDefaultLayout();
    for (const PaneControl& p : m_panes) Splitter->SetPaneWidget(p.pane, p.control);
    Splitter->SetLayoutEnabled(true);
    UpdateActions();

    try {
        int selected = -1;
        for (const auto& entry : programs) {
            std::string rest = entry.item;
            const std::string id = mdlReports::PopToken(rest, "|");
            const std::string name = m_sources.programName(id);
            // The combo finds a program by its name: a second program of one
            // name could never be chosen.
            if (cmbProgs->findText(Q(name), Qt::MatchFixedString) >= 0) continue;
            if (selected < 0 && SameText(id, programId)) selected = cmbProgs->count();
            cmbProgs->addItem(Q(name), Q(entry.item));
        }
        if (cmbProgs->count() == 0) throw std::runtime_error("No web operation has a program.");
        cmbProgs->setCurrentIndex(selected < 0 ? 0 : selected);
        std::optional<std::string> preview = m_session->SwitchProgram(S(cmbProgs->currentText()),
                                                                      S(cmbProgs->currentData().toString()));
        ShowProgram(preview.value_or(std::string()));
    } catch (...) {
        m_loading = false;
        Critical(ResModule::LoadResString(512));
        bError = true;
        return false;
    }
    m_loading = false;
    return true;
}

bool frmMessages::ApplySavedLayout(const QString& saved) {
    const int n = static_cast<int>(sizeof(kLayoutPrefix) - 1);
    if (!saved.startsWith(kLayoutPrefix, Qt::CaseInsensitive)) return false;
    if (!Splitter->ApplyLayout(saved.mid(n))) return false;
    // A layout that lacks one of the four panes is as good as damaged.
    for (const PaneControl& p : m_panes) {
        TSplitterPane* pane = Splitter->Panes(p.pane);
        if (!pane || pane->IsDivided()) {
            Splitter->ClearPanes();
            return false;
        }
    }
    return true;
}

void frmMessages::BuildDefaultLayout() {
    // The sizes count as shares of the splitter's size; the splitter gives
    // them their pixels once the window is on screen.
    Splitter->ClearPanes();
    const int inner = std::max(height() - menuBar()->sizeHint().height() - cbCoolBar->sizeHint().height(), 100);
    Splitter->resize(width(), inner);
    const int w = Splitter->width();
    const int h = Splitter->height();
    Splitter->Root()->Split(SplitOrientation::SideBySide, w / 4, "Left", "Right");
    Splitter->Panes("Left")->Split(SplitOrientation::Stacked, h / 3, "Lists", "Elements");
    // Five twelfths go to the preview below the structure.
    Splitter->Panes("Right")->Split(SplitOrientation::Stacked, h - h * 5 / 12, "Structures", "Preview");
    Splitter->Panes("Lists")->SetCaption("Lists");
    Splitter->Panes("Elements")->SetCaption("Elements");
    Splitter->Panes("Structures")->SetCaption("Structures");
    Splitter->Panes("Preview")->SetCaption("Preview Messages");
}

void frmMessages::Splitter_Layout() {
    // A hidden pane's dock hides its control with it; a pane shown again
    // shows its control, and each View item follows its pane.
    for (const PaneControl& p : m_panes) {
        TSplitterPane* pane = Splitter->Panes(p.pane);
        const bool shown = pane && pane->Visible();
        if (shown && p.control->isHidden()) p.control->show();
        p.viewItem->setChecked(shown);
    }
}

void frmMessages::SetPaneShown(const char* paneName, bool shown) {
    TSplitterPane* pane = Splitter->Panes(paneName);
    if (!pane) return;
    pane->SetVisible(shown);
    Splitter_Layout();
}

void frmMessages::mnuViewLists_Click() { mnuViewLists->trigger(); }
void frmMessages::mnuViewElements_Click() { mnuViewElements->trigger(); }
void frmMessages::mnuViewStructures_Click() { mnuViewStructures->trigger(); }
void frmMessages::mnuViewPreview_Click() { mnuViewPreview->trigger(); }

void frmMessages::OnFocusChanged(QWidget* now) {
    if (!now || !Splitter) return;
    for (const PaneControl& p : m_panes) {
        if (now == p.control || p.control->isAncestorOf(now)) {
            if (TSplitterPane* pane = Splitter->Panes(p.pane)) pane->Activate();
            return;
        }
    }
}

// ---- program and panes ----

void frmMessages::cmbProgs_Click() {
    if (cmbProgs->currentIndex() < 0) return;
    const std::string name = S(cmbProgs->currentText());
    const std::string item = S(cmbProgs->currentData().toString());
    try {
        std::optional<std::string> preview = m_session->SwitchProgram(name, item);
        if (!preview) return;
        ShowProgram(*preview);
    } catch (const std::exception& e) {
        if (!SameText(m_session->ProgramName, name)) {
            // The document of the program being left could not be stored:
            // stay on that program with everything it shows.
            const QSignalBlocker block(cmbProgs);
            cmbProgs->setCurrentIndex(cmbProgs->findText(Q(m_session->ProgramName), Qt::MatchFixedString));
            Critical("The messages of " + m_session->ProgramName + " could not be stored.\n" + e.what());
            return;
        }
        ClearProgramPanes();
        UpdateActions();
        Critical("The data structures of " + name + " cannot be shown.\n" + e.what());
    }
}

void frmMessages::ClearProgramPanes() {
    {
        const QSignalBlocker lists(lstLists);
        const QSignalBlocker elements(lstElements);
        lstLists->clear();
        lstElements->clear();
    }
    trStructures->clear();
    rtbPreview->clear();
    m_lists.clear();
    m_nodes.clear();
}

void frmMessages::ShowProgram(const std::string& preview) {
    ClearProgramPanes();
    m_lists = services::VisibleDataLists(m_session->Model());
    {
        const QSignalBlocker block(lstLists);
        for (const auto& list : m_lists) lstLists->addItem(Q(list.GetCaption()));
    }
    // Selecting the first list shows its elements and the first element's tree.
    if (lstLists->count() > 0) lstLists->setCurrentRow(0);
    rtbPreview->setPlainText(Q(preview));
    UpdateActions();
}

void frmMessages::lstLists_Click() {
    const int row = lstLists->currentRow();
    if (row >= 0) FillElements(lstLists->item(row)->text());
    lstElements_Click();
}

bool frmMessages::FillElements(const QString& caption) {
    const platform::workbench::CodeModelDataList* list = nullptr;
    for (const auto& l : m_lists)
        if (Q(l.GetCaption()) == caption) list = &l;
    platform::db::Recordset rows;
    try {
        if (!list) throw std::out_of_range("no such list");
        rows = list->GetElements();
    } catch (const std::exception&) {
        Critical(kListsChanged);
        return false;
    }
    const platform::workbench::CodeModel& model = m_session->Model();
    const QSignalBlocker block(lstElements);
    lstElements->setSortingEnabled(false);
    lstElements->clear();
    for (; !rows.IsEOF(); rows.MoveNext()) {
        const std::string vnid = rows.Text("vnid");
        // A row whose construct the model no longer has cannot be chosen.
        const std::optional<platform::workbench::CodeModelConstruct> element = model.FindConstruct(vnid);
        if (!element) continue;
        auto* item = new QTreeWidgetItem(lstElements, QStringList(Q(element->GetName())));
        item->setData(0, kKeyRole, Q(vnid));
    }
    lstElements->sortItems(0, Qt::AscendingOrder);
    lstElements->setSortingEnabled(true);
    if (QTreeWidgetItem* first = lstElements->topLevelItem(0)) {
        lstElements->setCurrentItem(first);
        lstElements->scrollToItem(first);
    }
    return true;
}

void frmMessages::lstElements_Click() {
    QTreeWidgetItem* item = lstElements->currentItem();
    if (!item) {
        trStructures->clear();
        m_nodes.clear();
        UpdateActions();
        return;
    }
    FillStructures(S(item->data(0, kKeyRole).toString()));
}

bool frmMessages::FillStructures(const std::string& elementId) {
    if (!m_session->HasModel()) return false;
    std::optional<std::vector<services::StructureNode>> nodes =
        services::CollectStructure(m_session->Model(), elementId);
    if (!nodes) {
        Critical(kListsChanged);
        return false;
    }
    trStructures->clear();
    m_nodes.clear();
    if (nodes->empty()) {
        UpdateActions();
        return false;
    }
    // Each node goes below the latest node of its parent's id: the tree is
    // listed depth first, each node before its children.
    std::unordered_map<std::string, QTreeWidgetItem*> byId;
    QTreeWidgetItem* top = nullptr;
    for (const services::StructureNode& n : *nodes) {
        QTreeWidgetItem* item = nullptr;
        if (n.top) {
            item = new QTreeWidgetItem(trStructures);
            top = item;
        } else {
            const auto parent = byId.find(n.parentVnid);
            item = parent != byId.end() ? new QTreeWidgetItem(parent->second) : new QTreeWidgetItem(top);
            item->setData(0, kTagRole, Q(n.Tag()));
        }
        item->setText(0, Q(n.Text()));
        item->setData(0, kKeyRole, Q(n.vnid));
        byId[n.vnid] = item;
    }
    m_nodes = std::move(*nodes);
    top->setExpanded(true);
    trStructures->setCurrentItem(top);
    UpdateActions();
    return true;
}

// ---- actions ----

void frmMessages::UpdateActions() {
    const bool hasTree = trStructures->topLevelItemCount() > 0;
    const bool hasPreview = !rtbPreview->toPlainText().isEmpty();
    mnuActionsInput->setEnabled(hasTree);
    mnuActionsOutput->setEnabled(hasTree);
    mnuActionsClearAll->setEnabled(hasPreview);
    m_buttons.at("In")->setEnabled(hasTree);
    m_buttons.at("Out")->setEnabled(hasTree);
    m_buttons.at("ClearAll")->setEnabled(hasPreview);
    mnuActions->menuAction()->setEnabled(hasTree || hasPreview);
}

QAction* frmMessages::Buttons(const QString& key) const {
    for (const auto& [k, action] : m_buttons)
        if (k.compare(key, Qt::CaseInsensitive) == 0) return action;
    return nullptr;
}

void frmMessages::tbActions_ButtonClick(const QString& key) {
    if (key.compare("In", Qt::CaseInsensitive) == 0)
        mnuActionsInput_Click();
    else if (key.compare("Out", Qt::CaseInsensitive) == 0)
        mnuActionsOutput_Click();
    else if (key.compare("ClearAll", Qt::CaseInsensitive) == 0)
        mnuActionsClearAll_Click();
}

void frmMessages::mnuActionsInput_Click() { SetAs(true); }
void frmMessages::mnuActionsOutput_Click() { SetAs(false); }

void frmMessages::SetAs(bool input) {
    // The definitions are stored as they are set: a workspace open for
    // viewing only shows them and refuses here.
    if (Globals::RefuseWhileViewOnly(*m_prompt, input ? "Set As Input" : "Set As Output")) return;
    if (m_nodes.empty()) return;
    try {
        rtbPreview->setPlainText(Q(m_session->SetAs(input, m_nodes)));
    } catch (const std::exception& e) {
        Critical(std::string("The definitions could not be stored.\n") + e.what());
    }
    UpdateActions();
}

void frmMessages::mnuActionsClearAll_Click() {
    if (Globals::RefuseWhileViewOnly(*m_prompt, "Clear All Messages")) return;
    try {
        rtbPreview->setPlainText(Q(m_session->ClearAll()));
    } catch (const std::exception& e) {
        Critical(std::string("The definitions could not be removed.\n") + e.what());
    }
    UpdateActions();
}

bool frmMessages::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_owner && event->type() == QEvent::Close && !m_unloaded) close();
    if (watched == trStructures->viewport() && event->type() == QEvent::MouseButtonRelease) {
        UpdateActions();
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) mnuActions->popup(mouse->globalPosition().toPoint());
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMessages::Critical(const std::string& text) {
    m_prompt->Ask(text, ResModule::LoadResString(1006), common::Buttons::OK, common::Icon::Critical);
}

// ---- closing ----

void frmMessages::closeEvent(QCloseEvent* event) {
    Form_Unload(true);
    event->accept();
}

void frmMessages::Form_Unload(bool interactive) {
    if (m_unloaded) return;
    m_unloaded = true;
    try {
        if (m_session->Changed()) m_session->SaveMessagesXml();
    } catch (const std::exception& e) {
        // Closing goes on, but the analyst learns that the document is lost.
        if (interactive)
            Critical("The messages of " + m_session->ProgramName + " could not be stored.\n" + e.what());
    }
    try {
        m_session->Close();
    } catch (...) {
    }
    if (!bError) {
        try {
            WindowSettings::SavePlacement(this, kSettingsApp, kSection);
            WindowSettings::SaveSetting(kSettingsApp, kSection, kLayoutKey,
                                        kLayoutPrefix + S(Splitter->GetLayout()));
        } catch (...) {
            // Losing the layout is not worth keeping the window open.
        }
    }
    if (interactive && m_owner) m_owner->activateWindow();
}

}  // namespace services::ui
