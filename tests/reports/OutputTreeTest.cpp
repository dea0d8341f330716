#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <iterator>
#include <set>
#include <string_view>
#include <thread>

#include "common/Progress.h"
#include "reports/AsideRemoval.h"
#include "reports/OutputTree.h"
#include "tests/reports/ReportTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;

std::set<std::string> Listing(const fs::path& root) {
    std::set<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        out.insert(fs::relative(entry.path(), root).generic_string());
    return out;
}

const std::set<std::string> kFirstLevel = {"images", "diagrams", "inventory", "client", "server", "special"};

TEST(OutputTree, AFreshWorkspaceGetsTheFoldersAndTheImages) {
    testsupport::TempDir dir;
    const ReportPaths paths = reporttest::PathsIn(dir);
    fs::create_directory(dir / "Bank");
    ASSERT_TRUE(RebuildOutputTree(paths));
    std::set<std::string> top;
    for (const auto& entry : fs::directory_iterator(paths.g_ReportRoot)) top.insert(entry.path().filename());
    EXPECT_EQ(top, kFirstLevel);
    EXPECT_TRUE(fs::exists(paths.g_ReportRoot / "images/CF.gif"));
    EXPECT_TRUE(fs::exists(paths.g_ReportRoot / "images/missing.gif"));
}

TEST(OutputTree, AnEarlierReportSetGoesWholeReadOnlyPartsIncludedButNotWhatLinksPointTo) {
    testsupport::TempDir dir;
    const ReportPaths paths = reporttest::PathsIn(dir);
    fs::create_directory(dir / "Bank");
    ASSERT_TRUE(RebuildOutputTree(paths));
    reporttest::WriteText(paths.g_ReportRoot / "index.html", "old");
    reporttest::WriteText(paths.g_ScreensFolder / "MAP01.html", "old");
    reporttest::WriteText(paths.g_ReportRoot / "special/locked/page.html", "old");
    reporttest::WriteText(paths.g_ReportRoot / "images/CF.gif", "stale picture");
    fs::permissions(paths.g_ReportRoot / "special/locked/page.html", fs::perms::owner_read);
    fs::permissions(paths.g_ReportRoot / "special/locked", fs::perms::owner_read | fs::perms::owner_exec);
    reporttest::WriteText(dir / "elsewhere/keep.txt", "not ours");
    fs::create_directory_symlink(dir / "elsewhere", paths.g_ReportRoot / "client/link");
    // What a run that died left while deleting its earlier set goes too.
    const fs::path output = paths.g_ReportRoot.parent_path();
    reporttest::WriteText(output / "QuarvelReports.removing-1-dead/diagrams/P.html", "old");

    ASSERT_TRUE(RebuildOutputTree(paths));
    EXPECT_EQ(std::distance(fs::directory_iterator(output), fs::directory_iterator()), 1) << "only the new root";
    std::set<std::string> expected = kFirstLevel;
    for (const auto& entry : fs::directory_iterator(paths.g_TemplateImagesFolder))
        expected.insert("images/" + entry.path().filename().string());
    EXPECT_EQ(Listing(paths.g_ReportRoot), expected);
    EXPECT_EQ(reporttest::ReadText(paths.g_ReportRoot / "images/CF.gif"),
              reporttest::ReadText(paths.g_TemplateImagesFolder / "CF.gif"));
    EXPECT_EQ(reporttest::ReadText(dir / "elsewhere/keep.txt"), "not ours");
}

TEST(OutputTree, AMissingImagesFolderDoesNotStopTheRest) {
    testsupport::TempDir dir;
    ReportPaths paths = reporttest::PathsIn(dir);
    paths.g_TemplateImagesFolder = dir / "no-such-folder";
    fs::create_directory(dir / "Bank");
    ASSERT_TRUE(RebuildOutputTree(paths));
    EXPECT_TRUE(fs::is_directory(paths.g_ReportRoot / "special"));
    EXPECT_FALSE(fs::exists(paths.g_ReportRoot / "images"));

    // A file where the output folder belongs leaves no root to write into.
    testsupport::TempDir other;
    const ReportPaths blocked = reporttest::PathsIn(other);
    reporttest::WriteText(other / "Bank/Output", "a file");
    EXPECT_FALSE(RebuildOutputTree(blocked));
}

