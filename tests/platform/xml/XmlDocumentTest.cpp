#include <gtest/gtest.h>

#include <fstream>

#include "platform/xml/XmlDocument.h"
#include "platform/xml/XsltStylesheet.h"
#include "tests/support/TestSupport.h"

using namespace platform::xml;

TEST(XmlParse, ReportsReasonLineAndPositionOfTheFault) {
    Document doc;
    EXPECT_FALSE(doc.LoadXml("<page>\n  <td id=\"a\">x</td>\n  <td id=\"b\">y</tx>\n</page>"));
    const ParseError& e = doc.LastParseError();
    EXPECT_NE(e.errorCode, 0);
    EXPECT_EQ(e.line, 3);
    EXPECT_GT(e.linePos, 0);
    EXPECT_EQ(e.srcText, "  <td id=\"b\">y</tx>");
    EXPECT_FALSE(e.reason.empty());
    EXPECT_FALSE(doc.DocumentElement());   // nothing half-loaded stays behind

    try {
        Document::Parse("<a><b></a>");
        FAIL() << "no error raised";
    } catch (const XmlError& err) {
        EXPECT_EQ(err.Parse().line, 1);
        EXPECT_NE(err.Parse().errorCode, 0);
    }
    // An undeclared prefix is a fault, and so is an external entity reference.
    EXPECT_FALSE(doc.LoadXml("<x:a/>"));
    EXPECT_FALSE(doc.LoadXml("<!DOCTYPE a [<!ENTITY e SYSTEM \"/etc/passwd\">]><a>&e;</a>") &&
                 doc.DocumentElement().Text().find("root") != std::string::npos);
}

TEST(XmlParse, LoadFileNamesMissingFiles) {
    testsupport::TempDir dir;
    Document doc;
    EXPECT_FALSE(doc.LoadFile(dir / "none.xml"));
    EXPECT_NE(doc.LastParseError().errorCode, 0);
    EXPECT_NE(doc.LastParseError().reason.find("does not exist"), std::string::npos);
    EXPECT_THROW(Document::Load(dir / "none.xml"), XmlError);

    std::ofstream(dir / "ok.xml") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r a=\"\xC3\xA4\"/>\n";
    Document ok = Document::Load(dir / "ok.xml");
    EXPECT_EQ(ok.DocumentElement().GetAttribute("a"), "\xC3\xA4");
    EXPECT_EQ(ok.LastParseError().errorCode, 0);
}

TEST(XmlParse, EntitiesThatMultiplyAreRefusedSmallOnesExpand) {
    // A file of a few hundred bytes whose nested entities stand for ten
    // billion characters: reading its text would take minutes and all memory.
    std::string doc = "<!DOCTYPE r [<!ENTITY e0 \"aaaaaaaaaa\">";
    for (int i = 1; i <= 9; ++i) {
        doc += "<!ENTITY e" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) doc += "&e" + std::to_string(i - 1) + ";";
        doc += "\">";
    }
    doc += "]><r>&e9;</r>";
    Document bomb;
    EXPECT_FALSE(bomb.LoadXml(doc));
    EXPECT_NE(bomb.LastParseError().errorCode, 0);
    EXPECT_FALSE(bomb.DocumentElement());

    Document small;
    ASSERT_TRUE(small.LoadXml("<!DOCTYPE r [<!ENTITY co \"Smith &amp; Sons\">]><r>&co; Ltd</r>"));
    EXPECT_EQ(small.DocumentElement().Text(), "Smith & Sons Ltd");
}

