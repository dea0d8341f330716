#include "views/ui/frmDesc.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/ui/QtText.h"
#include "platform/ui/UIUtility.h"
#include "platform/ui/WindowSettings.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "views/Description.h"

namespace views::ui {

namespace {

constexpr char kSuffix[] = "-Description";
constexpr int kApplicationTitle = 1006;

using platform::ui::Q;

}  // namespace

frmDesc::frmDesc(QWidget* owner, common::IPrompt& prompt)
    : QDialog(owner), EntityWindow(*this, owner, {}), m_prompt(prompt) {
    setObjectName("frmDesc");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle("Description");
    setMinimumSize(kDescMinimumSize, kDescMinimumSize);
    resize(420, 300);

    lblDescription = new QLabel("&Description:", this);
    lblDescription->setObjectName("lblDescription");
    txtDescription = new QPlainTextEdit(this);
    txtDescription->setObjectName("txtDescription");
    // Tab leaves the text for the buttons, as in any form.
    txtDescription->setTabChangesFocus(true);
    lblDescription->setBuddy(txtDescription);
    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(lblDescription);
    column->addWidget(txtDescription, 1);
    column->addLayout(buttons);

    txtDescription->installEventFilter(this);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    txtDescription->setFocus();
}

std::string frmDesc::EntityId() const {
    QString tag = Tag();
    if (tag.endsWith(kSuffix, Qt::CaseInsensitive)) tag.chop(static_cast<int>(sizeof(kSuffix) - 1));
    return tag.toStdString();
}

void frmDesc::cmdOK_Click() {
    // The editor stays open, so the text is not lost.
    if (Globals::RefuseWhileViewOnly(m_prompt, "Storing the description")) return;
    const std::string text = txtDescription->toPlainText().toStdString();
    std::string error;
    try {
        if (!Globals::g_Database)
            error = "No workspace is open.";
        else if (!views::StoreDescription(*Globals::g_Database, EntityId(), text))
            error = (EntityName.empty() ? EntityId() : EntityName) + " is no longer in the workspace database.";
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!error.empty()) {
        // The editor stays open so the text is not lost.
        m_prompt.Message("The description could not be stored.\n" + error,
                         ResModule::LoadResString(kApplicationTitle), common::Icon::Critical);
        return;
    }
    accept();
}

void frmDesc::cmdCancel_Click() { reject(); }

void frmDesc::done(int result) {
    // Closed for the analyst from here on, though it waits for its deletion.
    MarkClosed();
    // The owner gets the focus once the editor has gone from the screen.
    QPointer<QWidget> owner = Owner;
    Owner.clear();
    QDialog::done(result);
    if (owner) owner->activateWindow();
}

bool frmDesc::eventFilter(QObject* watched, QEvent* event) {
    // Enter inside the text is a line break; elsewhere it means OK.
    if (watched == txtDescription) {
        if (event->type() == QEvent::FocusIn) cmdOK->setDefault(false);
        if (event->type() == QEvent::FocusOut) cmdOK->setDefault(true);
    }
    return QDialog::eventFilter(watched, event);
}

frmDesc* FindDescriptionWindow(const std::string& id) {
    return platform::ui::FindEntityWindow<frmDesc>(Q(views::DescriptionWindowKey(id)), Qt::CaseInsensitive);
}

void ReactivateDescription(frmDesc& editor) {
    platform::ui::BringToFront(editor, editor.CurrentWindowState);
    editor.txtDescription->setFocus();
}

frmDesc* OpenDescription(QWidget* owner, common::IPrompt& prompt, const views::DescriptionTarget& target) {
    auto* editor = new frmDesc(owner, prompt);
    editor->Owner = owner;
    editor->txtDescription->setPlainText(Q(target.description));
    editor->SetTag(Q(views::DescriptionWindowKey(target.id)));
    editor->EntityName = target.busName;
    UIUtility::SetCaption(editor, Q(target.busName + " - Description"));
    // Centred on the owner, on screen, and clear of an editor opened before.
    WindowSettings::PlaceWhenShown(editor);
    editor->show();
    editor->activateWindow();
    editor->txtDescription->setFocus();
    return editor;
}

}  // namespace views::ui
