#include "platform/xml/XmlNode.h"

#include <libxml/tree.h>

#include "platform/xml/XmlChars.h"
#include "platform/xml/XmlInternal.h"

namespace platform::xml {

using namespace detail;

namespace {

xmlNodePtr Need(xmlNodePtr node) {
    if (!node) throw XmlError("The operation needs a node, but the node is empty");
    return node;
}

std::pair<std::string, std::string> SplitName(std::string_view qualifiedName) {
    auto colon = qualifiedName.find(':');
    if (colon == std::string_view::npos) return {std::string(), std::string(qualifiedName)};
    return {std::string(qualifiedName.substr(0, colon)), std::string(qualifiedName.substr(colon + 1))};
}

bool IsAncestorOrSelf(xmlNodePtr candidate, xmlNodePtr node) {
    for (xmlNodePtr n = node; n; n = n->parent)
        if (n == candidate) return true;
    return false;
}

// Repoints every reference to one namespace declaration within a subtree.
void Repoint(xmlNodePtr node, xmlNsPtr from, xmlNsPtr to) {
    if (node->type != XML_ELEMENT_NODE) return;
    if (node->ns == from) node->ns = to;
    for (xmlAttrPtr a = node->properties; a; a = a->next)
        if (a->ns == from) a->ns = to;
    for (xmlNodePtr c = node->children; c; c = c->next) Repoint(c, from, to);
}

// A declaration on a newly placed element that repeats what is already in
// scope at its new parent is dropped, so building a document with
// namespaced elements does not repeat xmlns on every element.
void DropRedundantNamespaces(xmlNodePtr node) {
    if (node->type != XML_ELEMENT_NODE || !node->parent || node->parent->type != XML_ELEMENT_NODE) return;
    xmlNsPtr* link = &node->nsDef;
    while (*link) {
        xmlNsPtr decl = *link;
        xmlNsPtr inScope = xmlSearchNs(node->doc, node->parent, decl->prefix);
        if (inScope && decl->href && inScope->href && xmlStrEqual(inScope->href, decl->href)) {
            Repoint(node, decl, inScope);
            *link = decl->next;
            decl->next = nullptr;
            xmlFreeNs(decl);
        } else {
            link = &decl->next;
        }
    }
}

// Links a detached (or moved) node under a parent without libxml2's merging
// of adjacent text nodes, which would free a node a caller still holds.
void Link(xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before) {
    if (child->type == XML_ATTRIBUTE_NODE || child->type == XML_DOCUMENT_NODE)
        throw XmlError("This kind of node cannot be a child");
    if (child->doc != parent->doc && !(parent->type == XML_DOCUMENT_NODE && child->doc == reinterpret_cast<xmlDocPtr>(parent)))
        throw XmlError("The node belongs to another document; import it first");
    if (IsAncestorOrSelf(child, parent)) throw XmlError("A node cannot be placed inside itself");
    if (before && before->parent != parent) throw XmlError("The reference node is not a child of this node");
    if (before == child) return;
    bool wasDetached = child->parent == nullptr;
    xmlUnlinkNode(child);
    if (!wasDetached) KeepDetached(child);   // moved: keep track in case it is removed later
    child->parent = parent;
    if (before) {
        child->next = before;
        child->prev = before->prev;
        if (before->prev)
            before->prev->next = child;
        else
            parent->children = child;
        before->prev = child;
    } else {
        child->next = nullptr;
        child->prev = parent->last;
        if (parent->last)
            parent->last->next = child;
        else
            parent->children = child;
        parent->last = child;
    }
    DropRedundantNamespaces(child);
}

void DetachChildren(xmlNodePtr node) {
    xmlNodePtr child = node->children;
    while (child) {
        xmlNodePtr next = child->next;
        xmlUnlinkNode(child);
        KeepDetached(child);
        child = next;
    }
}

}  // namespace

NodeType Node::Type() const {
    switch (Need(m_node)->type) {
        case XML_ELEMENT_NODE: return NodeType::Element;
        case XML_ATTRIBUTE_NODE: return NodeType::Attribute;
        case XML_TEXT_NODE: return NodeType::Text;
        case XML_CDATA_SECTION_NODE: return NodeType::CData;
        case XML_COMMENT_NODE: return NodeType::Comment;
        case XML_PI_NODE: return NodeType::ProcessingInstruction;
        case XML_DOCUMENT_NODE:
        case XML_HTML_DOCUMENT_NODE: return NodeType::Document;
        default: return NodeType::Other;
    }
}

std::string Node::Name() const {
    switch (Type()) {
        case NodeType::Text: return "#text";
        case NodeType::CData: return "#cdata-section";
        case NodeType::Comment: return "#comment";
        case NodeType::Document: return "#document";
        default: break;
    }
    std::string local = S(m_node->name);
    if (m_node->ns && m_node->ns->prefix && (m_node->type == XML_ELEMENT_NODE || m_node->type == XML_ATTRIBUTE_NODE))
        return S(m_node->ns->prefix) + ":" + local;
    return local;
}

std::string Node::LocalName() const {
    std::string name = Name();
    auto colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

std::string Node::Prefix() const {
    std::string name = Name();
    auto colon = name.find(':');
    return colon == std::string::npos ? std::string() : name.substr(0, colon);
}

std::string Node::NamespaceUri() const {
    Need(m_node);
    if ((m_node->type == XML_ELEMENT_NODE || m_node->type == XML_ATTRIBUTE_NODE) && m_node->ns)
        return S(m_node->ns->href);
    return {};
}

std::string Node::Text() const { return Take(xmlNodeGetContent(Need(m_node))); }

void Node::SetText(std::string_view text) {
    Need(m_node);
    switch (m_node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
        case XML_COMMENT_NODE:
        case XML_PI_NODE: {
            // For these kinds libxml2 stores the text as given.
            const std::string t = detail::XmlChars(text);
            xmlNodeSetContentLen(m_node, X(t), static_cast<int>(t.size()));
            return;
        }
        case XML_ELEMENT_NODE:
        case XML_ATTRIBUTE_NODE: {
            DetachChildren(m_node);
            const std::string chars = detail::XmlChars(text);
            xmlNodePtr t = xmlNewDocTextLen(m_node->doc, X(chars), static_cast<int>(chars.size()));
            KeepDetached(t);
            Link(m_node, t, nullptr);
            return;
        }
        default: throw XmlError("This kind of node has no text to set");
    }
}

bool Node::HasAttribute(std::string_view name) const {
    Need(m_node);
    if (m_node->type != XML_ELEMENT_NODE) return false;
    auto [prefix, local] = SplitName(name);
    if (!prefix.empty()) {
        if (prefix == "xmlns") return xmlSearchNs(m_node->doc, m_node, X(local)) != nullptr;
        xmlNsPtr ns = xmlSearchNs(m_node->doc, m_node, X(prefix));
        if (ns && xmlHasNsProp(m_node, X(local), ns->href)) return true;
    }
    std::string full(name);
    return xmlHasNsProp(m_node, X(full), nullptr) != nullptr;
}

std::string Node::GetAttribute(std::string_view name) const {
    Need(m_node);
    if (m_node->type != XML_ELEMENT_NODE) return {};
    auto [prefix, local] = SplitName(name);
    if (!prefix.empty()) {
        if (prefix == "xmlns") {
            for (xmlNsPtr d = m_node->nsDef; d; d = d->next)
                if (d->prefix && local == S(d->prefix)) return S(d->href);
            return {};
        }
        xmlNsPtr ns = xmlSearchNs(m_node->doc, m_node, X(prefix));
        if (ns) {
            xmlChar* v = xmlGetNsProp(m_node, X(local), ns->href);
            if (v) return Take(v);
        }
    } else if (local == "xmlns") {
        for (xmlNsPtr d = m_node->nsDef; d; d = d->next)
            if (!d->prefix) return S(d->href);
        return {};
    }
    std::string full(name);
    xmlChar* v = xmlGetNoNsProp(m_node, X(full));
    return v ? Take(v) : std::string();
}

void Node::SetAttribute(std::string_view name, std::string_view value) {
    Need(m_node);
    if (m_node->type != XML_ELEMENT_NODE) throw XmlError("Only elements have attributes");
    auto [prefix, local] = SplitName(name);
    if (prefix == "xmlns") return DeclareNamespace(local, value);
    if (prefix.empty() && local == "xmlns") return DeclareNamespace("", value);
    std::string v = detail::XmlChars(value);
    if (!prefix.empty()) {
        xmlNsPtr ns = xmlSearchNs(m_node->doc, m_node, X(prefix));
        if (ns) {
            xmlSetNsProp(m_node, ns, X(local), X(v));
            return;
        }
    }
    std::string full(name);
    xmlSetProp(m_node, X(full), X(v));
}

void Node::SetAttributeNS(std::string_view namespaceUri, std::string_view qualifiedName, std::string_view value) {
    Need(m_node);
    if (namespaceUri.empty()) return SetAttribute(qualifiedName, value);
    auto [prefix, local] = SplitName(qualifiedName);
    std::string uri(namespaceUri), v = detail::XmlChars(value);
    xmlNsPtr ns = prefix.empty() ? nullptr : xmlSearchNs(m_node->doc, m_node, X(prefix));
    if (!ns || !xmlStrEqual(ns->href, X(uri))) {
        if (prefix.empty()) throw XmlError("An attribute in a namespace needs a prefix");
        ns = xmlNewNs(m_node, X(uri), X(prefix));
        if (!ns) throw XmlError("The prefix \"" + prefix + "\" is already declared for another namespace here");
    }
    xmlSetNsProp(m_node, ns, X(local), X(v));
}

void Node::RemoveAttribute(std::string_view name) {
    Need(m_node);
    if (m_node->type != XML_ELEMENT_NODE) return;
    auto [prefix, local] = SplitName(name);
    xmlAttrPtr attr = nullptr;
    if (!prefix.empty()) {
        xmlNsPtr ns = xmlSearchNs(m_node->doc, m_node, X(prefix));
        if (ns) attr = xmlHasNsProp(m_node, X(local), ns->href);
    }
    if (!attr) {
        std::string full(name);
        attr = xmlHasNsProp(m_node, X(full), nullptr);
    }
    if (attr && attr->type == XML_ATTRIBUTE_NODE) {
        xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(attr));
        KeepDetached(reinterpret_cast<xmlNodePtr>(attr));
    }
}

std::vector<std::pair<std::string, std::string>> Node::Attributes() const {
    std::vector<std::pair<std::string, std::string>> out;
    Need(m_node);
    if (m_node->type != XML_ELEMENT_NODE) return out;
    for (xmlAttrPtr a = m_node->properties; a; a = a->next) {
        std::string name = S(a->name);
        if (a->ns && a->ns->prefix) name = S(a->ns->prefix) + ":" + name;
        out.emplace_back(name, Take(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a))));
    }
    return out;
}

