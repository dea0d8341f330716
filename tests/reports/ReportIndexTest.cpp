#include <gtest/gtest.h>

#include "common/WriteBoundary.h"
#include "platform/xml/HtmlMarkup.h"
#include "platform/xml/XmlDocument.h"
#include "reports/PageDocument.h"
#include "reports/PageFixUps.h"
#include "reports/ReportError.h"
#include "reports/ReportIndex.h"
#include "tests/reports/ReportTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using platform::xml::Document;
using platform::xml::Node;

const ReportPaths kPaths = ComputeReportPaths("/opt/qa/bin", "/data/Work/Bank");

// An index whose Screens entry holds a link already and whose Programs entry does not.
Document SmallIndex() {
    return Document::Parse(TemplateFixUps(
        "<html><body><table>"
        "<tr><td id=\"Screens\"><div><a href=\"old.html\" class=\"style2\">Screens</a></div></td>"
        "<td><span>&nbsp;</span></td></tr>"
        "<tr><td id=\"Programs\"><div>Programs</div></td><td><span>n/a</span></td></tr>"
        "<tr><td id=\"Note\"><div>Template note<i>!</i></div></td></tr>"
        "</table></body></html>"));
}

std::string CountOf(const Document& index, const char* caption) {
    return FindElementById(index, "td", caption).NextSibling().Text();
}

TEST(IndexEntry, ZeroDropsTheLinkAndOtherCountsLinkTheCaption) {
    Document index = SmallIndex();
    SetIndexEntry(index, kPaths, "Screens", "0");
    Node cell = FindElementById(index, "td", "Screens");
    EXPECT_EQ(cell.SelectNodes(".//a").size(), 0u);
    EXPECT_EQ(cell.SelectSingleNode("div").Xml(), "<div>Screens</div>");
    EXPECT_EQ(CountOf(index, "Screens"), "\xC2\xA0");

    SetIndexEntry(index, kPaths, "Screens", "5");
    const Node a = cell.SelectSingleNode("div/a");
    ASSERT_TRUE(a);
    EXPECT_EQ(a.Xml(), "<a href=\"inventory/screens.html\" class=\"style2\">Screens</a>");
    EXPECT_EQ(CountOf(index, "Screens"), "5");

    // A second result replaces the link's target and the count, adds no second link.
    SetIndexEntry(index, kPaths, "Screens", "7");
    EXPECT_EQ(cell.SelectNodes(".//a").size(), 1u);
    EXPECT_EQ(CountOf(index, "Screens"), "7");

    // "-1": a link, and the template's count stays.
    SetIndexEntry(index, kPaths, "Programs", "-1");
    EXPECT_EQ(FindElementById(index, "td", "Programs").SelectSingleNode("div/a").GetAttribute("href"),
              "inventory/programs.html");
    EXPECT_EQ(CountOf(index, "Programs"), "n/a");
}

TEST(IndexEntry, AStubCountShowsAnAsteriskOnTheSavedPage) {
    testsupport::TempDir dir;
    Document index = SmallIndex();
    SetIndexEntry(index, kPaths, "Programs", "3&#42;");
    SavePage(common::WriteBoundary(dir.Path()), index, dir / "index.html");
    EXPECT_NE(reporttest::ReadText(dir / "index.html").find("<span>3*</span>"), std::string::npos);
}

TEST(IndexEntry, ATemplateWithoutTheEntryOrItsCountIsAnError) {
    Document index = SmallIndex();
    EXPECT_THROW(SetIndexEntry(index, kPaths, "Queues", "1"), ReportError);
    EXPECT_THROW(SetIndexEntry(index, kPaths, "Screens\"] | //td[@id=\"Programs", "1"), ReportError);
    Document noCount = Document::Parse("<table><tr><td id=\"Batch\"><div>Batch</div></td></tr></table>");
    EXPECT_THROW(SetIndexEntry(noCount, kPaths, "Batch", "2"), ReportError);
    // "0" and "-1" need no count cell.
    EXPECT_NO_THROW(SetIndexEntry(noCount, kPaths, "Batch", "-1"));
    EXPECT_NO_THROW(SetIndexEntry(noCount, kPaths, "Batch", "0"));
}

