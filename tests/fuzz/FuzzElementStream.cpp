// The XML layer read element by element: any bytes are read without crash
// or leak, and what fails, fails as an XmlError with its parse details. A
// read to a bound on nodes finds the elements a whole read finds up to
// where it was cut, and all of them when it was not cut or failed first; a
// whole read that succeeds finds the root's child elements the document
// has.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/xml/ElementStream.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

struct Read {
    std::vector<std::string> elements;   // name and Program1 of each
    bool failed = false;
    bool cut = false;
};

Read ReadAll(const std::string& file, std::uint64_t maxNodes, const std::string& text) {
    Read read;
    std::optional<platform::xml::ElementStream> stream;
    try {
        stream.emplace(file, nullptr, maxNodes);
        while (stream->Next()) read.elements.push_back(stream->Name() + " " + stream->GetAttribute("Program1"));
    } catch (const platform::xml::XmlError& e) {
        if (!e.Parse()) fuzzsupport::Fail(std::string("a failed read without its details: ") + e.what(), text);
        read.failed = true;
    }
    read.cut = stream && stream->Cut();
    return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A file in memory, read through its descriptor's name.
    static const int fd = memfd_create("element-stream", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    const std::string file = "/proc/self/fd/" + std::to_string(fd);
    const std::string text(reinterpret_cast<const char*>(data), size);

    const Read whole = ReadAll(file, platform::xml::ElementStream::kUnbounded, text);
    if (whole.cut) fuzzsupport::Fail("an unbounded read was cut", text);
    const Read part = ReadAll(file, size % 23, text);
    const bool prefix = part.elements.size() <= whole.elements.size() &&
                        std::equal(part.elements.begin(), part.elements.end(), whole.elements.begin());
    if (!prefix) fuzzsupport::Fail("a bounded read found elements a whole read did not", text);
    // A read that failed before its bound failed where a whole read does.
    if ((!part.cut || part.failed) && (part.failed != whole.failed || part.elements.size() != whole.elements.size()))
        fuzzsupport::Fail("a bounded read that failed or was not cut ended otherwise than a whole read", text);

    if (whole.failed) return 0;
    platform::xml::Document doc;
    if (!doc.LoadXml(text))
        fuzzsupport::Fail("read element by element but not whole: " + doc.LastParseError().Describe(), text);
    std::vector<std::string> children;
    for (platform::xml::Node child = doc.DocumentElement().FirstChild(); child; child = child.NextSibling())
        if (child.IsElement()) children.push_back(child.Name() + " " + child.GetAttribute("Program1"));
    if (children != whole.elements) fuzzsupport::Fail("the root's children read element by element differ", text);
    return 0;
}