void Node::DeclareNamespace(std::string_view prefix, std::string_view namespaceUri) {
    Need(m_node);
    if (m_node->type != XML_ELEMENT_NODE) throw XmlError("Only elements declare namespaces");
    std::string p(prefix), uri(namespaceUri);
    for (xmlNsPtr d = m_node->nsDef; d; d = d->next) {
        if ((p.empty() && !d->prefix) || (d->prefix && p == S(d->prefix))) {
            if (d->href) xmlFree(const_cast<xmlChar*>(d->href));
            d->href = xmlStrdup(X(uri));
            return;
        }
    }
    xmlNewNs(m_node, X(uri), p.empty() ? nullptr : X(p));
}

Node Node::Parent() const {
    xmlNodePtr p = Need(m_node)->parent;
    return Node(p);
}
Node Node::FirstChild() const {
    Need(m_node);
    return m_node->type == XML_ATTRIBUTE_NODE ? Node() : Node(m_node->children);
}
Node Node::LastChild() const {
    Need(m_node);
    return m_node->type == XML_ATTRIBUTE_NODE ? Node() : Node(m_node->last);
}
Node Node::NextSibling() const { return Node(Need(m_node)->next); }
Node Node::PreviousSibling() const { return Node(Need(m_node)->prev); }

NodeList Node::Children() const {
    NodeList out;
    for (Node c = FirstChild(); c; c = c.NextSibling()) out.push_back(c);
    return out;
}

