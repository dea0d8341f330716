// The OrderEntry sample imported into a fresh database: the Ents and Rels
// rows are compared with listings checked by hand against the repository
// description (samples/OrderEntry.desc).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "tests/workspace/ImportTestSupport.h"
#include "workspace/RepositoryImport.h"

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

namespace {

Rows ReadLines(const fs::path& file) {
    std::ifstream in(file);
    Rows lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}

std::string Joined(const Rows& rows) {
    std::string out;
    for (const auto& r : rows) out += r + "\n";
    return out;
}

class SampleImport : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path built = testsupport::AppDir().parent_path() / "samples";
        ASSERT_TRUE(fs::exists(built / "OrderEntry.hxp")) << built;
        fs::copy(built / "OrderEntry", dir / "OrderEntry", fs::copy_options::recursive);
        fs::copy_file(built / "OrderEntry.hxp", dir / "OrderEntry.hxp");
        session.SetBinFolder(dir / "install" / "Bin");
        auto [file, key] = FileNameUtility::GetRepositoryValues((dir / "OrderEntry.hxp").string());
        ASSERT_TRUE(session.OpenRepository(file, key)) << session.LastError();
    }

    testsupport::TempDir dir;
    platform::workbench::WorkbenchSession session;
    std::unique_ptr<platform::db::Database> db = importtest::FreshWorkspaceDb(dir);
    const fs::path golden = testsupport::SourceDir() / "tests" / "workspace" / "golden";
};

}  // namespace

TEST_F(SampleImport, EntsAndRelsMatchTheListingsCheckedByHand) {
    testsupport::RecordingProgress progress;
    const auto result = workspace::ImportRepositoryEntities(*db, session, progress);
    ASSERT_TRUE(result.done) << result.error;

    const Rows ents = importtest::EntsListing(*db);
    const Rows rels = importtest::RelsListing(*db);
    EXPECT_EQ(ents, ReadLines(golden / "OrderEntry.Ents.txt")) << Joined(ents);
    EXPECT_EQ(rels, ReadLines(golden / "OrderEntry.Rels.txt")) << Joined(rels);

    // Every row points at rows that exist.
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Rels WHERE Id1 NOT IN (SELECT ID FROM Ents) "
                         "OR Id2 NOT IN (SELECT ID FROM Ents)").AsInt(),
              0);
    // One bar for screens, one for programs, one per store type.
    EXPECT_EQ(std::count_if(progress.calls.begin(), progress.calls.end(),
                            [](const std::string& c) { return c.rfind("StartProgress(", 0) == 0; }),
              9);
}