TEST(IndexEntry, EveryCaptionLeadsToItsPage) {
    const std::pair<const char*, std::string> cases[] = {
        {"Screens", "inventory/screens.html"},
        {"Programs", "inventory/programs.html"},
        {"Data Stores", "inventory/datastores.html"},
        {"Lines Of Code", "inventory/linesofcode.html"},
        {"Client Facing", "client/clientfacing.html"},
        {"Transitional", "client/transitional.html"},
        {"Frontier Data Access", "server/frontierdataaccess.html"},
        {"Frontier Data Logic", "server/frontierdatalogic.html"},
        {"Frontier Logic Only", "server/frontierlogiconly.html"},
        {"Frontier Irregular", "server/frontierirregular.html"},
        {"Server Data Access", "server/serverdataaccess.html"},
        {"Server Data Logic", "server/serverdatalogic.html"},
        {"Server Logic Only", "server/serverlogiconly.html"},
        {"Server Irregular", "server/serverirregular.html"},
        {"Batch", "client/batch.html"},
        {"Client Facing Data", "client/clientfacingmixed.html"},
        {"Client Facing Called", "client/clientfacingcalled.html"},
        {"Client Facing Called Data", "client/clientfacingmixedcalled.html"},
        {"Transitional Called", "client/transitionalcalled.html"},
        {"No Category", "special/nocategory.html"},
        {"CRUD Overlap", "special/crudoverlap.html"},
        {"COMMAREA Size", "special/commareasize.html"},
        {"Validation Rules", "special/validationrules.html"},
        {"Queues", "special/queues.html"},
        {"client facing called DATA", "client/clientfacingmixedcalled.html"},
        {"Unknown", ""},
        {"", ""},
    };
    for (const auto& [caption, page] : cases) EXPECT_EQ(GetCategoryLink(kPaths, caption), page) << caption;
}

TEST(ReportNote, SaysWhatTheRunLeftOut) {
    const std::string note = "//td[@id='Note']/div";
    const std::string nb4 = "\xC2\xA0\xC2\xA0\xC2\xA0\xC2\xA0", nb5 = nb4 + "\xC2\xA0";
    {
        Document index = SmallIndex();
        const std::string before = platform::xml::ToHtmlPage(index);
        WriteReportNote(index, false, false);
        EXPECT_EQ(platform::xml::ToHtmlPage(index), before);
    }
    {
        Document index = SmallIndex();
        WriteReportNote(index, true, false);
        EXPECT_EQ(index.SelectSingleNode(note).Xml(),
                  "<div><i>!</i><b>Remarks:</b><br/>" + nb5 +
                  "<font style=\"color:red; font-weight:bold\">! Generation of reports was incomplete.</font></div>");
    }
    {
        Document index = SmallIndex();
        WriteReportNote(index, true, true);
        EXPECT_EQ(index.SelectSingleNode(note).Xml(),
                  "<div><i>!</i><b>Remarks:</b><br/>" + nb5 +
                      "<font style=\"color:red; font-weight:bold\">! Generation of reports was incomplete.</font><br/>" +
                      nb4 + "*\xC2\xA0" "Category contains missing programs (stubs).</div>");
    }
    {
        testsupport::TempDir dir;
        Document index = SmallIndex();
        WriteReportNote(index, false, true);
        SavePage(common::WriteBoundary(dir.Path()), index, dir / "index.html");
        EXPECT_NE(reporttest::ReadText(dir / "index.html")
                      .find("<div>Template note<i>!</i><b>Remarks:</b><br/>&nbsp;&nbsp;&nbsp;&nbsp;*&nbsp;"
                            "Category contains missing programs (stubs).</div>"),
                  std::string::npos);
    }
}

}  // namespace
