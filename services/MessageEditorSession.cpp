#include "services/MessageEditorSession.h"

#include <stdexcept>

#include "common/PopToken.h"
#include "services/MessageDocument.h"
#include "services/XmlText.h"

namespace services {

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return common::FoldKey(a) == common::FoldKey(b);
}

platform::xml::Document BareDocument() {
    platform::xml::Document doc;
    doc.SetDocumentElement(doc.CreateElement("definitions"));
    return doc;
}

}  // namespace

MessageEditorSession::MessageEditorSession(platform::db::Database& db, CodeModelOpener openModel,
                                           std::string elementId, std::string progNature)
    : ElementId(std::move(elementId)), ProgNature(std::move(progNature)), m_db(db),
      m_openModel(std::move(openModel)), m_doc(BareDocument()) {}

MessageEditorSession::~MessageEditorSession() {
    if (m_model) m_model->Close();
}

std::optional<std::string> MessageEditorSession::SwitchProgram(const std::string& programName,
                                                               const std::string& programListItem) {
    if (!ProgramName.empty() && SameText(programName, ProgramName)) return std::nullopt;
    // The document of the program being left goes under its own element.
    if (Changed()) SaveMessagesXml();

    std::string rest = programListItem;
    ProgramId = mdlReports::PopToken(rest, "|");
    ProgramName = programName;
    ElementId = rest;

    if (m_model) m_model->Close();
    m_model.reset();
    m_defs.Clear();
    m_model = std::make_unique<platform::workbench::CodeModel>(m_openModel(ProgramId));

    std::string preview = Globals::IndentXML(LoadMessagesXml(m_db, ElementId));
    m_defs.LoadMessageDefs(m_db, ProgramId);
    return preview;
}

const platform::workbench::CodeModel& MessageEditorSession::Model() const {
    if (!m_model) throw std::logic_error("No program's code model is loaded.");
    return *m_model;
}

std::string MessageEditorSession::SetAs(bool input, const std::vector<StructureNode>& nodes) {
    m_defs.SetAs(m_db, input, DefinitionNodes(nodes), ProgramId, ProgramName);
    BuildMessagesDocument();
    return PreviewText();
}

std::string MessageEditorSession::ClearAll() {
    m_defs.ClearAll(m_db, ProgramId);
    BuildMessagesDocument();
    return PreviewText();
}

void MessageEditorSession::BuildMessagesDocument() {
    if (m_defs.Inputs().Empty() && m_defs.Outputs().Empty()) {
        m_doc = BareDocument();
        return;
    }
    m_doc = services::BuildMessagesDocument(m_defs.Inputs(), m_defs.Outputs(), Model());
}

std::string MessageEditorSession::PreviewText() const { return Globals::IndentXML(MessagesXmlText(m_doc)); }

void MessageEditorSession::SaveMessagesXml() {
    services::SaveMessagesXml(m_db, ElementId, ProgNature, m_doc);
    m_defs.SetChanged(false);
}

void MessageEditorSession::Close() {
    if (Changed()) SaveMessagesXml();
    if (m_model) m_model->Close();
    m_model.reset();
}

}  // namespace services
