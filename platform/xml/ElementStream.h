#pragma once
// The children of a document's root element read one after the other from
// a file, without the document held whole: for a file far larger than a
// document may take in memory (the CRUD comparison file of a large
// workspace). Parsed under Document's rules: no network, no external
// entity, the document's own entities within the parser's limits.

#include <filesystem>
#include <memory>
#include <string>

#include "platform/xml/XmlError.h"

namespace platform::xml {

class ElementStream {
public:
    // Raises XmlError when the file cannot be opened.
    explicit ElementStream(const std::filesystem::path& file);
    ~ElementStream();
    ElementStream(const ElementStream&) = delete;
    ElementStream& operator=(const ElementStream&) = delete;

    // Moves to the root's next child element, past everything inside the
    // one before; false once the root has ended (the rest of the file
    // read). Raises XmlError, with the parse details, where the text read
    // so far is not well-formed.
    bool Next();
    // The current element's name and an attribute of it ("" when absent).
    std::string Name() const;
    std::string GetAttribute(const std::string& name) const;

private:
    struct State;
    [[noreturn]] void Fail();

    std::unique_ptr<State> m_state;
};

}  // namespace platform::xml
