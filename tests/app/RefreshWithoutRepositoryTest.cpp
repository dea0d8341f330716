// File > Refresh Workspace when the repository cannot be reached: the window
// is usable again with nothing open, and the workspace database (with the
// analyst's web operations) is still there for the next open.

#include "app/WorkspaceTrees.h"
#include "services/NodeCommands.h"
#include "services/NodeMenu.h"
#include "tests/app/WorkspaceSampleFixture.h"

namespace {

using apptest::WorkspaceSampleTest;
using common::Answer;
namespace fs = std::filesystem;

TEST_F(WorkspaceSampleTest, RefreshWithoutTheRepositoryKeepsTheDatabaseAndFreesTheWindow) {
    Open(sample);
    ASSERT_TRUE(Globals::g_Database);
    const std::string id = Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = 'ORDENTR'").AsText();
    ASSERT_EQ(services::SetAsWebOperation(*Globals::g_Database, services::JoinTag("ORDENTR", id)),
              services::SetWebOperationResult::Added);

    const fs::path repository = dir / "OrderEntry" / "Repository.db";
    fs::rename(repository, dir / "Repository.away");
    prompt.answers = {Answer::Yes};
    main->mnuFileRefreshWorkspace->trigger();
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(prompt.asked[1], "Cannot open workspace.");
    EXPECT_FALSE(main->IsBusy());
    EXPECT_FALSE(Globals::g_Database);
    EXPECT_EQ(main->trSummary->topLevelItemCount(), 0);
    EXPECT_EQ(main->windowTitle(), "Quarvel Analyzer");
    EXPECT_TRUE(main->Command("mnuFileOpenWorkspace")->isEnabled());
    EXPECT_FALSE(main->Command("mnuFileRefreshWorkspace")->isEnabled());
    EXPECT_TRUE(fs::exists(dir / "OrderEntry" / "QuarvelAnalyzer.mdb"));

    fs::rename(dir / "Repository.away", repository);
    Open(sample);
    ASSERT_TRUE(Globals::g_Database);
    EXPECT_EQ(main->trWebOperations->topLevelItemCount(), 1);
}

// A workspace that cannot be written is not rebuilt, and says so before it
// asks or anything closes: the analyst's open windows stay.
TEST_F(WorkspaceSampleTest, RefreshOfAReadOnlyWorkspaceKeepsItsWindows) {
    Open(sample);
    ASSERT_TRUE(Globals::g_Database);
    QWidget other;
    other.setProperty("Tag", "ORDENTR-CRUDSig");
    other.show();
    const fs::path folder = dir / "OrderEntry", file = folder / "QuarvelAnalyzer.mdb";
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    for (const fs::path& p : {file, folder}) fs::permissions(p, writable, fs::perm_options::remove);
    prompt.answers = {Answer::Yes};
    main->mnuFileRefreshWorkspace->trigger();
    for (const fs::path& p : {file, folder}) fs::permissions(p, fs::perms::owner_write, fs::perm_options::add);
    // Refused before the question, whose answer would change nothing.
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].rfind("Refresh Workspace was refused", 0), 0u) << prompt.asked[0];
    EXPECT_TRUE(other.isVisible());
    EXPECT_TRUE(Globals::g_Database);
}

}  // namespace
