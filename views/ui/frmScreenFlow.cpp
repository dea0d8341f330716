#include "views/ui/frmScreenFlow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>

#include <exception>
#include <stdexcept>

#include "common/Globals.h"
#include "platform/ui/DiagramWindow.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/MessageBoxPrompt.h"
#include "platform/ui/QtText.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "views/ScreenFlowPlot.h"
#include "views/ScreenFlowTable.h"
#include "views/ui/frmDefRel.h"
#include "views/ui/frmSource.h"

namespace views::ui {

namespace {

using platform::ui::TDiagram;

constexpr char kCaption[] = "Screen Interaction Plot";
// How long the draw may hold the event loop before it lets events through.
constexpr qint64 kYieldEveryMs = 15;

QPointer<frmScreenFlow>& Window() {
    static QPointer<frmScreenFlow> window;
    return window;
}

// Lets pending events through once a slice of time has passed since the last time.
class Yielder {
public:
    Yielder() { m_since.start(); }
    void operator()() {
        if (m_since.elapsed() < kYieldEveryMs) return;
        QCoreApplication::processEvents();
        m_since.restart();
    }

private:
    QElapsedTimer m_since;
};

// The table rebuilt and read first, so a failure leaves the earlier
// drawing; then the boxes and links with painting off, events let through
// on the way; stops early once stopped() says so (the window unloaded).
void DrawInto(TDiagram& diagram, const std::function<bool()>& stopped) {
    if (!Globals::g_Database) throw std::runtime_error("No workspace is open.");
    platform::db::Database& db = *Globals::g_Database;
    Globals::GenerateScreenFlowTable(db);
    const std::vector<views::ScreenFlowRow> rows = views::ReadScreenFlow(db, Globals::g_StubScrn);

    QPointer<TDiagram> guard(&diagram);
    {
        platform::ui::RedrawScope scope(diagram);
        diagram.Clear();
        Yielder yield;
        for (const views::ScreenFlowRow& row : rows) {
            views::AddScreenFlowRow(diagram.Model(), row);
            yield();
            if (!guard || stopped()) return;
        }
        diagram.AutoLayout();
    }
    QCoreApplication::processEvents();
    if (guard && !stopped()) diagram.FinishLayout();
}

}  // namespace

frmScreenFlow::frmScreenFlow(QWidget* parent)
    : QMainWindow(parent, Qt::Window), EntityWindow(*this, nullptr, "Settings\\ScreenFlow") {
    setObjectName("frmScreenFlow");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    resize(1000, 700);
    UIUtility::PrepareForm(this);

    dgmSF = platform::ui::NewDiagram(this, "dgmSF");
    setCentralWidget(dgmSF);

    mnuOptions = menuBar()->addMenu("&Options");
    mnuOptions->setObjectName("mnuOptions");
    mnuStubScrns = mnuOptions->addAction("Show &Stub Screens");
    mnuStubScrns->setObjectName("mnuStubScrns");
    mnuStubScrns->setCheckable(true);
    mnuRefresh = mnuOptions->addAction("&Refresh");
    mnuRefresh->setObjectName("mnuRefresh");
    // The check mark is the flag; what is drawn changes at the next Refresh.
    connect(mnuStubScrns, &QAction::triggered, this, [this] { Globals::g_StubScrn = mnuStubScrns->isChecked(); });
    connect(mnuRefresh, &QAction::triggered, this, [this] { mnuRefresh_Click(); });

    lblZoom = platform::ui::AddZoomLabel(*this, *dgmSF);
    connect(dgmSF, &TDiagram::ShapeActivated, this, [this](platform::diagram::Shape* s) { dgmSF_ShapeActivated(s); });
    connect(dgmSF, &TDiagram::LinkActivated, this, [this](platform::diagram::Link* l) { dgmSF_LinkActivated(l); });

    RestorePlacement();
    mnuStubScrns->setChecked(Globals::g_StubScrn);
}

frmScreenFlow::~frmScreenFlow() {
    // Deleted without a final close (another workspace opened over this
    // one, or the owner went): the placement and the flag are still kept;
    // the owner, which may be going itself, is left alone.
    if (IsClosed()) return;
    Owner.clear();
    Unload();
}

void frmScreenFlow::Draw() {
    if (m_drawing) return;
    m_drawing = true;
    mnuRefresh->setEnabled(false);
    struct Done {
        frmScreenFlow* w;
        ~Done() {
            w->m_drawing = false;
            w->mnuRefresh->setEnabled(true);
            if (w->m_deleteWhenDrawn) w->deleteLater();
        }
    } done{this};
    // Their links are numbered afresh.
    CloseRelationshipWindows();
    DrawInto(*dgmSF, [this] { return IsClosed(); });
}

void frmScreenFlow::mnuRefresh_Click() {
    try {
        Draw();
    } catch (const std::exception& e) {
        common::IPrompt* prompt = Prompt ? Prompt : Globals::g_MainForm;
        platform::ui::MessageBoxPrompt boxes(this, kCaption);
        if (!prompt) prompt = &boxes;
        prompt->Message(std::string("The plot could not be drawn:\n") + e.what(), kCaption, common::Icon::Exclamation);
    }
}

void frmScreenFlow::dgmSF_ShapeActivated(platform::diagram::Shape* box) { ViewBoxSource(box, this); }

void frmScreenFlow::dgmSF_LinkActivated(platform::diagram::Link* link) {
    if (!link || !Globals::g_Database) return;
    try {
        const auto parties = views::ReadLinkParties(*Globals::g_Database, link->key);
        if (!parties) return;
        Globals::ShowDefineRelationship(link->key, parties->relId, parties->lProgId, parties->rProgId,
                                        parties->lScrId, parties->rScrId, this);
    } catch (const std::exception&) {}
}

void frmScreenFlow::DisableControl(QObject* control) {
    // Widgets and menu items both carry the property "enabled".
    if (!control || !control->property("enabled").toBool()) return;
    control->setProperty("enabled", false);
    ToBeEnabled.append(control);
}

void frmScreenFlow::Discard() {
    m_discard = true;
    close();
}

bool frmScreenFlow::event(QEvent* event) {
    // The draw lets events through; a deletion asked for meanwhile waits for its end.
    if (event->type() == QEvent::DeferredDelete && m_drawing) {
        m_deleteWhenDrawn = true;
        return true;
    }
    return QMainWindow::event(event);
}

void frmScreenFlow::closeEvent(QCloseEvent* event) {
    if (IsClosed()) {
        QMainWindow::closeEvent(event);
        return;
    }
    if (Globals::g_WorkspaceOpen && !m_discard) {
        // Only hidden: opened again it shows this drawing, and keeps its owner.
        event->ignore();
        hide();
        if (QWidget* owner = Owner) owner->activateWindow();
        return;
    }
    Unload();
    QMainWindow::closeEvent(event);
}

void frmScreenFlow::Unload() {
    MarkClosed();
    SavePlacement();
    Globals::g_StubScrn = mnuStubScrns->isChecked();
    CloseRelationshipWindows();
    if (isVisible()) hide();
    ReleaseOwner();
    dgmSF->CloseDiagram();
}

void ViewBoxSource(const platform::diagram::Shape* box, QWidget* owner) {
    if (!box || !Globals::g_Database) return;
    try {
        if (const auto request = views::ScreenFlowSourceRequest(*Globals::g_Database, *box))
            Globals::ViewSource(*request, owner);
    } catch (const std::exception&) {}
}

frmScreenFlow* ScreenFlowWindow() {
    frmScreenFlow* w = Window();
    return w && !w->IsClosed() ? w : nullptr;
}

frmScreenFlow* ShowScreenFlow(QWidget* owner, const std::function<void(QWidget*)>& shown) {
    if (frmScreenFlow* open = ScreenFlowWindow()) {
        // As it was drawn: nothing is read again.
        platform::ui::BringToFront(*open, open->CurrentWindowState);
        if (shown) shown(open);
        return open;
    }
    QWidget* parent = Globals::g_MainForm ? Globals::g_MainForm->Window() : owner;
    auto* window = new frmScreenFlow(parent);
    Window() = window;
    window->Owner = owner;
    window->SetTag(views::kScreenFlowTag);
    platform::ui::BringToFront(*window);
    if (shown) shown(window);
    QPointer<frmScreenFlow> guard(window);
    try {
        window->Draw();
    } catch (...) {
        if (guard) guard->Discard();
        throw;
    }
    return guard;
}

}  // namespace views::ui

namespace Globals {

void DrawScreenFlow(platform::ui::TDiagram& diagram) {
    views::ui::DrawInto(diagram, [] { return false; });
}

}  // namespace Globals
