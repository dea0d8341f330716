// Text written into markup by hand (report pages, the CRUD comparison file,
// the WSDL tree's start tags) reads back as it was, in content and in an
// attribute value between double quotes.

#include <gtest/gtest.h>

#include <string>

#include "platform/xml/XmlChars.h"
#include "platform/xml/XmlDocument.h"

namespace {

std::string Escaped(std::string_view text, bool whiteSpace) {
    std::string out = "kept:";
    platform::xml::AppendEscaped(out, text, whiteSpace);
    return out;
}

TEST(XmlEscape, MarkupCharactersBecomeReferencesAndWhiteSpaceOnlyWhenAsked) {
    EXPECT_EQ(Escaped("A&B <C> \"D\" 'E'", false), "kept:A&amp;B &lt;C&gt; &quot;D&quot; 'E'");
    EXPECT_EQ(Escaped("a\tb\nc\rd", false), "kept:a\tb\nc\rd");
    EXPECT_EQ(Escaped("a\tb\nc\rd", true), "kept:a&#9;b&#10;c&#13;d");
    EXPECT_EQ(Escaped("&amp;", true), "kept:&amp;amp;");  // a reference in the text stays text
    EXPECT_EQ(Escaped("\xC3\xA4", true), "kept:\xC3\xA4");
}

TEST(XmlEscape, ContentAndAttributeValueReadBackUnchanged) {
    // A carriage return in content would come back as a line feed: that is
    // the reader's line-end rule, not the escaping's.
    const std::string value = "say \"hi\" & <go>\n\tnow\r", content = "say \"hi\" & <go>\n\tnow";
    std::string markup = "<r a=\"";
    platform::xml::AppendEscaped(markup, value, true);
    markup += "\">";
    platform::xml::AppendEscaped(markup, content, false);
    markup += "</r>";
    platform::xml::Document doc;
    ASSERT_TRUE(doc.LoadXml(markup)) << markup;
    EXPECT_EQ(doc.DocumentElement().GetAttribute("a"), value);
    EXPECT_EQ(doc.DocumentElement().Text(), content);
}

}  // namespace
