#include "app/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <climits>

#include "app/AppInfo.h"
#include "app/dialogs/HelpOpener.h"
#include "app/dialogs/ShellOptions.h"
#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/ui/TSplitter.h"
#include "platform/ui/UIUtility.h"
#include "platform/ui/WindowSettings.h"

using platform::ui::SplitOrientation;
using platform::ui::TSplitter;
using platform::ui::TSplitterPane;

namespace {

constexpr char kLayoutPrefix[] = "QuarvelAnalyzer";
// The layout is stored under the fixed application key, not under the
// (translated) title, so it survives a change of language.
constexpr char kSettingsApp[] = "QuarvelAnalyzer";

QString Res(int id) { return QString::fromStdString(ResModule::LoadResString(id)); }

const QStringList& ImgListKeys() {
    static const QStringList keys = {
        "Client Facing", "Client Facing Data", "Client Facing Called", "Client Facing Called Data", "Frontier",
        "Frontier Data Access", "Frontier Data Logic", "Frontier Logic Only", "File", "Missing", "Screens",
        "Data Stores", "Transitional", "Transitional Called", "Batch", "Regular Programs", "Irregular Programs",
        "Server", "Server Data Access", "Server Data Logic", "Server Logic Only", "Refresh", "GenerateReports",
        "Validation", "Client Branch", "Server Branch", "Frontier Irregular", "Server Irregular", "No Category",
        "OpenWorkspace"};
    return keys;
}

const QStringList& ImgsKeys() {
    static const QStringList keys = {"File", "Mainfr", "AWebService", "Info", "Screen", "Logic",
                                     "Mix", "Missing", "Converse", "Bull", "Table", "HierarchicalSegment",
                                     "ACloseProcess", "AExpand", "AScreen", "ATrim", "Transition", "TransMix"};
    return keys;
}

// The state a control was given itself, not the one it inherits from a
// disabled parent.
bool IsEnabled(const QObject* o) {
    if (auto* a = qobject_cast<const QAction*>(o)) return a->isEnabled();
    if (auto* w = qobject_cast<const QWidget*>(o)) return !w->testAttribute(Qt::WA_ForceDisabled);
    return false;
}

bool CanBeEnabled(const QObject* o) { return qobject_cast<const QAction*>(o) || qobject_cast<const QWidget*>(o); }

void SetEnabledRaw(QObject* o, bool on) {
    if (auto* a = qobject_cast<QAction*>(o))
        a->setEnabled(on);
    else if (auto* w = qobject_cast<QWidget*>(o))
        w->setEnabled(on);
}

// The window is disabled with the hourglass while it loads.
class LoadingCursor {
public:
    explicit LoadingCursor(QWidget* w) : m_w(w) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_w->setEnabled(false);
    }
    ~LoadingCursor() {
        m_w->setEnabled(true);
        QApplication::restoreOverrideCursor();
    }

private:
    QWidget* m_w;
};

}  // namespace

frmMain::frmMain(std::filesystem::path appFolder, QWidget* parent)
    : QMainWindow(parent), m_messageBoxes(this) {
    setObjectName("frmMain");
    if (appFolder.empty()) appFolder = QCoreApplication::applicationDirPath().toStdString();
    Globals::g_AppPath = appFolder;
    Form_Load();
}

frmMain::~frmMain() {
    // Children go with the base class; their last signals must not reach
    // this half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(splMain, nullptr, this, nullptr);
    if (Globals::g_MainForm == this) Globals::g_MainForm = nullptr;
    // The busy cursor belongs to an open bracket; never leave it behind.
    if (m_busyDepth > 0) QApplication::restoreOverrideCursor();
}

