#include "services/MessageDocument.h"

#include <stdexcept>

#include "common/AsciiCase.h"
#include "common/SqlText.h"
#include "services/StoreIds.h"
#include "services/XmlText.h"

namespace services {

namespace xml = platform::xml;
namespace wb = platform::workbench;
using platform::db::Database;

namespace {

std::string Trim(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

bool SameText(std::string_view a, std::string_view b) { return common::AsciiEqualNoCase(a, b); }

// The word, then one blank and the number when there is one.
std::string WordAndNumber(const char* word, std::string_view number) {
    std::string n = Trim(number);
    return n.empty() ? std::string(word) : std::string(word) + " " + n;
}

int64_t ElementSid(const std::string& elementId) {
    auto id = ParseId(elementId);
    if (!id) throw std::invalid_argument("Not an element serial number: \"" + elementId + "\"");
    return *id;
}

void AddMessage(xml::Node root, const MsgDefCollection& defs, const char* suffix, const wb::CodeModel& model) {
    if (defs.Empty()) return;
    xml::Node message = root.AppendElement("message");
    message.SetAttribute("name", defs.Item(1).sProgName + suffix);
    std::set<std::string> added;   // per message: each item once, where first met
    for (const auto& entry : defs) {
        std::optional<wb::CodeModelConstruct> construct = model.FindConstruct(entry.item.sVNID);
        if (!construct) continue;   // the program changed since the definition was made
        AddMessageParts(message, *construct, added);
    }
}

}  // namespace

std::string TypeText(std::string_view sqlType, std::string_view length, std::string_view digits,
                     std::string_view fraction) {
    const std::string type = Trim(sqlType);
    if (SameText(type, "1")) return WordAndNumber("char", length);
    if (SameText(type, "3") || SameText(type, "8")) return "decimal " + Trim(digits) + "(" + Trim(fraction) + ")";
    if (SameText(type, "5")) return WordAndNumber("integer", digits);
    return WordAndNumber("unknown", length);
}

std::string TypeText(const wb::CodeModelConstruct& item) {
    return TypeText(item.GetProperty("SqlType"), item.GetProperty("Length"), item.GetProperty("Digits"),
                    item.GetProperty("Fraction"));
}

bool IsTrueText(std::string_view text) {
    const std::string t = Trim(text);
    return SameText(t, "true") || t == "-1" || t == "1" || SameText(t, "yes");
}

namespace {

// `open` holds the groups being walked: a damaged model file can make a
// group its own ancestor, and such a group is not entered again.
void AddParts(xml::Node message, const wb::CodeModelConstruct& construct, std::set<std::string>& added,
              std::set<std::string>& open) {
    if (!SameText(construct.GetTypeText(), "DECL")) return;
    if (IsTrueText(construct.GetProperty("Elementary"))) {
        if (!added.insert(construct.GetId()).second) return;
        xml::Node part = message.AppendElement("part");
        std::string name = construct.GetName();
        part.SetAttribute("name", Globals::ToCamelCase(name));
        part.SetAttribute("element", TypeText(construct));
        return;
    }
    if (!open.insert(construct.GetId()).second) return;
    for (auto children = construct.GetChildren(); !children.AtEnd(); children.MoveNext())
        AddParts(message, children.Current(), added, open);
    open.erase(construct.GetId());
}

}  // namespace

void AddMessageParts(xml::Node message, const wb::CodeModelConstruct& construct, std::set<std::string>& added) {
    std::set<std::string> open;
    AddParts(message, construct, added, open);
}

xml::Document BuildMessagesDocument(const MsgDefCollection& inputs, const MsgDefCollection& outputs,
                                    const wb::CodeModel& model) {
    xml::Document doc;
    xml::Node root = doc.CreateElement("definitions");
    doc.SetDocumentElement(root);
    AddMessage(root, inputs, ".In", model);
    AddMessage(root, outputs, ".Out", model);
    return doc;
}

std::string MessagesXmlText(const xml::Document& doc) {
    xml::Node root = doc.DocumentElement();
    if (!root) return {};
    return Globals::FlattenXML(root.Xml(false));
}

void SaveMessagesXml(Database& db, const std::string& elementId, const std::string& progNature,
                     const xml::Document& doc) {
    const int64_t sid = ElementSid(elementId);
    const auto nature = ParseId(progNature);
    if (!nature) throw std::invalid_argument("Not a message nature: \"" + progNature + "\"");
    const std::string text = MessagesXmlText(doc);
    platform::db::Transaction tx(db);
    db.Execute("DELETE FROM ucMessages WHERE ElementSID = ?", {sid});
    if (!text.empty())
        db.Execute("INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (?, ?, ?)", {sid, text, *nature});
    tx.Commit();
}

std::string LoadMessagesXml(Database& db, const std::string& elementId) {
    const auto sid = ParseId(elementId);
    if (!sid) return {};
    auto rs = db.OpenRecordset("SELECT XMLText FROM ucMessages WHERE ElementSID = ? ORDER BY MsgID", {*sid});
    if (rs.IsEOF()) return {};
    return Globals::IndentXML(rs.Text("XMLText"));
}

}  // namespace services
