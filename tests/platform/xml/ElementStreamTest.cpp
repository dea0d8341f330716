// The root's children read element by element as a document holds them,
// whatever the file's encoding.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/xml/ElementStream.h"
#include "tests/support/TestSupport.h"

using namespace platform::xml;

namespace {

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

}  // namespace

// Prefixed names as written, namespace declarations as the attributes they
// are written as, references replaced, and no attribute the document type
// only defaults, as for a document.
TEST(ElementStream, ChildrenReadAsTheDocumentHoldsThemInAnyEncoding) {
    testsupport::TempDir dir;
    const std::string text = "<!DOCTYPE r [<!ATTLIST c d CDATA \"by default\">]><r xmlns:p=\"urn:p\">"
                             "<p:c xmlns=\"urn:d\" p:a=\"1\"/><c a=\"x&amp;y&#38;&lt;&#x41;\">t<e a=\"3\"/></c></r>";
    const std::vector<std::pair<const char*, std::string>> files = {
        {"UTF-8", text},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + text},
        {"UTF-16, big end first", Utf16(text, true)},
        {"UTF-16, little end first", Utf16(text, false)},
        {"Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + text + "<!-- \xE9 -->"},
    };
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        { std::ofstream(dir / "file.xml", std::ios::binary) << bytes; }
        std::vector<std::string> children;
        ElementStream stream(dir / "file.xml");
        while (stream.Next()) {
            children.push_back(stream.Name() + " " + stream.GetAttribute("p:a") + stream.GetAttribute("a") + " " +
                               stream.GetAttribute("xmlns") + stream.GetAttribute("d"));
        }
        EXPECT_EQ(children, (std::vector<std::string>{"p:c 1 urn:d", "c x&y&<A "}));
    }
}
