#include "services/ui/frmWSIL2WSDL.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/ui/QtText.h"
#include "services/WsdlGenerator.h"   // Globals::g_ServiceName
#include "services/WsdlTree.h"
#include "platform/ui/MessageBoxPrompt.h"
#include "services/ui/QtSaveDialog.h"

namespace services::ui {

namespace {

using platform::ui::Q;

// Twips to pixels at the usual 15 twips per pixel.
constexpr int Px(int twips) { return twips / 15; }

QPlainTextEdit* TextBox(QWidget* parent, const char* name) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    return box;
}

// Selects the attribute WSILPartID="<id>" in the box; false when absent.
bool SelectPartId(QPlainTextEdit* box, const std::string& partId) {
    QString attribute = Q("WSILPartID=\"" + services::EscapeAttributeValue(partId) + "\"");
    int at = box->toPlainText().indexOf(attribute);
    if (at < 0) return false;
    QTextCursor cursor(box->document());
    cursor.setPosition(at);
    cursor.setPosition(at + attribute.size(), QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
    return true;
}

}  // namespace

frmWSIL2WSDL::frmWSIL2WSDL(QWidget* parent)
    : QMainWindow(parent),
      m_dialog(std::make_unique<QtSaveDialog>(this)),
      m_prompt(std::make_unique<platform::ui::MessageBoxPrompt>(this)) {
    setObjectName("frmWSIL2WSDL");
    setWindowTitle("WSIL-WSDL Assistant");
    setAttribute(Qt::WA_DeleteOnClose);

    auto* central = new QWidget(this);
    setCentralWidget(central);

    lblVariables = new QLabel("Input Fields:", central);
    lblVariables->setObjectName("lblVariables");
    lvVariables = new QTreeWidget(central);
    lvVariables->setObjectName("lvVariables");
    lvVariables->setRootIsDecorated(false);
    lvVariables->setSelectionBehavior(QAbstractItemView::SelectRows);
    chkUserInput = new QCheckBox("User Input Field", central);
    chkUserInput->setObjectName("chkUserInput");
    lblValue = new QLabel("Value:", central);
    lblValue->setObjectName("lblValue");
    txtValue = new QLineEdit(central);
    txtValue->setObjectName("txtValue");
    cmdUpdate = new QPushButton("Update", central);
    cmdUpdate->setObjectName("cmdUpdate");
    cmdUpdate->setProperty("tag", QString());

    lblWSIL = new QLabel("Web Service Implementation Language:", central);
    lblWSIL->setObjectName("lblWSIL");
    rtbWSIL = TextBox(central, "rtbWSIL");
    lblWSDL = new QLabel("Web Service Definition Language:", central);
    lblWSDL->setObjectName("lblWSDL");
    rtbWSDL = TextBox(central, "rtbWSDL");

    // Left column 0.45 of the width; on the right the two texts share the height.
    auto* left = new QVBoxLayout;
    left->addWidget(lblVariables);
    left->addWidget(lvVariables, 1);
    left->addWidget(chkUserInput);
    left->addWidget(lblValue);
    left->addWidget(txtValue);
    left->addWidget(cmdUpdate, 0, Qt::AlignLeft);
    auto* right = new QVBoxLayout;
    right->addWidget(lblWSIL);
    right->addWidget(rtbWSIL, 1);
    right->addWidget(lblWSDL);
    right->addWidget(rtbWSDL, 1);
    auto* columns = new QHBoxLayout(central);
    columns->addLayout(left, 45);
    columns->addLayout(right, 55);
    setMinimumSize(Px(4000), Px(3000));
    resize(900, 600);

    mnuFile = menuBar()->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    mnuSaveWSIL = mnuFile->addAction("Save WS&IL...");
    mnuSaveWSIL->setObjectName("mnuSaveWSIL");
    mnuSaveWSDL = mnuFile->addAction("Save WS&DL...");
    mnuSaveWSDL->setObjectName("mnuSaveWSDL");
    mnuFileSep = mnuFile->addSeparator();
    mnuFileSep->setObjectName("mnuFileSep");
    mnuFileExit = mnuFile->addAction("E&xit");
    mnuFileExit->setObjectName("mnuFileExit");

    connect(lvVariables, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* row, int) { lvVariables_ItemClick(row); });
    connect(lvVariables, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* row, QTreeWidgetItem*) {
        if (row) lvVariables_ItemClick(row);
    });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { cmdUpdate_Click(); });
    connect(mnuSaveWSIL, &QAction::triggered, this, [this] { mnuSaveWSIL_Click(); });
    connect(mnuSaveWSDL, &QAction::triggered, this, [this] { mnuSaveWSDL_Click(); });
    connect(mnuFileExit, &QAction::triggered, this, &QWidget::close);

    EnableEditControls(false);
    mnuSaveWSIL->setEnabled(false);
    mnuSaveWSDL->setEnabled(false);
}

