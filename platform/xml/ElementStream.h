#pragma once
// The children of a document's root element read one after the other from
// a file, without the document held whole: for a file far larger than a
// document may take in memory (the CRUD comparison file of a large
// workspace). No network and no external entity, as for Document; unlike
// Document, a document that declares entities of its own is refused, so a
// small file never stands for gigabytes of text.
//
// Nothing of the document is built: the parser hands over each node as it
// reads it, the root's child elements are kept (name and attributes) until
// Next reaches them, and everything else, their content, comments,
// processing instructions and text, is counted and dropped as it is read.
// The parser's limits hold as for Document (a comment, a processing
// instruction, a CDATA section or a tag of at most 10 MB, at most 256
// levels of elements), so what is held at once stays within a few such
// nodes whatever the file holds between them.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>

#include "platform/xml/XmlError.h"

namespace platform::xml {

// Shared with another thread while a stream reads: how many bytes of the
// file it has taken in and how many nodes it has read, and a request to
// stop, seen at its next read of the file (64 KB on).
struct ReadGauge {
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<std::uint64_t> nodes{0};
    std::atomic<bool> stop{false};
};

class ElementStream {
public:
    static constexpr std::uint64_t kUnbounded = std::numeric_limits<std::uint64_t>::max();

    // Raises XmlError when the file cannot be opened. gauge, when given,
    // must outlive the stream; once its stop is set, Next raises XmlError.
    // The stream reads at most maxNodes nodes of the file: every element
    // (at any depth), comment, processing instruction, run of text or
    // CDATA, and the document type, counts one, wherever it stands.
    explicit ElementStream(const std::filesystem::path& file, ReadGauge* gauge = nullptr,
                           std::uint64_t maxNodes = kUnbounded);
    ~ElementStream();
    ElementStream(const ElementStream&) = delete;
    ElementStream& operator=(const ElementStream&) = delete;

    // Moves to the root's next child element, past everything inside the
    // one before; false once the root has ended (the rest of the file
    // read) or maxNodes nodes have been read (Cut). Raises XmlError, with
    // the parse details, where the text read so far is not well-formed;
    // for a file of nothing but white space the details say so
    // (ParseError::IsEmptyDocument).
    bool Next();
    // Next stopped at maxNodes, with more of the file unread.
    bool Cut() const;
    // The current element's name and an attribute of it ("" when absent).
    std::string Name() const;
    std::string GetAttribute(const std::string& name) const;

private:
    struct State;
    [[noreturn]] void Fail();

    std::unique_ptr<State> m_state;
};

}  // namespace platform::xml
