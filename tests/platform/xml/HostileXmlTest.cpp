// Documents made to hurt the reader, and a planted link beside a saved file.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "platform/xml/ElementStream.h"
#include "platform/xml/XmlDocument.h"
#include "tests/platform/xml/LibxmlMemory.h"
#include "tests/support/TestSupport.h"

using namespace platform::xml;
namespace fs = std::filesystem;

namespace {

std::string Repeat(const std::string& s, int times) {
    std::string out;
    out.reserve(s.size() * static_cast<size_t>(times));
    for (int i = 0; i < times; ++i) out += s;
    return out;
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

// A file that breaks while it is read element by element leaves nothing of
// its partial document behind, however often it is read: a damaged file
// read again and again took memory it never gave back. Read once before
// counting, so what libxml2 keeps for good is not counted.
TEST(HostileXml, ADamagedFileReadElementByElementLeavesNothingBehind) {
    testsupport::TempDir dir;
    const std::string entities = "<!DOCTYPE r [<!ENTITY e \"" + std::string(100, 'a') + "\">]>";
    const std::vector<std::string> damaged = {
        "<r>" + Repeat("<c a=\"1\"/>", 1000) + "<c a=",
        entities + "<r>" + Repeat("<c a=\"&e;\">&e;</c>", 1000) + "</x>",
        "<r><c/></r><after",
        // UTF-16 by its mark, then half a character: the parser stops
        // without a word.
        std::string("\xFE\xFF\0*\xD8\x58rt", 8),
    };
    for (const std::string& text : damaged) {
        { std::ofstream(dir / "damaged.xml", std::ios::binary) << text; }
        const auto readAll = [&] {
            try {
                ElementStream stream(dir / "damaged.xml");
                while (stream.Next()) (void)stream.GetAttribute("a");
                ADD_FAILURE() << "read whole";
            } catch (const XmlError&) {
            }
        };
        readAll();
        const xmltest::LibxmlMemory counted;
        for (int n = 0; n < 20; ++n) readAll();
        EXPECT_EQ(xmltest::LibxmlMemory::Blocks(), 0) << text.substr(0, 80);
    }
    // The parser goes on past a prefix never declared, but lists nothing
    // from there on.
    { std::ofstream(dir / "damaged.xml", std::ios::binary) << "<r><c a=\"1\"/><c p:a=\"2\"/><c a=\"3\"/></r>"; }
    ElementStream stream(dir / "damaged.xml");
    ASSERT_TRUE(stream.Next());
    EXPECT_EQ(stream.GetAttribute("a"), "1");
    EXPECT_THROW(stream.Next(), XmlError);
}

// What a file may pile up between the root's children, around the root or
// inside a child, 10 MB of it: each node is counted and dropped as it is
// read. Read whole, only the elements around it are found and the
// parser's memory stays within a few pieces of the file (nodes kept until
// the next element took 20 times the file); read to a bound on nodes, the
// read ends there, a little way into the file, and says it was cut.
TEST(HostileXml, NodesPiledUpInAFileAreCountedAndDroppedAsTheyAreRead) {
    testsupport::TempDir dir;
    const auto filling = [](const char* node) {
        std::string text;
        char line[64];
        for (long n = 0; text.size() < 10 * 1024 * 1024; ++n)
            text.append(line, std::snprintf(line, sizeof line, node, n));
        return text;
    };
    const std::string one = "<c a=\"1\"/>", two = "<c a=\"2\"/>";
    struct Case {
        const char* what;
        std::string text;
        int beforeTheBound;   // elements
    };
    const std::vector<Case> files = {
        {"comments", "<r>" + one + filling("<!-- note %ld -->\n") + two + "</r>", 1},
        {"processing instructions", "<r>" + one + filling("<?note %ld?>\n") + two + "</r>", 1},
        {"CDATA sections", "<r>" + one + filling("<![CDATA[note %ld]]>\n") + two + "</r>", 1},
        {"text between comments", "<r>" + one + filling("note %ld<!---->") + two + "</r>", 1},
        {"white space between empty comments", "<r>" + one + filling("<!---->\n") + two + "</r>", 1},
        {"one text", "<r>" + one + std::string(10 * 1024 * 1024, 'x') + two + "</r>", 2},
        {"comments before the root", filling("<!-- note %ld -->\n") + "<r>" + one + two + "</r>", 0},
        {"instructions after the root", "<r>" + one + two + "</r>" + filling("<?note %ld?>\n"), 2},
        {"elements inside a child", "<r><c a=\"1\">" + filling("<d n=\"%ld\">x</d>") + "</c>" + two + "</r>", 1},
    };
    for (const Case& c : files) {
        SCOPED_TRACE(c.what);
        { std::ofstream(dir / "piled.xml", std::ios::binary) << c.text; }
        {
            const xmltest::LibxmlMemory counted;
            ElementStream whole(dir / "piled.xml");
            ASSERT_TRUE(whole.Next());
            EXPECT_EQ(whole.GetAttribute("a"), "1");
            ASSERT_TRUE(whole.Next());
            EXPECT_EQ(whole.GetAttribute("a"), "2");
            EXPECT_FALSE(whole.Next());
            EXPECT_FALSE(whole.Cut());
            EXPECT_LT(xmltest::LibxmlMemory::PeakBytes(), 1 << 20);
        }
        const xmltest::LibxmlMemory counted;
        ReadGauge gauge;
        ElementStream bounded(dir / "piled.xml", &gauge, 1000);
        int read = 0;
        while (bounded.Next()) EXPECT_EQ(bounded.GetAttribute("a"), std::to_string(++read));
        EXPECT_EQ(read, c.beforeTheBound);
        const bool cut = c.beforeTheBound < 2 || c.what == std::string("instructions after the root");
        EXPECT_EQ(bounded.Cut(), cut);
        if (cut) {
            EXPECT_EQ(gauge.nodes, 1000u);
            EXPECT_LT(gauge.bytes, 1u << 20);
        }
        EXPECT_LT(xmltest::LibxmlMemory::PeakBytes(), 1 << 20);
    }
}

// One node beyond the parser's limits fails the read, holding no more than
// the limit of what the parser looks ahead for a node's end (10 MB), as for
// a document: a comment, a processing instruction, a CDATA section or a
// tag. Elements nested more than 256 deep fail as soon, and a file of
// nothing but white space says it is empty.
TEST(HostileXml, OneNodeBeyondTheLimitsFailsWithoutBeingHeld) {
    testsupport::TempDir dir;
    const std::string big(12'000'000, 'x');
    const std::vector<std::tuple<const char*, std::string, const char*>> files = {
        {"comment", "<r><c/><!--" + big + "--><c/></r>", ""},
        {"processing instruction", "<r><c/><?pi " + big + "?><c/></r>", ""},
        {"CDATA section", "<r><c/><![CDATA[" + big + "]]><c/></r>", ""},
        {"tag", "<r><c/><c a=\"" + big + "\"/></r>", ""},
        {"nesting", "<r><c/>" + Repeat("<d>", 100000) + Repeat("</d>", 100000) + "</r>", "deeper than 256"},
        {"nothing", "", "empty"},
        {"nothing but white space", " \n\t\r\n", "empty"},
    };
    for (const auto& [what, text, reason] : files) {
        SCOPED_TRACE(what);
        { std::ofstream(dir / "big.xml", std::ios::binary) << text; }
        Document whole;
        EXPECT_FALSE(whole.LoadFile(dir / "big.xml"));
        const xmltest::LibxmlMemory counted;
        ElementStream stream(dir / "big.xml");
        try {
            while (stream.Next()) {
            }
            ADD_FAILURE() << "read whole";
        } catch (const XmlError& e) {
            EXPECT_NE(e.Parse().reason.find(reason), std::string::npos) << e.Parse().reason;
            EXPECT_EQ(e.Parse().IsEmptyDocument(), std::string(reason) == "empty");
        }
        EXPECT_LT(xmltest::LibxmlMemory::PeakBytes(), 40 << 20);
    }
}

// One large entity referenced many times is no nesting, so the parser's
// nesting checks never see it; 200 KB stand for 2.5 GB of text. Every
// document fails as it is read, whole or element by element, with a reason
// that says what is wrong, and no external file is ever read. Read element
// by element, a document fails at its first declared entity, before any
// text is replaced.
TEST(HostileXml, EntitiesThatStandForTooMuchTextOrForFilesAreRefused) {
    testsupport::TempDir dir;
    const std::string big = "<!DOCTYPE r [<!ENTITY e \"" + std::string(50000, 'a') + "\">]>";
    struct Case {
        const char* what;
        std::string text;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"in content", big + "<r>" + Repeat("&e;", 50000) + "</r>", "far more text"},
        {"in an attribute", big + "<r a=\"" + Repeat("&e;", 50000) + "\"/>", "far more text"},
        {"in a child per reference", big + "<r>" + Repeat("<c>&e;</c>", 20000) + "</r>", "far more text"},
        {"external general entity",
         "<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/hostname\">]><r>&e;</r>", "external entity"},
        {"external parameter entity",
         "<!DOCTYPE r [<!ENTITY % p SYSTEM \"file:///etc/hostname\"> %p;]><r/>", "external entity"},
        {"external entity in an attribute default",
         "<!DOCTYPE r [<!ENTITY e SYSTEM \"/etc/hostname\"><!ATTLIST r a CDATA \"&e;\">]><r>&e;</r>",
         "external entity"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc;
        EXPECT_FALSE(doc.LoadXml(c.text));
        EXPECT_NE(doc.LastParseError().errorCode, 0);
        EXPECT_NE(doc.LastParseError().reason.find(c.reason), std::string::npos) << doc.LastParseError().reason;
        EXPECT_FALSE(doc.DocumentElement());

        { std::ofstream(dir / "hostile.xml", std::ios::binary) << c.text; }
        ElementStream stream(dir / "hostile.xml");
        try {
            while (stream.Next()) {
            }
            ADD_FAILURE() << "read element by element";
        } catch (const XmlError& e) {
            const std::string& reason = e.Parse().reason;
            EXPECT_TRUE(reason.find("declares entities") != std::string::npos ||
                        reason.find("external entity") != std::string::npos)
                << reason;
            EXPECT_EQ(e.Parse().line, 1);
        }
    }
    // Declared entities of a sensible size still read as their text, but
    // for a stream.
    const std::string sensible = "<!DOCTYPE r [<!ENTITY e \"" + std::string(100, 'b') + "\">]><r a=\"&e;\">" +
                                 Repeat("&e;", 100) + "<c a=\"&e;\"/></r>";
    Document fine;
    ASSERT_TRUE(fine.LoadXml(sensible));
    EXPECT_EQ(fine.DocumentElement().Text().size(), 10000u);
    EXPECT_EQ(fine.DocumentElement().GetAttribute("a").size(), 100u);
    { std::ofstream(dir / "fine.xml", std::ios::binary) << sensible; }
    ElementStream stream(dir / "fine.xml");
    EXPECT_THROW(stream.Next(), XmlError);
    // A document type without entities is no harm.
    { std::ofstream(dir / "fine.xml", std::ios::binary) << "<!DOCTYPE r [<!ELEMENT r ANY>]><r><c a=\"&amp;\"/></r>"; }
    ElementStream plain(dir / "fine.xml");
    ASSERT_TRUE(plain.Next());
    EXPECT_EQ(plain.Name(), "c");
    EXPECT_EQ(plain.GetAttribute("a"), "&");
    EXPECT_FALSE(plain.Next());
}

// What was read with an internal subset is written so that it reads again,
// to the same text and content.
TEST(HostileXml, InternalSubsetsAreWrittenSoThatTheyReadAgain) {
    const std::vector<std::string> subsets = {
        "<!ATTLIST r a CDATA \"1&lt;2\">",
        "<!ATTLIST r a CDATA \"&#60;&#x3C;&lt;&lt;\">",
        "<!ATTLIST r a CDATA \"&lt;b&gt; &amp; &quot;q&quot; &apos;s&apos;\">",
        "<!ATTLIST r a CDATA '\"&lt;\"'>",
        "<!ATTLIST r a CDATA \"x&#9;y&#10;z&#13;\">",
        "<!ENTITY e \"&lt;b&gt;x&lt;/b&gt; &#37; &#34;\"><!ATTLIST r a CDATA \"&e;\">",
        "<!ELEMENT r (#PCDATA)><!ATTLIST r a (x|y) 'x' b NMTOKENS #IMPLIED c CDATA #FIXED '&lt;'>",
        "<!-- <&> --><?pi <&>?>",
        // A default libxml2 refuses for its type, and then writes as no default.
        "<!ATTLIST r b (x|y) \"not a token\">",
    };
    for (const std::string& subset : subsets) {
        SCOPED_TRACE(subset);
        Document doc;
        ASSERT_TRUE(doc.LoadXml("<!-- c --><!DOCTYPE r SYSTEM \"r.dtd\" [" + subset + "]><r>t</r>"))
            << doc.LastParseError().Describe();
        const std::string written = doc.ToString();
        Document again;
        ASSERT_TRUE(again.LoadXml(written)) << again.LastParseError().Describe() << "\n" << written;
        EXPECT_EQ(again.ToString(), written);
        EXPECT_EQ(again.DocumentElement().Text(), "t");
    }
}

// A link planted under the temporary name the save once used (or any other
// name beside the file) is never followed: the file it points to keeps its
// content and the saved file becomes a regular file.
TEST(HostileXml, SaveNeverFollowsALinkPlantedBesideTheFile) {
    testsupport::TempDir dir;
    std::ofstream(dir / "victim.txt") << "keep me";
    for (const bool existing : {true, false}) {
        SCOPED_TRACE(existing ? "over an existing file" : "a new file");
        const fs::path file = dir / (existing ? "old.xml" : "new.xml");
        if (existing) Document::Parse("<old/>").Save(file);
        fs::create_symlink(dir / "victim.txt", file.string() + ".saving");
        Document::Parse("<saved/>").Save(file);
        EXPECT_EQ(ReadAll(dir / "victim.txt"), "keep me");
        EXPECT_FALSE(fs::is_symlink(fs::symlink_status(file)));
        EXPECT_EQ(Document::Load(file).DocumentElement().Name(), "saved");
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file.string() + ".saving")));
    }
}
