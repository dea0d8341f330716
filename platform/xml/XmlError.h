#pragma once
// Errors raised by the XML layer, and the details of a failed parse.

#include <stdexcept>
#include <string>

namespace platform::xml {

// Why a text or file did not parse: the reason, the 1-based line and
// position, and the text of the offending line. errorCode 0 means no error.
struct ParseError {
    int errorCode = 0;
    std::string reason;
    int line = 0;
    int linePos = 0;
    std::string srcText;
    std::string url;   // the file, when one was read

    explicit operator bool() const { return errorCode != 0; }
    // "reason (line L, position P)", for messages and logs.
    std::string Describe() const;
    // The text held nothing but white space.
    bool IsEmptyDocument() const;
};

class XmlError : public std::runtime_error {
public:
    explicit XmlError(const std::string& message) : std::runtime_error(message) {}
    XmlError(const std::string& message, ParseError detail)
        : std::runtime_error(message), m_parse(std::move(detail)) {}
    // Set when the error comes from parsing.
    const ParseError& Parse() const { return m_parse; }
private:
    ParseError m_parse;
};

}  // namespace platform::xml
