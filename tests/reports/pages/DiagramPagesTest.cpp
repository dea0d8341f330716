// Context diagram pages: the two images with a preview only for a wide one,
// the page that shows them, the same files from worker threads as from the
// calling thread, and the diagram step's progress and cancel.

#include <gmock/gmock.h>

#include <QImage>
#include <QString>

#include <cmath>
#include <map>

#include "platform/diagram/DiagramModel.h"
#include "platform/diagram/DiagramPainter.h"
#include "reports/DiagramPages.h"
#include "tests/reports/pages/PageTestSupport.h"
#include "views/FlowContext.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class DiagramPagesTest : public pagetest::PagesTest {
protected:
    void Rel(const std::string& id1, const std::string& relName, const std::string& id2) {
        db->Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
                    "VALUES (?1, ?2, 'PROGRAM', 'PROGRAM', ?3, ?3)",
                    {id1, id2, relName});
    }
    // A program called by one caller, whose data side is a chain of four
    // programs with long names: narrow on the client side, wide on the data side.
    std::string WideProgram(const std::string& name) {
        const std::string id = "PROGRAM#" + std::to_string(++m_ids);
        Ent(id, "PROGRAM", name, 21);
        const std::string caller = "PROGRAM#" + std::to_string(++m_ids);
        Ent(caller, "PROGRAM", "C" + name, 1);
        Rel(caller, "Calls", id);
        std::string from = id;
        for (int level = 1; level <= 4; ++level) {
            const std::string next = "PROGRAM#" + std::to_string(++m_ids);
            Ent(next, "PROGRAM", name + "-LEVEL-" + std::to_string(level) + "-WITH-A-LONG-DESCRIPTIVE-NAME", 30);
            Rel(from, "Calls", next);
            from = next;
        }
        return id;
    }
    std::string SmallProgram(const std::string& name) {
        const std::string id = "PROGRAM#" + std::to_string(++m_ids);
        Ent(id, "PROGRAM", name, 22);
        return id;
    }

    // Every file of a folder with its bytes.
    static std::map<std::string, std::string> Files(const fs::path& folder) {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::directory_iterator(folder))
            out[e.path().filename().string()] = reporttest::ReadText(e.path());
        return out;
    }

private:
    int m_ids = 0;
};

TEST_F(DiagramPagesTest, OnlyAWideImageGetsAPreviewThatSwitchesToTheFullImage) {
    const std::string wide = WideProgram("P");
    const std::string odd = SmallProgram("A/B'<x>");
    auto ctx = Context();
    GenerateDiagramPage(ctx, wide, "P");
    GenerateDiagramPage(ctx, odd, "A/B'<x>");

    std::vector<std::string> files;
    for (const auto& [name, bytes] : Files(paths.g_DiagramsFolder)) files.push_back(name);
    EXPECT_THAT(files, ElementsAre("A%2FB%27%3Cx%3E.1.jpg", "A%2FB%27%3Cx%3E.2.jpg", "A%2FB%27%3Cx%3E.html",
                                   "P.1.jpg", "P.2.jpg", "P.2_preview.jpg", "P.html"));
    const auto image = [&](const char* file) {
        return QImage(QString::fromStdString((paths.g_DiagramsFolder / file).string()));
    };
    EXPECT_GT(image("P.2.jpg").width(), views::kPreviewLimit);
    EXPECT_LE(image("P.2_preview.jpg").width(), views::kPreviewLimit);
    EXPECT_LE(image("P.1.jpg").width(), views::kPreviewLimit);

    const std::string page = reporttest::ReadText(GetDiagramPagePath(paths, "P"));
    EXPECT_THAT(page, HasSubstr(R"(<td id="image1"><img alt="Image is missing or relative path is corrupted" )"
                                R"(border="0" src="P.1.jpg" title=""/></td>)"));
    EXPECT_THAT(page, HasSubstr(R"(<td id="image2"><img alt="Image is missing or relative path is corrupted" )"
                                R"(border="0" src="P.2_preview.jpg" name="P.2" title="Switch to full image" )"
                                R"x(style="cursor:pointer" onClick="swapImage('P.2','P.2_preview.jpg','P.2.jpg',1)"/>)x"));
    EXPECT_THAT(page, HasSubstr("<h1>Context - P</h1>"));
    EXPECT_THAT(page, HasSubstr("\n//-->"));

    // A name with a slash, a quote and markup: its own files, found by the
    // page's links, and no way into the markup or the script.
    const auto odd_page = pagetest::Page(GetDiagramPagePath(paths, "A/B'<x>"));
    EXPECT_EQ(odd_page.SelectSingleNode("//td[@id='title']/h1").Text(), "Context - A/B'<x>");
    EXPECT_EQ(odd_page.SelectSingleNode("//td[@id='image1']/img").GetAttribute("src"), "A%252FB%2527%253Cx%253E.1.jpg");
}

