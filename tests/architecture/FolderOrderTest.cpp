// Every arrow between folders points down: a source file includes only from
// its own folder and from folders on a lower level. The levels are written
// once, here; a new folder must be given its level before it builds a test
// run that passes.

#include <gtest/gtest.h>

#include <QProcess>

#include <algorithm>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// Bottom first. Folders on one level are peers and include nothing of each
// other. A folder not listed takes the level of its nearest listed parent.
const std::vector<std::vector<std::string>> kLevels = {
    {"common"},
    {"platform/db", "platform/xml", "platform/diagram", "platform/screenmap", "platform/ui/core"},
    {"platform/workbench"},
    {"platform/ui"},
    {"workspace", "classify"},
    {"services"},
    {"views"},
    {"reports"},
    {"services/ui"},
    {"views/ui"},
    {"reports/ui"},
    {"session"},
    {"app/dialogs"},
    {"app"},
};

// Folders whose code is tooling beside the product (they may use anything).
const std::vector<std::string> kOutside = {"tests", "bench", "samples", "build", "resources", "scripts", "docs", "cmake"};

struct Place {
    std::string folder;
    int level = -1;
};

Place PlaceOf(const std::string& relativeFolder) {
    std::string f = relativeFolder;
    while (true) {
        for (std::size_t l = 0; l < kLevels.size(); ++l)
            for (const auto& name : kLevels[l])
                if (name == f) return {f, static_cast<int>(l)};
        const auto slash = f.rfind('/');
        if (slash == std::string::npos) return {relativeFolder, -1};
        f = f.substr(0, slash);
    }
}

bool IsOutside(const std::string& relative) {
    for (const auto& o : kOutside)
        if (relative == o || relative.rfind(o + "/", 0) == 0) return true;
    return false;
}

// The source files git tracks below root, relative to it. Only these: a
// build folder inside the checkout (of any name) holds generated files that
// belong to no level. Empty when root is no git checkout.
std::vector<std::string> TrackedSources(const fs::path& root) {
    QProcess git;
    // A checkout owned by another user (a build in a container) is listed too.
    git.start("git", {"-c", "safe.directory=*", "-C", QString::fromStdString(root.string()), "ls-files", "-z", "--",
                      "*.h", "*.cpp"});
    if (!git.waitForFinished(60000) || git.exitStatus() != QProcess::NormalExit || git.exitCode() != 0) return {};
    std::vector<std::string> files;
    for (const QByteArray& name : git.readAllStandardOutput().split('\0'))
        if (!name.isEmpty()) files.push_back(name.toStdString());
    return files;
}

// "<file>: includes <header> from <folder> (level a) above or beside <folder> (level b)"
std::vector<std::string> UpwardIncludes(const fs::path& root, const std::vector<std::string>& files) {
    std::vector<std::string> problems;
    const std::regex include(R"(^\s*#\s*include\s*\"([^\"]+)\")");
    for (const std::string& rel : files) {
        const std::string relFolder = fs::path(rel).parent_path().generic_string();
        if (relFolder.empty() || IsOutside(rel)) continue;
        const Place from = PlaceOf(relFolder);
        if (from.level < 0) {
            problems.push_back(rel + ": its folder has no level");
            continue;
        }
        std::ifstream in(root / rel);
        std::string line;
        while (std::getline(in, line)) {
            std::smatch m;
            if (!std::regex_search(line, m, include)) continue;
            const std::string header = m[1];
            if (header.find('/') == std::string::npos) continue;   // moc files and the like
            const std::string headerFolder = fs::path(header).parent_path().generic_string();
            const Place to = PlaceOf(headerFolder);
            if (to.level < 0 || IsOutside(header)) continue;        // not one of ours
            if (to.folder == from.folder) continue;
            if (to.level >= from.level)
                problems.push_back(rel + ": includes " + header + " (" + to.folder + ", level " +
                                   std::to_string(to.level) + ") from " + from.folder + " (level " +
                                   std::to_string(from.level) + ")");
        }
    }
    std::sort(problems.begin(), problems.end());
    return problems;
}

}  // namespace

TEST(FolderOrder, EveryIncludePointsDown) {
    const fs::path root = testsupport::SourceDir();
    const auto files = TrackedSources(root);
    if (files.empty()) GTEST_SKIP() << root << " is no git checkout";
    const auto problems = UpwardIncludes(root, files);
    std::string all;
    for (const auto& p : problems) all += "  " + p + "\n";
    EXPECT_TRUE(problems.empty()) << problems.size() << " include(s) against the folder order:\n" << all;
}

TEST(FolderOrder, TheCheckSeesAnUpwardAndASidewaysInclude) {
    testsupport::TempDir dir;
    const fs::path root = dir.Path();
    fs::create_directories(root / "common");
    fs::create_directories(root / "classify");
    fs::create_directories(root / "workspace");
    std::ofstream(root / "common" / "Low.h") << "#include \"session/WorkspaceLoad.h\"\n";
    std::ofstream(root / "classify" / "Peer.cpp") << "#include \"workspace/RepositoryImport.h\"\n";
    std::ofstream(root / "workspace" / "Fine.cpp") << "#include \"common/Globals.h\"\n#include \"Fine.moc\"\n";
    const auto problems = UpwardIncludes(root, {"common/Low.h", "classify/Peer.cpp", "workspace/Fine.cpp"});
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("workspace/RepositoryImport.h"), std::string::npos);   // a peer
    EXPECT_NE(problems[1].find("session/WorkspaceLoad.h"), std::string::npos);        // upward
}
