#include "platform/xml/XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "common/FileReplace.h"
#include "platform/xml/XmlChars.h"
#include "platform/xml/XmlInternal.h"

namespace platform::xml {

std::string ParseError::Describe() const {
    std::ostringstream out;
    out << reason << " (line " << line << ", position " << linePos << ")";
    return out.str();
}

bool ParseError::IsEmptyDocument() const { return errorCode == XML_ERR_DOCUMENT_EMPTY; }

namespace detail {

namespace {
void Silent(void*, const char*, ...) {}
}  // namespace

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    // libxml2 would print every error to stderr; errors are reported to callers instead.
    xmlSetGenericErrorFunc(nullptr, Silent);
}

std::string Take(xmlChar* s) {
    std::string out = S(s);
    xmlFree(s);
    return out;
}

DocState& StateOf(xmlNodePtr node) {
    if (!node || !node->doc || !node->doc->_private) throw XmlError("The node belongs to no document");
    return *static_cast<DocState*>(node->doc->_private);
}

void KeepDetached(xmlNodePtr node) {
    if (node) StateOf(node).detached.push_back(node);
}

void DocState::FreeTree() {
    // Decide what to free before freeing anything: a detached node may since
    // have been placed inside another detached node.
    std::vector<xmlNodePtr> roots;
    for (xmlNodePtr n : detached)
        if (n->parent == nullptr && n != reinterpret_cast<xmlNodePtr>(doc)) roots.push_back(n);
    std::sort(roots.begin(), roots.end());
    roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
    for (xmlNodePtr n : roots) xmlFreeNode(n);
    detached.clear();
    if (doc) xmlFreeDoc(doc);
    doc = nullptr;
}

namespace {
struct XPathErrors {
    std::string message;
};
void CollectXPathError(void* data, xmlErrorPtr error) {
    auto* errors = static_cast<XPathErrors*>(data);
    if (error && error->message && errors->message.empty()) {
        errors->message = error->message;
        while (!errors->message.empty() && (errors->message.back() == '\n' || errors->message.back() == ' '))
            errors->message.pop_back();
    }
}
}  // namespace

std::vector<xmlNodePtr> Select(xmlDocPtr doc, xmlNodePtr context, std::string_view expression) {
    InitLibrary();
    std::string expr(expression);
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    if (!ctx) throw XmlError("Cannot create an XPath context");
    XPathErrors errors;
    ctx->error = CollectXPathError;
    ctx->userData = &errors;
    ctx->node = context ? context : reinterpret_cast<xmlNodePtr>(doc);
    if (doc->_private) {
        for (auto& [prefix, uri] : static_cast<DocState*>(doc->_private)->namespaces)
            xmlXPathRegisterNs(ctx, X(prefix), X(uri));
    }
    xmlXPathObjectPtr result = xmlXPathEvalExpression(X(expr), ctx);
    xmlXPathFreeContext(ctx);
    if (!result) {
        throw XmlError("Invalid XPath expression \"" + expr + "\"" +
                       (errors.message.empty() ? std::string() : ": " + errors.message));
    }
    std::vector<xmlNodePtr> nodes;
    if (result->type != XPATH_NODESET) {
        xmlXPathFreeObject(result);
        throw XmlError("The XPath expression \"" + expr + "\" does not select nodes");
    }
    if (result->nodesetval) {
        for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
            xmlNodePtr n = result->nodesetval->nodeTab[i];
            if (n && n->type != XML_NAMESPACE_DECL) nodes.push_back(n);
        }
    }
    xmlXPathFreeObject(result);
    return nodes;
}

