#pragma once
// What every fuzz target checks beyond "no crash, no sanitizer report": a
// document the tool writes reads again, and a WSDL document the tool
// writes holds only names and a schema that libxml2's schema compiler takes.

#include <libxml/tree.h>
#include <libxml/xmlschemas.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/xml/XmlDocument.h"

namespace fuzzsupport {

[[noreturn]] inline void Fail(const std::string& what, const std::string& text) {
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n--- text ---\n%s\n", what.c_str(), text.c_str());
    std::abort();
}

// The text reads again as XML; returns the document.
inline platform::xml::Document MustReload(const std::string& text) {
    platform::xml::Document doc;
    if (!doc.LoadXml(text)) Fail("written XML does not read again: " + doc.LastParseError().Describe(), text);
    return doc;
}

inline void CheckWsdl(const std::string& text) {
    platform::xml::Document doc = MustReload(text);
    for (const auto& named : doc.SelectNodes("//*[@name]")) {
        const std::string name = named.GetAttribute("name");
        if (xmlValidateNCName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) != 0)
            Fail("a name schema readers refuse: " + name, text);
    }
    platform::xml::Node schema = doc.SelectSingleNode("/*/*[local-name()='types']/*[local-name()='schema']");
    if (!schema) Fail("no schema", text);
    platform::xml::Document alone;
    alone.SetDocumentElement(alone.ImportNode(schema, true));
    platform::xml::Document reread = MustReload(alone.ToString());
    xmlSchemaParserCtxtPtr ctxt = xmlSchemaNewDocParserCtxt(reread.Raw());
    xmlSchemaSetParserStructuredErrors(ctxt, [](void*, xmlErrorPtr) {}, nullptr);
    xmlSchemaPtr compiled = xmlSchemaParse(ctxt);
    xmlSchemaFreeParserCtxt(ctxt);
    if (!compiled) Fail("the schema does not compile", text);
    xmlSchemaFree(compiled);
}

}  // namespace fuzzsupport