frmWSIL2WSDL::~frmWSIL2WSDL() = default;

void frmWSIL2WSDL::SetSaveDialog(std::unique_ptr<services::ISaveDialog> dialog) { m_dialog = std::move(dialog); }

void frmWSIL2WSDL::SetPrompt(std::unique_ptr<common::IPrompt> prompt) { m_prompt = std::move(prompt); }

bool frmWSIL2WSDL::Load(const std::string& wsilText) {
    sXMLI = wsilText;
    return Form_Load();
}

bool frmWSIL2WSDL::Form_Load() {
    m_assistant.reset();
    try {
        m_assistant.emplace(sXMLI);
    } catch (const platform::xml::XmlError& e) {
        std::string detail = e.Parse() ? e.Parse().Describe() : std::string(e.what());
        m_prompt->Message("The WSIL document could not be read:\n" + detail, windowTitle().toStdString(),
                          common::Icon::Exclamation);
    }
    FillVariables();
    ShowDocuments();
    EnableEditControls(false);
    mnuSaveWSIL->setEnabled(m_assistant.has_value());
    mnuSaveWSDL->setEnabled(m_assistant.has_value());
    return m_assistant.has_value();
}

void frmWSIL2WSDL::FillVariables() {
    lvVariables->clear();
    lvVariables->setColumnCount(4);
    lvVariables->setHeaderLabels({"Message Part Name", "User Field", "Default Value", "Field Type"});
    const int widths[] = {2880, 720, 1440, 960};
    for (int c = 0; c < 4; ++c) lvVariables->setColumnWidth(c, Px(widths[c]));
    if (!m_assistant) return;
    for (const auto& part : m_assistant->InputRows()) {
        auto* row = new QTreeWidgetItem(lvVariables, {Q(part.name), Q(part.userValue), Q(part.defaultValue), Q(part.type)});
        row->setData(MsgPartName, Qt::UserRole, Q(part.partId));
    }
}

void frmWSIL2WSDL::ShowDocuments() {
    rtbWSIL->setPlainText(m_assistant ? Q(m_assistant->WsilText()) : QString());
    rtbWSDL->setPlainText(m_assistant ? Q(m_assistant->WsdlText()) : QString());
}

void frmWSIL2WSDL::EnableEditControls(bool enabled) {
    chkUserInput->setEnabled(enabled);
    lblValue->setEnabled(enabled);
    txtValue->setEnabled(enabled);
    cmdUpdate->setEnabled(enabled);
}

void frmWSIL2WSDL::lvVariables_ItemClick(QTreeWidgetItem* row) {
    if (!row) return;
    const bool userInput = row->text(UserField) == "True";
    const QString key = row->data(MsgPartName, Qt::UserRole).toString();
    EnableEditControls(true);
    chkUserInput->setChecked(userInput);
    txtValue->setText(row->text(DefaultValue));
    cmdUpdate->setProperty("tag", key);
    // Where the text lacks the attribute the boxes keep their selection.
    SelectPartId(rtbWSIL, key.toStdString());
    if (userInput) SelectPartId(rtbWSDL, key.toStdString());
}

void frmWSIL2WSDL::cmdUpdate_Click() {
    const QString key = cmdUpdate->property("tag").toString();
    if (!key.isEmpty() && m_assistant) {
        const bool userInput = chkUserInput->isChecked();
        const QString value = txtValue->text();
        for (int i = 0; i < lvVariables->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = lvVariables->topLevelItem(i);
            if (row->data(MsgPartName, Qt::UserRole).toString() != key) continue;
            row->setText(UserField, userInput ? "True" : "False");
            row->setText(DefaultValue, value);
            break;
        }
        m_assistant->Update(key.toStdString(), userInput, value.toStdString());
    }
    ShowDocuments();
    EnableEditControls(false);
}

bool frmWSIL2WSDL::SaveDocument(const std::string& kind, const platform::xml::Document& doc) {
    services::SaveDialogSpec spec;
    spec.title = "Save " + kind;
    spec.filter = kind + " (*.xml)|*.xml";
    spec.defaultExtension = ".xml";
    spec.fileName = Globals::g_ServiceName + "-" + kind + ".xml";
    return services::SaveWithLoop(*m_dialog, *m_prompt, spec, [&doc](const std::filesystem::path& file) {
        platform::xml::SaveOptions options;
        options.pretty = true;
        options.declaration = platform::xml::Declaration::Always;
        doc.Save(file, options);
    });
}

bool frmWSIL2WSDL::mnuSaveWSDL_Click() {
    return m_assistant ? SaveDocument("WSDL", m_assistant->Wsdl()) : false;
}

bool frmWSIL2WSDL::mnuSaveWSIL_Click() {
    return m_assistant ? SaveDocument("WSIL", m_assistant->Wsil()) : false;
}

}  // namespace services::ui
