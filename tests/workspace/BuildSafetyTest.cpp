// What a killed build leaves beside the workspace database, and a hostile
// workspace file.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "platform/workbench/WorkbenchError.h"
#include "platform/workbench/WorkspaceFile.h"
#include "tests/support/TestSupport.h"
#include "workspace/WorkspaceDatabase.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> FilesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// The number of a process that has ended.
pid_t EndedProcess() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

}  // namespace

TEST(BuildSafety, CopiesThatKilledBuildsLeftAreRemovedByTheNextBuild) {
    testsupport::TempDir dir;
    const fs::path folder = dir / "Shop";
    fs::create_directories(folder);
    const std::string dead = "QuarvelAnalyzer.mdb.copy-" + std::to_string(EndedProcess()) + "-3";
    const std::string running = "QuarvelAnalyzer.mdb.copy-" + std::to_string(::getppid()) + "-1";
    for (const std::string& name : {dead, dead + "-journal", running, std::string("QuarvelAnalyzer.mdb.copy-x"),
                                    std::string("Other.mdb.copy-1-1"), std::string("notes.txt")})
        std::ofstream(folder / name) << "left behind";
    workspace::CreateWorkspaceDatabase(testsupport::AppDir(), folder).reset();
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"QuarvelAnalyzer.mdb", running, "QuarvelAnalyzer.mdb.copy-x",
                                                       "Other.mdb.copy-1-1", "notes.txt"}));
}

// A workspace file of 200 KB whose one entity stands for 2.5 GB of text.
TEST(BuildSafety, AWorkspaceFileWhoseEntitiesExplodeFailsAtOnce) {
    testsupport::TempDir dir;
    std::string text = "<!DOCTYPE Workspace [<!ENTITY e \"" + std::string(50000, 'x') +
                       "\">]><Workspace><Project><Folder>";
    for (int i = 0; i < 50000; ++i) text += "&e;";
    text += "</Folder></Project></Workspace>";
    std::ofstream(dir / "Shop.hxp") << text;
    platform::workbench::WorkspaceFileReader reader;
    try {
        reader.Load(dir / "Shop.hxp");
        FAIL() << "the file was read";
    } catch (const platform::workbench::WorkbenchError& e) {
        EXPECT_NE(std::string(e.what()).find("far more text"), std::string::npos) << e.what();
    }
}
