// The whole report run on the OrderEntry sample: the output tree, every
// link and image of every page found on disk, the index counts against the
// database, what cancels at three points and failures leave behind, and two
// runs writing the same bytes.

#include <gmock/gmock.h>

#include <functional>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>


#include <functional>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/AsideRemoval.h"
#include "reports/CrudAnalysis.h"
#include "reports/CrudComparison.h"
#include "reports/CrudPages.h"
#include "reports/DiagramPages.h"
#include "reports/OutputTree.h"
#include "reports/ProgramPages.h"
#include "reports/ReportError.h"
#include "reports/ReportRun.h"
#include "session/WorkspaceLoad.h"
#include "tests/reports/BrowserSupport.h"
#include "tests/reports/HeldRemoval.h"
#include "tests/reports/ReportLinks.h"
#include "tests/reports/pages/PageTestSupport.h"
#include "workspace/WorkspaceDatabase.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using platform::xml::Document;
using platform::xml::Node;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const char kIncomplete[] = "! Generation of reports was incomplete.";

using reporttest::BrokenReferences;
using reporttest::PercentDecoded;

std::map<std::string, std::string> Files(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[e.path().lexically_relative(root).string()] = reporttest::ReadText(e.path());
    return files;
}

// An index entry: its link (or "-" without one) and the text of its count cell.
struct Entry {
    std::string link, count;
    bool operator==(const Entry&) const = default;
};
void PrintTo(const Entry& e, std::ostream* os) { *os << "{" << e.link << ", \"" << e.count << "\"}"; }

std::map<std::string, Entry> IndexEntries(const fs::path& index) {
    std::map<std::string, Entry> entries;
    const Document doc = pagetest::Page(index);
    for (const Node& cell : doc.SelectNodes("//td[@class='entry']")) {
        const Node a = cell.SelectSingleNode(".//a");
        Node count = cell.NextSibling();
        while (count && !count.IsElement()) count = count.NextSibling();
        entries[cell.GetAttribute("id")] = {a ? a.GetAttribute("href") : "-", count.Text()};
    }
    return entries;
}

class ReportRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
        const fs::path built = testsupport::AppDir().parent_path() / "samples";
        fs::copy(built / "OrderEntry", dir / "OrderEntry", fs::copy_options::recursive);
        fs::copy_file(built / "OrderEntry.hxp", dir / "OrderEntry.hxp");
        testsupport::RecordingProgress opening;
        const auto view = session::OpenWorkspace(dir / "OrderEntry.hxp", {}, opening, prompt);
        ASSERT_EQ(view.status, session::WorkspaceView::Status::Loaded) << view.error;
        prompt.asked.clear();
        prompt.titles.clear();
    }
    void TearDown() override { session::CloseWorkspace(); }

    ReportRunResult Run(const ReportPaths& with) {
        ReportRun run{*Globals::g_Database, *Globals::g_Workbench, dir / "OrderEntry", with, progress, prompt,
                      [this](const fs::path& index) { opened.push_back(index); }};
        run.threads = 2;
        return GenerateReports(run);
    }
    ReportRunResult Run() { return Run(paths); }

    int64_t Count(const std::string& sql) { return Globals::g_Database->Scalar(sql).AsInt(); }
    // The count the index shows for a list page: rows, and an asterisk with a stub among them.
    std::string CountOf(const std::string& where) {
        const int64_t rows = Count("SELECT COUNT(*) FROM Ents WHERE " + where);
        if (rows == 0) return "0";
        return std::to_string(rows) + (Count("SELECT COUNT(*) FROM Ents WHERE Stub <> 0 AND " + where) ? "*" : "");
    }
    std::string Note(const fs::path& index) {
        return pagetest::Page(index).SelectSingleNode("//td[@id='Note']").Text();
    }
    std::string Note() { return Note(paths.g_IndexPagePath); }

    testsupport::TempDir dir;
    testsupport::ScriptedPrompt prompt;
    testsupport::RecordingProgress progress;
    std::vector<fs::path> opened;
    ReportPaths paths = ComputeReportPaths(testsupport::AppDir(), dir / "OrderEntry");
};