void frmMain::Form_Load() {
    LoadingCursor loading(this);
    UIUtility::PrepareForm(this);
    ResModule::InitControlCharEntities();
    SetApplicationTitle();
    resize(1100, 760);

    const QPixmap icon = UIUtility::LoadImage("Product.Icon");
    if (!icon.isNull()) setWindowIcon(QIcon(icon));
    m_helpFile = Globals::g_AppPath / "Ostrel_SOA_Help.html";

    imgList = platform::ui::ImageList::Load(ImgListKeys());
    imgs = platform::ui::ImageList::Load(ImgsKeys());

    BuildMenus();
    BuildToolbar();
    BuildPanes();
    BuildProgressStrip();

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(splMain, 1);
    column->addWidget(pictProgress);
    setCentralWidget(central);

    const QString saved = QString::fromStdString(
        WindowSettings::GetSetting(kSettingsApp, "Settings", "MainSplitter", ""));
    splMain->setAnimated(true);
    splMain->SetLayoutEnabled(false);
    if (!ApplySavedLayout(saved)) BuildDefaultLayout();
    for (const auto& [caption, control] : m_paneObjs) splMain->SetPaneWidget(caption, control);
    connect(splMain, &TSplitter::Layout, this, [this] { splMain_Layout(); });
    connect(splMain, &TSplitter::PaneActivate, this, [this](TSplitterPane* p) { splMain_PaneActivate(p); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    splMain->SetLayoutEnabled(true);

    // One View menu item per pane, in registration order.
    for (size_t i = 0; i < m_paneObjs.size(); ++i) {
        QAction* item = mnuView->addAction(m_paneObjs[i].first);
        item->setObjectName("mnuPane");
        item->setProperty("Index", static_cast<int>(i));
        connect(item, &QAction::triggered, this, [this, i] { mnuPane_Click(static_cast<int>(i)); });
        mnuPane.push_back(item);
    }

    EnableToolsMenu(false);
    // Empty Parameters lists, g_Restrict off, the CRUD options on.
    Globals::InitShellOptions();
    Globals::g_MainForm = this;
}

void frmMain::SetApplicationTitle() {
    m_applicationTitle = Res(1006);
    setWindowTitle(Res(1006));
    m_messageBoxes.SetDefaultTitle(m_applicationTitle);
}

// ---- menus and toolbar ----

QMenu* frmMain::AddMenu(const char* name, const QString& caption, bool onMenuBar) {
    QMenu* menu = onMenuBar ? menuBar()->addMenu(caption) : new QMenu(caption, this);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    m_commands[name] = menu->menuAction();
    return menu;
}

QAction* frmMain::AddItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    if (!shortcut.isEmpty()) item->setShortcut(shortcut);
    item->setIconVisibleInMenu(false);
    m_commands[name] = item;
    return item;
}

QAction* frmMain::AddSeparator(QMenu* menu, const char* name) {
    QAction* sep = menu->addSeparator();
    sep->setObjectName(name);
    return sep;
}

void frmMain::BuildMenus() {
    mnuFile = AddMenu("mnuFile", "&File", true);
    mnuFileOpenWorkspace = AddItem(mnuFile, "mnuFileOpenWorkspace", "&Open Workspace...", QKeySequence("Ctrl+O"));
    mnuFileRefreshWorkspace = AddItem(mnuFile, "mnuFileRefreshWorkspace", "Re&fresh Workspace");
    mnuFileSep2 = AddSeparator(mnuFile, "mnuFileSep2");
    mnuFileClose = AddItem(mnuFile, "mnuFileClose", "&Close");

    mnuTools = AddMenu("mnuTools", "&Tools", true);
    mnuToolsScreenFlow = AddItem(mnuTools, "mnuToolsScreenFlow", "Screen &Interaction Plot");
    mnuToolsSep1 = AddSeparator(mnuTools, "mnuToolsSep1");
    mnuToolsCRUD = AddItem(mnuTools, "mnuToolsCRUD", "&CRUD Overlap");
    mnuToolsCOMMAREA = AddItem(mnuTools, "mnuToolsCOMMAREA", "COMM&AREA Size");
    mnuToolsValidation = AddItem(mnuTools, "mnuToolsValidation", "Validation &Rules");
    mnuToolsSep2 = AddSeparator(mnuTools, "mnuToolsSep2");
    mnuToolsGenerateReports =
        AddItem(mnuTools, "mnuToolsGenerateReports", "&Generate Reports", QKeySequence("Ctrl+G"));
    mnuToolsEnterClientInformation = AddItem(mnuTools, "mnuToolsEnterClientInformation",
                                             "Enter Client &Information...", QKeySequence("Ctrl+I"));

    mnuView = AddMenu("mnuView", "&View", true);
    mnuViewParameters = AddItem(mnuView, "mnuViewParameters", "&Parameters");
    mnuViewMissing = AddItem(mnuView, "mnuViewMissing", "&Missing");
    mnuViewReturns = AddItem(mnuView, "mnuViewReturns", "&Returns");
    mnuViewSplit = AddSeparator(mnuView, "mnuViewSplit");
    for (QAction* hidden : {mnuViewParameters, mnuViewMissing, mnuViewReturns, mnuViewSplit})
        hidden->setVisible(false);

    mnuHelp = AddMenu("mnuHelp", "&Help", true);
    mnuHelpWindow = AddItem(mnuHelp, "mnuHelpWindow", "Quarvel Analyzer Help");
    mnuHelpSep = AddSeparator(mnuHelp, "mnuHelpSep");
    mnuHelpAbout = AddItem(mnuHelp, "mnuHelpAbout", "&About Halcyra");

    mnuProgContext = AddMenu("mnuProgContext", "NodeContext", false);
    mnuNCFlowContext = AddItem(mnuProgContext, "mnuNCFlowContext", "View &Flow Context");
    mnuNCSep1 = AddSeparator(mnuProgContext, "mnuNCSep1");
    mnuNCNewWebService = AddItem(mnuProgContext, "mnuNCNewWebService", "&New Web Service...");
    mnuNCSaveWebService = AddItem(mnuProgContext, "mnuNCSaveWebService", "&Save Web Service...");
    mnuNCSep3 = AddSeparator(mnuProgContext, "mnuNCSep3");
    mnuNCScrnWebSvc = AddItem(mnuProgContext, "mnuNCScrnWebSvc", "Start Web Operation &Here");
    mnuNCSetWebSvc = AddItem(mnuProgContext, "mnuNCSetWebSvc", "Set as &Web Operation");
    mnuNCDefineMessages = AddItem(mnuProgContext, "mnuNCDefineMessages", "Define &Messages");
    mnuNCProcDiagram = AddItem(mnuProgContext, "mnuNCProcDiagram", "Show D&iagram");
    mnuNCRefocus = AddItem(mnuProgContext, "mnuNCRefocus", "&Refocus");
    mnuNCViewSource = AddItem(mnuProgContext, "mnuNCViewSource", "View &Source");
    mnuNCSFV = AddItem(mnuProgContext, "mnuNCSFV", "View &Validations Details");
    mnuNCCRUDSig = AddItem(mnuProgContext, "mnuNCCRUDSig", "&CRUD Signature");
    mnuNCDeleteNode = AddItem(mnuProgContext, "mnuNCDeleteNode", "D&elete Node");
    mnuNCSep2 = AddSeparator(mnuProgContext, "mnuNCSep2");
    mnuNCKey = AddItem(mnuProgContext, "mnuNCKey", "Alter &Key");
    mnuNCDescription = AddItem(mnuProgContext, "mnuNCDescription", "&Description");
    for (QAction* hidden : {mnuNCScrnWebSvc, mnuNCRefocus, mnuNCDeleteNode, mnuNCKey}) hidden->setVisible(false);
    for (QAction* off : {mnuNCViewSource, mnuNCSFV, mnuNCCRUDSig, mnuNCDescription}) off->setEnabled(false);

    mnuBoxContext = AddMenu("mnuBoxContext", "BoxContext", false);
    AddItem(mnuBoxContext, "mnuBCViewSource", "&View Source");
    AddItem(mnuBoxContext, "mnuBCRefocus", "&Refocus Diagram");
    AddItem(mnuBoxContext, "mnuBCExpand", "E&xpand From This Point");

    // Commands whose subsystems are not connected yet stay unavailable;
    // their window code enables them when it connects them.
    for (QAction* a : {mnuFileOpenWorkspace, mnuFileRefreshWorkspace, mnuToolsScreenFlow, mnuToolsCRUD,
                       mnuToolsCOMMAREA, mnuToolsValidation, mnuToolsGenerateReports,
                       mnuToolsEnterClientInformation, mnuViewParameters, mnuHelpWindow})
        a->setEnabled(false);
}

void frmMain::BuildToolbar() {
    tbButtons = new QToolBar("Toolbar", this);
    tbButtons->setObjectName("tbButtons");
    tbButtons->setMovable(false);
    tbButtons->setFloatable(false);
    tbButtons->setIconSize(QSize(24, 24));
    tbButtons->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, tbButtons);

    struct Button {
        const char* key;
        const char* tip;
        const char* image;
        QAction* command;
    };
    const Button buttons[] = {
        {"OpenWorkspace", "Open Workspace", "OpenWorkspace", mnuFileOpenWorkspace},
        {"Refresh", "Refresh", "Refresh", mnuFileRefreshWorkspace},
        {nullptr, nullptr, nullptr, nullptr},
        {"Screens", "Screen Interaction Plot", "Screens", mnuToolsScreenFlow},
        {"CRUDOverlap", "CRUD Overlap", "File", mnuToolsCRUD},
        {"Commarea", "COMMAREA Size", "Data Stores", mnuToolsCOMMAREA},
        {"Validation", "Validation Rules", "Validation", mnuToolsValidation},
        {"GenerateReports", "Generate Reports", "GenerateReports", mnuToolsGenerateReports},
    };
    for (const Button& b : buttons) {
        if (!b.key) {
            tbButtons->addSeparator();
            continue;
        }
        b.command->setIcon(imgList.Icon(b.image));
        b.command->setToolTip(b.tip);
        b.command->setProperty("Key", QString(b.key));
        tbButtons->addAction(b.command);
        if (QWidget* button = tbButtons->widgetForAction(b.command)) button->setObjectName(b.key);
        m_toolbarKeys.emplace_back(b.key, b.command);
    }
}

