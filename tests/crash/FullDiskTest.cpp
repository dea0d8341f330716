// The disk fills up at a status write of a build: the load fails with the
// reason, and what it leaves never reopens as complete. The disk fills up
// while a picture or the CRUD comparison file is written: the writer says
// so and the earlier file stays.

#include <gtest/gtest.h>

#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/diagram/DiagramLayout.h"
#include "platform/diagram/DiagramPainter.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/CrudAnalysis.h"
#include "reports/CrudComparison.h"
#include "reports/DiagramPages.h"
#include "reports/ReportError.h"
#include "session/WorkspaceLoad.h"
#include "tests/crash/CrashSteps.h"
#include "tests/reports/CrudWorkspace.h"
#include "tests/reports/ReportTestSupport.h"
#include "tests/support/TestSupport.h"
#include "workspace/WorkspaceDatabase.h"

namespace fs = std::filesystem;
using session::WorkspaceView;
using Status = WorkspaceView::Status;

namespace {

// The default SQLite file system, except that once armed every write of any
// database or journal fails as on a full disk.
class FullDisk {
public:
    static void Install() {
        s_base = sqlite3_vfs_find(nullptr);
        s_vfs = *s_base;
        s_vfs.zName = "qa-full-disk";
        s_vfs.xOpen = Open;
        sqlite3_vfs_register(&s_vfs, 1);
    }
    static void Remove() {
        sqlite3_vfs_unregister(&s_vfs);
        sqlite3_vfs_register(s_base, 1);
        s_armed = false;
    }
    static bool s_armed;
    static int s_refused;

private:
    static int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
        const int rc = s_base->xOpen(s_base, name, file, flags, outFlags);
        if (rc == SQLITE_OK && file->pMethods) file->pMethods = Wrapped(file->pMethods);
        return rc;
    }
    // A copy of the file's methods whose write fails when armed.
    static const sqlite3_io_methods* Wrapped(const sqlite3_io_methods* real) {
        auto& copy = s_copies[real];
        if (!copy) {
            copy = std::make_unique<sqlite3_io_methods>(*real);
            copy->xWrite = Write;
            s_real[copy.get()] = real;
        }
        return copy.get();
    }
    static int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        if (s_armed) {
            ++s_refused;
            return SQLITE_FULL;
        }
        return s_real.at(file->pMethods)->xWrite(file, data, amount, offset);
    }

    static sqlite3_vfs* s_base;
    static sqlite3_vfs s_vfs;
    static std::map<const sqlite3_io_methods*, std::unique_ptr<sqlite3_io_methods>> s_copies;
    static std::map<const sqlite3_io_methods*, const sqlite3_io_methods*> s_real;
};

sqlite3_vfs* FullDisk::s_base = nullptr;
sqlite3_vfs FullDisk::s_vfs{};
bool FullDisk::s_armed = false;
int FullDisk::s_refused = 0;
std::map<const sqlite3_io_methods*, std::unique_ptr<sqlite3_io_methods>> FullDisk::s_copies;
std::map<const sqlite3_io_methods*, const sqlite3_io_methods*> FullDisk::s_real;

// Every file this process writes stops growing at a size, as on a disk that
// fills up there: the write past it fails (instead of raising SIGXFSZ).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_signal(::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit limit{bytes, m_old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        ::signal(SIGXFSZ, m_signal);
    }

private:
    sighandler_t m_signal;
    rlimit m_old{};
};

std::set<std::string> FileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

const char* g_fillAt = nullptr;   // the build step after which the disk is full

void FillDiskAtStep(const char* step) {
    if (g_fillAt && std::string(step) == g_fillAt) FullDisk::s_armed = true;
}

class FullDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
        workspace = dir / "Crash.hxp";
        crashtest::MakeWorkspace(workspace, 300);
        FullDisk::Install();
        workspace::SetBuildStepHook(FillDiskAtStep);
    }
    void TearDown() override {
        session::CloseWorkspace();
        workspace::SetBuildStepHook(nullptr);
        g_fillAt = nullptr;
        FullDisk::Remove();
    }

    testsupport::TempDir dir;
    fs::path workspace;
    testsupport::RecordingProgress progress;
    testsupport::ScriptedPrompt prompt;
};

}  // namespace

