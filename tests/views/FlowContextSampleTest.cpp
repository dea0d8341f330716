// Flow contexts of the OrderEntry sample, drawn and exported as the report's
// diagram pages make them.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <map>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "session/WorkspaceLoad.h"
#include "tests/support/TestSupport.h"
#include "views/FlowContext.h"

namespace {

namespace fs = std::filesystem;

TEST(FlowContextSample, BothSidesOfTheOrderProgramsExportAsImagesQtReads) {
    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = testsupport::AppDir();
    testsupport::TempDir dir;
    const fs::path built = testsupport::AppDir().parent_path() / "samples";
    fs::copy(built / "OrderEntry", dir / "OrderEntry", fs::copy_options::recursive);
    fs::copy_file(built / "OrderEntry.hxp", dir / "OrderEntry.hxp");
    testsupport::RecordingProgress progress;
    testsupport::ScriptedPrompt prompt;
    const auto view = session::OpenWorkspace(dir / "OrderEntry.hxp", {}, progress, prompt);
    ASSERT_EQ(view.status, session::WorkspaceView::Status::Loaded) << view.error;

    // Each program with boxes its two sides must show.
    const std::map<std::string, std::vector<std::string>> cases{
        {"ORDENTR", {"ORDENT", "ORDPROC", "CUSTIO", "STOCKCHK"}},
        {"ORDPROC", {"ORDENTR", "ORDUPD", "STOCKCHK", "STOCKDB"}}};
    for (const auto& [program, around] : cases) {
        const std::string id =
            Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = ? AND EntName = 'PROGRAM'", {program})
                .AsText();
        platform::diagram::DiagramModel dgm;
        views::FlowContextSource source(*Globals::g_Database, Globals::g_Workbench->GetEntityStore());
        fs::path image = dir / (program + ".3.jpg");
        const auto result = Globals::BuildFlowContext(dgm, source, views::kFlowBothSides, id, image, 4);
        for (const auto& name : around) EXPECT_NE(dgm.FindShape(name), nullptr) << program << ": " << name;

        const QImage full(QString::fromStdString((dir / (program + ".3.jpg")).string()));
        EXPECT_GT(full.width(), 100) << program;
        EXPECT_EQ(fs::exists(image), result.previewWritten) << program;
        if (result.previewWritten) {
            EXPECT_LE(QImage(QString::fromStdString(image.string())).width(), views::kPreviewLimit);
        }
    }
    session::CloseWorkspace();
}

}  // namespace