TEST_F(ReportRunTest, AWholeRunWritesTheTreeAnIndexThatCountsTheDatabaseAndPagesWhoseEveryLinkResolves) {
    const ReportRunResult result = Run();
    EXPECT_TRUE(result.indexWritten);
    EXPECT_FALSE(result.incomplete);

    std::set<std::string> top;
    for (const auto& e : fs::directory_iterator(paths.g_ReportRoot)) top.insert(e.path().filename().string());
    EXPECT_EQ(top, (std::set<std::string>{"client", "diagrams", "images", "index.html", "inventory", "server", "special"}));
    EXPECT_TRUE(fs::is_directory(paths.g_ScreensFolder));
    EXPECT_TRUE(fs::is_directory(paths.g_CrudSignaturesFolder));
    EXPECT_FALSE(fs::is_empty(paths.g_CrudSignaturesFolder)) << "the sample has similar programs";
    EXPECT_THAT(BrokenReferences(paths.g_ReportRoot), IsEmpty());

    // Each entry links its page and shows the database's count; an empty
    // category keeps the template's blank and no link.
    const auto entries = IndexEntries(paths.g_IndexPagePath);
    const std::string blank = "\xC2\xA0";   // the template's &nbsp; as read
    std::map<std::string, Entry> expected = {
        {"Screens", {"inventory/screens.html", CountOf("EntName = 'MAP'")}},
        {"Programs", {"inventory/programs.html", CountOf("EntName = 'PROGRAM' AND SOAType <> 0")}},
        {"Data Stores", {"inventory/datastores.html", CountOf("EntName = 'store'")}},
        {"Lines Of Code", {"-", blank}},
        {"CRUD Overlap", {"special/crudoverlap.html", blank}},
        {"COMMAREA Size", {"special/commareasize.html", blank}},
        {"Validation Rules", {"special/validationrules.html", blank}},
        {"Queues", {"-", blank}},
    };
    for (const auto& [caption, code] : std::vector<std::pair<std::string, int>>{
             {"Client Facing", 1}, {"Client Facing Called", 2}, {"Client Facing Data", 3},
             {"Client Facing Called Data", 4}, {"Transitional", 10}, {"Transitional Called", 11},
             {"Frontier Data Access", 20}, {"Frontier Data Logic", 21}, {"Frontier Logic Only", 22},
             {"Frontier Irregular", 23}, {"Server Data Access", 30}, {"Server Data Logic", 31},
             {"Server Logic Only", 32}, {"Server Irregular", 33}, {"Batch", 90}, {"No Category", 60}}) {
        const std::string count = CountOf("EntName = 'PROGRAM' AND SOAType = " + std::to_string(code));
        expected[caption] = count == "0" ? Entry{"-", blank} : Entry{GetCategoryLink(paths, caption), count};
    }
    EXPECT_EQ(entries, expected);
    // Each linked page is the one its entry names, with the rows it counts:
    // a category page lists its programs under its own caption.
    const std::map<std::string, std::string> headings = {
        {"Screens", "Screens Report"},           {"Programs", "Summary Of Programs"},
        {"Data Stores", "Data Stores Report"},   {"CRUD Overlap", "CRUD Overlap"},
        {"COMMAREA Size", "COMMAREA Size Report"}, {"Validation Rules", "Validation Rules Report"}};
    for (const auto& [caption, entry] : entries) {
        if (entry.link == "-") continue;
        SCOPED_TRACE(caption);
        const fs::path page = paths.g_ReportRoot / PercentDecoded(entry.link);
        const auto heading = headings.find(caption);
        EXPECT_EQ(pagetest::Page(page).SelectSingleNode("//h1").Text(),
                  heading != headings.end() ? heading->second : caption + " Programs");
        const auto rows = pagetest::Rows(page);
        if (entry.count != blank) {
            EXPECT_EQ(std::to_string(rows.size() - 1), entry.count.substr(0, entry.count.find('*')));
        }
        if (heading == headings.end()) {
            for (size_t r = 1; r < rows.size(); ++r) EXPECT_THAT(rows[r], ::testing::Contains(EndsWith(caption)));
        }
    }
    EXPECT_THAT(Note(), HasSubstr("Category contains missing programs (stubs)."));
    EXPECT_THAT(Note(), ::testing::Not(HasSubstr(kIncomplete)));

    // One diagram page per classified program that is not a stub.
    size_t diagramPages = 0;
    for (const auto& e : fs::directory_iterator(paths.g_DiagramsFolder)) diagramPages += e.path().extension() == ".html";
    EXPECT_EQ(diagramPages, static_cast<size_t>(Count(
                                "SELECT COUNT(DISTINCT Name) FROM Ents WHERE EntName = 'PROGRAM' AND SOAType <> 0 AND Stub = 0")));

    // The first level announces 27 steps, shown in hundredths so that the
    // diagram step's bar moves within its steps; every level is closed
    // again; the question comes last, titled with the index page, and Yes
    // opens it.
    EXPECT_EQ(progress.calls.front(), "Action(Generating Reports)");
    EXPECT_EQ(progress.calls[1], "StartProgress(Screens,27,T)");
    EXPECT_EQ(progress.calls[2], "StartProgress(,2673,T)");
    EXPECT_EQ(progress.level, 0);
    EXPECT_EQ(progress.calls.back(), "Action()");
    EXPECT_THAT(prompt.asked, ElementsAre("Would you like to view the generated report?"));
    EXPECT_THAT(prompt.titles, ElementsAre(paths.g_IndexPagePath.string()));
    EXPECT_THAT(opened, ElementsAre(paths.g_IndexPagePath));
}

TEST_F(ReportRunTest, TwoRunsWriteTheSameFilesAndTheSecondStartsFromNothing) {
    Run();
    const auto first = Files(paths.g_ReportRoot);
    reporttest::WriteText(paths.g_DiagramsFolder / "left-over.html", "<html/>");
    prompt.answers = {common::Answer::No};
    Run();
    const auto second = Files(paths.g_ReportRoot);
    EXPECT_EQ(second.size(), first.size());
    for (const auto& [file, bytes] : first) {
        auto found = second.find(file);
        ASSERT_NE(found, second.end()) << file;
        EXPECT_TRUE(found->second == bytes) << file << " differs";
    }
    EXPECT_EQ(opened.size(), 1u) << "No opens nothing";
}