NodeList Node::ChildElements() const {
    NodeList out;
    for (Node c = FirstChild(); c; c = c.NextSibling())
        if (c.Raw()->type == XML_ELEMENT_NODE) out.push_back(c);
    return out;
}

Node Node::FirstChildElement(std::string_view name) const {
    for (Node c = FirstChild(); c; c = c.NextSibling())
        if (c.Raw()->type == XML_ELEMENT_NODE && (name.empty() || c.Name() == name)) return c;
    return {};
}

Node Node::AppendChild(Node child) {
    Link(Need(m_node), Need(child.Raw()), nullptr);
    return child;
}

Node Node::InsertBefore(Node child, Node reference) {
    Link(Need(m_node), Need(child.Raw()), reference.Raw());
    return child;
}

Node Node::RemoveChild(Node child) {
    Need(m_node);
    if (!child || child.Raw()->parent != m_node) throw XmlError("The node to remove is not a child of this node");
    xmlUnlinkNode(child.Raw());
    KeepDetached(child.Raw());
    return child;
}

Node Node::ReplaceChild(Node newChild, Node oldChild) {
    Need(m_node);
    if (!oldChild || oldChild.Raw()->parent != m_node) throw XmlError("The node to replace is not a child of this node");
    if (newChild == oldChild) return oldChild;
    InsertBefore(newChild, oldChild);
    return RemoveChild(oldChild);
}

