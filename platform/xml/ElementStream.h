#pragma once
// The children of a document's root element read one after the other from
// a file, without the document held whole: for a file far larger than a
// document may take in memory (the CRUD comparison file of a large
// workspace). No network and no external entity, as for Document; unlike
// Document, a document that declares entities of its own is refused, so a
// small file never stands for gigabytes of text.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/xml/XmlError.h"

namespace platform::xml {

// Shared with another thread while a stream reads: how many bytes of the
// file it has taken in and how many elements Next has moved to, and a
// request to stop, seen at its next read of the file (a few kilobytes on).
struct ReadGauge {
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<std::uint64_t> elements{0};
    std::atomic<bool> stop{false};
};

class ElementStream {
public:
    // Raises XmlError when the file cannot be opened. gauge, when given,
    // must outlive the stream; once its stop is set, Next raises XmlError.
    explicit ElementStream(const std::filesystem::path& file, ReadGauge* gauge = nullptr);
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
