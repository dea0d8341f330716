#include <gtest/gtest.h>

#include <set>

#include "common/Utf8.h"
#include "platform/xml/HtmlMarkup.h"
#include "platform/xml/XmlChars.h"
#include "platform/xml/XmlDocument.h"
#include "reports/ReportPaths.h"
#include "tests/reports/ReportLinks.h"
#include "tests/reports/ReportTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;

const ReportPaths kPaths = ComputeReportPaths("/opt/qa/bin", "/data/Work/Bank");

TEST(ReportLinks, RelativePathsAndLinksOfThePagesOneLevelBelowTheRoot) {
    EXPECT_EQ(GetRelativeReportPath(kPaths, kPaths.g_IndexPagePath), "index.html");
    EXPECT_EQ(GetRelativeReportPath(kPaths, kPaths.g_CrudSignaturesFolder / "A-B.html"),
              "special/crudsignatures/A-B.html");
    EXPECT_EQ(GetRelativeReportPath(kPaths, GetDiagramPagePath(kPaths, "PGM1")), "diagrams/PGM1.html");
    EXPECT_EQ(GetRelativeReportPath(kPaths, ""), "");

    EXPECT_EQ(GetDiagramLink(kPaths, "PGM1"), "<a href=\"../diagrams/PGM1.html\" class=\"style2\">PGM1</a>");
    EXPECT_EQ(GetScreenLink(kPaths, "MAP01"), "<a href=\"../inventory/screens/MAP01.html\" class=\"style2\">MAP01</a>");
    EXPECT_EQ(GetScreenPagePath(kPaths, "MAP01"), kPaths.g_ReportRoot / "inventory/screens/MAP01.html");
}

// Names a repository may hold: each gets a page inside its folder, a link
// that a browser resolves to exactly that page, and link text that shows
// the name as written. Long names are shortened so that a page, its images
// and the temporary each is written through fit the file system's 255
// bytes; bytes that are no UTF-8 stay as they are; the empty name gets a
// visible file and link text.
TEST(ReportLinks, AnyNameStaysInsideItsFolderAndItsLinkFindsThePage) {
    std::vector<std::string> names = {
        "A&B<C",   "../../../etc/passwd", "a/b",      "a%2Fb",  ".",         "..",           ".hidden",
        "tab\there", "line\nbreak",       "100% 'q'", "x#y?z",  "Émile-Ü日", "back\\slash",  "say \"hi\"",
        "PGM1",    "pgm1",                "a:b*c|d",  "x\x01y",  "Caf\xE9 \xC0 la", "",     "%empty",
        std::string(300, 'L'), std::string(299, 'L') + "M", std::string(120, '%'),
        std::string(206, 'A') + "\xE6\x97\xA5" + std::string(100, 'x'),
    };
    testsupport::TempDir dir;
    const ReportPaths paths = reporttest::PathsIn(dir);
    // A short name spelled as a shortened one must not take its file.
    names.push_back(GetDiagramPagePath(paths, std::string(300, 'L')).stem().string());
    fs::create_directories(paths.g_DiagramsFolder);
    std::set<fs::path> files;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const fs::path page = GetDiagramPagePath(paths, name);
        EXPECT_EQ(page.parent_path(), paths.g_DiagramsFolder);
        EXPECT_NE(page.filename().string()[0], '.');
        // The longest file of a name is its preview image's temporary.
        EXPECT_LE((page.stem().string() + ".1_preview.jpg.saving-12345678").size(), 255u);
        if (common::IsValidUtf8(name)) {
            EXPECT_TRUE(common::IsValidUtf8(page.stem().string()));
        }
        for (char c : page.filename().string()) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == '/');
        reporttest::WriteText(page, name);
        files.insert(page);

        // The link read as a browser reads it.
        platform::xml::Document doc = platform::xml::Document::Parse("<td/>");
        const auto nodes = platform::xml::ParseHtmlFragment(doc, GetDiagramLink(paths, name));
        ASSERT_EQ(nodes.size(), 1u);
        EXPECT_EQ(nodes[0].Name(), "a");
        const fs::path resolved = (paths.g_ReportRoot / "client" / reporttest::PercentDecoded(nodes[0].GetAttribute("href")))
                                      .lexically_normal();
        EXPECT_EQ(resolved, page);
        if (name.empty()) {
            EXPECT_EQ(nodes[0].Text(), kNoNameText);
        } else if (platform::xml::detail::XmlChars(name) == name) {
            EXPECT_EQ(nodes[0].Text(), name);
        }
    }
    // Every name has a file of its own, and nothing was written elsewhere.
    EXPECT_EQ(files.size(), names.size());
    size_t written = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
        if (entry.is_regular_file()) ++written;
    EXPECT_EQ(written, names.size());
}

}  // namespace