// The removing thread deletes one file or folder more each time the wait
// shows a step, so the test sees the deletion under way.
std::atomic<int> g_deletionsAllowed{0};
std::atomic<int> g_deleted{0};
void DeleteWhenAllowed(const char* step) {
    if (std::string_view(step) != kStepRemoving) return;
    while (g_deleted >= g_deletionsAllowed) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ++g_deleted;
}
class AllowingProgress : public testsupport::RecordingProgress {
public:
    void StartStep(const std::string& action) override {
        RecordingProgress::StartStep(action);
        shown.push_back(done);
        deleted.push_back(g_deleted);
        if (shown.size() == 2 && atSecondStep) atSecondStep();
        g_deletionsAllowed += 3;
    }
    std::vector<long> shown;     // the bar at each step
    std::vector<int> deleted;    // the files and folders deleted by then
    std::function<void()> atSecondStep;
};
// Lets the removing thread go however the test ends: held in the hook at an
// early failure, it would keep the process from ending (the thread is
// joined at exit), and the failure would show as a hang.
struct ReleaseRemovals {
    ~ReleaseRemovals() {
        SetReportStepHook(nullptr);
        g_deletionsAllowed = 1 << 30;
    }
};

TEST(OutputTree, TheWaitForAnEarlierSetFollowsTheFilesDeletedAndACancelLeavesTheRestToTheThread) {
    testsupport::TempDir dir;
    const ReleaseRemovals release;
    const ReportPaths paths = reporttest::PathsIn(dir);
    fs::create_directory(dir / "Bank");
    // The set is handed to the removing thread unless the test counts it
    // first: the thread deletes one file before its first step waits.
    const auto earlierSet = [&](bool hand = true) {
        SetReportStepHook(nullptr);
        ASSERT_TRUE(RebuildOutputTree(paths));
        for (int i = 0; i < 40; ++i) reporttest::WriteText(paths.g_DiagramsFolder / (std::to_string(i) + ".html"), "old");
        g_deleted = 0;
        g_deletionsAllowed = 0;
        SetReportStepHook(DeleteWhenAllowed);
        ASSERT_TRUE(PrepareOutputTree(paths));
        if (hand) RemoveSetAside(paths);
    };

    // The second removal in the process moves its bar as the first does.
    AllowingProgress progress;
    for (const char* removal : {"first", "second"}) {
        SCOPED_TRACE(removal);
        earlierSet();
        progress = {};
        EXPECT_TRUE(WaitForRemovals(progress));
        EXPECT_EQ(progress.calls.front(), "StartProgress(" + std::string(kRemovingEarlierReports) + ",100,T)");
        EXPECT_EQ(progress.steps.front(), kRemovingEarlierReports);
        EXPECT_EQ(progress.done, 100);
        // The bar moved on while the files went, not only at the end.
        std::set<long> between;
        for (long bar : progress.shown)
            if (bar > 0 && bar < 100) between.insert(bar);
        EXPECT_GE(between.size(), 3u) << ::testing::PrintToString(progress.shown);
        EXPECT_EQ(progress.level, 0);
    }

    // A cancel ends the wait, not the deletion.
    earlierSet();
    progress = {};
    progress.cancelAfterSteps = 2;
    EXPECT_FALSE(WaitForRemovals(progress));
    EXPECT_EQ(progress.level, 0);
    g_deletionsAllowed = 1 << 30;
    common::NullProgress quiet;
    EXPECT_TRUE(WaitForRemovals(quiet));

    // A second set handed in while the first is being deleted: the bar
    // still moves while the second goes, instead of reaching its end with
    // the first.
    earlierSet(false);
    int firstSet = 0;
    for (const auto& entry : fs::directory_iterator(dir / "Bank" / "Output"))
        if (entry.path().filename().string().rfind(AsidePrefix(paths), 0) == 0)
            firstSet += 1 + static_cast<int>(std::distance(fs::recursive_directory_iterator(entry.path()),
                                                           fs::recursive_directory_iterator()));
    ASSERT_GT(firstSet, 40);
    RemoveSetAside(paths);
    progress = {};
    progress.atSecondStep = [&] {
        for (int i = 0; i < 40; ++i) reporttest::WriteText(paths.g_DiagramsFolder / (std::to_string(i) + ".html"), "old");
        ASSERT_TRUE(PrepareOutputTree(paths));
        RemoveSetAside(paths);
    };
    EXPECT_TRUE(WaitForRemovals(progress));
    EXPECT_EQ(progress.done, 100);
    std::set<long> duringTheSecond;
    for (std::size_t i = 0; i < progress.shown.size(); ++i)
        if (progress.deleted[i] > firstSet && progress.shown[i] > 0 && progress.shown[i] < 100)
            duringTheSecond.insert(progress.shown[i]);
    EXPECT_GE(duringTheSecond.size(), 3u) << ::testing::PrintToString(progress.shown);
    SetReportStepHook(nullptr);
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir / "Bank" / "Output")) left.insert(entry.path().filename());
    EXPECT_EQ(left, std::set<std::string>{paths.g_ReportRoot.filename()});
}

}  // namespace