std::string Serialise(xmlNodePtr node, bool pretty, bool declaration, bool expandEmpty) {
    InitLibrary();
    xmlBufferPtr buffer = xmlBufferCreate();
    int options = 0;
    if (pretty) options |= XML_SAVE_FORMAT;
    if (!declaration) options |= XML_SAVE_NO_DECL;
    if (expandEmpty) options |= XML_SAVE_NO_EMPTY;
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer, "UTF-8", options);
    if (!save) {
        xmlBufferFree(buffer);
        throw XmlError("Cannot serialise the XML document");
    }
    if (node->type == XML_DOCUMENT_NODE)
        xmlSaveDoc(save, reinterpret_cast<xmlDocPtr>(node));
    else
        xmlSaveTree(save, node);
    xmlSaveClose(save);
    std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                     static_cast<size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    // A document ends with a newline; a single node does not.
    if (node->type != XML_DOCUMENT_NODE && !pretty) {
        while (!text.empty() && text.back() == '\n') text.pop_back();
    }
    return text;
}

}  // namespace detail

using namespace detail;

namespace {

bool StartsWithDeclaration(std::string_view text) {
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
        text.remove_prefix(3);
    return text.size() > 5 && text.substr(0, 5) == "<?xml" &&
           (text[5] == ' ' || text[5] == '\t' || text[5] == '\r' || text[5] == '\n');
}

std::string LineOf(std::string_view text, int line) {
    if (line < 1) return {};
    size_t start = 0;
    for (int i = 1; i < line; ++i) {
        size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) return {};
        start = nl + 1;
    }
    size_t end = text.find('\n', start);
    std::string out(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (!out.empty() && out.back() == '\r') out.pop_back();
    return out;
}

bool IsBlank(const xmlChar* s) {
    if (!s) return true;
    for (; *s; ++s)
        if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n') return false;
    return true;
}

bool IsCharacterData(xmlNodePtr n) { return n && (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE); }

// Drops white-space-only text nodes outside xml:space="preserve", except a
// blank with character data on both sides (comments and processing
// instructions aside): it joins two pieces of one text
// ("<a><![CDATA[x]]> <![CDATA[y]]></a>" reads "x y") and is content, not
// the layout of the document.
void StripBlankText(xmlNodePtr node) {
    const bool preserve = xmlNodeGetSpacePreserve(node) == 1;
    std::vector<xmlNodePtr> blanks;   // since the last node of content
    xmlNodePtr before = nullptr;      // that node
    const auto settle = [&](xmlNodePtr after) {
        if (!IsCharacterData(before) || !IsCharacterData(after)) {
            for (xmlNodePtr blank : blanks) {
                xmlUnlinkNode(blank);
                xmlFreeNode(blank);
            }
        }
        blanks.clear();
        before = after;
    };
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE && IsBlank(child->content)) {
            if (!preserve) blanks.push_back(child);
        } else if (child->type != XML_COMMENT_NODE && child->type != XML_PI_NODE) {
            settle(child);
            if (child->type == XML_ELEMENT_NODE) StripBlankText(child);
        }
    }
    settle(nullptr);
}

void WatchErrors(void* data, xmlErrorPtr error) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(data);
    if (!ctxt || !ctxt->_private || !error) return;
    static_cast<ParseWatch*>(ctxt->_private)->Note(*error);
}

// libxml2 has one entity loader for the whole process. Swapping it for each
// parse would let a parse on one thread refuse what another thread loads
// (a stylesheet's include) and, when two swaps cross, leave the refusing
// loader in place for good; so one loader is installed once and asks
// whether its own thread is inside a parse. The parse's watch is the
// thread's too: a reader's parser context keeps the reader in _private.
thread_local int t_refusing = 0;
thread_local ParseWatch* t_watch = nullptr;
xmlExternalEntityLoader g_loadExternalEntity = nullptr;

xmlParserInputPtr LoadExternalEntity(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
    if (t_refusing == 0) return g_loadExternalEntity(url, id, ctxt);
    if (t_watch && t_watch->refusedEntity.empty()) t_watch->refusedEntity = url ? url : id ? id : "?";
    return nullptr;
}

