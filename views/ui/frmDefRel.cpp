#include "views/ui/frmDefRel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

#include "platform/ui/DiagramWindow.h"
#include "platform/ui/QtText.h"
#include "platform/ui/UIUtility.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "views/LinkDirection.h"

namespace views::ui {

namespace {

platform::db::Database& OpenDatabase() {
    if (!Globals::g_Database) throw std::runtime_error("No workspace is open.");
    return *Globals::g_Database;
}

}  // namespace

frmDefRel::frmDefRel(QWidget* parent)
    : QWidget(parent, Qt::Window), EntityWindow(*this, nullptr, "Settings\\Relationship") {
    setObjectName("frmDefRel");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Relationship");
    resize(500, 300);
    UIUtility::PrepareForm(this);

    dgmDefRel = platform::ui::NewDiagram(this, "dgmDefRel");

    lblInstruct = new QLabel("Please select which is the calling Program.", this);
    lblInstruct->setObjectName("lblInstruct");
    cmdP1 = new QPushButton("Program 1", this);
    cmdP1->setObjectName("cmdP1");
    cmdP2 = new QPushButton("Program 2", this);
    cmdP2->setObjectName("cmdP2");
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    connect(cmdP1, &QPushButton::clicked, this, [this] { cmdP1_Click(); });
    connect(cmdP2, &QPushButton::clicked, this, [this] { cmdP2_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblInstruct, 1);
    buttons->addWidget(cmdP1);
    buttons->addWidget(cmdP2);
    buttons->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(dgmDefRel, 1);
    column->addLayout(buttons);

    RestorePlacement();
    // Nothing shows them again: the dialog only shows the relationship.
    for (QWidget* w : {static_cast<QWidget*>(lblInstruct), static_cast<QWidget*>(cmdP1),
                       static_cast<QWidget*>(cmdP2), static_cast<QWidget*>(cmdCancel)})
        w->hide();
}

frmDefRel::~frmDefRel() = default;

void frmDefRel::SetLink(int64_t relId, int64_t leftProgId, int64_t rightProgId, int64_t leftScrId,
                        int64_t rightScrId) {
    m_relId = relId;
    m_leftProgId = leftProgId;
    m_rightProgId = rightProgId;
    m_leftScrId = leftScrId;
    m_rightScrId = rightScrId;
}

void frmDefRel::cmdP1_Click() {
    views::KeepLinkDirection(OpenDatabase(), m_relId);
    close();
}

void frmDefRel::cmdP2_Click() {
    views::SwapLinkDirection(OpenDatabase(), m_relId, m_leftProgId, m_rightProgId, m_leftScrId, m_rightScrId);
    close();
}

void frmDefRel::cmdCancel_Click() { close(); }

void frmDefRel::closeEvent(QCloseEvent* event) {
    MarkClosed();
    SavePlacement();
    ReleaseOwner();
    QWidget::closeEvent(event);
}

frmDefRel* FindRelationshipWindow(const QString& tag) {
    return platform::ui::FindEntityWindow<frmDefRel>(tag, Qt::CaseSensitive);
}

void CloseRelationshipWindows() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<frmDefRel*>(w); dialog && !dialog->IsClosed()) dialog->close();
}

}  // namespace views::ui

namespace Globals {

void ShowDefineRelationship(const std::string& linkKey, int64_t relId, int64_t leftProgId, int64_t rightProgId,
                            int64_t leftScrId, int64_t rightScrId, QWidget* owner) {
    using views::ui::frmDefRel;
    const QString tag = platform::ui::Q(views::RelationshipWindowKey(linkKey));
    if (frmDefRel* open = views::ui::FindRelationshipWindow(tag)) {
        platform::ui::BringToFront(*open, open->CurrentWindowState);
        return;
    }
    auto* dialog = new frmDefRel(owner);
    try {
        DrawRelationshipDiagram(dialog->dgmDefRel->Model(), views::ui::OpenDatabase(), leftProgId, rightProgId, leftScrId,
                                rightScrId);
    } catch (...) {
        delete dialog;
        throw;
    }
    dialog->Owner = owner;
    dialog->SetTag(tag);
    dialog->SetLink(relId, leftProgId, rightProgId, leftScrId, rightScrId);
    dialog->dgmDefRel->Redraw(true);
    dialog->dgmDefRel->FinishLayout();
    // The drawing is small and fixed: the dialog is its size, whatever size
    // was saved, so it shows all of it and no empty band; the placement
    // keeps it on the screen.
    dialog->resize(dialog->dgmDefRel->DrawingSize());
    platform::ui::BringToFront(*dialog);
}

}  // namespace Globals