TEST(XmlParse, BlankTextIsDroppedUnlessAskedOrPreserved) {
    const char* text = "<tr>\n  <td> <b>x</b> </td>\n  <pre xml:space=\"preserve\">  </pre>\n</tr>";
    Document doc = Document::Parse(text);
    Node td = doc.DocumentElement().FirstChild();
    EXPECT_EQ(td.Name(), "td");
    EXPECT_EQ(td.FirstChild().Name(), "b");
    EXPECT_EQ(td.Children().size(), 1u);
    EXPECT_EQ(doc.SelectSingleNode("//pre").Children().size(), 1u);

    Document kept = Document::Parse(text, ParseOptions{true});
    EXPECT_EQ(kept.DocumentElement().FirstChild().Type(), NodeType::Text);

    // A blank between two pieces of text is part of the text, and is
    // written so that it reads again the same; beside an element it is not.
    EXPECT_EQ(Document::Parse("<a><![CDATA[x]]> <![CDATA[y]]></a>").DocumentElement().Text(), "x y");
    const Document joined = Document::Parse("<a><![CDATA[x]]> <!--c--> <![CDATA[y]]></a>");
    EXPECT_EQ(joined.DocumentElement().Text(), "x  y");
    EXPECT_EQ(Document::Parse(joined.ToString()).ToString(), joined.ToString());
    EXPECT_EQ(Document::Parse("<a> <![CDATA[x]]> <b/> </a>").DocumentElement().Children().size(), 2u);
}

TEST(XmlBuild, TextAndAttributesAreEscapedNeverParsed) {
    Document doc;
    Node root = doc.CreateElement("Pairs");
    doc.SetDocumentElement(root);
    Node pair = root.AppendElement("Pair");
    pair.SetAttribute("Program1", "O'Neil \"<&>\"");
    pair.SetText("a &amp; b < c");
    EXPECT_EQ(pair.GetAttribute("Program1"), "O'Neil \"<&>\"");
    EXPECT_EQ(pair.Text(), "a &amp; b < c");
    EXPECT_EQ(pair.GetAttribute("Missing"), "");
    EXPECT_FALSE(pair.HasAttribute("Missing"));

    Document again = Document::Parse(doc.ToString());
    Node p = again.SelectSingleNode("/Pairs/Pair");
    EXPECT_EQ(p.GetAttribute("Program1"), "O'Neil \"<&>\"");
    EXPECT_EQ(p.Text(), "a &amp; b < c");
    // No declaration unless asked for or loaded with one.
    EXPECT_EQ(doc.ToString().rfind("<Pairs>", 0), 0u);
    EXPECT_EQ(doc.ToString({false, Declaration::Always}).rfind("<?xml", 0), 0u);
    Document declared = Document::Parse("<?xml version=\"1.0\"?><r/>");
    EXPECT_EQ(declared.ToString().rfind("<?xml", 0), 0u);
}

TEST(XmlBuild, AttributesKeepTheirOrderAndCanBeRemoved) {
    Document doc = Document::Parse("<r/>");
    Node r = doc.DocumentElement();
    for (const char* n : {"Program1", "P1ID", "Program2", "P2ID", "Level", "Cap"}) r.SetAttribute(n, n);
    auto attrs = r.Attributes();
    ASSERT_EQ(attrs.size(), 6u);
    EXPECT_EQ(attrs[2].first, "Program2");
    r.RemoveAttribute("Program2");
    EXPECT_FALSE(r.HasAttribute("Program2"));
    EXPECT_EQ(r.Attributes().size(), 5u);
}