// Declarations of an internal subset are dropped once the document is
// read; the document type itself (name, public and system identifiers)
// stays. The tool neither validates nor applies defaults, and the entities
// were replaced by their text while parsing, so nothing of the document
// changes; but libxml2 writes some declarations back in a form no parser
// reads (an attribute default "&lt;" as a bare "<", an enumerated
// attribute whose default it refused without a default at all), and what
// the tool writes must always read again.
void DropDeclarations(xmlDocPtr doc) {
    xmlDtdPtr dtd = xmlGetIntSubset(doc);
    if (!dtd || (!dtd->children && !dtd->entities && !dtd->pentities && !dtd->attributes && !dtd->elements &&
                 !dtd->notations))
        return;
    const std::string name = S(dtd->name), publicId = S(dtd->ExternalID), systemId = S(dtd->SystemID);
    xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(dtd));
    xmlFreeDtd(dtd);
    xmlCreateIntSubset(doc, name.empty() ? nullptr : X(name), publicId.empty() ? nullptr : X(publicId),
                       systemId.empty() ? nullptr : X(systemId));
}

// Parses into a new xmlDoc, or fills error and returns null.
xmlDocPtr ParseText(std::string_view text, const std::string& url, const ParseOptions& options, ParseError& error) {
    InitLibrary();
    error = ParseError{};
    error.url = url;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        error.errorCode = -1;
        error.reason = "Out of memory";
        return nullptr;
    }
    ParseWatch watch;
    ctxt->_private = &watch;
    ctxt->sax->serror = WatchErrors;
    // No network access, and no file outside the text is ever read: an
    // external entity or parameter entity is refused. Entities the document
    // declares itself are replaced by their text while parsing, where the
    // parser's limits on entity text apply (no XML_PARSE_HUGE): a small file
    // whose entities stand for gigabytes fails at once instead of being
    // expanded later by whoever reads its text.
    int flags = XML_PARSE_NONET | XML_PARSE_NOENT;
    xmlDocPtr doc = nullptr;
    {
        ExternalEntitiesRefused guard(watch);
        doc = xmlCtxtReadMemory(ctxt, text.data(), static_cast<int>(text.size()), url.empty() ? nullptr : url.c_str(),
                                nullptr, flags);
    }
    xmlErrorPtr last = xmlCtxtGetLastError(ctxt);
    bool failed = doc == nullptr || !ctxt->wellFormed || !ctxt->nsWellFormed || !watch.refusedEntity.empty();
    if (failed) {
        error.errorCode = last && last->code ? last->code : -1;
        error.reason = last && last->message ? last->message : "The document is not well-formed";
        while (!error.reason.empty() && (error.reason.back() == '\n' || error.reason.back() == ' '))
            error.reason.pop_back();
        watch.Explain(error, ctxt->nbentities > 0);
        error.line = last ? last->line : 0;
        error.linePos = last ? last->int2 : 0;
        error.srcText = LineOf(text, error.line);
        if (doc) xmlFreeDoc(doc);
        doc = nullptr;
    } else {
        DropDeclarations(doc);
        if (!options.preserveWhiteSpace) StripBlankText(reinterpret_cast<xmlNodePtr>(doc));
    }
    ctxt->_private = nullptr;
    xmlFreeParserCtxt(ctxt);
    return doc;
}

bool ReadFile(const std::filesystem::path& file, std::string& text, ParseError& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = ParseError{};
        error.errorCode = -1;
        error.url = file.string();
        error.reason = std::filesystem::exists(file) ? "The file cannot be read" : "The file does not exist";
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

}  // namespace

void detail::ParseWatch::Note(const xmlError& error) {
    // libxml2 reports entity text beyond its limits as a loop, or as an
    // attribute value that is too long.
    if (error.code == XML_ERR_ENTITY_LOOP) entityLoop = true;
    if (error.code == XML_ERR_ATTRIBUTE_NOT_FINISHED && error.message && std::strstr(error.message, "too long"))
        attributeTooLong = true;
}