// A routine hundreds of programs call: at zoom 100 its picture would hold
// tens of millions of pixels (with thousands of callers, gigabytes or none
// at all, failing the run); its full image is written reduced to fit, as
// large as fits, its preview as always.
TEST_F(DiagramPagesTest, AHubsFullImageIsReducedToFitItsPixels) {
    const std::string hub = SmallProgram("HUB");
    for (int i = 0; i < 600; ++i) {
        const std::string caller = SmallProgram("CALLER" + std::to_string(i));
        Rel(caller, "Calls", hub);
    }
    auto ctx = Context();
    GenerateDiagramPage(ctx, hub, "HUB");

    platform::diagram::DiagramModel dgm;
    views::FlowContextSource source(*db);
    fs::path none;
    Globals::BuildFlowContext(dgm, source, views::kFlowClientSide, hub, none, 4);
    const QRectF bounds = platform::diagram::DrawingBounds(dgm);
    ASSERT_GT((bounds.width() + 4) * (bounds.height() + 4), views::kFullImagePixels);
    const int zoom = views::FullImageZoom(bounds.width(), bounds.height());
    const QImage full(QString::fromStdString((paths.g_DiagramsFolder / "HUB.1.jpg").string()));
    ASSERT_FALSE(full.isNull());
    EXPECT_EQ(full.width(), std::lround(bounds.width() * zoom / 100.0) + 4);
    EXPECT_LE(static_cast<double>(full.width()) * full.height(), views::kFullImagePixels);
    EXPECT_TRUE(fs::exists(paths.g_DiagramsFolder / "HUB.1_preview.jpg"));
}

TEST_F(DiagramPagesTest, WorkerThreadsWriteTheSameFilesAsTheCallingThreadAndTheBuildersOwnExport) {
    DiagramList list;
    for (const std::string name : {"W1", "W2", "W3"}) list.push_back({WideProgram(name), name});
    for (const std::string name : {"S1", "S2", "S3", "S4", "S5"}) list.push_back({SmallProgram(name), name});
    // A second W1, drawn small, writes over the first one's files.
    list.insert(list.begin() + 1, {SmallProgram("W1"), "W1"});
    auto ctx = Context();
    ASSERT_TRUE(GenerateDiagramPages(ctx, list, 1));
    const auto alone = Files(paths.g_DiagramsFolder);
    ASSERT_EQ(alone.size(), 3u * 4 + 5u * 3);   // the first W1's preview stays

    // A new context: the first one's boundary holds the folder removed.
    fs::remove_all(paths.g_DiagramsFolder);
    fs::create_directory(paths.g_DiagramsFolder);
    auto again = Context();
    ASSERT_TRUE(GenerateDiagramPages(again, list, 4));
    EXPECT_TRUE(Files(paths.g_DiagramsFolder) == alone);

    platform::diagram::DiagramModel dgm;
    views::FlowContextSource source(*db);
    fs::path image = dir / "W2.2.jpg";
    ASSERT_TRUE(Globals::BuildFlowContext(dgm, source, views::kFlowDataSide, list[2].id, image, 4).previewWritten);
    EXPECT_TRUE(reporttest::ReadText(dir / "W2.2.jpg") == alone.at("W2.2.jpg"));
    EXPECT_TRUE(reporttest::ReadText(image) == alone.at("W2.2_preview.jpg"));
}

