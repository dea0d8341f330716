#pragma once
// An owned libxml2 document: parse from text or file, build, select by
// XPath, serialise and save. Failures raise XmlError, except in the
// LoadXml/LoadFile pair that reports like a DOM load (false plus details).

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/xml/XmlError.h"
#include "platform/xml/XmlNode.h"

struct _xmlDoc;

namespace platform::xml {

namespace detail { struct DocState; }

struct ParseOptions {
    // Off: text nodes made only of white space are dropped (outside
    // xml:space="preserve"), so the first child of an element is its first
    // real child even in an indented file.
    bool preserveWhiteSpace = false;
};

enum class Declaration { AsLoaded, Always, Never };

struct SaveOptions {
    bool pretty = false;
    // AsLoaded writes "<?xml ...?>" only when the parsed text had one.
    Declaration declaration = Declaration::AsLoaded;
    // Writes <a></a> instead of <a/> (for pages read by HTML browsers).
    bool expandEmptyElements = false;
};

class Document {
public:
    // A new, empty document (no root).
    Document();
    ~Document();
    Document(Document&& other) noexcept;
    Document& operator=(Document&& other) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Parse or raise XmlError whose Parse() holds reason, line and position.
    static Document Parse(std::string_view text, const ParseOptions& options = {});
    static Document Load(const std::filesystem::path& file, const ParseOptions& options = {});

    // DOM-style loading: replaces the content; false on failure with the
    // details in LastParseError() and an empty document left behind.
    bool LoadXml(std::string_view text, const ParseOptions& options = {});
    bool LoadFile(const std::filesystem::path& file, const ParseOptions& options = {});
    const ParseError& LastParseError() const;

    Node DocumentElement() const;
    // Makes the node the root (a previous root is kept detached).
    void SetDocumentElement(Node root);

    // New detached nodes of this document.
    Node CreateElement(std::string_view qualifiedName);
    // An element in a namespace; it declares the namespace for its prefix.
    Node CreateElementNS(std::string_view namespaceUri, std::string_view qualifiedName);
    Node CreateTextNode(std::string_view text);
    Node CreateComment(std::string_view text);
    Node CreateCDataSection(std::string_view text);
    Node CreateProcessingInstruction(std::string_view target, std::string_view data);
    // A detached copy of a node of another document.
    Node ImportNode(Node node, bool deep);
    // Adds a node (comment, processing instruction) at document level.
    Node AppendChild(Node child);

    // Prefixes that XPath expressions on this document may use.
    void RegisterNamespace(std::string_view prefix, std::string_view namespaceUri);
    NodeList SelectNodes(std::string_view xpath) const;
    Node SelectSingleNode(std::string_view xpath) const;

    std::string ToString(const SaveOptions& options = {}) const;
    // Writes the file in UTF-8; raises XmlError naming the file on failure.
    void Save(const std::filesystem::path& file, const SaveOptions& options = {}) const;

    // Takes ownership of a raw document (used by the transform).
    static Document Adopt(_xmlDoc* raw);
    _xmlDoc* Raw() const;
    Node AsNode() const;

private:
    explicit Document(_xmlDoc* raw);
    std::unique_ptr<detail::DocState> m_state;
};

}  // namespace platform::xml
