#include "services/WsdlGenerator.h"

#include <algorithm>

#include "common/FileNameUtility.h"
#include "common/ResModule.h"

namespace Globals {
std::string g_ServiceName;
}  // namespace Globals

namespace services {

namespace xml = platform::xml;
using platform::db::Database;

namespace {

constexpr int kEntityOperation = 1;   // ucUseCases.Nature of an operation on an entity
constexpr int kEntityMessages = 2;    // ucMessages.Nature of an entity operation's document

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::string Trim(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

bool AllDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsZero(const std::string& digits) {
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
}

// Compares two digit strings by value, whatever their length.
bool NotGreater(const std::string& a, const std::string& b) {
    auto strip = [](const std::string& s) {
        size_t i = s.find_first_not_of('0');
        return i == std::string::npos ? std::string() : s.substr(i);
    };
    const std::string x = strip(a), y = strip(b);
    if (x.size() != y.size()) return x.size() < y.size();
    return x <= y;
}

// libxml2 reads a facet value of at most this many significant digits and
// refuses the whole schema over a longer one.
constexpr size_t kMaxFacetDigits = 24;

// The digits of a facet value, or nothing when the text is no number or a
// number too long for schema readers (a limit that long restricts nothing a
// message can hold, so leaving it out changes no document's validity).
std::optional<std::string> Digits(std::string_view text) {
    std::string t = Trim(text);
    if (!AllDigits(t)) return std::nullopt;
    const size_t first = t.find_first_not_of('0');
    if (first != std::string::npos && t.size() - first > kMaxFacetDigits) return std::nullopt;
    return t;
}

StoredMessage ReadMessage(const xml::Node& message) {
    StoredMessage m;
    m.name = message.GetAttribute("name");
    for (const xml::Node& child : message.ChildElements()) {
        StoredPart p;
        p.name = child.GetAttribute("name");
        if (child.HasAttribute("element")) p.element = child.GetAttribute("element");
        m.parts.push_back(std::move(p));
    }
    return m;
}

}  // namespace

std::vector<StoredMessage> LoadEntityMessages(Database& db, int64_t id, int nature, common::IPrompt& prompt) {
    std::vector<StoredMessage> messages;
    auto rs = db.OpenRecordset("SELECT XMLText FROM ucMessages WHERE Nature = ? AND ElementSID = ? ORDER BY MsgID",
                               {nature, id});
    if (rs.IsEOF()) return messages;
    xml::Document doc;
    if (!doc.LoadXml(rs.Text("XMLText"))) {
        const xml::ParseError& error = doc.LastParseError();
        prompt.Ask("An error has occured:\n" + std::to_string(error.errorCode) + "\n" + error.reason,
                   ResModule::LoadResString(1006), common::Buttons::OK, common::Icon::None);
        return messages;
    }
    for (const xml::Node& message : doc.SelectNodes("//message")) messages.push_back(ReadMessage(message));
    return messages;
}

SchemaType ParseTypeText(std::string_view typeText) {
    // The word runs up to the first blank; a text without a blank is all word.
    const size_t blank = typeText.find(' ');
    const std::string_view word = typeText.substr(0, blank);
    const std::string_view rest = blank == std::string_view::npos ? std::string_view() : typeText.substr(blank + 1);

    SchemaType t;
    if (word == "char" || word == "unknown") {
        t.base = "xsd:string";
        t.maxLength = Digits(rest);
    } else if (word == "integer") {
        t.base = "xsd:integer";
        t.totalDigits = Digits(rest);
    } else if (word == "decimal") {
        t.base = "xsd:decimal";
        const size_t open = rest.find('(');
        if (open == std::string_view::npos) {
            t.totalDigits = Digits(rest);
        } else {
            t.totalDigits = Digits(rest.substr(0, open));
            const size_t close = rest.find(')', open + 1);
            if (close != std::string_view::npos) t.fractionDigits = Digits(rest.substr(open + 1, close - open - 1));
        }
    } else {
        t.base = "xsd:string";
    }
    // totalDigits must be positive, and fractionDigits may not exceed it,
    // or the schema does not compile.
    if (t.totalDigits && IsZero(*t.totalDigits)) t.totalDigits.reset();
    if (t.fractionDigits && t.totalDigits && !NotGreater(*t.fractionDigits, *t.totalDigits))
        t.fractionDigits.reset();
    return t;
}

WsdlBuilder::WsdlBuilder(const std::string& serviceName) {
    const std::string n = ToXmlName(serviceName);

    m_root = m_doc.CreateElementNS(kWsdlNamespace, "wsdl:definitions");
    m_doc.SetDocumentElement(m_root);
    m_root.SetAttribute("targetNamespace", "");

    xml::Node service = m_root.AppendElement("wsdl:service");
    service.SetAttribute("name", n);
    service.SetAttribute("serviceType", n + "Type");

    xml::Node serviceType = m_root.AppendElement("wsdl:serviceType");
    serviceType.SetAttribute("name", n + "Type");
    serviceType.AppendElement("wsdl:portType").SetAttribute("name", n + "PortType");

    m_portType = m_root.AppendElement("wsdl:portType");
    m_portType.SetAttribute("name", n + "PortType");

    xml::Node types = m_root.AppendElement("wsdl:types");
    // No targetNamespace: the schema's elements are in no namespace, which is
    // what the unprefixed `element` references of the parts resolve to.
    m_schema = types.AppendChild(m_doc.CreateElementNS(kXsdNamespace, "xsd:schema"));
}

std::string WsdlBuilder::AddWSDLTypes(const std::string& typeText) {
    if (auto it = m_types.find(typeText); it != m_types.end()) return it->second;
    const std::string name = m_typeNames.Claim(ToXmlName(typeText));
    m_types.emplace(typeText, name);

    const SchemaType t = ParseTypeText(typeText);
    xml::Node element = m_schema.AppendElement("xsd:element");
    element.SetAttribute("name", name);
    xml::Node restriction = element.AppendElement("xsd:simpleType").AppendElement("xsd:restriction");
    restriction.SetAttribute("base", t.base);
    const auto facet = [&](const char* facetName, const std::optional<std::string>& value) {
        if (value) restriction.AppendElement(facetName).SetAttribute("value", *value);
    };
    facet("xsd:maxLength", t.maxLength);
    facet("xsd:totalDigits", t.totalDigits);
    facet("xsd:fractionDigits", t.fractionDigits);
    return name;
}

void WsdlBuilder::AddWSDLOperation(const std::vector<StoredMessage>& messages) {
    if (messages.empty()) return;
    // Appended right away (not created detached) so that its prefix resolves
    // to the WSDL namespace in the tree as it does in the written text.
    xml::Node operation = m_portType.AppendElement("wsdl:operation");
    // Each program name of this document maps to one stem, chosen once, so
    // that ".In" and ".Out" of one program keep a common name even when an
    // earlier operation already took the mapped name of one of them.
    std::map<std::string, std::string> stems;
    bool first = true;
    for (const StoredMessage& stored : messages) {
        // Input only when the name ends with ".In": "MAIN.Inventory.Out" is an
        // output although ".In" occurs in it.
        const bool input = EndsWith(stored.name, ".In");
        std::string_view stem = stored.name;
        std::string suffix;
        if (input) {
            stem.remove_suffix(3);
            suffix = ".In";
        } else if (EndsWith(stem, ".Out")) {
            stem.remove_suffix(4);
            suffix = ".Out";
        }
        auto mapped = stems.find(std::string(stem));
        if (mapped == stems.end()) {
            const std::string wanted = ToXmlName(stem);
            std::string candidate = wanted;
            for (int n = 2; m_messageNames.Contains(candidate + ".In") || m_messageNames.Contains(candidate + ".Out") ||
                            m_messageNames.Contains(candidate);
                 ++n)
                candidate = wanted + "_" + std::to_string(n);
            mapped = stems.emplace(std::string(stem), candidate).first;
        }
        const std::string& stemName = mapped->second;
        std::string messageName = stemName + suffix;
        for (int n = 2; m_messageNames.Contains(messageName); ++n)
            messageName = stemName + "_" + std::to_string(n) + suffix;
        m_messageNames.Claim(messageName);

        operation.AppendElement(input ? "wsdl:input" : "wsdl:output").SetAttribute("message", messageName);
        if (first) {
            operation.SetAttribute("name", m_operationNames.Claim(stemName));
            first = false;
        }

        xml::Node message = m_root.AppendElement("wsdl:message");
        message.SetAttribute("name", messageName);
        UniqueNames partNames;   // a second FILLER becomes filler_2
        for (const StoredPart& part : stored.parts) {
            std::string typeName;
            if (part.element) typeName = AddWSDLTypes(*part.element);
            xml::Node wsdlPart = message.AppendElement("wsdl:part");
            wsdlPart.SetAttribute("name", partNames.Claim(ToXmlName(part.name)));
            if (part.element) {
                wsdlPart.SetAttribute("element", typeName);
            } else {
                // A part needs an element or a type for WSDL readers to
                // take it; one without a type text is plain text.
                if (!m_xsdOnRoot) m_root.DeclareNamespace("xsd", kXsdNamespace);
                m_xsdOnRoot = true;
                wsdlPart.SetAttribute("type", "xsd:string");
            }
        }
    }
}

std::string WsdlBuilder::ToString() const {
    xml::SaveOptions options;
    options.pretty = true;
    options.declaration = xml::Declaration::Always;
    return m_doc.ToString(options);
}

std::string WsdlRefusal(Database& db, int64_t wsid) {
    auto service = db.OpenRecordset("SELECT Name FROM wsWebServices WHERE WSID = ?", {wsid});
    if (service.IsEOF()) return "The web service no longer exists in the workspace database; no WSDL was written.";
    const std::string name = service.Text("Name");
    if (FileNameUtility::IsValidName(name)) return {};
    return "No WSDL can be written for the web service \"" + ToValidUtf8(name) +
           "\": its name is empty or holds characters that a file name cannot hold "
           "(\\ / : * ? \" < > | or control characters).";
}

std::optional<GeneratedWsdl> GenerateWebServiceWSDL(Database& db, int64_t wsid, common::IPrompt& prompt) {
    auto service = db.OpenRecordset("SELECT Name FROM wsWebServices WHERE WSID = ?", {wsid});
    if (service.IsEOF()) return std::nullopt;
    const std::string name = service.Text("Name");
    if (!FileNameUtility::IsValidName(name)) return std::nullopt;
    // The name becomes file names only; bytes that are no UTF-8 would give
    // one that no window can show or type.
    Globals::g_ServiceName = ToValidUtf8(name);

    WsdlBuilder builder(name);
    // In link order, so that the document is the same every time.
    auto links = db.OpenRecordset(
        "SELECT UC.Nature, UC.ForeignID FROM wsWS_UC WU INNER JOIN ucUseCases UC ON WU.UCID = UC.UCID "
        "WHERE WU.WSID = ? ORDER BY WU.rowid",
        {wsid});
    for (; !links.IsEOF(); links.MoveNext()) {
        if (links.Int("Nature") != kEntityOperation) continue;
        auto entity = db.OpenRecordset("SELECT SerialID FROM Ents WHERE SerialID = ?", {links.Field("ForeignID")});
        if (entity.IsEOF()) continue;
        builder.AddWSDLOperation(LoadEntityMessages(db, entity.Int("SerialID"), kEntityMessages, prompt));
    }
    return GeneratedWsdl{Globals::g_ServiceName, builder.ToString()};
}

}  // namespace services
