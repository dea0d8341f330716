#include "views/ui/frmContext.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>

#include <exception>
#include <optional>
#include <vector>

#include "common/Globals.h"
#include "platform/diagram/DiagramModel.h"
#include "platform/ui/DiagramWindow.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtText.h"
#include "platform/ui/TDiagram.h"
#include "platform/ui/TSplitter.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/NodeMenu.h"
#include "views/ContextLayouts.h"
#include "views/FlowContext.h"
#include "views/FlowContextDrawing.h"
#include "views/ui/frmSource.h"

namespace Globals {
std::string g_ActiveContextKey;
}

namespace views::ui {

namespace {

using platform::ui::Q;
using platform::ui::S;
using platform::ui::TDiagram;
using platform::ui::TSplitterPane;

constexpr int kDepth = 4;
constexpr int kKeyF10 = 121;
constexpr int kShift = 1;
constexpr int kRightButton = 2;

const QString kPanes[] = {QString(kClientFacingPane), QString(kDataFacingPane)};

services::LanguageLookup Languages() { return services::RepositoryLanguages(Globals::g_Workbench.get()); }

// Draws flow contexts for the windows, one at a time: while one is laid
// out the windows' events run, and a request then is not taken. Reports
// through the progress given, or else the main window's, its commands
// disabled meanwhile and its Cancel button enabled.
class Drawing {
public:
    explicit Drawing(common::IProgress* given) : m_taken(!s_drawing && Globals::g_Database) {
        if (!m_taken) return;
        s_drawing = true;
        if (given) {
            m_progress = given;
        } else if (Globals::g_MainForm) {
            m_progress = Globals::g_MainForm;
            m_busy.emplace(*Globals::g_MainForm);
        }
    }
    ~Drawing() {
        if (m_taken) s_drawing = false;
    }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    // The flow context of the entity in the given modes, built and laid
    // out; none when cancelled or not taken.
    std::optional<std::vector<views::FlowContextSide>> LayOut(const std::string& id, const std::string& name,
                                                              const std::vector<int>& modes) {
        if (!m_taken) return std::nullopt;
        platform::workbench::EntityStore store;
        if (Globals::g_Workbench && Globals::g_Workbench->IsRepositoryOpen())
            store = Globals::g_Workbench->GetEntityStore();
        views::FlowContextSource source(*Globals::g_Database, store);
        return views::LayOutFlowContext(source, id, modes, kDepth, *m_progress,
                                        {"Flow context of " + name, "Reading the flow context of " + name,
                                         "Laying out the flow context of " + name});
    }

    // Shows a side laid out in the diagram, its centre box in the middle
    // of the pane: in a drawing larger than the pane the box may stand
    // anywhere. The steps each go over every box and link: the windows'
    // events run between them.
    void Show(TDiagram& diagram, const views::FlowContextSide& side) {
        if (!side.built) return;
        QPointer<TDiagram> shown(&diagram);
        {
            platform::ui::RedrawScope scope(diagram);
            views::TakeSide(side, diagram.Model());
            Pump();  // the diagram paints nothing until the scope ends
        }
        Pump();
        if (!shown) return;
        diagram.FinishLayout();
        if (const platform::diagram::Shape* centre = views::FlowContextCentre(diagram.Model()))
            diagram.CentreOn(*centre);
    }