Node Node::CloneNode(bool deep) const {
    Need(m_node);
    xmlNodePtr copy = xmlDocCopyNode(m_node, m_node->doc, deep ? 1 : 2);
    if (!copy) throw XmlError("Cannot copy the node");
    KeepDetached(copy);
    return Node(copy);
}

Node Node::AppendElement(std::string_view qualifiedName) {
    Need(m_node);
    std::string name(qualifiedName);
    if (name.empty()) throw XmlError("An element needs a name");
    auto [prefix, local] = SplitName(qualifiedName);
    xmlNodePtr node = nullptr;
    // A prefix in scope here puts the element in that namespace.
    xmlNsPtr ns = prefix.empty() || m_node->type != XML_ELEMENT_NODE ? nullptr : xmlSearchNs(m_node->doc, m_node, X(prefix));
    node = ns ? xmlNewDocNode(m_node->doc, ns, X(local), nullptr) : xmlNewDocNode(m_node->doc, nullptr, X(name), nullptr);
    KeepDetached(node);
    Link(m_node, node, nullptr);
    return Node(node);
}

Node Node::AppendText(std::string_view text) {
    Need(m_node);
    const std::string chars = detail::XmlChars(text);
    xmlNodePtr t = xmlNewDocTextLen(m_node->doc, X(chars), static_cast<int>(chars.size()));
    KeepDetached(t);
    Link(m_node, t, nullptr);
    return Node(t);
}

NodeList Node::SelectNodes(std::string_view xpath) const {
    Need(m_node);
    xmlDocPtr doc = m_node->type == XML_DOCUMENT_NODE ? reinterpret_cast<xmlDocPtr>(m_node) : m_node->doc;
    NodeList out;
    for (xmlNodePtr n : Select(doc, m_node, xpath)) out.emplace_back(n);
    return out;
}

Node Node::SelectSingleNode(std::string_view xpath) const {
    NodeList all = SelectNodes(xpath);
    return all.empty() ? Node() : all.front();
}

std::string Node::Xml(bool pretty) const { return Serialise(Need(m_node), pretty, false, false); }

}  // namespace platform::xml
