#pragma once
// The WSDL viewer's tree: one item per node of an XML document, labelled
// with the node's start tag. The labels are built from each node's name,
// namespace declarations and attributes, never cut out of serialised text,
// so a '>' or "/>" inside an attribute value stays as it is.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xml/XmlDocument.h"

namespace services {

struct XmlTreeItem {
    std::string text;
    std::vector<XmlTreeItem> children;
};

// An attribute value escaped the way the XML layer writes it between double
// quotes, so that the label and the saved text agree.
std::string EscapeAttributeValue(std::string_view value);

// The start tag of an element with every namespace declaration and
// attribute (an empty element shows as its start tag too); a comment or
// processing instruction as written; "" for text and other nodes.
std::string GetNodeTagText(const platform::xml::Node& node);

// The document element with every node below it, children in document
// order; nothing for a document without an element.
std::optional<XmlTreeItem> BuildXmlTree(const platform::xml::Document& doc);

}  // namespace services
