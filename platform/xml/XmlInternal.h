#pragma once
// Shared between the XML layer's sources: what a document keeps beside its
// libxml2 tree (reached from any node through xmlDoc::_private).

#include <libxml/tree.h>
#include <libxml/xmlerror.h>

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

// What one parse learns beside libxml2's own error record.
struct ParseWatch {
    std::string refusedEntity;      // the first external entity the document asked for
    bool entityLoop = false;        // entity text beyond the parser's limits, or a loop
    bool attributeTooLong = false;  // an attribute value beyond the parser's limit

    // Notes what an error of the parse says beyond its words.
    void Note(const xmlError& error);
    // The reason of a failed parse said plainly where libxml2's words
    // mislead: an external entity refused, or entity text beyond the
    // limits (entitiesUsed: the document used entities of its own).
    void Explain(ParseError& error, bool entitiesUsed) const;
};

// External entities are refused on this thread while one lives (a parse);
// the first one asked for is noted in the watch.
class ExternalEntitiesRefused {
public:
    explicit ExternalEntitiesRefused(ParseWatch& watch);
    ~ExternalEntitiesRefused();
    ExternalEntitiesRefused(const ExternalEntitiesRefused&) = delete;
    ExternalEntitiesRefused& operator=(const ExternalEntitiesRefused&) = delete;

private:
    ParseWatch* m_outer;
};

// Serialises a node or document with libxml2's save options.
std::string Serialise(xmlNodePtr node, bool pretty, bool declaration, bool expandEmpty);

}  // namespace platform::xml::detail
