// The flow-context builder on small workspace databases: what each walk
// draws and where it stops, the keys that merge boxes, the export and its
// preview.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <filesystem>
#include <map>
#include <tuple>
#include <vector>

#include "platform/diagram/DiagramPainter.h"
#include "tests/classify/WorkspaceDb.h"
#include "tests/support/TestSupport.h"
#include "tests/workspace/ImportTestSupport.h"
#include "views/FlowContext.h"

namespace {

namespace fs = std::filesystem;
using platform::diagram::Rgb;
using platform::diagram::Shape;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using namespace views;

class FlowContextTest : public ::testing::Test {
protected:
    // Adds an Ents row and returns its id; store rows are TABLE#n.
    std::string Ent(const std::string& entName, const std::string& name, int soaType = 0, bool stub = false) {
        const std::string id = (entName == "store" ? "TABLE" : entName) + "#" + std::to_string(++m_ids);
        classifytest::AddEnt(*db, id, entName, name, stub, {}, soaType);
        return id;
    }
    std::string Program(const std::string& name, int soaType = 0) { return Ent("PROGRAM", name, soaType); }
    void Rel(const std::string& id1, const std::string& relName, const std::string& id2, std::string full = {}) {
        db->Execute("INSERT INTO Rels (Id1, Id2, RelName, RelNameFull) VALUES (?, ?, ?, ?)",
                    {id1, id2, relName, full.empty() ? relName : full});
    }
    FlowContextResult Build(int mode, const std::string& id, int depth = 4) {
        FlowContextSource source(*db, store);
        return Globals::BuildFlowContext(dgm, source, mode, id, image, depth);
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& s : dgm.Shapes()) out.push_back(s->key);
        return out;
    }
    // "FROM -text-> TO colour"
    std::vector<std::string> Links() const {
        static const std::map<platform::diagram::Colour, std::string> names{
            {Rgb(255, 0, 0), "red"}, {Rgb(0, 0, 255), "blue"}, {Rgb(255, 255, 0), "yellow"}, {Rgb(0, 255, 0), "green"}};
        std::vector<std::string> out;
        for (const auto& l : dgm.Links())
            out.push_back(l->from->key + " -" + l->text + "-> " + l->to->key + " " +
                          (names.count(l->color) ? names.at(l->color) : "other"));
        return out;
    }
    const Shape& Box(const std::string& key) const {
        if (!dgm.FindShape(key)) throw std::runtime_error("no box " + key);
        return *dgm.FindShape(key);
    }

    std::unique_ptr<platform::db::Database> db = classifytest::NewWorkspaceDb();
    platform::workbench::EntityStore store;
    platform::diagram::DiagramModel dgm;
    testsupport::TempDir dir;
    fs::path image;   // none unless a test names one

private:
    int m_ids = 0;
};

TEST_F(FlowContextTest, TwelveNewScreensGiveTenBoxesAndOnePlaceholderCarryingTheEleventhLink) {
    const auto p = Program("P");
    for (int i = 1; i <= 12; ++i) Rel(p, "converse", Ent("MAP", "S" + std::to_string(i)), i == 11 ? "Receives" : "Sends");
    Build(kFlowClientSide, p);

    EXPECT_THAT(Boxes(), ElementsAre("P", "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9", "S10", "ScrnPHP"));
    EXPECT_THAT(Links(), Contains("ScrnPHP -Receives-> P green"));
    EXPECT_EQ(dgm.LinkCount(), 11u);
    const Shape& placeholder = Box("ScrnPHP");
    EXPECT_EQ(placeholder.text + "|" + placeholder.hint + "|" + placeholder.tag,
              "Screen linking limit reached|Screen linking limit reached|");
    EXPECT_EQ(placeholder.fillColor, Rgb(255, 255, 255));
    EXPECT_EQ(Box("S1").textColor, Rgb(0, 255, 0));
}

