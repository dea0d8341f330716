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
#include "platform/diagram/DiagramCheck.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "session/WorkspaceLoad.h"
#include "tests/support/TestSupport.h"
#include "views/FlowContext.h"
#include "views/ScreenFlowPlot.h"

namespace {

namespace fs = std::filesystem;
using platform::diagram::DiagramModel;

// The gaps between the centre of a flow context and its first columns on
// either side hold the centre's own links: a caption of another link of one
// side there would read as the centre's.
void ExpectNoCaptionInTheCentresColumns(const DiagramModel& dgm, const std::string& what) {
    const platform::diagram::Shape* centre = nullptr;
    for (const auto& s : dgm.Shapes())
        if (s->boldText && s->heavyBorder) centre = s.get();
    ASSERT_NE(centre, nullptr) << what;
    double before = -1e300, after = 1e300;
    for (const auto& s : dgm.Shapes()) {
        if (s->left + s->width < centre->left) before = std::max(before, s->left + s->width);
        if (s->left > centre->left + centre->width) after = std::min(after, s->left);
    }
    // A link from one side to the other passes the centre's column and has
    // no other gap for its caption.
    auto beforeCentre = [&](const platform::diagram::Shape* s) { return s->left < centre->left; };
    for (const auto& l : dgm.Links()) {
        if (l->from == centre || l->to == centre || l->textRect.Empty()) continue;
        if (beforeCentre(l->from) != beforeCentre(l->to)) continue;
        const double left = l->textRect.left, right = left + l->textRect.width;
        EXPECT_TRUE(right <= before || left >= centre->left + centre->width) << what << ": '" << l->text << "' of "
                                                                            << l->from->key << " -> " << l->to->key;
        EXPECT_TRUE(left >= after || right <= centre->left) << what << ": '" << l->text << "' of " << l->from->key
                                                            << " -> " << l->to->key;
    }
}

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

    // Every flow context of the sample (each side and both) and the screen
    // interaction plot, as drawn: no label over another label or a box, no
    // line under a box it does not join, no boxes over each other, every
    // label nearer its own line than any other, no two links on top of
    // each other.
    long long labels = 0, crossings = 0;
    auto expectClean = [&](const platform::diagram::DiagramModel& dgm, const std::string& what) {
        const auto faults = platform::diagram::CheckDrawing(dgm);
        EXPECT_TRUE(faults.None()) << what << ": " << faults.Summary();
        labels += faults.labels;
        crossings += platform::diagram::CrossingPairs(platform::diagram::DrawnLines(dgm), true);
    };
    int drawn = 0;
    for (auto rs = Globals::g_Database->OpenRecordset("SELECT ID, Name FROM Ents WHERE EntName = 'PROGRAM'");
         !rs.IsEOF(); rs.MoveNext()) {
        views::FlowContextSource source(*Globals::g_Database, Globals::g_Workbench->GetEntityStore());
        for (int mode : {views::kFlowClientSide, views::kFlowDataSide, views::kFlowBothSides}) {
            platform::diagram::DiagramModel dgm;
            fs::path none;
            Globals::BuildFlowContext(dgm, source, mode, rs.Text("ID"), none, 4);
            const std::string what = rs.Text("Name") + " mode " + std::to_string(mode);
            expectClean(dgm, what);
            ExpectNoCaptionInTheCentresColumns(dgm, what);
            drawn += dgm.LinkCount() > 0;
        }
    }
    EXPECT_GT(drawn, 20);
    EXPECT_GT(labels, 500);
    // The lines as drawn cross about this often (every pair of links that
    // crosses, joined boxes or not): a worse drawing fails here.
    EXPECT_LE(crossings, 16);
    platform::diagram::DiagramModel plot;
    views::BuildScreenFlow(plot, *Globals::g_Database, true);
    EXPECT_GT(plot.LinkCount(), 5u);
    expectClean(plot, "screen interaction plot");
    session::CloseWorkspace();
}

}  // namespace