TEST_F(FullDiskTest, EveryStatusWriteOnAFullDiskLeavesNoCompleteWorkspace) {
    struct Case {
        const char* mode;
        const char* fullAt;
        bool leavesDatabase;   // the build's database is on disk after the failure
    };
    const Case cases[] = {
        {"open", workspace::kStepTemplateCopied, false},   // the incomplete mark of the copy
        {"open", workspace::kStepStatusWrite, true},       // the load's last status write
        {"refresh", workspace::kStepTemplateCopied, false},
        {"refresh", workspace::kStepStatusWrite, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.fullAt);
        workspace::DeleteWorkspaceDatabase(dir / "Crash");
        if (std::string(c.mode) == "refresh") {
            ASSERT_EQ(session::OpenWorkspace(workspace, {}, progress, prompt).status, Status::Loaded);
        }
        prompt.asked.clear();
        FullDisk::s_refused = 0;
        g_fillAt = c.fullAt;
        const WorkspaceView failed = std::string(c.mode) == "refresh"
                                         ? session::RefreshWorkspace({}, progress, prompt)
                                         : session::OpenWorkspace(workspace, {}, progress, prompt);
        g_fillAt = nullptr;
        FullDisk::s_armed = false;
        EXPECT_GT(FullDisk::s_refused, 0) << "the disk never filled";
        EXPECT_EQ(failed.status, Status::Failed);
        EXPECT_NE(failed.error.find("full"), std::string::npos) << failed.error;
        ASSERT_EQ(prompt.asked.size(), 1u);
        EXPECT_EQ(workspace::DatabaseExists(dir / "Crash"), c.leavesDatabase);
        EXPECT_EQ(crashtest::LeftoverCopies(dir / "Crash"), std::vector<std::string>{});

        const WorkspaceView reopened = session::OpenWorkspace(workspace, {}, progress, prompt);
        ASSERT_EQ(reopened.status, Status::Loaded) << reopened.error;
        EXPECT_EQ(reopened.logText, c.leavesDatabase ? workspace::IncompleteLoadMessage() : std::string());
        session::CloseWorkspace();
    }
}

// A database whose status row is gone, or whose Status table cannot be read,
// came from no completed build.
TEST_F(FullDiskTest, AStatusThatCannotBeReadCountsAsIncomplete) {
    ASSERT_EQ(session::OpenWorkspace(workspace, {}, progress, prompt).status, Status::Loaded);
    session::CloseWorkspace();
    for (const char* damage : {"DELETE FROM Status", "DROP TABLE Status",
                               "ALTER TABLE Status RENAME COLUMN StatusVal TO Other"}) {
        SCOPED_TRACE(damage);
        {
            auto db = workspace::OpenWorkspaceDatabase(dir / "Crash");
            ASSERT_EQ(workspace::ReadLoadMessage(*db), "");
            db->ExecuteScript("SAVEPOINT s");
            db->ExecuteScript(damage);
            EXPECT_EQ(workspace::ReadLoadMessage(*db), workspace::IncompleteLoadMessage());
            db->ExecuteScript("ROLLBACK TO s; RELEASE s");
        }
    }
    // Reopened without the row, the load warns.
    workspace::OpenWorkspaceDatabase(dir / "Crash")->Execute("DELETE FROM Status");
    const WorkspaceView view = session::OpenWorkspace(workspace, {}, progress, prompt);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_EQ(view.logText, workspace::IncompleteLoadMessage());
    EXPECT_TRUE(view.showLog);
}