// A database copied into memory is how a workspace open for viewing only is
// read: the run and the overlap refuse it themselves, before anything is
// written, whoever calls them.
TEST_F(ReportRunTest, TheRunAndTheOverlapRefuseAWorkspaceOpenForViewingOnlyThemselves) {
    prompt.answers = {common::Answer::No};
    Run();
    const fs::path workspace = dir / "OrderEntry", comparison = CrudComparisonPath(workspace);
    const auto reportsBefore = Files(paths.g_ReportRoot);
    const std::string comparisonBefore = reporttest::ReadText(comparison);
    ASSERT_FALSE(comparisonBefore.empty());
    auto viewed = platform::db::Database::OpenCopyInMemory(workspace::DatabasePath(workspace));
    const int64_t cruds = viewed->Scalar("SELECT COUNT(*) FROM CRUDs").AsInt();
    ASSERT_GT(cruds, 0);
    const auto refusal = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const ReportError& e) {
            return std::string(e.what());
        }
        return std::string("not refused");
    };

    progress = {};
    prompt.asked.clear();
    const ReportRun run{*viewed, *Globals::g_Workbench, workspace, paths, progress, prompt, {}};
    EXPECT_EQ(refusal([&] { GenerateReports(run); }),
              "Generate Reports was refused: the workspace is open for viewing only here, so nothing in it was "
              "changed.");
    EXPECT_EQ(refusal([&] { GetCRUDReport(*viewed, paths.workspace, progress, false); }),
              "CRUD Overlap was refused: the workspace is open for viewing only here, so nothing in it was "
              "changed.");
    EXPECT_THAT(progress.calls, IsEmpty());
    EXPECT_THAT(prompt.asked, IsEmpty());
    EXPECT_EQ(viewed->Scalar("SELECT COUNT(*) FROM CRUDs").AsInt(), cruds);
    EXPECT_EQ(reporttest::ReadText(comparison), comparisonBefore);
    EXPECT_TRUE(Files(paths.g_ReportRoot) == reportsBefore) << "the report set changed";
}