QAction* frmMain::Buttons(const QString& key) const {
    for (const auto& [k, action] : m_toolbarKeys)
        if (k.compare(key, Qt::CaseInsensitive) == 0) return action;
    return nullptr;
}

void frmMain::tbButtons_ButtonClick(const QString& key) {
    QAction* command = Buttons(key);
    if (command && command->isEnabled()) command->trigger();
}

QAction* frmMain::Command(const QString& name) const {
    const auto it = m_commands.find(name);
    return it == m_commands.end() ? nullptr : it->second;
}

void frmMain::SetCommand(const QString& name, std::function<void()> handler) {
    QAction* action = Command(name);
    if (!action) return;
    if (auto old = m_handlers.find(name); old != m_handlers.end()) disconnect(old->second);
    m_handlers[name] = connect(action, &QAction::triggered, this, [handler = std::move(handler)] {
        if (handler) handler();
    });
}

void frmMain::SetCommandEnabled(const QString& name, bool enabled) {
    if (QAction* action = Command(name)) SetControlEnabled(action, enabled);
}

void frmMain::EnableToolsMenu(bool enabled) { SetControlEnabled(mnuTools->menuAction(), enabled); }

// ---- panes and layout ----

void frmMain::BuildPanes() {
    splMain = new TSplitter(this);
    splMain->setObjectName("splMain");

    auto makeTree = [this](const char* name) {
        auto* tree = new QTreeWidget(this);
        tree->setObjectName(name);
        tree->setHeaderHidden(true);
        tree->setIconSize(QSize(16, 16));
        return tree;
    };
    trSummary = makeTree("trSummary");
    trWebOperations = makeTree("trWebOperations");
    trWebServices = makeTree("trWebServices");
    tbLog = new QPlainTextEdit(this);
    tbLog->setObjectName("tbLog");
    tbLog->setReadOnly(true);

    m_paneObjs = {{"Summary", trSummary},
                  {"Web Operations", trWebOperations},
                  {"Web Services", trWebServices},
                  {"Log", tbLog}};
    for (const auto& [caption, control] : m_paneObjs) control->setProperty("Tag", caption);
}

