#pragma once
// The WSDL document of a web service, built from the stored message
// documents of its web operations. Free texts (service, program and part
// names, type texts) are turned into XML names inside the document only, so
// that WSDL and schema consumers load it; the caller keeps the real service
// name for the file name.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Prompt.h"
#include "platform/db/Database.h"
#include "platform/xml/XmlDocument.h"
#include "services/XmlNames.h"

namespace Globals {
// The name of the web service whose WSDL document was generated last; the
// default file names of the save commands are formed from it.
extern std::string g_ServiceName;
}  // namespace Globals

namespace services {

inline constexpr const char* kWsdlNamespace = "http://schemas.xmlsoap.org/wsdl/";
inline constexpr const char* kXsdNamespace = "http://www.w3.org/2001/XMLSchema";

// One child of a stored `message` element: its `name` and, when present,
// its `element` (the type text).
struct StoredPart {
    std::string name;
    std::optional<std::string> element;
};

// One `message` element of a stored message document.
struct StoredMessage {
    std::string name;
    std::vector<StoredPart> parts;
};

// The `message` elements (at any depth) of the stored message document of
// element id with the given message nature, in document order; empty when
// nothing is stored. A stored text that does not parse is reported through
// the prompt ("An error has occured:", the parser's code and reason) and
// gives an empty list.
std::vector<StoredMessage> LoadEntityMessages(platform::db::Database& db, int64_t id, int nature,
                                              common::IPrompt& prompt);

// The facets of one type text: the schema base and the facet values that
// are valid numbers (a value that is not is left out, never written empty).
struct SchemaType {
    std::string base;                    // "xsd:string", "xsd:integer", "xsd:decimal"
    std::optional<std::string> maxLength;
    std::optional<std::string> totalDigits;
    std::optional<std::string> fractionDigits;
};
// "char 10" -> string, maxLength 10; "decimal 7(2)" -> decimal, 7 and 2;
// "integer 4" -> integer, totalDigits 4; an unknown word -> string alone.
SchemaType ParseTypeText(std::string_view typeText);

// Builds one WSDL document: the root, `wsdl:service`, `wsdl:serviceType`,
// the top-level `wsdl:portType` and `wsdl:types` with `xsd:schema`, then
// operations, messages and schema elements as they are added.
class WsdlBuilder {
public:
    explicit WsdlBuilder(const std::string& serviceName);

    // One operation with its messages and their types; nothing for an empty list.
    void AddWSDLOperation(const std::vector<StoredMessage>& messages);
    // Declares the type text in the schema once per document and returns the
    // name of its `xsd:element`.
    std::string AddWSDLTypes(const std::string& typeText);

    const platform::xml::Document& Document() const { return m_doc; }
    // The document as written to a file: declaration, UTF-8, indented.
    std::string ToString() const;

private:
    platform::xml::Document m_doc;
    platform::xml::Node m_root;
    platform::xml::Node m_portType;
    platform::xml::Node m_schema;
    // Type text -> element name (compared exactly: "CHAR 10" is not "char 10").
    std::map<std::string, std::string> m_types;
    UniqueNames m_typeNames;
    UniqueNames m_operationNames;
    UniqueNames m_messageNames;
    // The root declares the prefix xsd once a part refers to "xsd:string".
    bool m_xsdOnRoot = false;
};

struct GeneratedWsdl {
    std::string serviceName;   // the service's real name (as valid UTF-8), for the file name
    std::string text;
};

// Builds the WSDL document of web service wsid from its web operations on
// entities (processes are left out; a link whose entity row is missing is
// skipped). No document, and no message, when the service does not exist
// or FileNameUtility::IsValidName refuses its name (WsdlRefusal tells
// which). Sets Globals::g_ServiceName once the name has passed, with bytes
// that are no UTF-8 replaced (ToValidUtf8).
// Why GenerateWebServiceWSDL gives no document for wsid, as the text shown
// to the analyst; empty when it gives one.
std::string WsdlRefusal(platform::db::Database& db, int64_t wsid);

std::optional<GeneratedWsdl> GenerateWebServiceWSDL(platform::db::Database& db, int64_t wsid,
                                                    common::IPrompt& prompt);

}  // namespace services