TEST_F(ReportRunTest, ACancelEndsTheRunWithAnIndexOfTheStepsDoneAndKeepsThePagesOfEveryFinishedStep) {
    const std::string firstProgram = Globals::g_Database
                                         ->Scalar("SELECT Name FROM Ents WHERE EntName = 'PROGRAM' AND SOAType <> 0 "
                                                  "AND Stub = 0 ORDER BY SOAType, Name LIMIT 1")
                                         .AsText();
    const std::string firstCategory = LegendOf(kCategoryPages.front().code).caption;
    const std::set<std::string> beforeCategories = {"Screens", "Programs", "Data Stores"};
    std::set<std::string> atFirstCategory = beforeCategories;
    std::set<std::string> beforeAnalyses = beforeCategories;
    for (const CategoryPage& category : kCategoryPages) {
        if (!Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM' AND SOAType = " + std::to_string(category.code)))
            continue;
        beforeAnalyses.insert(LegendOf(category.code).caption);
        if (&category == &kCategoryPages.front()) atFirstCategory.insert(firstCategory);
    }
    std::set<std::string> beforeCommarea = beforeAnalyses;
    beforeCommarea.insert("CRUD Overlap");
    std::set<std::string> every = beforeCommarea;
    every.insert({"COMMAREA Size", "Validation Rules"});
    // The program of the first similar pair, as a whole run lists it
    // ("{link|name}").
    Run();
    const std::size_t pairRows = pagetest::Rows(paths.g_CrudOverlapPagePath).size();
    const std::string pairCell = pagetest::Rows(paths.g_CrudOverlapPagePath).at(1).at(0);
    const std::string firstPaired = pairCell.substr(pairCell.find('|') + 1, pairCell.size() - pairCell.find('|') - 2);

    // Where the cancel comes (a step caption; empty: the first step), the
    // index entries it leaves linked, and which pages are kept. A cancel
    // before the diagram step keeps their folder empty, one inside it
    // removes it, and one after it keeps every diagram page; the same for
    // the comparison pages and the CRUD pair loop.
    enum Pages { kNone, kGone, kKept };
    struct Case {
        const char* name;
        std::string step;
        std::set<std::string> linked;
        Pages diagrams, comparisons;
    };
    const std::vector<Case> cases = {
        {"at Screens", "", {"Screens"}, kNone, kNone},
        {"at the first diagram", "Diagram for " + firstProgram, {"Screens", "Programs"}, kGone, kNone},
        {"while the last diagram pages are written", kWritingDiagrams, {"Screens", "Programs"}, kGone, kNone},
        {"at Data Stores", "Data Stores", beforeCategories, kKept, kNone},
        {"at the first category", firstCategory, atFirstCategory, kKept, kNone},
        {"in the CRUD analysis", "Tracing CRUD operations", beforeAnalyses, kKept, kNone},
        {"while the similar programs are read", kReadingPairs, beforeAnalyses, kKept, kGone},
        {"in the CRUD pairs", "CRUD for " + firstPaired, beforeAnalyses, kKept, kGone},
        {"while the last comparison pages are written", kWritingComparisons, beforeAnalyses, kKept, kGone},
        {"as the COMMAREA page is saved", "Saving Commarea Info", beforeCommarea, kKept, kKept},
        // The analysis has nothing left to look for Cancel: the run ends after it.
        {"as the validation page is saved", "Saving Validation Rules", every, kKept, kKept},
        {"while the set is written to the disk", kSyncingTree, every, kKept, kKept},
        {"while the earlier set is removed", kRemovingEarlierReports, every, kKept, kKept},
    };
    const auto isEmpty = [](const fs::path& folder) { return fs::is_directory(folder) && fs::is_empty(folder); };
    // The pages in a folder; none when it is missing.
    const auto pagesIn = [](const fs::path& folder) {
        std::error_code ec;
        size_t pages = 0;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            pages += it->path().extension() == ".html";
        return pages;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        progress = {};
        if (c.step.empty())
            progress.cancelAfterSteps = 1;
        else
            progress.cancelAtStep = c.step;
        prompt.asked.clear();
        const bool removal = c.step == kRemovingEarlierReports;
        // The earlier set is deleted as soon as the run begins, unless held.
        std::optional<reporttest::HeldRemoval> held;
        if (removal) held.emplace();
        const ReportRunResult result = Run();
        held.reset();
        ASSERT_THAT(progress.steps, ::testing::Contains(c.step.empty() ? "" : c.step)) << "the cancel came";

        // Only the removal goes on after the set is complete and on the disk.
        EXPECT_EQ(result.incomplete, !removal);
        EXPECT_EQ(Note().find(kIncomplete) != std::string::npos, !removal);
        std::set<std::string> withLink;
        for (const auto& [caption, entry] : IndexEntries(paths.g_IndexPagePath))
            if (entry.link != "-") withLink.insert(caption);
        EXPECT_EQ(withLink, c.linked);
        if (c.step.empty()) {
            EXPECT_EQ(IndexEntries(paths.g_IndexPagePath).at("Screens").count, "1") << "ends at the cancel";
        }

        // Diagrams drawn ahead of their step go with a cancel before it.
        if (c.diagrams == kNone) {
            EXPECT_TRUE(isEmpty(paths.g_DiagramsFolder));
        }
        if (c.diagrams == kGone) {
            EXPECT_FALSE(fs::exists(paths.g_DiagramsFolder));
        }
        if (c.diagrams == kKept) {
            EXPECT_EQ(pagesIn(paths.g_DiagramsFolder),
                      static_cast<size_t>(Count("SELECT COUNT(DISTINCT Name) FROM Ents WHERE EntName = 'PROGRAM' "
                                                "AND SOAType <> 0 AND Stub = 0")));
        }
        if (c.comparisons == kNone) {
            EXPECT_FALSE(fs::exists(paths.g_CrudSignaturesFolder));
        }
        if (c.comparisons == kGone) {
            EXPECT_FALSE(fs::exists(paths.g_CrudSignaturesFolder));
        }
        if (c.comparisons == kKept) {
            EXPECT_EQ(pagesIn(paths.g_CrudSignaturesFolder) + 1, pagetest::Rows(paths.g_CrudOverlapPagePath).size());
        }
        // Cancelled past the analysis, the overlap page lists every pair and links none.
        if (c.comparisons == kGone) {
            const auto rows = pagetest::Rows(paths.g_CrudOverlapPagePath);
            EXPECT_EQ(rows.size(), pairRows);
            for (const auto& row : rows) EXPECT_EQ(row.at(0).find('{'), std::string::npos) << row.at(0);
        }
        // Every link resolves, but for the programs page and the category
        // pages, which still name the diagrams a cancel in their step took.
        for (const std::string& link : BrokenReferences(paths.g_ReportRoot))
            EXPECT_TRUE(c.diagrams == kGone && link.find(" -> ../diagrams/") != std::string::npos) << link;
        EXPECT_EQ(progress.level, 0);
        EXPECT_EQ(prompt.asked.size(), 1u);
    }
    // A cancelled CRUD analysis leaves no overlap page made from an earlier comparison.
    progress = {};
    progress.cancelAtStep = "Tracing CRUD operations";
    Run();
    EXPECT_FALSE(fs::exists(paths.g_CrudOverlapPagePath));
}

TEST_F(ReportRunTest, AFailingStepLeavesAnIncompleteIndexAndNoOpenProgressAndANoRootStopsFirst) {
    // An application folder whose comparison template is missing.
    const fs::path app = dir / "app";
    fs::create_directories(app);
    fs::copy(testsupport::AppDir() / "html", app / "html", fs::copy_options::recursive);
    fs::remove(app / "html" / "templateCRUD.html");
    const ReportPaths broken = ComputeReportPaths(app, dir / "OrderEntry");
    EXPECT_THROW(Run(broken), ReportError);
    EXPECT_EQ(progress.level, 0);
    EXPECT_EQ(progress.calls.back(), "Action()");
    EXPECT_TRUE(fs::exists(broken.g_ProgramsPagePath));
    EXPECT_THAT(Note(), HasSubstr(kIncomplete));
    EXPECT_THAT(prompt.asked, IsEmpty());

    // A workspace folder that is a file: nothing can be made under it.
    reporttest::WriteText(dir / "Plain", "x");
    progress = {};
    const ReportPaths nowhere = ComputeReportPaths(testsupport::AppDir(), dir / "Plain");
    ReportRun run{*Globals::g_Database, *Globals::g_Workbench, dir / "Plain", nowhere, progress, prompt, {}};
    EXPECT_THROW(GenerateReports(run), ReportError);
    EXPECT_THAT(progress.calls, IsEmpty());
    EXPECT_THAT(prompt.asked, IsEmpty());
}

// A workspace folder received from someone else, with links planted where
// the tool writes: nothing outside the folder is written or read through
// them, a link that stays inside still works, and the Output folder as a
// whole may lead elsewhere.
// Every file and folder of the places a write led out of the workspace
// would reach first (the workspace folder's parent, a sibling whose name
// starts with the workspace's, a folder elsewhere), with its content: the
// workspace itself left out.
std::map<std::string, std::string> Victims(const std::vector<fs::path>& places, const fs::path& workspace) {
    std::map<std::string, std::string> found;
    for (const fs::path& place : places)
        for (fs::recursive_directory_iterator it(place), end; it != end; ++it) {
            if (it->path() == workspace) {
                it.disable_recursion_pending();
                continue;
            }
            found[it->path().string()] = it->is_symlink()        ? "link"
                                         : it->is_regular_file() ? reporttest::ReadText(it->path())
                                                                 : "folder";
        }
    return found;
}

TEST_F(ReportRunTest, PlantedLinksNeverLeadAWriteOutOfTheWorkspaceButTheOutputFolderMay) {
    testsupport::TempDir outside;
    const fs::path workspace = dir / "OrderEntry";
    const fs::path comparison = CrudComparisonPath(workspace);
    const std::string victim = "<Pairs><Pair Program1=\"A\" P1ID=\"1\" Program2=\"B\" P2ID=\"2\" Level=\"1\" Cap=\"2\"/></Pairs>";
    const std::vector<fs::path> places = {outside.Path(), dir.Path(), dir / "OrderEntry-old"};
    for (const fs::path& place : places) {
        reporttest::WriteText(place / "victim.xml", victim);
        reporttest::WriteText(place / "index.html", "not ours");
        reporttest::WriteText(place / "pages" / "index.html", "not ours");
    }
    const auto victims = Victims(places, workspace);
    const auto overlap = [&] {
        testsupport::RecordingProgress crud;
        return GetCRUDReport(*Globals::g_Database, Globals::g_WorkspaceBoundary, crud, false);
    };
    const auto isLink = [](const fs::path& p) { return fs::is_symlink(fs::symlink_status(p)); };

    for (const fs::path& place : places) {
        SCOPED_TRACE(place);
        // Read, the comparison file leading out gives no rows; written, by
        // the overlap or by a report run, it becomes a file of its own.
        fs::remove(comparison);
        fs::create_symlink(place / "victim.xml", comparison);
        EXPECT_THAT(ReadCRUDComparison(comparison), IsEmpty());
        ASSERT_GT(overlap().similarPairs, 0u);
        EXPECT_FALSE(isLink(comparison));
        EXPECT_GT(ReadCRUDComparison(comparison).size(), 0u);
        fs::remove(comparison);
        fs::create_symlink(place / "victim.xml", comparison);
        EXPECT_FALSE(Run().incomplete);
        EXPECT_FALSE(isLink(comparison));

        // The report tree is set aside whole before a page is written: links
        // planted among its pages and folders, and an aside folder that is a
        // link, are moved or removed without being followed.
        fs::remove(paths.g_IndexPagePath);
        fs::create_symlink(place / "index.html", paths.g_IndexPagePath);
        fs::remove_all(paths.g_DiagramsFolder);
        fs::create_directory_symlink(place / "pages", paths.g_DiagramsFolder);
        fs::create_directory_symlink(place / "pages",
                                     paths.g_ReportRoot.parent_path() / "QuarvelReports.removing-1-dead");
        EXPECT_FALSE(Run().incomplete);
        EXPECT_FALSE(isLink(paths.g_IndexPagePath));
        EXPECT_FALSE(isLink(paths.g_DiagramsFolder));
    }
    EXPECT_TRUE(Victims(places, workspace) == victims);

    // A pipe under the name is replaced too, instead of the write waiting
    // for a reader.
    fs::remove(comparison);
    ASSERT_EQ(::mkfifo(comparison.c_str(), 0600), 0);
    overlap();
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(comparison)));

    // A link that stays inside the workspace is replaced as well: the
    // writer never follows a link below its folder, wherever it leads.
    fs::remove(comparison);
    reporttest::WriteText(workspace / "kept" / "pairs.xml", "<Pairs/>");
    fs::create_symlink(fs::path("kept") / "pairs.xml", comparison);
    const size_t pairs = overlap().similarPairs;
    EXPECT_FALSE(isLink(comparison));
    EXPECT_EQ(ReadCRUDComparison(comparison).size(), pairs);
    EXPECT_EQ(reporttest::ReadText(workspace / "kept" / "pairs.xml"), "<Pairs/>");

    // The Output folder as a link is followed: the set is written there.
    fs::remove_all(paths.g_ReportRoot.parent_path());
    fs::create_directory(outside / "disk");
    fs::create_directory_symlink(outside / "disk", paths.g_ReportRoot.parent_path());
    EXPECT_FALSE(Run().incomplete);
    EXPECT_THAT(Note(), Not(HasSubstr(kIncomplete)));
    EXPECT_TRUE(fs::is_regular_file(outside / "disk" / "QuarvelReports" / "index.html"));
    EXPECT_THAT(BrokenReferences(paths.g_ReportRoot), IsEmpty());
}

