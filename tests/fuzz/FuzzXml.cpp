// The XML layer: any bytes are read without crash; what was read is written
// so that it reads again, to the same text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    platform::xml::Document doc;
    if (!doc.LoadXml(text)) return 0;
    for (const bool pretty : {false, true}) {
        platform::xml::SaveOptions options;
        options.pretty = pretty;
        const std::string written = doc.ToString(options);
        platform::xml::Document again = fuzzsupport::MustReload(written);
        if (!pretty && again.ToString(options) != written) fuzzsupport::Fail("the text changes when read again", written);
    }
    if (platform::xml::Node root = doc.DocumentElement()) {
        (void)root.Text();
        for (const auto& node : doc.SelectNodes("//*")) (void)node.Attributes();
    }
    return 0;
}