TEST(XmlBuild, NamespacedElementsDeclareOnceAndSelectWithRegisteredPrefixes) {
    const std::string wsdl = "http://schemas.xmlsoap.org/wsdl/";
    const std::string xsd = "http://www.w3.org/2001/XMLSchema";
    Document doc;
    Node defs = doc.CreateElementNS(wsdl, "wsdl:definitions");
    doc.SetDocumentElement(defs);
    defs.SetAttribute("targetNamespace", "");
    Node types = defs.AppendChild(doc.CreateElementNS(wsdl, "wsdl:types"));
    Node schema = types.AppendChild(doc.CreateElementNS(xsd, "xsd:schema"));
    Node element = schema.AppendElement("xsd:element");
    element.SetAttribute("name", "ORDER-REC");

    std::string text = doc.ToString();
    EXPECT_EQ(text.find("xmlns:wsdl"), text.rfind("xmlns:wsdl"));   // declared once
    EXPECT_NE(text.find("<xsd:schema xmlns:xsd=\"" + xsd + "\""), std::string::npos);
    EXPECT_EQ(element.NamespaceUri(), xsd);
    EXPECT_EQ(types.Name(), "wsdl:types");
    EXPECT_EQ(types.LocalName(), "types");

    doc.RegisterNamespace("w", wsdl);
    doc.RegisterNamespace("s", xsd);
    EXPECT_EQ(doc.SelectNodes("/w:definitions/w:types/s:schema/s:element").size(), 1u);
    EXPECT_EQ(doc.SelectNodes("//*[local-name()='types']").size(), 1u);
    EXPECT_THROW(doc.SelectNodes("//w:types[@"), XmlError);
    EXPECT_THROW(doc.SelectNodes("count(//*)"), XmlError);
    EXPECT_FALSE(doc.SelectSingleNode("//nothing"));
}

TEST(XmlTree, RemovedAndAdjacentTextNodesStayUsable) {
    Document doc = Document::Parse("<td id=\"title\"><div>Old title</div></td>");
    Node div = doc.SelectSingleNode("//td[@id=\"title\"]").FirstChild();
    Node old = div.RemoveChild(div.FirstChild());
    Node first = div.AppendText("Context - ");
    Node second = div.AppendText("ORDMENU");   // not merged into the first
    EXPECT_EQ(div.Children().size(), 2u);
    EXPECT_EQ(first.Text(), "Context - ");
    EXPECT_EQ(second.Text(), "ORDMENU");
    EXPECT_EQ(div.Text(), "Context - ORDMENU");
    EXPECT_EQ(old.Text(), "Old title");
    div.InsertBefore(old, first);
    EXPECT_EQ(div.Text(), "Old titleContext - ORDMENU");

    Node td = div.Parent();
    EXPECT_THROW(div.AppendChild(td), XmlError);   // a node cannot go inside itself
    Node copy = td.CloneNode(true);
    EXPECT_FALSE(copy.Parent());
    EXPECT_EQ(copy.GetAttribute("id"), "title");
    td.SetText("plain");
    EXPECT_EQ(td.Children().size(), 1u);
    EXPECT_EQ(div.Text(), "Old titleContext - ORDMENU");   // replaced children survive detached

    Document other;
    EXPECT_THROW(other.AppendChild(copy), XmlError);
    Node imported = other.ImportNode(copy, true);
    other.SetDocumentElement(imported);
    EXPECT_EQ(other.SelectSingleNode("/td/div").Text(), "Old titleContext - ORDMENU");
}

TEST(XmlSave, WritesFilesAndReportsFailures) {
    testsupport::TempDir dir;
    Document doc = Document::Parse("<a><b/></a>");
    doc.Save(dir / "out.xml", {true});
    Document back = Document::Load(dir / "out.xml");
    EXPECT_EQ(back.SelectNodes("/a/b").size(), 1u);
    EXPECT_THROW(doc.Save(dir / "missing" / "out.xml"), XmlError);
    SaveOptions html;
    html.expandEmptyElements = true;
    EXPECT_NE(doc.ToString(html).find("<b></b>"), std::string::npos);
}

