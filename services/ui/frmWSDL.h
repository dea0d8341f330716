#pragma once
// The WSDL viewer: an XML document shown as a tree of start tags, which
// File > Save WSDL... writes to a file through the save loop.

#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>

#include "common/Prompt.h"
#include "platform/xml/XmlDocument.h"
#include "services/SaveLoop.h"

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace services::ui {

class frmWSDL : public QMainWindow {
    Q_OBJECT
public:
    explicit frmWSDL(QWidget* parent = nullptr);
    ~frmWSDL() override;

    // Keeps the document and rebuilds the tree: its document element
    // expanded, every other node collapsed. A second call replaces both.
    void ShowXML(platform::xml::Document doc);
    // The same from XML text; a text that does not parse is reported and
    // leaves the window as it was (false).
    bool ShowXMLText(const std::string& xmlText);

    // The document last shown; nothing before the first ShowXML.
    const platform::xml::Document* KeptDocument() const { return m_doc ? &*m_doc : nullptr; }

    // Seams for tests: the save dialog and the message boxes.
    void SetSaveDialog(std::unique_ptr<services::ISaveDialog> dialog);
    void SetPrompt(std::unique_ptr<common::IPrompt> prompt);

    // File > Save WSDL...; true once the file was written.
    bool mnuSaveWSDL_Click();

    QTreeWidget* tvWSDL = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuSaveWSDL = nullptr;
    QAction* mnuFileSep = nullptr;
    QAction* mnuFileExit = nullptr;

private:
    std::optional<platform::xml::Document> m_doc;
    std::unique_ptr<services::ISaveDialog> m_dialog;
    std::unique_ptr<common::IPrompt> m_prompt;
};

}  // namespace services::ui