TEST_F(FlowContextTest, ScreenLinksFollowTheMessageAndSharedScreensDoNotCountTowardsTheLimit) {
    const auto c = Program("C"), a = Program("A"), b = Program("B");
    Rel(a, "Xctls", c);
    Rel(b, "Xctls", c);
    const auto m1 = Ent("MAP", "M1"), m2 = Ent("MAP", "M2"), m3 = Ent("MAP", "M3"), m4 = Ent("MAP", "M4");
    for (const auto& p : {a, b}) {
        Rel(p, "converse", m1, "Receives");
        Rel(p, "converse", m2, "Sends");
        Rel(p, "converse", m3, "Sends");
        Rel(p, "converse", m3, "Receives");   // both ways: two opposite links
        Rel(p, "converse", m4, "Converses");  // neither (nor "receives" in lower case): no link
        Rel(p, "converse", m4, "receives");
    }
    for (int i = 1; i <= 10; ++i) Rel(b, "converse", Ent("MAP", "T" + std::to_string(i)), "Sends");
    Build(kFlowClientSide, c);

    EXPECT_EQ(dgm.FindShape("ScrnPHB"), nullptr);   // B's four shared screens were not counted
    EXPECT_EQ(dgm.ShapeCount(), 3u + 4u + 10u);
    EXPECT_EQ(Box("M1").hint, "A Converses M1");
    for (const std::string p : {"A", "B"})
        for (const auto& l : {"M1 -Receives-> " + p, p + " -Sends-> M2", p + " -Sends-> M3", "M3 -Receives-> " + p})
            EXPECT_THAT(Links(), Contains(l + " green"));
    EXPECT_THAT(Links(), Contains("B -Sends-> T10 green"));
    EXPECT_EQ(dgm.LinkCount(), 2u + 2 * 4u + 10u);
}

TEST_F(FlowContextTest, AProgramWithScreensEndsTheClientSideWhereOnlyItsCallersShowOneLevel) {
    const auto c = Program("C"), s = Program("S"), y = Program("Y"), w = Program("W");
    Rel(s, "Calls", c);
    Rel(s, "converse", Ent("MAP", "M"), "Sends");
    Rel(Program("X"), "Xctls", s);   // a transfer to a screen program is not drawn,
    Rel(y, "Calls", s);              // a call is, without walking on to Z
    Rel(Program("Z"), "Calls", y);
    Rel(w, "Xctls", c);              // W has no screens: the walk goes on to V
    Rel(Program("V"), "Calls", w);
    Build(kFlowClientSide, c);

    EXPECT_THAT(Boxes(), UnorderedElementsAre("C", "S", "M", "Y", "W", "V"));
    EXPECT_THAT(Links(), UnorderedElementsAre("S -Calls-> C red", "S -Sends-> M green", "Y -Calls-> S red",
                                              "W -Xctls-> C blue", "V -Calls-> W red"));
    EXPECT_EQ(Box("Y").hint, "Y Calls S");
    EXPECT_EQ(Box("W").tag, w);
}

// One box per Name, whatever the kind, so a cycle ends at its first repeated
// name, a program and a store named alike share a box and nothing links to
// itself; entities without a Name share one box too.
TEST_F(FlowContextTest, BoxesAreKeyedByNameOnBothSides) {
    const auto a = Program("A"), b = Program("B"), cust = Program("CUST", 30);
    const auto unnamed1 = Program(""), unnamed2 = Program("");
    Rel(a, "Calls", b);
    Rel(b, "Calls", a);
    Rel(a, "Calls", cust);
    Rel(a, "access", Ent("store", "CUST"), "Reads");
    Rel(a, "access", Ent("store", "A"), "Writes");
    Rel(unnamed1, "Calls", a);
    Rel(unnamed2, "Xctls", unnamed1);
    Rel(unnamed1, "Calls", unnamed2);
    Build(kFlowBothSides, a);

    EXPECT_THAT(Boxes(), UnorderedElementsAre("A", "B", "", "CUST"));
    EXPECT_EQ(Box("CUST").tag, cust);
    EXPECT_EQ(Box("CUST").fillColor, Rgb(255, 128, 0));   // the program's: it came first
    EXPECT_THAT(Links(), UnorderedElementsAre("A -Calls-> B red", "B -Calls-> A red", " -Calls-> A red",
                                              "A -Calls-> CUST red", "A -Reads-> CUST yellow"));
    // B both calls and is called by the centre: the client walk met it
    // first, so it stands left of the centre with the callers.
    EXPECT_LT(Box("B").left + Box("B").width, Box("A").left);
    EXPECT_GT(Box("CUST").left, Box("A").left + Box("A").width);
}

