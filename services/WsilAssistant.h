#pragma once
// The WSIL to WSDL assistant without its window: it parses a WSIL document,
// derives from it a reduced document (root WSDL with Master.Input and
// Master.Output holding copies of the input and output parts under flat
// dotted names), lists the input parts and keeps both documents in step when
// a part's user-input flag or default value changes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/xml/XmlDocument.h"

namespace services {

// One row of the assistant's list: an input part of the WSIL document.
struct WsilPartRow {
    std::string partId;         // WSILPartID, the row's key
    std::string name;           // the part's own name, not the dotted one
    std::string userValue;      // WSILUserValue ("True" or "False")
    std::string defaultValue;   // WSILDefaultValue
    std::string type;           // type, shown only
};

class WsilAssistant {
public:
    // Parses the WSIL text and derives the WSDL document; raises
    // platform::xml::XmlError (with the parse details) when it does not parse.
    explicit WsilAssistant(std::string_view wsilText);

    const platform::xml::Document& Wsil() const { return m_wsil; }
    const platform::xml::Document& Wsdl() const { return m_wsdl; }

    // Every part of an input message, in document order.
    std::vector<WsilPartRow> InputRows() const;

    // Stores the flag and the default value on the WSIL part with that id
    // and keeps its copy in Master.Input in step: a user input field gets a
    // copy (appended when it had none), any other part loses it. False when
    // no part has that id (nothing changes then).
    bool Update(const std::string& partId, bool userInput, const std::string& defaultValue);

    // The texts the window shows (and searches).
    std::string WsilText() const;
    std::string WsdlText() const;

    // Flat name of a part: the names of its ancestors from the outermost one
    // below `webservice` (or below the document element when there is no
    // `webservice` ancestor) down to its message, each followed by ".", then
    // the part's own name.
    static std::string DottedName(const platform::xml::Node& part);

private:
    void BuildWSDL();
    platform::xml::Node CopyToWsdl(const platform::xml::Node& wsilPart, platform::xml::Node under);

    platform::xml::Document m_wsil;
    platform::xml::Document m_wsdl;
    platform::xml::Node m_masterInput;
    platform::xml::Node m_masterOutput;
};

// The part with that WSILPartID, found by comparing the attribute (never by
// building a query from the id); a null node when there is none.
platform::xml::Node FindPartById(const platform::xml::Document& doc, const std::string& partId);

// Where the attribute WSILPartID="<id>" stands in a serialised text (start
// and length), the id escaped as the XML layer writes it.
std::optional<std::pair<std::size_t, std::size_t>> FindPartIdAttribute(std::string_view text,
                                                                       const std::string& partId);

}  // namespace services
