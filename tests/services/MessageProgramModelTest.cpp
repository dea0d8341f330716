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

// A program the analyst picks is named in the message by its name, however
// its model is missing; the repository's keys mean nothing to the analyst.
TEST(MessageProgramModel, AMissingModelIsReportedByTheProgramsName) {
    testsupport::TempDir dir;
    const auto hxp = dir / "Shop.hxp";
    auto b = RepositoryBuilder::CreateWorkspace(hxp, "Shop Project");
    const int64_t natural = b->AddEntity("NATURAL", "NCUSTMNT");
    const int64_t away = b->AddEntity("PROGRAMENTRY", "AWAY", {{"Vornic", "models\\AWAY.ctb"}});
    struct Case {
        const char* program;
        std::string sid;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"NCUSTMNT", b->Key(natural), "NCUSTMNT has no code model."},   // the Sid has no model file
        {"BARE", "", "BARE has no code model."},                          // no Sid at all
        {"LOST", "PROGRAMENTRY#999", "LOST has no code model."},          // a Sid the repository lacks
        {"GARBLED", "not a key", "GARBLED has no code model."},
        {"AWAY", b->Key(away), "The code model of AWAY cannot be read."},   // its file is gone
    };
    std::vector<std::string> keys;
    for (const Case& c : cases)
        keys.push_back(b->Key(c.sid.empty() ? b->AddEntity("PROGRAM", c.program)
                                            : b->AddEntity("PROGRAM", c.program, {{"Sid", c.sid}})));
    b->AddEntity("FOLDER", "Shop Project");
    b->Finish();

    WorkbenchSession session;
    session.SetBinFolder(dir / "install" / "Bin");
    auto [file, key] = FileNameUtility::GetRepositoryValues(hxp.string());
    ASSERT_TRUE(session.OpenRepository(file, key)) << session.LastError();
    for (size_t i = 0; i < cases.size(); ++i) {
        try {
            services::OpenProgramCodeModel(session, keys[i]);
            ADD_FAILURE() << cases[i].program << " opened";
        } catch (const WorkbenchError& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.substr(0, std::string(cases[i].message).size()), cases[i].message) << text;
            EXPECT_EQ(text.find(keys[i]), std::string::npos) << text;
        }
    }
}
