#include <gtest/gtest.h>

#include "platform/workbench/RepositoryBuilder.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "services/MessageStructure.h"
#include "tests/services/MessageModelFixture.h"
#include "tests/support/TestSupport.h"

using namespace platform::workbench;

// The program's "Sid" names the entity whose "Vornic" names the model file.
TEST(MessageProgramModel, OpensTheModelNamedThroughSid) {
    testsupport::TempDir dir;
    const auto hxp = dir / "Shop.hxp";
    auto b = RepositoryBuilder::CreateWorkspace(hxp, "Shop Project");
    const int64_t entry = b->AddEntity("PROGRAMENTRY", "ORDPROG", {{"Vornic", "models\\ORDPROG.ctb"}});
    const int64_t prog = b->AddEntity("PROGRAM", "ORDPROG", {{"Sid", b->Key(entry)}});
    const int64_t bare = b->AddEntity("PROGRAM", "NOMODEL");
    b->AddEntity("FOLDER", "Shop Project");
    const std::string progKey = b->Key(prog), entryKey = b->Key(entry), bareKey = b->Key(bare);
    b->Finish();

    WorkbenchSession session;
    session.SetBinFolder(dir / "install" / "Bin");
    auto [file, key] = FileNameUtility::GetRepositoryValues(hxp.string());
    ASSERT_TRUE(session.OpenRepository(file, key)) << session.LastError();
    std::filesystem::create_directories(session.GetWorkspaceFolder() / "models");
    messagefixture::WriteOrdProgModel(session.GetWorkspaceFolder() / "models" / "ORDPROG.mdb", entryKey);

    CodeModel model = services::OpenProgramCodeModel(session, progKey);
    EXPECT_EQ(services::VisibleDataLists(model).size(), 2u);
    model.Close();

    EXPECT_THROW(services::OpenProgramCodeModel(session, bareKey), WorkbenchError);
    EXPECT_THROW(services::OpenProgramCodeModel(session, "PROGRAM#99"), WorkbenchError);
}
