#include "views/ui/frmProcessDiagram.h"

#include <QCloseEvent>

#include <stdexcept>

#include "platform/ui/DiagramWindow.h"
#include "platform/ui/EntityWindow.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/UIUtility.h"
#include "platform/ui/WindowSettings.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "views/StoredProcess.h"
#include "views/ui/frmScreenFlow.h"

namespace views::ui {

namespace {
// The process is shown in a window of the plot's kind.
constexpr char kCaption[] = "Screen Interaction Plot";
}  // namespace

frmProcessDiagram::frmProcessDiagram(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName("frmProcessDiagram");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    resize(1000, 700);
    UIUtility::PrepareForm(this);

    dgmSF = platform::ui::NewDiagram(this, "dgmSF");
    setCentralWidget(dgmSF);

    lblZoom = platform::ui::AddZoomLabel(*this, *dgmSF);
    connect(dgmSF, &platform::ui::TDiagram::ShapeActivated, this,
            [this](platform::diagram::Shape* box) { dgmSF_ShapeActivated(box); });
    WindowSettings::PlaceWhenShown(this);
}

void frmProcessDiagram::Draw(const std::string& procId) {
    if (!Globals::g_Database) throw std::runtime_error("No workspace is open.");
    {
        platform::ui::RedrawScope scope(*dgmSF);
        dgmSF->Clear();
        Globals::DrawProcessElements(dgmSF->Model(), *Globals::g_Database, procId);
        dgmSF->AutoLayout();
    }
    dgmSF->FinishLayout();
}

void frmProcessDiagram::dgmSF_ShapeActivated(platform::diagram::Shape* box) { ViewBoxSource(box, this); }

void frmProcessDiagram::closeEvent(QCloseEvent* event) {
    dgmSF->CloseDiagram();
    if (QWidget* owner = Owner) owner->activateWindow();
    QMainWindow::closeEvent(event);
}

frmProcessDiagram* ShowProcessDiagram(const std::string& procId, QWidget* owner) {
    QWidget* parent = owner ? owner : Globals::g_MainForm ? Globals::g_MainForm->Window() : nullptr;
    auto* window = new frmProcessDiagram(parent);
    window->Owner = owner;
    try {
        window->Draw(procId);
    } catch (...) {
        delete window;
        throw;
    }
    platform::ui::BringToFront(*window);
    return window;
}

}  // namespace views::ui

namespace Globals {

void ShowProcessDiagram(const std::string& procId, QWidget* owner) { views::ui::ShowProcessDiagram(procId, owner); }

}  // namespace Globals
