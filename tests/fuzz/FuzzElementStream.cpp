// The XML layer read element by element: any bytes are read without crash
// or leak, and what fails, fails as an XmlError with its parse details.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/xml/ElementStream.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A file in memory, read through its descriptor's name.
    static const int fd = memfd_create("element-stream", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    const std::string file = "/proc/self/fd/" + std::to_string(fd);
    try {
        platform::xml::ElementStream stream(file);
        while (stream.Next()) {
            (void)stream.Name();
            (void)stream.GetAttribute("Program1");
        }
    } catch (const platform::xml::XmlError& e) {
        if (!e.Parse()) fuzzsupport::Fail(std::string("a failed read without its details: ") + e.what(), "");
    }
    return 0;
}