TEST_F(FlowContextTest, TransfersToTransitionalOrUnclassifiedProgramsAreLeftOffTheDataSide) {
    const auto p = Program("P");
    const struct {
        const char* name;
        int soaType;   // -1: empty
        const char* relName;
        bool drawn;
    } cases[] = {{"X10", 10, "Xctls", false}, {"X11", 11, "Xctls", false}, {"XE", -1, "Xctls", false},
                 {"X0", 0, "Xctls", true},    {"X20", 20, "Xctls", true},  {"C10", 10, "Calls", true},
                 {"CE", -1, "Calls", true}};
    for (const auto& c : cases) Rel(p, c.relName, Program(c.name, c.soaType));
    // The table never holds an empty code; a view shows -1 as one.
    db->ExecuteScript("ALTER TABLE Ents RENAME TO EntsRows; CREATE VIEW Ents AS SELECT SerialID, ID, EntName, Name, "
                      "Stub, NULLIF(SOAType, -1) AS SOAType FROM EntsRows;");
    Build(kFlowDataSide, p);
    for (const auto& c : cases) EXPECT_EQ(dgm.FindShape(c.name) != nullptr, c.drawn) << c.name;
}

TEST_F(FlowContextTest, TheDataSideShowsAsManyLevelsAsItsDepth) {
    const auto p = Program("P"), l1 = Program("L1"), l2 = Program("L2", 30), l3 = Program("L3"), l4 = Program("L4");
    Rel(p, "Calls", l1);
    Rel(l1, "Xctls", l2);
    Rel(l2, "Calls", l3);
    Rel(l3, "Calls", l4);
    Rel(l4, "access", Ent("store", "L5"), "Updates");
    const std::map<int, std::vector<std::string>> cases{
        {0, {"P"}}, {1, {"P", "L1"}}, {4, {"P", "L1", "L2", "L3", "L4"}}, {5, {"P", "L1", "L2", "L3", "L4", "L5"}}};
    for (const auto& [depth, boxes] : cases) {
        Build(kFlowDataSide, p, depth);
        EXPECT_EQ(Boxes(), boxes) << depth;
    }
    EXPECT_THAT(Links(), UnorderedElementsAre("P -Calls-> L1 red", "L1 -Xctls-> L2 blue", "L2 -Calls-> L3 red",
                                              "L3 -Calls-> L4 red", "L4 -Updates-> L5 yellow"));
    EXPECT_EQ(Box("L2").hint, "L1 Xctls L2");
    // A source that keeps its answers draws the same from any centre at
    // any depth after other diagrams.
    FlowContextSource kept(*db, store);
    kept.KeepAnswers();
    for (const auto& [centre, depth, boxes] : std::vector<std::tuple<std::string, int, std::vector<std::string>>>{
             {p, 5, cases.at(5)}, {l2, 2, {"L2", "L3", "L4"}}, {p, 1, cases.at(1)}, {l1, 4, {"L1", "L2", "L3", "L4", "L5"}}}) {
        Globals::BuildFlowContext(dgm, kept, kFlowDataSide, centre, image, depth);
        EXPECT_EQ(Boxes(), boxes) << centre << " " << depth;
    }
}