// The last write of a picture, of the comparison file or of a diagram
// page's picture is refused: the export answers false and the analysis
// raises, each keeping the earlier file and leaving no temporary; the page
// is still written, its picture shown as missing, and the failure raised.
TEST(FullDiskFiles, APictureOrComparisonFileCutShortFailsAndKeepsTheEarlierFile) {
    testsupport::TempDir dir;
    crudtest::CrudWorkspace ws;   // in memory: only the files under test touch the disk
    ws.Store("TABLE#1", "T1");
    ws.Store("TABLE#2", "T2");
    for (int p = 1; p <= 30; ++p) {
        const std::string id = "PROGRAM#" + std::to_string(p);
        ws.Program(id, "PGM" + std::to_string(p));
        ws.Access(id, "TABLE#1", "Reads");
        ws.Access(id, "TABLE#2", "Updates");
        if (p > 1) ws.Calls("PROGRAM#1", id);
    }
    auto cutShort = [](const fs::path& file, const std::function<void()>& write) {
        const auto size = fs::file_size(file);
        reporttest::WriteText(file, "EARLIER");
        const std::set<std::string> before = FileNames(file.parent_path());
        {
            FileSizeLimit full(size - 1);
            write();
        }
        EXPECT_EQ(reporttest::ReadText(file), "EARLIER");
        EXPECT_EQ(FileNames(file.parent_path()), before);
    };

    platform::diagram::DiagramModel model;
    platform::diagram::Shape& centre = model.AddShape("ORDPROC", 0, 0, 3, 3, "ORDPROC");
    for (int i = 0; i < 12; ++i)
        model.AddLink(centre, model.AddShape("CALLED" + std::to_string(i), 0, 0, 3, 3, "C" + std::to_string(i)),
                      "Calls", "k" + std::to_string(i));
    platform::diagram::AutoLayout(model);
    const fs::path picture = dir / "flow.jpg";
    ASSERT_TRUE(platform::diagram::ExportImage(model, picture, 100));
    cutShort(picture, [&] { EXPECT_FALSE(platform::diagram::ExportImage(model, picture, 100)); });

    testsupport::RecordingProgress progress;
    const fs::path comparison = mdlReports::CrudComparisonPath(dir.Path());
    ASSERT_TRUE(mdlReports::GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path()), progress, false).fileWritten);
    cutShort(comparison, [&] {
        EXPECT_THROW(mdlReports::GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path()), progress, false), std::runtime_error);
    });

    const mdlReports::ReportPaths paths = reporttest::PathsIn(dir);
    fs::create_directories(paths.g_DiagramsFolder);
    mdlReports::ReportBuilder builder;
    testsupport::ScriptedPrompt prompt;
    mdlReports::ReportContext ctx{*ws.db, {}, dir.Path(), paths, builder, progress, prompt,
                                  mdlReports::OutputFolderBoundary(paths)};
    mdlReports::GenerateDiagramPage(ctx, "PROGRAM#1", "PGM1");
    const fs::path page = mdlReports::GetDiagramPagePath(paths, "PGM1");
    const std::string pageText = reporttest::ReadText(page);
    // Room for the page and the client side's picture, not the data side's.
    const auto room = std::max<std::uintmax_t>(pageText.size(), fs::file_size(paths.g_DiagramsFolder / "PGM1.1.jpg"));
    ASSERT_LT(room, fs::file_size(paths.g_DiagramsFolder / "PGM1.2.jpg"));
    try {
        FileSizeLimit full(room);
        mdlReports::GenerateDiagramPage(ctx, "PROGRAM#1", "PGM1");
        ADD_FAILURE() << "a picture that was not written passed unnoticed";
    } catch (const mdlReports::ReportError& e) {
        EXPECT_NE(std::string(e.what()).find("PGM1.2"), std::string::npos) << e.what();
    }
    // The page is written again, its img showing the missing picture's alt
    // text; the earlier run's picture of the data side is gone with it.
    EXPECT_EQ(reporttest::ReadText(page), pageText);
    for (const std::string& name : FileNames(paths.g_DiagramsFolder))
        EXPECT_TRUE(name == "PGM1.html" || name == "PGM1.1.jpg") << name;
}