    // Lets the windows' events run.
    void Pump() { m_progress->StartStep(""); }

private:
    static inline bool s_drawing = false;
    bool m_taken;
    common::NullProgress m_nowhere;
    common::IProgress* m_progress = &m_nowhere;
    std::optional<platform::ui::BusyScope> m_busy;
};

TDiagram* PaneDiagram(QWidget* parent, const char* name, const QString& pane) {
    TDiagram* d = platform::ui::NewDiagram(parent, name);
    d->setProperty("Tag", pane);
    return d;
}

}  // namespace

frmContext::frmContext(QWidget* owner, const QString& tagCheck)
    : QMainWindow(owner, Qt::Window), EntityWindow(*this, owner, "Settings\\FlowContext"), TagCheck(tagCheck) {
    setObjectName("frmContext");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Flow Context");
    resize(1000, 640);
    UIUtility::PrepareForm(this);

    dgmClientFacing = PaneDiagram(this, "dgmClientFacing", kClientFacingPane);
    dgmDataFacing = PaneDiagram(this, "dgmDataFacing", kDataFacingPane);

    mnuBoxContext = new QMenu("BoxContext", this);
    mnuBoxContext->setObjectName("mnuBoxContext");
    mnuBCViewSource = mnuBoxContext->addAction("&View Source");
    mnuBCViewSource->setObjectName("mnuBCViewSource");
    mnuBCRefocus = mnuBoxContext->addAction("&Refocus");
    mnuBCRefocus->setObjectName("mnuBCRefocus");
    mnuBCExpand = mnuBoxContext->addAction("&Expand");
    mnuBCExpand->setObjectName("mnuBCExpand");
    connect(mnuBCViewSource, &QAction::triggered, this, [this] { mnuBCViewSource_Click(); });
    connect(mnuBCRefocus, &QAction::triggered, this, [this] { mnuBCRefocus_Click(); });
    connect(mnuBCExpand, &QAction::triggered, this, [this] { mnuBCExpand_Click(); });

    // A pane the analyst closed comes back from here.
    mnuView = menuBar()->addMenu("&View");
    mnuView->setObjectName("mnuView");
    for (const QString& pane : kPanes) {
        QAction* item = mnuView->addAction(pane);
        item->setObjectName("mnuViewPane");
        connect(item, &QAction::triggered, this, [this, pane] { ShowPane(pane); });
    }
    // Only the client side reports its zoom.
    lblZoom = platform::ui::AddZoomLabel(*this, *dgmClientFacing);

    for (TDiagram* d : {dgmClientFacing, dgmDataFacing}) {
        connect(d, &TDiagram::ShapeMouseReleased, this,
                [this, d](platform::diagram::Shape* s, int button) { Diagram_MouseUp(d, s, button); });
        connect(d, &TDiagram::KeyReleased, this, [this, d](int code, int shift) { Diagram_KeyUp(d, code, shift); });
        connect(d, &TDiagram::ShapeActivated, this, [this, d](platform::diagram::Shape* s) { Diagram_DblClick(d, s); });
        connect(d, &TDiagram::FocusGained, this, [this, d] {
            if (TSplitterPane* pane = splMain ? splMain->Panes(d->property("Tag").toString()) : nullptr)
                pane->Activate();
        });
    }

    Load();
}

frmContext::~frmContext() = default;

void frmContext::Load() {
    RestorePlacement();
    cPanes = {{kClientFacingPane, dgmClientFacing}, {kDataFacingPane, dgmDataFacing}};

    splMain = new platform::ui::TSplitter(this);
    splMain->setObjectName("splitterFlowContext");
    setCentralWidget(splMain);
    connect(splMain, &platform::ui::TSplitter::Layout, this, [this] { splMain_Layout(); });

    std::string entry;
    const auto& layouts = Globals::g_ContextLayouts;
    if (layouts && layouts->Contains(S(TagCheck))) entry = layouts->Item(S(TagCheck));
    const auto saved = views::ReadContextLayout(entry);
    bool restored = false;
    if (saved && splMain->ApplyLayout(Q(saved->splitterLayout))) {
        // A layout that lacks one of the two panes is as good as none.
        restored = true;
        for (const QString& name : kPanes) {
            TSplitterPane* pane = splMain->Panes(name);
            if (!pane || pane->IsDivided()) restored = false;
        }
    }
    if (!restored) DefaultLayout();
    if (saved) {
        dgmClientFacing->SetZoom(saved->clientZoom);
        dgmDataFacing->SetZoom(saved->dataZoom);
    }
    for (const QString& name : kPanes) {
        if (TSplitterPane* pane = splMain->Panes(name)) {
            pane->SetCaption(name);
            pane->SetClosable(true);
        }
    }
    PlaceDiagrams();
    splMain->SetLayoutEnabled(true);
}

void frmContext::DefaultLayout() {
    splMain->ClearPanes();
    if (splMain->width() <= 0) splMain->resize(size());
    splMain->Root()->Split(platform::ui::SplitOrientation::SideBySide, splMain->width() / 2, kClientFacingPane,
                           kDataFacingPane);
}

void frmContext::PlaceDiagrams() {
    for (const auto& [name, diagram] : cPanes) splMain->SetPaneWidget(name, diagram);
}

void frmContext::splMain_Layout() {
    // The pane's dock shows and hides its diagram with it; a diagram hidden
    // while its pane is shown again comes back.
    for (const auto& [name, diagram] : cPanes) {
        TSplitterPane* pane = splMain->Panes(name);
        if (pane && pane->Visible() && diagram->isHidden()) diagram->show();
    }
}

void frmContext::ShowPane(const QString& name) {
    TSplitterPane* pane = splMain->Panes(name);
    if (!pane) return;
    pane->SetVisible(true);
    if (auto it = cPanes.find(name); it != cPanes.end()) it->second->show();
    pane->Activate();
}

void frmContext::ApplyBoxMenu(const views::BoxMenuState& state) {
    mnuBCViewSource->setEnabled(state.viewSource);
    mnuBCRefocus->setEnabled(state.refocus);
    mnuBCExpand->setEnabled(state.expand);
    if (!state.popUp) return;
    mnuBCViewSource->setProperty("Tag", Q(state.viewSourceTag));
    mnuBCRefocus->setProperty("Tag", Q(state.refocusTag));
    mnuBCExpand->setProperty("Tag", Q(state.expandTag));
}

void frmContext::Diagram_MouseUp(TDiagram* diagram, platform::diagram::Shape* box, int button) {
    if (button != kRightButton || !diagram || !box) return;
    try {
        m_current = diagram;
        const views::BoxMenuState state = views::PrepareBoxMenu(views::BoxMenuTrigger::RightMouse, *box, Languages());
        ApplyBoxMenu(state);
        if (state.popUp) mnuBoxContext->popup(QCursor::pos());
    } catch (const std::exception&) {}
}

void frmContext::Diagram_KeyUp(TDiagram* diagram, int keyCode, int shift) {
    if (keyCode != kKeyF10 || shift != kShift || !diagram) return;
    platform::diagram::Shape* box = diagram->SelectedShape();
    if (!box) return;
    try {
        m_current = diagram;
        const views::BoxMenuState state = views::PrepareBoxMenu(views::BoxMenuTrigger::ShiftF10, *box, Languages());
        ApplyBoxMenu(state);
        if (state.popUp) mnuBoxContext->popup(diagram->MenuPoint(*box));
    } catch (const std::exception&) {}
}

void frmContext::Diagram_DblClick(TDiagram* diagram, platform::diagram::Shape* box) {
    if (!diagram || !box) return;
    try {
        m_current = diagram;
        if (views::BoxOpensSource(*box, Languages())) Globals::ViewSource(services::JoinTag(box->text, box->tag), this);
    } catch (const std::exception&) {}
}

void frmContext::mnuBCViewSource_Click() {
    try {
        Globals::ViewSource(S(mnuBCViewSource->property("Tag").toString()), this);
    } catch (const std::exception&) {}
}

void frmContext::mnuBCRefocus_Click() {
    try {
        const auto fields = services::SplitTag(S(mnuBCRefocus->property("Tag").toString()));
        if (!fields) return;
        Globals::ShowFlowContext(fields->second, fields->first, nullptr, Owner, false, this);
    } catch (const std::exception&) {}
}

void frmContext::mnuBCExpand_Click() {
    try {
        QPointer<TDiagram> diagram = m_current;
        if (!diagram) return;
        const platform::diagram::Shape* box = diagram->Model().FindShape(S(mnuBCExpand->property("Tag").toString()));
        if (!box) return;
        const std::string id = box->tag, name = box->text;  // the box goes with the redraw
        Drawing drawing(nullptr);
        const auto sides = drawing.LayOut(id, name, {views::kFlowBothSides});
        // The window may have closed while the layout ran.
        if (sides && diagram && !IsClosed()) drawing.Show(*diagram, sides->front());
    } catch (const std::exception&) {}
}

void frmContext::closeEvent(QCloseEvent* event) {
    if (IsClosed()) {
        QMainWindow::closeEvent(event);
        return;
    }
    MarkClosed();
    SavePlacement();
    try {
        if (auto& layouts = Globals::g_ContextLayouts) {
            const std::string key = S(Tag());
            if (layouts->Contains(key)) layouts->Remove(key);
            layouts->Add(
                views::WriteContextLayout({S(splMain->GetLayout()), dgmClientFacing->Zoom(), dgmDataFacing->Zoom()}),
                key);
        }
    } catch (...) {}
    dgmClientFacing->CloseDiagram();
    dgmDataFacing->CloseDiagram();
    splMain->SetLayoutEnabled(false);
    splMain->ClearPanes();
    m_current.clear();
    ReleaseOwner();
    cPanes.clear();
    QMainWindow::closeEvent(event);
}

void frmContext::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !IsClosed())
        Globals::g_ActiveContextKey = S(Tag());
}

