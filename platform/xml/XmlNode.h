#pragma once
// A handle on one node of a Document. Handles do not own: they stay valid
// while their document lives, also after the node has been removed from the
// tree (removed and newly created nodes are kept by the document until it
// goes, so a handle never dangles while the document is alive).

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct _xmlNode;

namespace platform::xml {

enum class NodeType { Element, Attribute, Text, CData, Comment, ProcessingInstruction, Document, Other };

class Node;
using NodeList = std::vector<Node>;

class Node {
public:
    Node() = default;
    explicit Node(_xmlNode* raw) : m_node(raw) {}

    bool IsNull() const { return m_node == nullptr; }
    explicit operator bool() const { return m_node != nullptr; }
    bool operator==(const Node& other) const { return m_node == other.m_node; }

    NodeType Type() const;
    bool IsElement() const { return m_node && Type() == NodeType::Element; }
    // The qualified name (prefix:local) as written; "#text" for text nodes.
    std::string Name() const;
    std::string LocalName() const;
    std::string Prefix() const;
    std::string NamespaceUri() const;

    // The text of the node and all its descendants.
    std::string Text() const;
    // Replaces the node's children by one text node (the value of a text,
    // comment or attribute node). The text is stored as given, never parsed.
    void SetText(std::string_view text);

    // Attributes by qualified name. A missing attribute reads as "".
    bool HasAttribute(std::string_view name) const;
    std::string GetAttribute(std::string_view name) const;
    void SetAttribute(std::string_view name, std::string_view value);
    // An attribute in a namespace declared (or found in scope) for its prefix.
    void SetAttributeNS(std::string_view namespaceUri, std::string_view qualifiedName,
                        std::string_view value);
    void RemoveAttribute(std::string_view name);
    // Name and value of every attribute, in document order.
    std::vector<std::pair<std::string, std::string>> Attributes() const;
    // Adds an xmlns declaration on this element (an empty prefix declares the default).
    void DeclareNamespace(std::string_view prefix, std::string_view namespaceUri);

    // Navigation; a null node where there is none.
    Node Parent() const;
    Node FirstChild() const;
    Node LastChild() const;
    Node NextSibling() const;
    Node PreviousSibling() const;
    NodeList Children() const;        // every child node
    NodeList ChildElements() const;   // element children only
    Node FirstChildElement(std::string_view name = {}) const;

    // Tree changes. A node already in a tree is moved. Nodes of another
    // document must be imported first (Document::ImportNode).
    Node AppendChild(Node child);
    Node InsertBefore(Node child, Node reference);   // null reference appends
    Node RemoveChild(Node child);                    // the removed node stays usable
    Node ReplaceChild(Node newChild, Node oldChild);
    Node CloneNode(bool deep) const;                 // a detached copy in the same document
    // Conveniences: a new element or text node appended as last child.
    Node AppendElement(std::string_view qualifiedName);
    Node AppendText(std::string_view text);

    // XPath 1.0 from this node, with the namespaces registered on the document.
    // A malformed expression raises XmlError.
    NodeList SelectNodes(std::string_view xpath) const;
    Node SelectSingleNode(std::string_view xpath) const;

    // The node serialised as XML text (no declaration).
    std::string Xml(bool pretty = false) const;

    _xmlNode* Raw() const { return m_node; }

private:
    _xmlNode* m_node = nullptr;
};

}  // namespace platform::xml