TEST_F(FlowContextTest, TheCentreAloneIsRedAndAnUnknownProgramKeepsTheDrawing) {
    const auto lonely = Ent("PROGRAM", "LONELY", 3, true);
    Build(kFlowClientSide, lonely);
    ASSERT_THAT(Boxes(), ElementsAre("LONELY"));
    const Shape& centre = Box("LONELY");
    EXPECT_TRUE(centre.fillColor == Rgb(255, 0, 0) && centre.boldText && centre.heavyBorder);
    EXPECT_EQ(centre.tag + "|" + centre.hint, lonely + "|LONELY");
    EXPECT_EQ(centre.lineStyle, platform::diagram::kLineDashed);   // a stub

    image = dir / "unknown.jpg";
    const auto result = Build(kFlowBothSides, "PROGRAM#999");
    EXPECT_FALSE(result.previewWritten || result.zoom);
    EXPECT_EQ(image, dir / "unknown.jpg");
    EXPECT_FALSE(fs::exists(image));
    EXPECT_THAT(Boxes(), ElementsAre("LONELY"));
}

// A program the repository does not know (a stub program has no entity
// there) is drawn from its Ents row, and a centre the repository names
// otherwise is emphasised and exported all the same.
TEST_F(FlowContextTest, CentresThatTheRepositoryDoesNotKnowOrNamesOtherwiseAreDrawnInFull) {
    importtest::SmallRepo repo;
    const auto known = repo.Key(repo.Add("PROGRAM", "ORDENTR-IN-REPOSITORY"));
    store = repo.Store();
    classifytest::AddEnt(*db, known, "PROGRAM", "ORDENTR", false, {}, 3);
    classifytest::AddEnt(*db, "STUBPROG#1", "PROGRAM", "CRDAUTH", true, {}, 32);
    Rel(known, "Calls", "STUBPROG#1");
    for (const std::string& centre : {known, std::string("STUBPROG#1")}) {
        dgm.AddShape("OLD", 0, 0, 3, 3, "OLD");
        image = dir / (centre.substr(0, 4) + ".jpg");
        EXPECT_EQ(Build(kFlowBothSides, centre).zoom, 100) << centre;
        EXPECT_TRUE(fs::exists(dir / (centre.substr(0, 4) + ".jpg"))) << centre;
        EXPECT_THAT(Links(), ElementsAre("ORDENTR -Calls-> CRDAUTH red"));
        const Shape& c = Box(centre == known ? "ORDENTR" : "CRDAUTH");
        EXPECT_TRUE(c.fillColor == Rgb(255, 0, 0) && c.boldText && c.heavyBorder) << centre;
    }
}

// A query that fails ends only the walk that ran it.
TEST_F(FlowContextTest, AFailingQueryEndsOnlyItsOwnWalk) {
    const auto c = Program("C"), a = Program("A"), d = Program("D");
    Rel(a, "Calls", c);
    Rel(Program("B"), "Calls", c);
    Rel(Program("X"), "Calls", a, "boom");   // reading A's callers fails
    Rel(c, "Calls", d);
    Rel(c, "Calls", Program("E"));
    Rel(d, "Calls", Program("F"), "boom");   // reading D's callees fails
    db->ExecuteScript("ALTER TABLE Rels RENAME TO RelsRows; CREATE VIEW Rels AS SELECT RelID, Id1, Id2, RelName, "
                      "CASE WHEN RelNameFull = 'boom' THEN abs(-9223372036854775807 - 1) ELSE RelNameFull END "
                      "AS RelNameFull FROM RelsRows;");
    image = dir / "c.jpg";
    EXPECT_EQ(Build(kFlowBothSides, c).zoom, 100);
    EXPECT_TRUE(fs::exists(dir / "c.jpg"));
    EXPECT_THAT(Links(), UnorderedElementsAre("A -Calls-> C red", "B -Calls-> C red", "C -Calls-> D red",
                                              "C -Calls-> E red"));
    EXPECT_EQ(dgm.ShapeCount(), 5u);
}

