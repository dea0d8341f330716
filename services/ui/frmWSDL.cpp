#include "services/ui/frmWSDL.h"

#include <QAction>
#include <QHeaderView>
#include <QMenuBar>
#include <QTreeWidget>

#include "services/WsdlGenerator.h"   // Globals::g_ServiceName
#include "services/WsdlTree.h"
#include "platform/ui/MessageBoxPrompt.h"
#include "services/ui/QtSaveDialog.h"

namespace services::ui {

namespace {

void AddItems(QTreeWidgetItem* parent, const services::XmlTreeItem& item) {
    for (const auto& child : item.children) {
        auto* node = new QTreeWidgetItem(parent, QStringList(QString::fromStdString(child.text)));
        AddItems(node, child);
    }
}

}  // namespace

frmWSDL::frmWSDL(QWidget* parent)
    : QMainWindow(parent),
      m_dialog(std::make_unique<QtSaveDialog>(this)),
      m_prompt(std::make_unique<platform::ui::MessageBoxPrompt>(this)) {
    setObjectName("frmWSDL");
    setWindowTitle("WSDL - Assistant");
    setAttribute(Qt::WA_DeleteOnClose);

    tvWSDL = new QTreeWidget(this);
    tvWSDL->setObjectName("tvWSDL");
    tvWSDL->setHeaderHidden(true);
    // Long start tags scroll sideways rather than being cut short.
    tvWSDL->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tvWSDL->header()->setStretchLastSection(false);
    setCentralWidget(tvWSDL);

    mnuFile = menuBar()->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    mnuSaveWSDL = mnuFile->addAction("&Save WSDL...");
    mnuSaveWSDL->setObjectName("mnuSaveWSDL");
    // Nothing to save until a document is shown.
    mnuSaveWSDL->setEnabled(false);
    mnuFileSep = mnuFile->addSeparator();
    mnuFileSep->setObjectName("mnuFileSep");
    mnuFileExit = mnuFile->addAction("&Exit");
    mnuFileExit->setObjectName("mnuFileExit");

    connect(mnuSaveWSDL, &QAction::triggered, this, [this] { mnuSaveWSDL_Click(); });
    connect(mnuFileExit, &QAction::triggered, this, &QWidget::close);
    resize(480, 600);
}

frmWSDL::~frmWSDL() = default;

void frmWSDL::SetSaveDialog(std::unique_ptr<services::ISaveDialog> dialog) { m_dialog = std::move(dialog); }

void frmWSDL::SetPrompt(std::unique_ptr<common::IPrompt> prompt) { m_prompt = std::move(prompt); }

void frmWSDL::ShowXML(platform::xml::Document doc) {
    tvWSDL->clear();
    m_doc = std::move(doc);
    mnuSaveWSDL->setEnabled(true);
    std::optional<services::XmlTreeItem> tree = services::BuildXmlTree(*m_doc);
    if (!tree) return;
    auto* root = new QTreeWidgetItem(tvWSDL, QStringList(QString::fromStdString(tree->text)));
    AddItems(root, *tree);
    root->setExpanded(true);
}

bool frmWSDL::ShowXMLText(const std::string& xmlText) {
    try {
        ShowXML(platform::xml::Document::Parse(xmlText));
        return true;
    } catch (const platform::xml::XmlError& e) {
        std::string detail = e.Parse() ? e.Parse().Describe() : std::string(e.what());
        m_prompt->Message("The document could not be read:\n" + detail, windowTitle().toStdString(),
                          common::Icon::Exclamation);
        return false;
    }
}

bool frmWSDL::mnuSaveWSDL_Click() {
    if (!m_doc) return false;
    services::SaveDialogSpec spec;
    spec.title = "Save WSDL";
    spec.filter = "WSDL (*.xml)|*.xml";
    spec.defaultExtension = ".xml";
    spec.fileName = Globals::g_ServiceName + "-WSDL.xml";
    return services::SaveWithLoop(*m_dialog, *m_prompt, spec, [this](const std::filesystem::path& file) {
        platform::xml::SaveOptions options;
        options.pretty = true;
        options.declaration = platform::xml::Declaration::Always;
        m_doc->Save(file, options);
    });
}

}  // namespace services::ui