TEST_F(DiagramPagesTest, TheStepAdvancesAfterEveryTenthWrittenAndWithinItEndsWithEveryPageAndACancelRemovesTheFolder) {
    DiagramList list;
    for (int i = 1; i <= 40; ++i) list.push_back({SmallProgram("P" + std::to_string(i)), "P" + std::to_string(i)});
    const auto captioned = [](const testsupport::RecordingProgress& p) {
        std::vector<std::string> steps;
        for (const std::string& step : p.steps)
            if (!step.empty()) steps.push_back(step);
        return steps;
    };
    // Programs in the list, and how often the progress bar moves.
    const std::map<std::size_t, long> cases{{2, 0}, {3, 3}, {5, 5}, {7, 7}, {40, 5}};
    for (const auto& [programs, advances] : cases) {
        testsupport::RecordingProgress counted;
        auto ctx = mdlReports::ReportContext{*db, {}, {}, paths, builder, counted, prompt,
                                              mdlReports::OutputFolderBoundary(paths)};
        EXPECT_TRUE(GenerateDiagramPages(ctx, DiagramList(list.begin(), list.begin() + programs), 2));
        EXPECT_EQ(counted.done, advances) << programs;
        // Each program announced, then the wait for the last pages, which
        // is over only once every page is there.
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < programs; ++i) expected.push_back("Diagram for " + list[i].name);
        expected.push_back(kWritingDiagrams);
        EXPECT_EQ(captioned(counted), expected);
        for (std::size_t i = 0; i < programs; ++i)
            EXPECT_TRUE(fs::is_regular_file(GetDiagramPagePath(paths, list[i].name))) << list[i].name;
        // Between two steps the bar moves on with the pages written, never
        // back and never a whole step.
        for (std::size_t i = 0; i < counted.shares.size(); ++i) {
            const auto [at, share] = counted.shares[i];
            EXPECT_TRUE(share > 0 && share < 1 && at < advances) << at << " " << share;
            if (i > 0 && counted.shares[i - 1].first == at) {
                EXPECT_GT(share, counted.shares[i - 1].second);
            }
        }
    }
    EXPECT_EQ(progress.steps.size(), 0u);

    // Pages written as they come: 40 programs make a step every 8 pages,
    // and the share of those 8 written in between, up to the last step.
    {
        testsupport::RecordingProgress counted;
        auto ctx = mdlReports::ReportContext{*db, {}, {}, paths, builder, counted, prompt,
                                              mdlReports::OutputFolderBoundary(paths)};
        EXPECT_TRUE(GenerateDiagramPages(ctx, list, 1));
        std::vector<std::pair<long, double>> expected;
        for (long step = 0; step < 5; ++step)
            for (int page = 1; page < 8; ++page) expected.push_back({step, page / 8.0});
        EXPECT_EQ(counted.shares, expected);
        EXPECT_EQ(counted.done, 5);
    }

    // Cancelled after a program, or while the last pages are written: the
    // folder goes, pages written before the cancel included.
    for (const bool waiting : {false, true}) {
        SCOPED_TRACE(waiting ? "in the wait" : "after a program");
        progress = {};
        if (waiting)
            progress.cancelAtStep = kWritingDiagrams;
        else
            progress.cancelAfterSteps = 3;
        auto ctx = Context();
        EXPECT_FALSE(GenerateDiagramPages(ctx, list, 4));
        if (!waiting) {
            EXPECT_THAT(captioned(progress), ElementsAre("Diagram for P1", "Diagram for P2", "Diagram for P3"));
        }
        EXPECT_FALSE(fs::exists(paths.g_DiagramsFolder));
        fs::create_directories(paths.g_DiagramsFolder);
    }
}

}  // namespace
