#include "services/WsdlTree.h"

#include <libxml/tree.h>

#include "platform/xml/XmlChars.h"

namespace services {

using platform::xml::Node;
using platform::xml::NodeType;

namespace {

std::string Text(const xmlChar* s) { return s ? reinterpret_cast<const char*>(s) : ""; }

// The namespace declarations written on the element itself; the XML layer
// lists only ordinary attributes.
std::string NamespaceDeclarations(const Node& element) {
    std::string out;
    for (xmlNsPtr ns = element.Raw()->nsDef; ns; ns = ns->next) {
        out += ns->prefix ? " xmlns:" + Text(ns->prefix) : std::string(" xmlns");
        out += "=\"" + EscapeAttributeValue(Text(ns->href)) + "\"";
    }
    return out;
}

XmlTreeItem ItemOf(const Node& node) {
    XmlTreeItem item{GetNodeTagText(node), {}};
    for (Node child = node.FirstChild(); child; child = child.NextSibling())
        item.children.push_back(ItemOf(child));
    return item;
}

}  // namespace

std::string EscapeAttributeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    platform::xml::AppendEscaped(out, value, true);
    return out;
}

std::string GetNodeTagText(const Node& node) {
    if (!node) return {};
    switch (node.Type()) {
    case NodeType::Element: {
        std::string tag = "<" + node.Name() + NamespaceDeclarations(node);
        for (const auto& [name, value] : node.Attributes())
            tag += " " + name + "=\"" + EscapeAttributeValue(value) + "\"";
        return tag + ">";
    }
    case NodeType::Comment:
        return "<!--" + node.Text() + "-->";
    case NodeType::ProcessingInstruction: {
        std::string data = node.Text();
        return "<?" + node.Name() + (data.empty() ? "" : " " + data) + "?>";
    }
    default:
        return {};
    }
}

std::optional<XmlTreeItem> BuildXmlTree(const platform::xml::Document& doc) {
    Node root = doc.DocumentElement();
    if (!root) return std::nullopt;
    return ItemOf(root);
}

}  // namespace services