void detail::ParseWatch::Explain(ParseError& error, bool entitiesUsed) const {
    if (!refusedEntity.empty()) {
        error.errorCode = XML_IO_LOAD_ERROR;
        error.reason = "The document refers to the external entity \"" + refusedEntity +
                       "\"; files outside the document are not read";
    } else if (entityLoop || (attributeTooLong && entitiesUsed)) {
        error.reason = "The entities of the document refer to themselves or stand for far more text than "
                       "the document holds";
    }
}

detail::ExternalEntitiesRefused::ExternalEntitiesRefused(ParseWatch& watch) : m_outer(t_watch) {
    static std::once_flag once;
    std::call_once(once, [] {
        g_loadExternalEntity = xmlGetExternalEntityLoader();
        xmlSetExternalEntityLoader(LoadExternalEntity);
    });
    ++t_refusing;
    t_watch = &watch;
}

detail::ExternalEntitiesRefused::~ExternalEntitiesRefused() {
    --t_refusing;
    t_watch = m_outer;
}

Document::Document() : Document(xmlNewDoc(BAD_CAST "1.0")) {}

Document::Document(xmlDocPtr raw) : m_state(std::make_unique<DocState>()) {
    InitLibrary();
    if (!raw) throw XmlError("Cannot create an XML document");
    m_state->doc = raw;
    raw->_private = m_state.get();
}

Document::~Document() {
    if (m_state) m_state->FreeTree();
}

Document::Document(Document&& other) noexcept = default;

Document& Document::operator=(Document&& other) noexcept {
    if (this != &other) {
        if (m_state) m_state->FreeTree();
        m_state = std::move(other.m_state);
    }
    return *this;
}

Document Document::Adopt(xmlDocPtr raw) { return Document(raw); }

xmlDocPtr Document::Raw() const { return m_state->doc; }

Node Document::AsNode() const { return Node(reinterpret_cast<xmlNodePtr>(m_state->doc)); }

Document Document::Parse(std::string_view text, const ParseOptions& options) {
    Document doc;
    if (!doc.LoadXml(text, options))
        throw XmlError("The XML text is not well-formed: " + doc.LastParseError().Describe(), doc.LastParseError());
    return doc;
}

Document Document::Load(const std::filesystem::path& file, const ParseOptions& options) {
    Document doc;
    if (!doc.LoadFile(file, options))
        throw XmlError("Cannot load \"" + file.string() + "\": " + doc.LastParseError().Describe(),
                       doc.LastParseError());
    return doc;
}

bool Document::LoadXml(std::string_view text, const ParseOptions& options) {
    ParseError error;
    xmlDocPtr parsed = ParseText(text, {}, options, error);
    std::vector<std::pair<std::string, std::string>> namespaces = std::move(m_state->namespaces);
    m_state->FreeTree();
    m_state = std::make_unique<DocState>();
    m_state->namespaces = std::move(namespaces);
    m_state->lastError = error;
    m_state->doc = parsed ? parsed : xmlNewDoc(BAD_CAST "1.0");
    m_state->doc->_private = m_state.get();
    m_state->hadDeclaration = parsed && StartsWithDeclaration(text);
    return parsed != nullptr;
}

bool Document::LoadFile(const std::filesystem::path& file, const ParseOptions& options) {
    std::string text;
    ParseError error;
    if (!ReadFile(file, text, error)) {
        LoadXml("", options);   // leaves an empty document
        m_state->lastError = error;
        return false;
    }
    bool ok = LoadXml(text, options);
    m_state->lastError.url = file.string();
    if (ok) xmlNodeSetBase(reinterpret_cast<xmlNodePtr>(m_state->doc), X(file.string()));
    return ok;
}

const ParseError& Document::LastParseError() const { return m_state->lastError; }

Node Document::DocumentElement() const { return Node(xmlDocGetRootElement(m_state->doc)); }

void Document::SetDocumentElement(Node root) {
    if (!root || root.Type() != NodeType::Element) throw XmlError("The document element must be an element");
    if (root.Raw()->doc != m_state->doc) throw XmlError("The node belongs to another document");
    xmlUnlinkNode(root.Raw());
    xmlNodePtr old = xmlDocSetRootElement(m_state->doc, root.Raw());
    if (old && old != root.Raw()) KeepDetached(old);
}