// Someone swaps a folder the run is writing into for a link while the
// diagrams are drawn: the Output folder itself, the report root, and the
// diagrams folder, each renamed away and replaced by a link to a copy of
// the tree whose every file says "not ours", in one of the places a write
// led out would reach first; or, as the run ends, the root for an empty
// folder. Nothing there changes: the run goes on in the folders it holds,
// which were only renamed. At the end the analyst is told where the pages
// went and is not offered an index the path no longer leads to.
TEST_F(ReportRunTest, AFolderSwappedForALinkDuringTheRunLeadsNoWriteOutOfTheWorkspace) {
    testsupport::TempDir outside;
    const fs::path workspace = dir / "OrderEntry";
    const fs::path output = paths.g_ReportRoot.parent_path();
    ASSERT_FALSE(Run().incomplete);
    const std::vector<fs::path> places = {outside.Path(), dir.Path(), dir / "OrderEntry-old"};
    for (const fs::path& place : places) {
        fs::create_directories(place);
        fs::copy(paths.g_ReportRoot, place / "QuarvelReports", fs::copy_options::recursive);
        for (const auto& e : fs::recursive_directory_iterator(place / "QuarvelReports"))
            if (e.is_regular_file()) reporttest::WriteText(e.path(), "not ours");
    }
    const auto victims = Victims(places, workspace);

    // Which folder is swapped, where its link leads (none: an empty
    // folder), and at which step.
    struct Swap {
        fs::path folder, target;
        const char* step;
    };
    const std::vector<Swap> swaps = {
        {output, places[0], "Diagram for "},
        {paths.g_ReportRoot, places[1] / "QuarvelReports", "Diagram for "},
        {paths.g_DiagramsFolder, places[2] / "QuarvelReports" / "diagrams", "Diagram for "},
        {paths.g_ReportRoot, {}, kSyncingTree},
    };
    for (const Swap& swap : swaps) {
        SCOPED_TRACE(swap.folder.string() + " at " + swap.step);
        const fs::path away = swap.folder.string() + "-away" + std::to_string(&swap - swaps.data());
        struct SwappingProgress : testsupport::RecordingProgress {
            std::function<void()> swap;
            std::string step;
            void StartStep(const std::string& action) override {
                RecordingProgress::StartStep(action);
                if (swap && action.rfind(step, 0) == 0) std::exchange(swap, nullptr)();
            }
        } swapping;
        swapping.step = swap.step;
        swapping.swap = [&] {
            fs::rename(swap.folder, away);
            if (swap.target.empty())
                fs::create_directory(swap.folder);
            else
                fs::create_directory_symlink(swap.target, swap.folder);
        };
        prompt.asked.clear();
        opened.clear();
        ReportRun run{*Globals::g_Database, *Globals::g_Workbench, workspace, paths, swapping, prompt,
                      [this](const fs::path& index) { opened.push_back(index); }};
        run.threads = 2;
        const ReportRunResult result = GenerateReports(run);
        ASSERT_FALSE(swapping.swap) << "no such step";
        EXPECT_FALSE(result.incomplete);
        EXPECT_TRUE(result.displaced);
        EXPECT_TRUE(Victims(places, workspace) == victims);
        // What the run wrote after the swap is in the folders renamed away,
        // and the analyst is told so.
        const fs::path root = swap.folder == output ? away / "QuarvelReports" : paths.g_ReportRoot;
        const fs::path pages = swap.folder == paths.g_DiagramsFolder ? away : root / "diagrams";
        ASSERT_EQ(prompt.asked.size(), 1u);
        if (swap.folder != paths.g_DiagramsFolder) {
            const fs::path written = swap.folder == output ? root : away;
            EXPECT_THAT(BrokenReferences(written), IsEmpty());
            EXPECT_THAT(Note(written / "index.html"), Not(HasSubstr(kIncomplete)));
            EXPECT_EQ(prompt.asked[0], "The report was written to \"" + fs::canonical(written).string() +
                                           "\": its folder \"" + paths.g_ReportRoot.string() +
                                           "\" was renamed or replaced while the reports were being generated, so "
                                           "what is there now is not this report.");
        } else {
            EXPECT_EQ(prompt.asked[0], "The report at \"" + paths.g_ReportRoot.string() +
                                           "\" is incomplete: its folder \"" + swap.folder.string() +
                                           "\" was renamed or replaced while the reports were being generated; the "
                                           "pages written into it since are in \"" +
                                           fs::canonical(away).string() + "\".");
        }
        EXPECT_THAT(opened, IsEmpty());
        EXPECT_FALSE(fs::is_empty(swap.folder == paths.g_ReportRoot ? away / "diagrams" : pages));
        // The next run starts from a real Output folder again.
        fs::remove(swap.folder);
        if (swap.folder == output) fs::rename(away, output);
    }
    // Left in place, the set is offered again.
    prompt.asked.clear();
    EXPECT_FALSE(Run().displaced);
    EXPECT_THAT(prompt.asked, ElementsAre("Would you like to view the generated report?"));
    EXPECT_THAT(opened, ElementsAre(paths.g_IndexPagePath));
}