bool frmMain::ApplySavedLayout(const QString& saved) {
    const int n = static_cast<int>(sizeof(kLayoutPrefix) - 1);
    if (!saved.startsWith(kLayoutPrefix, Qt::CaseInsensitive)) return false;
    if (!splMain->ApplyLayout(saved.mid(n))) return false;
    // A layout that lacks one of our panes is as good as damaged.
    for (const auto& [caption, control] : m_paneObjs) {
        TSplitterPane* pane = splMain->Panes(caption);
        if (!pane || pane->IsDivided()) {
            splMain->ClearPanes();
            return false;
        }
    }
    return true;
}

void frmMain::BuildDefaultLayout() {
    // The sizes count as shares of the splitter's size; the splitter gives
    // them their pixels once the window is on screen.
    splMain->ClearPanes();
    if (splMain->width() <= 0 || splMain->height() <= 0) splMain->resize(size());
    const int width = splMain->width();
    const int height = splMain->height();
    splMain->Root()->Split(SplitOrientation::SideBySide, width / 2, "Left", "Right");
    splMain->Panes("Left")->Split(SplitOrientation::Stacked, height * 8 / 10, "Summary", "Log");
    splMain->Panes("Right")->Split(SplitOrientation::Stacked, height / 2, "Web Operations", "Web Services");

    TSplitterPane* summary = splMain->Panes("Summary");
    summary->SetClosable(true);
    summary->SetCaption("Summary");
    summary->SetMovable(true);
    TSplitterPane* log = splMain->Panes("Log");
    log->SetClosable(true);
    log->SetFloatable(false);
    log->SetCaption("Log");
    log->SetVisible(false);
    TSplitterPane* ops = splMain->Panes("Web Operations");
    ops->SetClosable(true);
    ops->SetCaption("Web Operations");
    TSplitterPane* services = splMain->Panes("Web Services");
    services->SetClosable(true);
    services->SetCaption("Web Services");
}

