#include "services/WsilAssistant.h"

#include "services/WsdlTree.h"

namespace services {

using platform::xml::Document;
using platform::xml::Node;

namespace {

// A message is input when its name ends with ".In" and output when it ends
// with ".Out": "MAIN.Inventory.Out" holds ".In" but is an output.
constexpr const char* kInputParts =
    "//message[substring(@name, string-length(@name) - string-length('.In') + 1) = '.In']/part";
constexpr const char* kOutputParts =
    "//message[substring(@name, string-length(@name) - string-length('.Out') + 1) = '.Out']/part";

platform::xml::SaveOptions DisplayOptions() {
    platform::xml::SaveOptions options;
    options.pretty = true;
    options.declaration = platform::xml::Declaration::Never;
    return options;
}

}  // namespace

WsilAssistant::WsilAssistant(std::string_view wsilText) : m_wsil(Document::Parse(wsilText)) {
    BuildWSDL();
}

std::string WsilAssistant::DottedName(const Node& part) {
    Node message = part.Parent();
    if (!message || !message.IsElement()) return {};
    std::string prefix = message.GetAttribute("name") + ".";
    Node root = message;
    while (root.Parent() && root.Parent().IsElement()) root = root.Parent();
    // Above the message: every named ancestor up to, not including, the
    // webservice element or the document element.
    for (Node a = message.Parent(); a && a.IsElement() && a != root; a = a.Parent()) {
        if (a.LocalName() == "webservice") break;
        prefix = a.GetAttribute("name") + "." + prefix;
    }
    return prefix;
}

Node WsilAssistant::CopyToWsdl(const Node& wsilPart, Node under) {
    Node copy = under.AppendChild(m_wsdl.ImportNode(wsilPart, true));
    copy.SetAttribute("name", DottedName(wsilPart) + wsilPart.GetAttribute("name"));
    return copy;
}

void WsilAssistant::BuildWSDL() {
    Node root = m_wsdl.CreateElement("WSDL");
    m_wsdl.SetDocumentElement(root);
    m_masterInput = root.AppendElement("Master.Input");
    for (const Node& part : m_wsil.SelectNodes(kInputParts)) CopyToWsdl(part, m_masterInput);
    m_masterOutput = root.AppendElement("Master.Output");
    for (const Node& part : m_wsil.SelectNodes(kOutputParts)) CopyToWsdl(part, m_masterOutput);
}

std::vector<WsilPartRow> WsilAssistant::InputRows() const {
    std::vector<WsilPartRow> rows;
    for (const Node& part : m_wsil.SelectNodes(kInputParts)) {
        rows.push_back({part.GetAttribute("WSILPartID"), part.GetAttribute("name"),
                        part.GetAttribute("WSILUserValue"), part.GetAttribute("WSILDefaultValue"),
                        part.GetAttribute("type")});
    }
    return rows;
}

bool WsilAssistant::Update(const std::string& partId, bool userInput, const std::string& defaultValue) {
    Node wsilPart = FindPartById(m_wsil, partId);
    if (!wsilPart) return false;
    const char* userValue = userInput ? "True" : "False";
    wsilPart.SetAttribute("WSILUserValue", userValue);
    wsilPart.SetAttribute("WSILDefaultValue", defaultValue);

    Node wsdlPart = FindPartById(m_wsdl, partId);
    if (userInput) {
        if (!wsdlPart) wsdlPart = CopyToWsdl(wsilPart, m_masterInput);
        wsdlPart.SetAttribute("WSILUserValue", userValue);
        wsdlPart.SetAttribute("WSILDefaultValue", defaultValue);
    } else if (wsdlPart) {
        wsdlPart.Parent().RemoveChild(wsdlPart);
    }
    return true;
}

std::string WsilAssistant::WsilText() const { return m_wsil.ToString(DisplayOptions()); }

std::string WsilAssistant::WsdlText() const { return m_wsdl.ToString(DisplayOptions()); }

Node FindPartById(const Document& doc, const std::string& partId) {
    for (const Node& part : doc.SelectNodes("//part")) {
        if (part.HasAttribute("WSILPartID") && part.GetAttribute("WSILPartID") == partId) return part;
    }
    return {};
}

std::optional<std::pair<std::size_t, std::size_t>> FindPartIdAttribute(std::string_view text,
                                                                       const std::string& partId) {
    const std::string attribute = "WSILPartID=\"" + EscapeAttributeValue(partId) + "\"";
    std::size_t at = text.find(attribute);
    if (at == std::string_view::npos) return std::nullopt;
    return std::make_pair(at, attribute.size());
}

}  // namespace services