TEST_F(ReportRunTest, InChromiumEveryKindOfPageLoadsWithoutConsoleMessagesAndAPreviewSwitchesToItsDiagram) {
    const QString chromium = reporttest::Chromium();
    if (chromium.isEmpty()) GTEST_SKIP() << "no Chromium installed (scripts/setup installs it)";
    Run();
    const auto rowsOf = [](const std::string& dom) {
        return reporttest::Count(reporttest::Between(dom, "<table id=\"result\"", "</table>"), "<tr>");
    };
    const std::string anyScreen = Globals::g_Database->Scalar(
        "SELECT Name FROM Ents WHERE EntName = 'MAP' AND Stub = 0 ORDER BY Name LIMIT 1").AsText();
    const fs::path anyPair = fs::directory_iterator(paths.g_CrudSignaturesFolder)->path();
    const size_t pairs = std::distance(fs::directory_iterator(paths.g_CrudSignaturesFolder), fs::directory_iterator());

    // The page, and what its DOM must hold.
    const std::vector<std::pair<fs::path, std::function<void(const std::string&)>>> pages = {
        {paths.g_IndexPagePath,
         [](const std::string& dom) {
             EXPECT_THAT(dom, HasSubstr("<a href=\"inventory/screens.html\" class=\"style2\">Screens</a>"));
             EXPECT_THAT(dom, HasSubstr("<a href=\"special/validationrules.html\" class=\"style2\">"));
         }},
        {paths.g_ScreensPagePath,
         [&](const std::string& dom) { EXPECT_EQ(rowsOf(dom), size_t(Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'MAP'")) + 1); }},
        {GetScreenPagePath(paths, anyScreen),
         [](const std::string& dom) { EXPECT_THAT(reporttest::Between(dom, "<pre", "</pre>"), HasSubstr("<input")); }},
        {paths.g_ProgramsPagePath,
         [&](const std::string& dom) {
             EXPECT_EQ(rowsOf(dom), size_t(Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM' AND SOAType <> 0")) + 1);
         }},
        {paths.g_ClientFacingPagePath,
         [&](const std::string& dom) {
             EXPECT_EQ(rowsOf(dom), size_t(Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM' AND SOAType = 1")) + 1);
         }},
        {paths.g_DataStoresPagePath,
         [&](const std::string& dom) { EXPECT_EQ(rowsOf(dom), size_t(Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'store'")) + 1); }},
        {paths.g_CrudOverlapPagePath, [&](const std::string& dom) { EXPECT_EQ(rowsOf(dom), pairs + 1); }},
        {anyPair,
         [](const std::string& dom) {
             EXPECT_EQ(reporttest::Count(dom, "<table id=\"result\""), 2u);
             EXPECT_THAT(dom, HasSubstr("<th>Store Name</th>"));
         }},
        {paths.g_CommareaReportPath,
         [&](const std::string& dom) { EXPECT_EQ(rowsOf(dom), size_t(Count("SELECT COUNT(DISTINCT ID) FROM Commarea")) + 1); }},
        {paths.g_ValidationReportPath,
         [&](const std::string& dom) { EXPECT_EQ(rowsOf(dom), size_t(Count("SELECT COUNT(DISTINCT ProgID) FROM Ports")) + 1); }},
    };
    for (const auto& [page, holds] : pages) {
        SCOPED_TRACE(page.lexically_relative(paths.g_ReportRoot).string());
        const reporttest::LoadedPage loaded = reporttest::LoadInBrowser(chromium, page);
        EXPECT_THAT(loaded.console, IsEmpty());
        holds(loaded.dom);
    }

    // A diagram page whose wide side shows a preview, clicked once loaded.
    for (const auto& e : fs::directory_iterator(paths.g_DiagramsFolder)) {
        std::string text = reporttest::ReadText(e.path());
        const size_t call = text.find("swapImage('");
        if (e.path().extension() != ".html" || call == std::string::npos) continue;
        const std::string base = text.substr(call + 11, text.find('\'', call + 11) - call - 11);
        text.insert(text.rfind("</body>"), "<script>document.getElementsByName('" + base + "')[0].click();</script>\n");
        const fs::path clicked = paths.g_DiagramsFolder / "clicked.html";
        reporttest::WriteText(clicked, text);
        const reporttest::LoadedPage loaded = reporttest::LoadInBrowser(chromium, clicked);
        EXPECT_THAT(loaded.console, IsEmpty());
        EXPECT_THAT(loaded.dom, HasSubstr("src=\"" + base + ".jpg\""));
        EXPECT_EQ(loaded.dom.find("src=\"" + base + "_preview.jpg\""), std::string::npos);
        return;
    }
    ADD_FAILURE() << "no diagram of the sample is wider than the preview limit";
}

// Names no file system takes as they are: every program's name is long and
// they all begin alike, one has Latin-1 bytes, one is 300 bytes; one screen
// has no name, one Latin-1 bytes, one 300 bytes; a store name of 280
// characters. Every page and picture is written within 255 bytes a name,
// every link finds its file, a browser shows the pictures of the Latin-1
// program and wraps the long store name within its window.
TEST_F(ReportRunTest, NamesOfAnyLengthOrEncodingGetPagesImagesAndLinksThatAgree) {
    auto& db = *Globals::g_Database;
    const std::string program = "SELECT SerialID FROM Ents WHERE EntName = 'PROGRAM' AND SOAType <> 0 AND Stub = 0 ";
    const std::string screen = "SELECT SerialID FROM Ents WHERE EntName = 'MAP' AND Stub = 0 ";
    const std::string latin1 = "R\xE9sum\xE9";
    db.Execute("UPDATE Ents SET Name = ?1 || Name WHERE EntName = 'PROGRAM'", {std::string(250, 'P')});
    db.Execute("UPDATE Ents SET Name = ?1 WHERE SerialID = (" + program + "ORDER BY SerialID LIMIT 1)", {latin1});
    db.Execute("UPDATE Ents SET Name = ?1 WHERE SerialID = (" + program + "ORDER BY SerialID DESC LIMIT 1)",
               {std::string(300, 'Z')});
    const std::vector<std::string> screens = {"", "\xC9" "cran", std::string(300, 'S')};
    for (size_t i = 0; i < screens.size(); ++i)
        db.Execute("UPDATE Ents SET Name = ?1 WHERE SerialID = (" + screen + "ORDER BY SerialID LIMIT 1 OFFSET " +
                       std::to_string(i) + ")",
                   {screens[i]});
    db.Execute("UPDATE Ents SET Name = ?1, BusName = ?1 WHERE SerialID = "
               "(SELECT MIN(SerialID) FROM Ents WHERE EntName = 'store')",
               {"STORE_" + std::string(274, 'D')});

    const ReportRunResult result = Run();
    EXPECT_FALSE(result.incomplete);
    EXPECT_THAT(BrokenReferences(paths.g_ReportRoot), IsEmpty());
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(paths.g_ReportRoot)) {
        const std::string name = e.path().filename().string();
        EXPECT_LE(name.size() + 16, 255u) << name;   // room for the temporary it was written through
        EXPECT_EQ(name.find(".saving-"), std::string::npos) << name;
        files += e.is_regular_file();
    }
    std::cout << "hostile names: " << files << " files\n";
    // Long names that begin alike still get a page each, and so does every similar pair.
    size_t diagramPages = 0, pairPages = 0;
    for (const auto& e : fs::directory_iterator(paths.g_DiagramsFolder)) diagramPages += e.path().extension() == ".html";
    for (const auto& e : fs::directory_iterator(paths.g_CrudSignaturesFolder)) pairPages += e.is_regular_file();
    EXPECT_EQ(diagramPages, static_cast<size_t>(Count(
                                "SELECT COUNT(DISTINCT Name) FROM Ents WHERE EntName = 'PROGRAM' AND SOAType <> 0 AND Stub = 0")));
    EXPECT_EQ(pairPages + 1, pagetest::Rows(paths.g_CrudOverlapPagePath).size());
    EXPECT_GT(pairPages, 0u);
    EXPECT_TRUE(fs::is_regular_file(paths.g_DiagramsFolder / (latin1 + ".1.jpg")));
    EXPECT_TRUE(fs::is_regular_file(paths.g_ScreensFolder / "\xC9" "cran.html"));
    bool noName = false;
    for (const auto& row : pagetest::Rows(paths.g_ScreensPagePath))
        for (const std::string& cell : row) noName = noName || cell.find("|(no name)}") != std::string::npos;
    EXPECT_TRUE(noName) << "the screen without a name has no link text";

    const QString chromium = reporttest::Chromium();
    if (chromium.isEmpty()) GTEST_SKIP() << "no Chromium installed (scripts/setup installs it)";
    // What a script finds in a copy of the page once it has loaded.
    auto onLoad = [&](const fs::path& page, const std::string& expression) {
        std::string text = reporttest::ReadText(page);
        text.insert(text.rfind("</body>"), "<p id=\"shown\"></p><script>onload = () => document.getElementById"
                                            "('shown').append(" + expression + ");</script>\n");
        reporttest::WriteText(page.parent_path() / "shown.html", text);
        return reporttest::Between(reporttest::RenderedDom(chromium, page.parent_path() / "shown.html"), "<p id=\"shown\">",
                                   "</p>");
    };
    EXPECT_EQ(onLoad(paths.g_DiagramsFolder / (latin1 + ".html"),
                     "[...document.images].map(i => i.naturalWidth > 0 ? 'Y' : 'N').join('')"),
              "<p id=\"shown\">YY");
    EXPECT_EQ(onLoad(paths.g_DataStoresPagePath, "document.body.scrollWidth <= innerWidth ? 'fits' : 'too wide'"),
              "<p id=\"shown\">fits");
}

}  // namespace