void frmMain::splMain_Layout() {
    // A hidden pane's dock hides its control with it. Hiding the control
    // itself would leave an empty dock whenever the pane is shown again, and
    // a dock with a hidden control squeezes the panes beside it.
    for (const auto& [caption, control] : m_paneObjs) {
        TSplitterPane* pane = splMain->Panes(caption);
        if (pane && pane->Visible() && control->isHidden()) control->show();
    }
}

void frmMain::splMain_PaneActivate(TSplitterPane* pane) {
    if (!pane) return;
    if (pane->Name() == "Summary")
        trSummary->setFocus();
    else if (pane->Name() == "Web Operations")
        trWebOperations->setFocus();
    else if (pane->Name() == "Web Services")
        trWebServices->setFocus();
}

void frmMain::OnFocusChanged(QWidget* now) {
    for (const auto& [caption, control] : m_paneObjs) {
        if (now && (now == control || control->isAncestorOf(now))) {
            if (TSplitterPane* pane = splMain->Panes(caption)) pane->Activate();
            return;
        }
    }
}

void frmMain::mnuPane_Click(int index) {
    if (index < 0 || index >= static_cast<int>(mnuPane.size())) return;
    const QString caption = mnuPane[static_cast<size_t>(index)]->text();
    if (TSplitterPane* pane = splMain->Panes(caption)) pane->SetVisible(true);
    for (const auto& [c, control] : m_paneObjs)
        if (c == caption) control->setVisible(true);
    splMain_Layout();
}

