// The disk fills up at a status write of a build: the load fails with the
// reason, and what it leaves never reopens as complete.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <map>
#include <memory>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "session/WorkspaceLoad.h"
#include "tests/crash/CrashSteps.h"
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