frmContext* FindFlowContextWindow(const QString& tag) {
    return platform::ui::FindEntityWindow<frmContext>(tag, Qt::CaseSensitive);
}

}  // namespace views::ui

namespace Globals {

void ShowFlowContext(const std::string& id, const std::string& name, QTreeWidget* /*tree*/, QWidget* owner, bool show,
                     views::ui::frmContext* caller, common::IProgress* progress) {
    using views::ui::frmContext;
    const QString key = platform::ui::Q(views::FlowContextWindowKey(id));
    if (frmContext* open = views::ui::FindFlowContextWindow(key)) {
        platform::ui::BringToFront(*open, open->CurrentWindowState);
        return;
    }

    // The drawing comes first: a cancelled one leaves no new window, and
    // the window it was to go to shows what it showed.
    views::ui::Drawing drawing(progress);
    const auto sides = drawing.LayOut(id, name, {views::kFlowClientSide, views::kFlowDataSide});
    if (!sides) return;

    QPointer<frmContext> window;
    if (!show) {
        // The window Refocus was chosen in; should it be gone, the caller
        // itself, and failing both a window of its own.
        window = views::ui::FindFlowContextWindow(platform::ui::Q(g_ActiveContextKey));
        if (!window && caller && !caller->IsClosed()) window = caller;
    }
    const bool fresh = !window;
    if (fresh) {
        window = new frmContext(owner, key);
        drawing.Pump();
    }

    window->TagCheck = key;
    window->Owner = owner;
    window->SetTag(key);
    UIUtility::SetCaption(window, platform::ui::Q(views::FlowContextCaption(name)));
    g_ActiveContextKey = platform::ui::S(key);

    for (const views::FlowContextSide& side : *sides) {
        if (!window) return;  // closed while its drawing was shown
        drawing.Show(side.mode == views::kFlowClientSide ? *window->dgmClientFacing : *window->dgmDataFacing, side);
    }
    if (window && (fresh || show)) platform::ui::BringToFront(*window);
}

}  // namespace Globals