Node Document::CreateElement(std::string_view qualifiedName) {
    std::string name(qualifiedName);
    if (name.empty()) throw XmlError("An element needs a name");
    xmlNodePtr node = xmlNewDocNode(m_state->doc, nullptr, X(name), nullptr);
    KeepDetached(node);
    return Node(node);
}

Node Document::CreateElementNS(std::string_view namespaceUri, std::string_view qualifiedName) {
    std::string qname(qualifiedName);
    if (qname.empty()) throw XmlError("An element needs a name");
    if (namespaceUri.empty()) return CreateElement(qname);
    auto colon = qname.find(':');
    std::string prefix = colon == std::string::npos ? std::string() : qname.substr(0, colon);
    std::string local = colon == std::string::npos ? qname : qname.substr(colon + 1);
    std::string uri(namespaceUri);
    xmlNodePtr node = xmlNewDocNode(m_state->doc, nullptr, X(local), nullptr);
    KeepDetached(node);
    xmlNsPtr ns = xmlNewNs(node, X(uri), prefix.empty() ? nullptr : X(prefix));
    xmlSetNs(node, ns);
    return Node(node);
}

Node Document::CreateTextNode(std::string_view text) {
    const std::string t = detail::XmlChars(text);
    xmlNodePtr node = xmlNewDocTextLen(m_state->doc, X(t), static_cast<int>(t.size()));
    KeepDetached(node);
    return Node(node);
}

Node Document::CreateComment(std::string_view text) {
    std::string t(text);
    xmlNodePtr node = xmlNewDocComment(m_state->doc, X(t));
    KeepDetached(node);
    return Node(node);
}

Node Document::CreateCDataSection(std::string_view text) {
    const std::string t = detail::XmlChars(text);
    xmlNodePtr node = xmlNewCDataBlock(m_state->doc, X(t), static_cast<int>(t.size()));
    KeepDetached(node);
    return Node(node);
}

Node Document::CreateProcessingInstruction(std::string_view target, std::string_view data) {
    std::string t(target), d(data);
    xmlNodePtr node = xmlNewDocPI(m_state->doc, X(t), d.empty() ? nullptr : X(d));
    KeepDetached(node);
    return Node(node);
}

Node Document::ImportNode(Node node, bool deep) {
    if (!node) return {};
    xmlNodePtr copy = xmlDocCopyNode(node.Raw(), m_state->doc, deep ? 1 : 2);
    if (!copy) throw XmlError("Cannot import the node");
    KeepDetached(copy);
    return Node(copy);
}

Node Document::AppendChild(Node child) { return AsNode().AppendChild(child); }

void Document::RegisterNamespace(std::string_view prefix, std::string_view namespaceUri) {
    for (auto& entry : m_state->namespaces) {
        if (entry.first == prefix) {
            entry.second = std::string(namespaceUri);
            return;
        }
    }
    m_state->namespaces.emplace_back(std::string(prefix), std::string(namespaceUri));
}

NodeList Document::SelectNodes(std::string_view xpath) const { return AsNode().SelectNodes(xpath); }

Node Document::SelectSingleNode(std::string_view xpath) const { return AsNode().SelectSingleNode(xpath); }

std::string Document::ToString(const SaveOptions& options) const {
    bool declaration = options.declaration == Declaration::Always ||
                       (options.declaration == Declaration::AsLoaded && m_state->hadDeclaration);
    return Serialise(reinterpret_cast<xmlNodePtr>(m_state->doc), options.pretty, declaration,
                     options.expandEmptyElements);
}

void Document::Save(const std::filesystem::path& file, const SaveOptions& options) const {
    try {
        common::ReplaceFileContents(file, ToString(options));
    } catch (const std::runtime_error& e) {
        throw XmlError("Cannot write \"" + file.string() + "\": " + e.what());
    }
}

}  // namespace platform::xml
