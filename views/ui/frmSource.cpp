#include "views/ui/frmSource.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <exception>

#include "common/AsciiCase.h"
#include "common/Globals.h"
#include "platform/ui/BmsViewControl.h"
#include "platform/ui/ListingFont.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtText.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/NodeMenu.h"
#include "views/SourceView.h"
#include "views/ui/frmContext.h"
#include "views/ui/frmDesc.h"

namespace views::ui {

namespace {

using platform::ui::Q;
using platform::ui::RestoreFromMinimised;

constexpr char kScreenFlowTag[] = "ScreenFlow";
// The gap kept below the viewer at the bottom of the screen (960 twips).
constexpr int kBottomGap = 64;

QPointer<frmSource>& Viewer() {
    static QPointer<frmSource> viewer;
    return viewer;
}

// The viewer stays alive when the window that asked for it closes (a flow
// context window, say): its Qt parent is the main window, or the outermost
// window the owner belongs to, and the asking window is only its Owner.
QWidget* ParentFor(QWidget* owner) {
    if (Globals::g_MainForm) return Globals::g_MainForm->Window();
    QWidget* top = owner;
    while (top && top->parentWidget()) top = top->parentWidget();
    return top;
}

platform::workbench::EntityStore OpenStore() {
    const auto& session = Globals::g_Workbench;
    if (!session || !session->IsRepositoryOpen()) return {};
    return session->GetEntityStore();
}

}  // namespace

frmSource::frmSource(QWidget* parent)
    : QWidget(parent, Qt::Window), EntityWindow(*this, nullptr, "Settings\\Source") {
    setObjectName("frmSource");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Source");
    resize(760, 520);
    UIUtility::PrepareForm(this);

    lblMessage = new QLabel(this);
    lblMessage->setObjectName("lblMessage");
    lblMessage->setWordWrap(true);
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMessage->setMargin(6);
    lblMessage->hide();

    BMS = new platform::ui::BmsViewControl;
    m_mapArea = new QScrollArea(this);
    m_mapArea->setObjectName("BMSArea");
    m_mapArea->setWidget(BMS);
    m_mapArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    rtf = new QPlainTextEdit(this);
    rtf->setObjectName("rtf");
    rtf->setReadOnly(true);
    rtf->setLineWrapMode(QPlainTextEdit::NoWrap);
    rtf->setFont(platform::ui::ListingFont());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(lblMessage);
    column->addWidget(m_mapArea, 1);
    column->addWidget(rtf, 1);
    HideContent();

    RestorePlacement();
}

frmSource::~frmSource() = default;

void frmSource::HideContent() {
    m_mapArea->hide();
    rtf->hide();
    lblMessage->hide();
    lblMessage->clear();
}

void frmSource::ShowContent(const views::SourceContent& content) {
    HideContent();
    switch (content.kind) {
        case views::SourceContent::Kind::Map:
            BMS->SetListing(content.listing);
            BMS->adjustSize();
            m_mapArea->show();
            break;
        case views::SourceContent::Kind::Program:
            rtf->setPlainText(Q(content.text));
            rtf->moveCursor(QTextCursor::Start);
            rtf->show();
            break;
        case views::SourceContent::Kind::Nothing:
            break;
    }
    if (!content.message.empty()) {
        lblMessage->setText(Q(content.message));
        lblMessage->show();
    }
}

void frmSource::closeEvent(QCloseEvent* event) {
    MarkClosed();
    SavePlacement();
    ReleaseOwner();
    QWidget::closeEvent(event);
}

frmSource* SourceViewer() {
    frmSource* v = Viewer();
    return v && !v->IsClosed() ? v : nullptr;
}

namespace {

// An owner's remembered state, for the windows that keep one.
Qt::WindowStates RememberedState(QWidget& window) {
    if (auto* context = qobject_cast<frmContext*>(&window)) return context->CurrentWindowState;
    if (auto* desc = qobject_cast<frmDesc*>(&window)) return desc->CurrentWindowState;
    return Qt::WindowNoState;
}

}  // namespace

void OpenSourceViewer(const std::string& request, QWidget* owner) {
    const auto fields = services::SplitTag(request);
    if (!fields) return;
    const auto& [name, id] = *fields;
    if (!views::OpensSourceView(id)) return;
    const QString tag = Q(views::SourceWindowKey(id));

    frmSource* viewer = SourceViewer();
    if (viewer && viewer->Tag().compare(tag, Qt::CaseInsensitive) == 0) {
        // The entity on show: raised as it is, nothing read again.
        if (viewer->isHidden()) viewer->show();
        if (QWidget* o = viewer->Owner) RestoreFromMinimised(*o, RememberedState(*o));
        platform::ui::BringToFront(*viewer, viewer->CurrentWindowState);
        return;
    }

    if (!viewer) {
        viewer = new frmSource(ParentFor(owner));
        Viewer() = viewer;
    }
    viewer->Owner = owner;
    RestoreFromMinimised(*viewer, viewer->CurrentWindowState);
    viewer->SetTag(tag);
    UIUtility::SetCaption(viewer, Q(name + " - Source"));
    viewer->HideContent();
    viewer->show();
    if (owner && owner->property("Tag").toString() == kScreenFlowTag) {
        // Out of the plot's way, at the bottom left of the screen; placed
        // once shown, when the window has its final size.
        QScreen* screen = viewer->screen() ? viewer->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen->geometry();
        viewer->move(area.left(), area.top() + area.height() - (viewer->frameGeometry().height() + kBottomGap));
    }
    viewer->raise();
    viewer->activateWindow();
    viewer->ShowContent(views::LoadSourceContent(OpenStore(), Globals::g_WorkspaceFolder, id));
}

}  // namespace views::ui

namespace Globals {

void ViewSource(const std::string& request, QWidget* owner) { views::ui::OpenSourceViewer(request, owner); }

}  // namespace Globals
