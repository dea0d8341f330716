#include <gtest/gtest.h>

#include "common/WriteBoundary.h"
#include "common/ResModule.h"
#include "platform/xml/XmlDocument.h"
#include "reports/PageDocument.h"
#include "reports/PageFixUps.h"
#include "reports/ReportError.h"
#include "tests/reports/ReportTestSupport.h"

namespace {

using namespace mdlReports;
using platform::xml::Document;

struct CloseCase {
    const char* text;
    const char* tag;
    const char* expected;
};

TEST(CloseEmptyTags, ClosesEveryOpenTagOfTheName) {
    const CloseCase cases[] = {
        {R"(<META a="1">x<META a="1">)", "META", R"(<META a="1"/>x<META a="1"/>)"},
        {R"(<img src="a.gif"/>)", "img", R"(<img src="a.gif"/>)"},
        {R"(<img src="a.gif" />)", "img", R"(<img src="a.gif" />)"},
        {R"(<IMG src="a.gif">)", "img", R"(<IMG src="a.gif"/>)"},
        {"<img   >", "img", "<img/>"},
        // A tag that begins like an earlier one is not cut open.
        {R"(<img src="a.gif"><img src="a.gif" alt="x">)", "img", R"(<img src="a.gif"/><img src="a.gif" alt="x"/>)"},
        {R"(<img alt="a>b">)", "img", R"(<img alt="a>b"/>)"},
        {R"(<image href="x"><imgs>)", "img", R"(<image href="x"><imgs>)"},
        // No closing ">": the rest stays as it was.
        {R"(<img src="a.gif")", "img", R"(<img src="a.gif")"},
        {R"(<img a><img b)", "img", R"(<img a/><img b)"},
        {"", "img", ""},
    };
    for (const CloseCase& c : cases) {
        std::string text = c.text;
        const std::string result = CloseEmptyTags(text, c.tag);
        EXPECT_EQ(result, c.expected) << c.text;
        EXPECT_EQ(text, c.expected) << "changed in place: " << c.text;
    }
}

TEST(PageFixUps, AGeneratedHtmlPageLoadsAsXml) {
    const std::string page =
        "<html><head><META http-equiv=\"Content-Type\" content=\"text/html\">"
        "<META http-equiv=\"Content-Type\" content=\"text/html\"></head>"
        "<body>a<br>b&nbsp;3&#42;<img src=\"x.gif\" width=\"16\"><table><tr><td nowrap>n</td></tr></table></body></html>";
    const std::string fixed = GeneratedPageFixUps(page);
    Document doc;
    ASSERT_TRUE(doc.LoadXml(fixed)) << doc.LastParseError().Describe() << "\n" << fixed;
    EXPECT_EQ(doc.SelectNodes("//META").size(), 2u);
    for (const auto& meta : doc.SelectNodes("//META")) EXPECT_TRUE(meta.ChildElements().empty());
    EXPECT_EQ(doc.SelectSingleNode("//td").GetAttribute("nowrap"), "nowrap");
    EXPECT_EQ(doc.SelectSingleNode("//body").FirstChild().NextSibling().Name(), "br");
    EXPECT_NE(fixed.find("b&#160;3&#42;"), std::string::npos);
    // Template fix-ups touch the one entity XML does not know.
    EXPECT_EQ(TemplateFixUps("&NBSP;&#42;&amp;&lt;"), "&#160;&#42;&amp;&lt;");
}

TEST(PageFixUps, OnlyBareNowrapAttributesAreRewritten) {
    const std::pair<const char*, const char*> cases[] = {
        {"<td nowrap>x</td>", "<td nowrap=\"nowrap\">x</td>"},
        {"<td NOWRAP class=\"c\">x</td>", "<td nowrap=\"nowrap\" class=\"c\">x</td>"},
        {"<td class=c nowrap/>", "<td class=c nowrap=\"nowrap\"/>"},
        {"<td nowrap=\"nowrap\">x</td>", "<td nowrap=\"nowrap\">x</td>"},
        {"<td nowrap = 'yes'>x</td>", "<td nowrap = 'yes'>x</td>"},
        {"<td>nowrap</td>", "<td>nowrap</td>"},
        {"<td title=\"nowrap\">PGM nowrap</td>", "<td title=\"nowrap\">PGM nowrap</td>"},
        {"<!-- <td nowrap> --><td nowrapper>", "<!-- <td nowrap> --><td nowrapper>"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(GeneratedPageFixUps(in), out) << in;
}

TEST(PageSave, TurnsBackOnlyTheProtectedEntitiesAndKeepsDataAsWritten) {
    testsupport::TempDir dir;
    Document page = Document::Parse(
        TemplateFixUps("<html><head><script><!--\nx();//--></script></head>"
                       "<body><td id=\"a\">&nbsp;</td><td id=\"b\">x</td><p/></body></html>"));
    // A name holding the page's own entities shows them as written.
    page.SelectSingleNode("//td[@id='b']").SetText("A&B<C &lt;D&gt; &nbsp;3&#42;");
    const common::WriteBoundary output(dir.Path());
    SavePage(output, page, dir / "plain.html");
    SavePage(output, page, dir / "script.html", PageSaveOptions{true});

    const std::string plain = reporttest::ReadText(dir / "plain.html");
    EXPECT_NE(plain.find("<td id=\"a\">&nbsp;</td>"), std::string::npos) << plain;
    // Data keeps its escapes: "&lt;D" in a name shows as "&lt;D", not "<D".
    EXPECT_NE(plain.find("A&amp;B&lt;C &amp;lt;D&amp;gt; &amp;nbsp;3&amp;#42;"), std::string::npos) << plain;
    EXPECT_NE(plain.find("<p></p>"), std::string::npos);
    EXPECT_NE(plain.find("x();//-->"), std::string::npos);
    EXPECT_EQ(plain.back(), '\n');
    EXPECT_NE(reporttest::ReadText(dir / "script.html").find("x();\n//-->"), std::string::npos);

    // The saved page loads again as a template.
    {
        testsupport::ScriptedPrompt prompt;
        Document again = LoadPage(dir / "plain.html", PageSource::Template, prompt);
        EXPECT_TRUE(prompt.asked.empty());
        EXPECT_EQ(again.SelectSingleNode("//td[@id='b']").Text(), "A&B<C &lt;D&gt; &nbsp;3&#42;");
    }
}

TEST(PageLoad, AnIllFormedPageIsReportedWithMessage502AndStopsThePage) {
    ResModule::SetLanguage(ResModule::Language::English);
    testsupport::TempDir dir;
    reporttest::WriteText(dir / "bad.html", "<html>\n<body><td>x</tr></body></html>\n");
    testsupport::ScriptedPrompt prompt;
    try {
        LoadPage(dir / "bad.html", PageSource::GeneratedPage, prompt);
        FAIL() << "no error raised";
    } catch (const IllFormedPage& e) {
        EXPECT_EQ(e.Detail().line, 2);
    }
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.titles[0], (dir / "bad.html").string());
    const std::string& text = prompt.asked[0];
    EXPECT_EQ(text.rfind("The HTML document is ill-formed.\n", 0), 0u) << text;
    EXPECT_NE(text.find("\n<body><td>x</tr></body></html>\nLine: 2 Position: "), std::string::npos) << text;

    // A missing file is an error of its own, not an ill-formed page.
    EXPECT_THROW(LoadPage(dir / "none.html", PageSource::Template, prompt), ReportError);
    EXPECT_EQ(prompt.asked.size(), 1u);
}

TEST(ClientCells, AreFilledWithTheNamesAsTextAndABrokenTemplateIsAnError) {
    Document page = Document::Parse(
        "<html><body><table><tr><td id=\"Client\">-</td><td id=\"Application\">-</td></tr></table></body></html>");
    FillClientInfo(page, "O'Brien & <Söhne>", "");
    EXPECT_EQ(page.SelectSingleNode("//td[@id='Client']").Text(), "O'Brien & <Söhne>");
    EXPECT_EQ(page.SelectSingleNode("//td[@id='Application']").Text(), "");
    EXPECT_EQ(page.SelectNodes("//td[@id='Client']/*").size(), 0u);
    // The first cell of the id in document order, however deep; a cell of
    // another namespace is none of the page's.
    Document nested = Document::Parse(
        "<html><div xmlns=\"urn:y\"><td id=\"Client\">-</td></div><div><table><tr><td id=\"Client\">-</td></tr>"
        "</table><td id=\"Client\">-</td></div><p><span/></p><td id=\"Application\">-</td></html>");
    FillClientInfo(nested, "C", "A");
    EXPECT_EQ(nested.DocumentElement().Text(), "-C-A");

    Document noCell = Document::Parse("<html><body><td id=\"Client\">-</td></body></html>");
    EXPECT_THROW(FillClientInfo(noCell, "a", "b"), ReportError);
    Document noText = Document::Parse("<html><body><td id=\"Client\"><b>-</b></td><td id=\"Application\">-</td></body></html>");
    EXPECT_THROW(FillClientInfo(noText, "a", "b"), ReportError);
}

}  // namespace
