#include "platform/xml/HtmlMarkup.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <array>
#include <cstring>

#include "platform/xml/XmlChars.h"
#include "platform/xml/XmlInternal.h"

namespace platform::xml {

using namespace detail;

namespace {

// Elements HTML never gives an end tag.
constexpr std::array<const char*, 14> kVoid = {"area", "base", "br", "col", "embed", "hr", "img",
                                               "input", "link", "meta", "param", "source", "track", "wbr"};
// Elements after whose end tag a line break is harmless to the page (it
// falls where HTML ignores white space) and keeps the file readable.
constexpr std::array<const char*, 10> kLineAfterEnd = {"html", "head", "title", "style", "script",
                                                       "body", "table", "tr", "meta", "link"};
// Elements after whose start tag a line break is equally harmless.
constexpr std::array<const char*, 3> kLineAfterStart = {"html", "head", "body"};

template <size_t N>
bool In(const std::array<const char*, N>& names, const xmlChar* name) {
    for (const char* n : names)
        if (xmlStrcasecmp(name, BAD_CAST n) == 0) return true;
    return false;
}

void EscapeText(std::string& out, const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        // '>' only where it would close a CDATA marker: a style sheet's
        // child selector or a script's comparison stays readable to HTML.
        else if (c == '>' && i >= 2 && text[i - 1] == ']' && text[i - 2] == ']') out += "&gt;";
        else out += c;
    }
}

void EscapeAttribute(std::string& out, const std::string& value) {
    for (char c : value) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '"': out += "&quot;"; break;
            case '\n': out += "&#10;"; break;
            case '\r': out += "&#13;"; break;
            case '\t': out += "&#9;"; break;
            default: out += c;
        }
    }
}

void EndLine(std::string& out) {
    if (!out.empty() && out.back() != '\n') out += '\n';
}

std::string QualifiedName(xmlNodePtr node) {
    std::string name = S(node->name);
    if (node->ns && node->ns->prefix) name = S(node->ns->prefix) + ":" + name;
    return name;
}

void WriteNode(std::string& out, xmlNodePtr node);

void WriteChildren(std::string& out, xmlNodePtr node) {
    for (xmlNodePtr c = node->children; c; c = c->next) WriteNode(out, c);
}

void WriteElement(std::string& out, xmlNodePtr node) {
    const std::string name = QualifiedName(node);
    out += '<';
    out += name;
    for (xmlNsPtr ns = node->nsDef; ns; ns = ns->next) {
        out += ns->prefix ? " xmlns:" + S(ns->prefix) : std::string(" xmlns");
        out += "=\"";
        EscapeAttribute(out, S(ns->href));
        out += '"';
    }
    for (xmlAttrPtr a = node->properties; a; a = a->next) {
        out += ' ';
        if (a->ns && a->ns->prefix) out += S(a->ns->prefix) + ":";
        out += S(a->name);
        out += "=\"";
        EscapeAttribute(out, Take(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a))));
        out += '"';
    }
    const bool isVoid = In(kVoid, node->name);
    if (isVoid && !node->children) {
        out += "/>";
        if (In(kLineAfterEnd, node->name)) out += '\n';
        return;
    }
    out += '>';
    if (In(kLineAfterStart, node->name)) out += '\n';
    WriteChildren(out, node);
    const bool isBody = xmlStrcasecmp(node->name, BAD_CAST "body") == 0;
    if (isBody) EndLine(out);
    out += "</" + name + ">";
    if (In(kLineAfterEnd, node->name)) out += '\n';
}

void WriteNode(std::string& out, xmlNodePtr node) {
    switch (node->type) {
        case XML_ELEMENT_NODE: WriteElement(out, node); break;
        case XML_TEXT_NODE: EscapeText(out, S(node->content)); break;
        case XML_CDATA_SECTION_NODE: out += "<![CDATA[" + S(node->content) + "]]>"; break;
        case XML_COMMENT_NODE: out += "<!--" + S(node->content) + "-->"; break;
        case XML_PI_NODE:
            out += "<?" + S(node->name);
            if (node->content && *node->content) out += " " + S(node->content);
            out += "?>";
            break;
        case XML_ENTITY_REF_NODE: out += "&" + S(node->name) + ";"; break;
        default: break;   // attributes are written with their element; DTDs at the top
    }
}

void WriteDoctype(std::string& out, xmlDtdPtr dtd) {
    out += "<!DOCTYPE " + S(dtd->name);
    if (dtd->ExternalID) {
        out += " PUBLIC \"" + S(dtd->ExternalID) + "\"";
        if (dtd->SystemID) out += " \"" + S(dtd->SystemID) + "\"";
    } else if (dtd->SystemID) {
        out += " SYSTEM \"" + S(dtd->SystemID) + "\"";
    }
    out += ">\n";
}

}  // namespace

std::string ToHtmlPage(const Document& document) {
    std::string out;
    xmlDocPtr doc = document.Raw();
    const xmlNodePtr root = xmlDocGetRootElement(doc);
    bool doctype = false;
    for (xmlNodePtr n = doc->children; n; n = n->next) {
        if (n->type == XML_DTD_NODE) {
            WriteDoctype(out, reinterpret_cast<xmlDtdPtr>(n));
            doctype = true;
            continue;
        }
        if (n == root && !doctype && xmlStrcasecmp(root->name, BAD_CAST "html") == 0) {
            out += "<!DOCTYPE html>\n";
            doctype = true;
        }
        WriteNode(out, n);
        EndLine(out);
    }
    return out;
}

std::string ToHtmlMarkup(const Node& node) {
    std::string out;
    if (node) WriteNode(out, node.Raw());
    return out;
}

std::string ToHtmlText(const std::string& text) {
    std::string out;
    EscapeText(out, text);
    return out;
}

NodeList ParseHtmlFragment(Document& into, std::string_view markup) {
    InitLibrary();
    // The markup goes inside an element of its own, so text at its start is
    // not wrapped in an implied paragraph.
    const std::string text = "<div>" + XmlChars(markup) + "</div>";
    htmlDocPtr parsed = htmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8",
                                       HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                           HTML_PARSE_NOIMPLIED);
    if (!parsed) throw XmlError("The HTML markup cannot be read");
    NodeList nodes;
    const auto take = [&](xmlNodePtr n) {
        xmlNodePtr copy = xmlDocCopyNode(n, into.Raw(), 1);
        if (!copy) {
            xmlFreeDoc(parsed);
            throw XmlError("Cannot copy the HTML markup");
        }
        KeepDetached(copy);
        nodes.emplace_back(copy);
    };
    const xmlNodePtr wrapper = xmlDocGetRootElement(parsed);
    // A stray end tag in the markup closes the wrapper early; what follows
    // it then stands beside the wrapper and still belongs to the markup.
    for (xmlNodePtr top = wrapper; top; top = top->next) {
        if (top == wrapper) {
            for (xmlNodePtr c = wrapper->children; c; c = c->next) take(c);
        } else if (top->type != XML_DTD_NODE) {
            take(top);
        }
    }
    xmlFreeDoc(parsed);
    return nodes;
}

}  // namespace platform::xml
