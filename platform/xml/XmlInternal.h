#pragma once
// Shared between the XML layer's sources: what a document keeps beside its
// libxml2 tree (reached from any node through xmlDoc::_private).

#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/xml/XmlError.h"

namespace platform::xml::detail {

struct DocState {
    xmlDocPtr doc = nullptr;
    ParseError lastError;
    bool hadDeclaration = false;
    std::vector<std::pair<std::string, std::string>> namespaces;   // prefix, URI for XPath
    // Nodes created or removed while the document lives; the ones still
    // detached are freed with the document.
    std::vector<xmlNodePtr> detached;

    void FreeTree();
};

inline const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }
inline std::string S(const xmlChar* s) { return s ? std::string(reinterpret_cast<const char*>(s)) : std::string(); }
// Takes a string libxml2 allocated and frees it.
std::string Take(xmlChar* s);

DocState& StateOf(xmlNodePtr node);
void KeepDetached(xmlNodePtr node);
void InitLibrary();

// XPath over a document, with the document's registered prefixes.
std::vector<xmlNodePtr> Select(xmlDocPtr doc, xmlNodePtr context, std::string_view expression);

// Serialises a node or document with libxml2's save options.
std::string Serialise(xmlNodePtr node, bool pretty, bool declaration, bool expandEmpty);

}  // namespace platform::xml::detail
