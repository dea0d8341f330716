#include <gtest/gtest.h>

#include "platform/xml/HtmlMarkup.h"

using namespace platform::xml;

namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(HtmlPage, EmptyElementsAreWrittenAsBothXmlAndHtmlReadThem) {
    Document doc = Document::Parse(
        "<html><head><meta charset=\"utf-8\"/><title>T</title></head>"
        "<body><div/><br/><td></td><img src=\"a.gif\"></img><script src=\"s.js\"/><p>x<br/>y</p></body></html>");
    const std::string page = ToHtmlPage(doc);

    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html>", 0), 0u) << page;
    EXPECT_EQ(page.find("<?xml"), std::string::npos);
    // A browser would take <div/> or <script/> as an open element, and </br> as a second break.
    EXPECT_NE(page.find("<div></div>"), std::string::npos);
    EXPECT_NE(page.find("<td></td>"), std::string::npos);
    EXPECT_NE(page.find("<script src=\"s.js\"></script>"), std::string::npos);
    EXPECT_NE(page.find("<img src=\"a.gif\"/>"), std::string::npos);
    EXPECT_NE(page.find("<meta charset=\"utf-8\"/>"), std::string::npos);
    EXPECT_EQ(Count(page, "<br/>"), 2u);
    EXPECT_EQ(page.find("</br>"), std::string::npos);
    EXPECT_NE(page.find("\n</body>\n"), std::string::npos) << page;

    // And it reads back as the same XML tree.
    Document again = Document::Parse(page);
    EXPECT_EQ(ToHtmlPage(again), page);
}

TEST(HtmlPage, TextAndAttributesAreEscapedButStyleSheetsStayReadable) {
    Document doc = Document::Parse("<html><head><style>a > b { x: 1 }</style></head><body/></html>");
    Node body = doc.SelectSingleNode("//body");
    Node cell = body.AppendElement("td");
    cell.AppendText("A&B<C> ]]> &nbsp;");
    cell.SetAttribute("title", "say \"hi\" & <go>\nnow");
    const std::string page = ToHtmlPage(doc);

    EXPECT_NE(page.find("a > b { x: 1 }"), std::string::npos) << page;
    EXPECT_NE(page.find(">A&amp;B&lt;C> ]]&gt; &amp;nbsp;</td>"), std::string::npos) << page;
    EXPECT_NE(page.find("title=\"say &quot;hi&quot; &amp; &lt;go>&#10;now\""), std::string::npos) << page;
    Document again = Document::Parse(page);
    EXPECT_EQ(again.SelectSingleNode("//td").Text(), "A&B<C> ]]> &nbsp;");
    EXPECT_EQ(again.SelectSingleNode("//td").GetAttribute("title"), "say \"hi\" & <go>\nnow");
}

TEST(HtmlPage, KeepsADoctypeAndCommentsAsTheyAre) {
    Document doc = Document::Parse(
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"about:blank\">"
        "<html><head><script><!--\nif (a < b && c) go();\n//--></script></head><body/></html>");
    const std::string page = ToHtmlPage(doc);
    EXPECT_EQ(page.rfind("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"about:blank\">\n", 0), 0u);
    EXPECT_EQ(Count(page, "<!DOCTYPE"), 1u);
    EXPECT_NE(page.find("<!--\nif (a < b && c) go();\n//--></script>"), std::string::npos) << page;
}

TEST(HtmlFragment, ReadsMarkupAsABrowserWould) {
    Document doc = Document::Parse("<cell/>");
    const NodeList nodes = ParseHtmlFragment(doc, "PGM1 &amp; co<br><img src='a.gif' width=16>&nbsp;<b>x</b>");
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(nodes[0].Type(), NodeType::Text);   // no implied paragraph around leading text
    EXPECT_EQ(nodes[0].Text(), "PGM1 & co");
    EXPECT_EQ(nodes[1].Name(), "br");
    EXPECT_EQ(nodes[2].Name(), "img");
    EXPECT_EQ(nodes[2].GetAttribute("width"), "16");
    EXPECT_EQ(nodes[3].Text(), "\xC2\xA0");
    EXPECT_EQ(nodes[4].Xml(), "<b>x</b>");

    // A stray end tag does not lose what follows it.
    const NodeList stray = ParseHtmlFragment(doc, "a</div>b");
    std::string text;
    for (const Node& n : stray) text += n.Text();
    EXPECT_EQ(text, "ab");
}
