#pragma once
// HTML pages kept as XML documents. The report pages are edited with the
// XML DOM, so they must stay well-formed XML, and they are read by HTML
// browsers, so they must stay correct HTML too.

#include <string>
#include <string_view>

#include "platform/xml/XmlDocument.h"

namespace platform::xml {

// The document written so that an XML parser and an HTML parser read the
// same tree: void elements (br, img, meta, input, ...) self-closed, every
// other element with an end tag (an empty <div/> would open a div for a
// browser), text and attribute values escaped, comments and CDATA as they
// are. A document without a DOCTYPE whose root is html gets
// "<!DOCTYPE html>", so browsers use standards mode. The end tags of the
// page's frame (head, body, html, table rows) end their line, and "</body>"
// stands on a line of its own, so line-based readers find it. No XML
// declaration is written.
std::string ToHtmlPage(const Document& document);

// A node with all it holds, and a text, written as ToHtmlPage writes them
// inside a page: what it writes for a node never depends on where the node
// stands, so pieces of a page may be written apart and joined.
std::string ToHtmlMarkup(const Node& node);
std::string ToHtmlText(const std::string& text);

// Parses a piece of HTML markup ("<img src='a.gif'>PGM1<br>", entities such
// as &nbsp; included) the way a browser would and returns its top-level
// nodes as detached nodes of `into`, in order. Markup that is not HTML is
// repaired, never refused: text stays text.
NodeList ParseHtmlFragment(Document& into, std::string_view markup);

}  // namespace platform::xml