// ---- progress strip ----

void frmMain::BuildProgressStrip() {
    pictProgress = new QWidget(this);
    pictProgress->setObjectName("pictProgress");
    auto* row = new QHBoxLayout(pictProgress);
    row->setContentsMargins(6, 3, 6, 3);
    lblProgress = new QLabel(pictProgress);
    lblProgress->setObjectName("lblProgress");
    pbProgress = new QProgressBar(pictProgress);
    pbProgress->setObjectName("pbProgress");
    pbProgress->setMinimumWidth(260);
    cmdCancel = new QPushButton("Cancel", pictProgress);
    cmdCancel->setObjectName("cmdCancel");
    row->addWidget(lblProgress, 1);
    row->addWidget(pbProgress);
    row->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    pictProgress->hide();
    pbProgress->hide();
    cmdCancel->hide();
    cmdCancel->setEnabled(false);
}

namespace {
int BarLength(long length) {
    if (length == 0) return 1;
    return static_cast<int>(std::clamp<long>(length, 0, INT_MAX / 2));
}
}  // namespace

void frmMain::StartProgress(const std::string& action, long totalLength, bool withCancel) {
    ++m_progressLevel;
    if (m_progressLevel <= 1) {
        m_sincePump.invalidate();   // the first step shows the strip at once
        m_barValue.reset();
        pbProgress->show();
        cmdCancel->setVisible(withCancel);
        lblProgress->setText(QString::fromStdString(action));
        pictProgress->show();
        pbProgress->setRange(0, BarLength(totalLength));
        pbProgress->setValue(0);
    } else {
        const long grown = static_cast<long>(pbProgress->maximum()) + BarLength(totalLength);
        pbProgress->setMaximum(static_cast<int>(std::min<long>(grown, INT_MAX / 2)));
    }
}

void frmMain::StartStep(const std::string& action) {
    if (!action.empty()) lblProgress->setText(QString::fromStdString(action));
    // The one place where a long operation lets the window repaint and
    // the Cancel button be pressed.
    if (!m_sincePump.isValid() || m_sincePump.elapsed() >= kProgressPumpMs) PumpEvents();
}

void frmMain::PumpEvents() {
    ThawProgressBar();
    ShowBarValue();
    QCoreApplication::processEvents();
    m_sincePump.start();
    // QProgressBar repaints itself synchronously whenever a new value moves
    // it visibly: with updates off it only keeps the value until the next pump.
    if (m_progressLevel > 0) pbProgress->setUpdatesEnabled(false);
}

void frmMain::ThawProgressBar() {
    if (!pbProgress->updatesEnabled()) pbProgress->setUpdatesEnabled(true);
}

void frmMain::ShowBarValue() {
    if (!m_barValue) return;
    pbProgress->setValue(*m_barValue);
    m_barValue.reset();
}

void frmMain::FinishStep(long length) {
    const long value = static_cast<long>(m_barValue.value_or(pbProgress->value())) + length;
    if (value < pbProgress->minimum() || value > pbProgress->maximum()) return;
    if (!pbProgress->updatesEnabled() && pbProgress->isVisible())
        m_barValue = static_cast<int>(value);
    else
        pbProgress->setValue(static_cast<int>(value));
}

void frmMain::FinishProgress() {
    // A close without an open level is ignored, so the next level still
    // starts a fresh strip and the close guard sees a true count.
    if (m_progressLevel <= 0) return;
    if (--m_progressLevel == 0) {
        ThawProgressBar();
        ShowBarValue();
        lblProgress->clear();
        pictProgress->hide();
        pbProgress->hide();
        cmdCancel->hide();
    }
}

