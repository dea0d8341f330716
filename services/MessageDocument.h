#pragma once
// The message document of a web operation: root `definitions`, an input
// message `<program>.In` and an output message `<program>.Out`, each with
// one `part` (name, element = type text) per elementary data item of its
// definitions. Built from the definitions and the program's code model,
// stored per element in `ucMessages`, read back by WSDL generation.

#include <set>
#include <string>
#include <string_view>

#include "platform/db/Database.h"
#include "platform/workbench/CodeModel.h"
#include "platform/xml/XmlDocument.h"
#include "services/MessageDefinitions.h"

namespace services {

// The type text of a data item from its code-model properties: SqlType "1"
// gives "char <Length>", "3" or "8" "decimal <Digits>(<Fraction>)", "5"
// "integer <Digits>", anything else "unknown <Length>" (SqlType compared
// without case). One blank stands between the word and its numbers, so
// that WSDL generation can cut the word; the numbers are taken without
// surrounding blanks, and a missing number leaves the word alone ("char").
std::string TypeText(std::string_view sqlType, std::string_view length, std::string_view digits,
                     std::string_view fraction);
std::string TypeText(const platform::workbench::CodeModelConstruct& item);

// Whether a code-model Boolean text is true ("True", "-1", "1", "Yes").
bool IsTrueText(std::string_view text);

// Appends the parts of one construct to a `message` element: nothing for a
// construct that is not a declaration ("DECL"), one part for an elementary
// item, the parts of its children (depth first) for a group. An item whose
// id is in `added` already is not repeated; added ids are put there.
void AddMessageParts(platform::xml::Node message, const platform::workbench::CodeModelConstruct& construct,
                     std::set<std::string>& added);

// The document of both collections: the input message (named from the first
// input definition's program name) with the parts of every input definition
// in collection order, then the output message the same way. Each data item
// appears once per message, where it is first met; a definition whose id the
// model no longer has is skipped.
platform::xml::Document BuildMessagesDocument(const MsgDefCollection& inputs, const MsgDefCollection& outputs,
                                              const platform::workbench::CodeModel& model);

// The document's text as stored: the root element without declaration and
// on one line ("<definitions/>" for a document without messages); the empty
// text for a document without root.
std::string MessagesXmlText(const platform::xml::Document& doc);

// Replaces the stored document of element elementId (rows of every nature
// go) with the document, under the message nature ("1" process element,
// "2" entity operation). A document without root stores nothing. Values are
// bound and the text is stored exactly as it reads.
void SaveMessagesXml(platform::db::Database& db, const std::string& elementId, const std::string& progNature,
                     const platform::xml::Document& doc);

// The stored document of the element (any nature, the first row) in display
// form (Globals::IndentXML); the empty text when nothing is stored.
std::string LoadMessagesXml(platform::db::Database& db, const std::string& elementId);

}  // namespace services
