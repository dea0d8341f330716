#pragma once
// The state of one opening of the message editor, without the window: the
// current program, its code model and definitions, the message document,
// and the unsaved-changes flag. The window shows what this class returns
// (pane contents, preview text) and calls it from its handlers.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/Database.h"
#include "platform/workbench/CodeModel.h"
#include "platform/xml/XmlDocument.h"
#include "services/MessageDefinitions.h"
#include "services/MessageStructure.h"

namespace services {

// Builds the code model of a program from its Ents ID (normally
// OpenProgramCodeModel with the open workbench session).
using CodeModelOpener = std::function<platform::workbench::CodeModel(const std::string& programId)>;

class MessageEditorSession {
public:
    // elementId: the SerialID the opened operation's document is stored
    // under; progNature: "1" process element, "2" entity operation.
    MessageEditorSession(platform::db::Database& db, CodeModelOpener openModel, std::string elementId,
                         std::string progNature);
    ~MessageEditorSession();
    MessageEditorSession(const MessageEditorSession&) = delete;
    MessageEditorSession& operator=(const MessageEditorSession&) = delete;

    std::string ProgramId;
    std::string ProgramName;   // empty until the first switch
    std::string ElementId;
    std::string ProgNature;

    // The program switch. Nothing happens for the current program's name
    // (case ignored; returns nothing). Otherwise the document of the program
    // being left is stored first when it has unsaved changes; then the
    // program list item "<Ents ID>|<SerialID>" gives the new ProgramId and
    // ElementId, the code model is built and the definitions loaded. Returns
    // the preview: the stored document of the new element in display form.
    // When the model cannot be built the error is raised and the session is
    // left on the new program with no model and no definitions.
    std::optional<std::string> SwitchProgram(const std::string& programName, const std::string& programListItem);

    bool HasModel() const { return m_model != nullptr; }
    // Raises std::logic_error without a model.
    const platform::workbench::CodeModel& Model() const;

    // Set As Input / Set As Output on the structure tree's nodes, then the
    // rebuilt document; returns the new preview text.
    std::string SetAs(bool input, const std::vector<StructureNode>& nodes);
    // Clear All for the current program, then the rebuilt (empty) document;
    // returns the preview text (empty).
    std::string ClearAll();

    // Rebuilds the message document from the definitions (BuildMessagesDocument).
    void BuildMessagesDocument();
    // The document's preview text (Globals::IndentXML of its text).
    std::string PreviewText() const;
    const platform::xml::Document& xDOM() const { return m_doc; }
    const MessageDefinitions& Definitions() const { return m_defs; }

    bool Changed() const { return m_defs.Changed(); }
    // Stores the document under ElementId and ProgNature; clears the flag.
    void SaveMessagesXml();
    // What closing does: store when changed, release the model.
    void Close();

private:
    platform::db::Database& m_db;
    CodeModelOpener m_openModel;
    std::unique_ptr<platform::workbench::CodeModel> m_model;
    MessageDefinitions m_defs;
    platform::xml::Document m_doc;
};

}  // namespace services
