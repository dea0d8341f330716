#include "views/ui/frmContext.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>

#include <exception>
#include <filesystem>

#include "common/Globals.h"
#include "platform/diagram/DiagramModel.h"
#include "platform/ui/DiagramWindow.h"
#include "platform/ui/QtText.h"
#include "platform/ui/TDiagram.h"
#include "platform/ui/TSplitter.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/NodeMenu.h"
#include "views/ContextLayouts.h"
#include "views/FlowContext.h"
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

// Draws the flow context of the entity into the diagram, its centre box in
// the middle of the pane: in a drawing larger than the pane the box may
// stand anywhere. Without an open workspace nothing changes.
void Build(TDiagram& diagram, int mode, const std::string& id) {
    if (!Globals::g_Database) return;
    platform::workbench::EntityStore store;
    if (Globals::g_Workbench && Globals::g_Workbench->IsRepositoryOpen())
        store = Globals::g_Workbench->GetEntityStore();
    views::FlowContextSource source(*Globals::g_Database, store);
    std::filesystem::path noImage;
    {
        platform::ui::RedrawScope scope(diagram);
        Globals::BuildFlowContext(diagram.Model(), source, mode, id, noImage, kDepth);
    }
    diagram.FinishLayout();
    if (const platform::diagram::Shape* centre = views::FlowContextCentre(diagram.Model())) diagram.CentreOn(*centre);
}

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

void frmContext::DrawProgram(const std::string& id) {
    try {
        Build(*dgmClientFacing, views::kFlowClientSide, id);
        Build(*dgmDataFacing, views::kFlowDataSide, id);
    } catch (const std::exception&) {
        // The diagrams keep what was drawn.
    }
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
        TDiagram* diagram = m_current;
        if (!diagram) return;
        const platform::diagram::Shape* box = diagram->Model().FindShape(S(mnuBCExpand->property("Tag").toString()));
        if (!box) return;
        const std::string id = box->tag;  // the box goes with the redraw
        Build(*diagram, views::kFlowBothSides, id);
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
                     views::ui::frmContext* caller) {
    using views::ui::frmContext;
    const QString key = platform::ui::Q(views::FlowContextWindowKey(id));
    if (frmContext* open = views::ui::FindFlowContextWindow(key)) {
        platform::ui::BringToFront(*open, open->CurrentWindowState);
        return;
    }

    frmContext* window = nullptr;
    if (!show) {
        // The window Refocus was chosen in; should it be gone, the caller
        // itself, and failing both a window of its own.
        window = views::ui::FindFlowContextWindow(platform::ui::Q(g_ActiveContextKey));
        if (!window && caller && !caller->IsClosed()) window = caller;
    }
    const bool fresh = !window;
    if (fresh) window = new frmContext(owner, key);

    window->TagCheck = key;
    window->Owner = owner;
    window->SetTag(key);
    UIUtility::SetCaption(window, platform::ui::Q(views::FlowContextCaption(name)));
    g_ActiveContextKey = platform::ui::S(key);

    window->DrawProgram(id);
    if (fresh || show) platform::ui::BringToFront(*window);
}

}  // namespace Globals