TEST(FlowContextPreview, ImagesWiderThanTheLimitGetAPreviewZoomedToFitNamedBeforeTheExtension) {
    const std::map<int, std::optional<int>> zooms{
        {796, std::nullopt},   // 800 with the margins: fits
        {797, 99},             // 800 / 801 * 100 = 99.875 -> 100, less one
        {1596, 49},            // exactly 50
        {1276, 61},            // 62.5: the half goes to the even 62
        {6396, 11},            // 12.5 -> 12
        {159996, 1},           // 0.5 -> 0, less one: no zoom below 1
    };
    for (const auto& [width, zoom] : zooms) EXPECT_EQ(PreviewZoom(width), zoom) << width;
    const std::map<std::string, std::string> paths{{"/r/d/PGM1.1.jpg", "/r/d/PGM1.1_preview.jpg"},
                                                   {"/r/d/PGM1", "/r/d/PGM1_preview"},
                                                   {"/r/d.x/PGM1", "/r/d.x/PGM1_preview"}};
    for (const auto& [path, preview] : paths) EXPECT_EQ(PreviewPath(path), fs::path(preview)) << path;
}

// A report's full image keeps zoom 100 up to kFullImagePixels with the
// margins, and past that takes the largest zoom that fits, never below 1.
TEST(FlowContextPreview, AFullImageTooLargeToPaintIsReducedToFit) {
    auto pixels = [](double w, double h, int zoom) {
        return (std::round(w * zoom / 100.0) + 4) * (std::round(h * zoom / 100.0) + 4);
    };
    EXPECT_EQ(FullImageZoom(2400, 1600), 100);
    EXPECT_EQ(FullImageZoom(5470, 5470), 100);  // 5474 x 5474 is just under
    EXPECT_EQ(FullImageZoom(0, 0), 100);
    for (auto [w, h] : {std::pair{5480.0, 5480.0}, {7364.0, 47610.0}, {36764.0, 380810.0}, {1e7, 20.0}}) {
        const int zoom = FullImageZoom(w, h);
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h) + " at " + std::to_string(zoom));
        EXPECT_LT(zoom, 100);
        EXPECT_LE(pixels(w, h, zoom), kFullImagePixels);
        if (zoom > 1) EXPECT_GT(pixels(w, h, zoom + 1), kFullImagePixels);
    }
    EXPECT_EQ(FullImageZoom(1e7, 1e7), 1);
}

TEST_F(FlowContextTest, ExportWritesAPreviewOnlyForAWideImageAndNamesItEitherWay) {
    image = dir / "narrow.jpg";
    auto result = Build(kFlowDataSide, Program("NARROW"));
    EXPECT_TRUE(!result.previewWritten && result.zoom == 100);
    EXPECT_EQ(image, dir / "narrow_preview.jpg");
    EXPECT_TRUE(fs::exists(dir / "narrow.jpg") && !fs::exists(image));

    const auto wide = Program("WIDE");   // a chain of long names lies in columns side by side
    std::string from = wide;
    for (int i = 1; i <= 4; ++i) {
        const auto next = Program("A-PROGRAM-WITH-A-RATHER-LONG-NAME-" + std::to_string(i));
        Rel(from, "Calls", next);
        from = next;
    }
    image = dir / "wide";
    result = Build(kFlowDataSide, wide);
    const int w = ImageWidthPixels(platform::diagram::DrawingWidth(dgm));
    ASSERT_GT(w + 4, kPreviewLimit);
    EXPECT_TRUE(result.previewWritten);
    EXPECT_EQ(result.zoom, PreviewZoom(w));
    EXPECT_EQ(image, dir / "wide_preview");
    EXPECT_GT(QImage(QString::fromStdString((dir / "wide").string()), "JPG").width(), kPreviewLimit);
    const QImage preview(QString::fromStdString(image.string()), "JPG");
    ASSERT_FALSE(preview.isNull());
    EXPECT_LE(preview.width(), kPreviewLimit);
}

}  // namespace