void frmMain::cmdCancel_Click() {
    std::string text = m_actionCaption;
    if (text.empty()) text = lblProgress->text().toStdString();
    const std::string templ = ResModule::LoadResString(text.empty() ? 505 : 504);
    const std::string message = UIUtility::FormatMessage(templ, {text});
    const auto answer = Prompt().Ask(message, m_applicationTitle.toStdString(), common::Buttons::YesNo,
                                     common::Icon::Exclamation);
    if (answer == common::Answer::No) return;
    m_cancelled = true;
    cmdCancel->setEnabled(false);
}

common::Answer frmMain::Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                            common::Icon icon) {
    return Prompt().Ask(text, title, buttons, icon);
}

// ---- busy bracket ----

std::vector<QObject*> frmMain::BracketControls() const {
    std::vector<QObject*> out;
    for (QMenu* menu : {mnuFile, mnuTools, mnuView, mnuHelp, mnuProgContext, mnuBoxContext}) {
        out.push_back(menu->menuAction());
        for (QAction* item : menu->actions())
            if (!item->isSeparator()) out.push_back(item);
    }
    for (const auto& entry : m_paneObjs) out.push_back(entry.second);
    return out;
}

void frmMain::DisableControls() {
    if (m_busyDepth++ > 0) return;
    ToBeEnabled.clear();
    for (QObject* control : BracketControls()) DisableControl(control);
    m_cancelled = false;
    cmdCancel->setEnabled(true);
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void frmMain::EnableControls() {
    if (m_busyDepth == 0) return;
    if (--m_busyDepth > 0) return;
    for (auto& [control, state] : ToBeEnabled)
        if (control) SetEnabledRaw(control, state);
    ToBeEnabled.clear();
    cmdCancel->setEnabled(false);
    QApplication::restoreOverrideCursor();
}

void frmMain::DisableControl(QObject* control) {
    if (!control || !CanBeEnabled(control) || !IsEnabled(control)) return;
    SetEnabledRaw(control, false);
    if (m_busyDepth > 0) ToBeEnabled.emplace_back(control, true);
}

void frmMain::SetControlEnabled(QObject* control, bool enabled) {
    if (!control || !CanBeEnabled(control)) return;
    if (m_busyDepth == 0) {
        SetEnabledRaw(control, enabled);
        return;
    }
    for (auto& entry : ToBeEnabled) {
        if (entry.first == control) {
            entry.second = enabled;
            return;
        }
    }
    // Not switched by this bracket yet: it stays off until the bracket ends.
    SetEnabledRaw(control, false);
    ToBeEnabled.emplace_back(control, enabled);
}

// ---- Help ----

QString frmMain::AboutText() const {
    return QString::fromStdString(dialogs::AboutText(m_applicationTitle.toStdString(), app::Version()));
}

void frmMain::mnuHelpAbout_Click() { UIUtility::ShowAbout(this, AboutText().toStdString()); }

// ---- close ----

void frmMain::closeEvent(QCloseEvent* event) {
    if (m_busyDepth > 0 || m_progressLevel > 0) {
        Prompt().Ask(ResModule::LoadResString(506), m_applicationTitle.toStdString(), common::Buttons::OK,
                     common::Icon::Exclamation);
        event->ignore();
        return;
    }
    if (m_closeWorkspace) {
        try {
            m_closeWorkspace();
        } catch (...) {
            // Closing goes on: the window is leaving either way.
        }
    }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    try {
        WindowSettings::SaveSetting(kSettingsApp, "Settings", "MainSplitter",
                                    kLayoutPrefix + splMain->GetLayout().toStdString());
    } catch (...) {
        // Losing the layout is not worth keeping the window open.
    }
    if (Globals::g_MainForm == this) Globals::g_MainForm = nullptr;
}
