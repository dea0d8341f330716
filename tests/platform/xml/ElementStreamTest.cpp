// The root's children read element by element as a document holds them:
// their names and attributes whatever the file's encoding, and nothing a
// document type only defaults.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/xml/ElementStream.h"
#include "platform/xml/XmlDocument.h"
#include "tests/support/TestSupport.h"

using namespace platform::xml;
namespace fs = std::filesystem;

namespace {

// Each child as its name and the attributes asked for, "name a=1 b=2".
std::vector<std::string> Children(const fs::path& file, const std::vector<std::string>& attributes) {
    std::vector<std::string> out;
    ElementStream stream(file);
    while (stream.Next()) {
        std::string line = stream.Name();
        for (const std::string& a : attributes) line += " " + a + "=" + stream.GetAttribute(a);
        out.push_back(line);
    }
    return out;
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

}  // namespace

TEST(ElementStream, ChildrenReadAsTheDocumentHoldsThemInAnyEncoding) {
    testsupport::TempDir dir;
    const std::string text = "<r><c a=\"x&amp;y&#38;&lt;&#x41;\"/><d a=\"2\">t<e a=\"3\"/></d></r>";
    const std::vector<std::pair<const char*, std::string>> files = {
        {"UTF-8", text},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + text},
        {"UTF-16, big end first", Utf16(text, true)},
        {"UTF-16, little end first", Utf16(text, false)},
        {"declared Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + text},
    };
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        { std::ofstream(dir / "file.xml", std::ios::binary) << bytes; }
        EXPECT_EQ(Children(dir / "file.xml", {"a"}), (std::vector<std::string>{"c a=x&y&<A", "d a=2"}));
    }
    { std::ofstream(dir / "file.xml", std::ios::binary) << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><c a=\"\xE9\"/></r>"; }
    EXPECT_EQ(Children(dir / "file.xml", {"a"}), (std::vector<std::string>{"c a=\xC3\xA9"}));
}

// Prefixed names as written, namespace declarations as the attributes they
// are written as, and an attribute the document type only defaults is not
// the element's, as for a document.
TEST(ElementStream, NamesAsWrittenAndNoDefaultedAttributes) {
    testsupport::TempDir dir;
    const std::string text =
        "<!DOCTYPE r [<!ATTLIST c d CDATA \"by default\">]>"
        "<r xmlns:p=\"urn:p\"><p:c xmlns=\"urn:d\" p:a=\"1\" b=\"2\"/><c b=\"3\"/></r>";
    { std::ofstream(dir / "file.xml", std::ios::binary) << text; }
    EXPECT_EQ(Children(dir / "file.xml", {"p:a", "b", "xmlns", "d"}),
              (std::vector<std::string>{"p:c p:a=1 b=2 xmlns=urn:d d=", "c p:a= b=3 xmlns= d="}));
    const Document doc = Document::Parse(text);
    EXPECT_EQ(doc.DocumentElement().LastChild().GetAttribute("d"), "");
}