TEST(XmlSave, ReplacesAFileWholeAndAFailedSaveKeepsWhatWasThere) {
    testsupport::TempDir dir;
    Document::Parse("<old/>").Save(dir / "out.xml");
    Document::Parse("<new/>").Save(dir / "out.xml");
    EXPECT_EQ(Document::Load(dir / "out.xml").DocumentElement().Name(), "new");
    // A folder in the way: the save fails, the folder and its content stay,
    // and no half-written file is left beside it.
    std::filesystem::create_directory(dir / "taken.xml");
    { std::ofstream(dir / "taken.xml" / "keep.txt") << "x"; }
    EXPECT_THROW(Document::Parse("<a/>").Save(dir / "taken.xml"), XmlError);
    EXPECT_TRUE(std::filesystem::exists(dir / "taken.xml" / "keep.txt"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename().string().find(".saving"), std::string::npos) << entry.path();
}

TEST(XmlSave, LinksAndPermissionsSurviveASave) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir;
    Document::Parse("<old/>").Save(dir / "real.xml");
    fs::permissions(dir / "real.xml", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(dir / "real.xml", dir / "link.xml");
    Document::Parse("<new/>").Save(dir / "link.xml");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.xml")));
    EXPECT_EQ(Document::Load(dir / "real.xml").DocumentElement().Name(), "new");
    EXPECT_EQ(fs::status(dir / "real.xml").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // A device is written in place, never replaced by a regular file.
    Document::Parse("<a/>").Save("/dev/null");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(Xslt, TransformsWithStringParametersAndReportsBadStylesheets) {
    auto sheet = XsltStylesheet::Parse(
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
        "<xsl:output method=\"html\"/><xsl:param name=\"title\"/>"
        "<xsl:template match=\"/\"><html><body><h1><xsl:value-of select=\"$title\"/></h1>"
        "<xsl:for-each select=\"//row\"><p><xsl:value-of select=\"@name\"/></p></xsl:for-each>"
        "</body></html></xsl:template></xsl:stylesheet>");
    Document input = Document::Parse("<rows><row name=\"A\"/><row name=\"B\"/></rows>");
    Document out = sheet.Apply(input, {{"title", "It's \"quoted\""}});
    EXPECT_EQ(out.SelectSingleNode("//h1").Text(), "It's \"quoted\"");
    EXPECT_EQ(out.SelectNodes("//p").size(), 2u);
    std::string html = sheet.ApplyToString(input, {{"title", "T"}});
    EXPECT_NE(html.find("<h1>T</h1>"), std::string::npos);

    EXPECT_THROW(XsltStylesheet::Parse("<xsl:stylesheet version=\"1.0\" "
                                       "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                                       "<xsl:bogus/></xsl:stylesheet>"),
                 XmlError);
    testsupport::TempDir dir;
    EXPECT_THROW(XsltStylesheet::Load(dir / "none.xsl"), XmlError);
}

TEST(XmlBuild, WhatIsWrittenReadsBackWhateverBytesTheTextHeld) {
    // Names from legacy sources may carry control characters, stray Latin-1
    // bytes or a NUL; the document must still load again, with only those
    // characters replaced (U+FFFD), and tabs and line ends kept.
    const std::string fffd = "\xEF\xBF\xBD";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string("a\x01z"), "a" + fffd + "z"},
        {std::string("caf\xE9 \xC3\xA9"), "caf" + fffd + " \xC3\xA9"},
        {std::string("nul\0x", 5), "nul" + fffd + "x"},
        {std::string("tab\tnl\ncr\r<&>"), std::string("tab\tnl\ncr\r<&>")},
        {std::string("\xE2\x82"), fffd + fffd},   // a cut-off sequence
    };
    for (const auto& [raw, kept] : cases) {
        Document doc;
        Node root = doc.CreateElement("R");
        doc.SetDocumentElement(root);
        root.SetAttribute("A", raw);
        root.AppendElement("C").SetText(raw);
        root.AppendChild(doc.CreateTextNode(raw));
        Document again;
        ASSERT_TRUE(again.LoadXml(doc.ToString())) << again.LastParseError().Describe();
        EXPECT_EQ(again.DocumentElement().GetAttribute("A"), kept);
        EXPECT_EQ(again.SelectSingleNode("/R/C").Text(), kept);
        EXPECT_EQ(again.DocumentElement().Text(), kept + kept);
    }
}
