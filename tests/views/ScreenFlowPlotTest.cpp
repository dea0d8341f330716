// The screen interaction plot built headless: which boxes and links it
// draws with and without stub screens, how they look, the ends of each kind
// of link, what a box and a link lead to; and the link direction dialog's
// four boxes and three links.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFontMetricsF>

#include <set>
#include <tuple>
#include <vector>

#include "platform/db/Database.h"
#include "platform/diagram/DiagramPainter.h"
#include "tests/classify/WorkspaceDb.h"
#include "views/LinkDirection.h"
#include "views/ScreenFlowPlot.h"
#include "views/ScreenFlowTable.h"

namespace {

namespace dg = platform::diagram;
using dg::Rgb;
using ::testing::UnorderedElementsAre;

class ScreenFlowPlotTest : public ::testing::Test {
protected:
    // Adds an Ents row under an explicit SerialID; the ID is "<kind>#<serial>".
    int64_t Ent(int64_t serial, const char* kind, const char* name, bool stub = false, int nature = 0) {
        db->Execute(
            "INSERT INTO Ents (SerialID, ID, EntName, Name, BusName, Stub, Nature) VALUES (?1, ?2, ?3, ?4, ?4, ?5, ?6)",
            {serial, std::string(kind) + "#" + std::to_string(serial), kind, name, stub, nature});
        return serial;
    }
    static std::string Id(int64_t serial, const char* kind) { return std::string(kind) + "#" + std::to_string(serial); }
    void Converse(int64_t program, int64_t map) {
        classifytest::AddRel(*db, Id(program, "PROGRAM"), Id(map, "MAP"), "PROGRAM", "MAP", "converse");
    }
    void Xctl(int64_t from, int64_t to) {
        classifytest::AddRel(*db, Id(from, "PROGRAM"), Id(to, "PROGRAM"), "PROGRAM", "PROGRAM", "Xctls");
    }

    std::set<std::string> ShapeKeys() const {
        std::set<std::string> keys;
        for (const auto& s : model.Shapes()) keys.insert(s->key);
        return keys;
    }
    // "<from>-<to>" per link.
    std::multiset<std::string> LinkEnds() const {
        std::multiset<std::string> out;
        for (const auto& l : model.Links()) out.insert(l->from->key + "-" + l->to->key);
        return out;
    }

    std::unique_ptr<platform::db::Database> db = classifytest::NewWorkspaceDb();
    dg::DiagramModel model;
};

// Screens 11..16 (14 a stub), programs 1..7: 3 stands for 13 and 14; 6
// shares 11 with 1; 7 on 16 transfers nowhere.
TEST_F(ScreenFlowPlotTest, StubFilterDecidesWhatIsDrawnAndBoxesLookLikeTheirKind) {
    for (int64_t s = 11; s <= 16; ++s) Ent(s, "MAP", ("S" + std::to_string(s)).c_str(), s == 14);
    for (int64_t p = 1; p <= 7; ++p) Ent(p, "PROGRAM", ("P" + std::to_string(p)).c_str(), false, 33);
    for (auto [p, s] : {std::pair{1, 11}, {2, 12}, {3, 13}, {3, 14}, {4, 14}, {5, 15}, {6, 11}, {7, 16}})
        Converse(p, s);
    Xctl(1, 2), Xctl(6, 2);   // S11-S12 twice, from two program pairs
    Xctl(2, 3);               // S12-P3, and P3's own links to S13 and the stub S14
    Xctl(4, 5);               // from the stub to S15, which has no other link

    views::BuildScreenFlow(model, *db, true);
    EXPECT_EQ(ShapeKeys(), (std::set<std::string>{"3", "11", "12", "13", "14", "15"}));
    EXPECT_THAT(LinkEnds(), UnorderedElementsAre("11-12", "11-12", "12-3", "3-13", "3-14", "14-15"));
    struct Look {
        const char* key;
        dg::Colour fill, text, line;
        int style;
    };
    const Look looks[] = {
        {"11", Rgb(0, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 0), dg::kLineSolid},
        {"14", Rgb(0, 0, 0), Rgb(0, 255, 0), Rgb(255, 0, 0), dg::kLineDashed},
        // Coloured as a program of no category, whatever its own.
        {"3", Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(0, 0, 0), dg::kLineSolid},
    };
    for (const Look& look : looks) {
        const dg::Shape& box = *model.FindShape(look.key);
        EXPECT_EQ(std::tie(box.fillColor, box.textColor, box.lineColor, box.lineStyle),
                  std::tie(look.fill, look.text, look.line, look.style))
            << look.key;
    }
    // A box opens the source of what it stands for; a stub's box opens nothing.
    EXPECT_EQ(views::ScreenFlowSourceRequest(*db, *model.FindShape("3")), std::string("P3") + '\0' + "PROGRAM#3");
    EXPECT_EQ(views::ScreenFlowSourceRequest(*db, *model.FindShape("14")), std::nullopt);

    views::BuildScreenFlow(model, *db, false);
    EXPECT_EQ(ShapeKeys(), (std::set<std::string>{"3", "11", "12", "13"}));
    EXPECT_THAT(LinkEnds(), UnorderedElementsAre("11-12", "11-12", "12-3", "3-13"));
    const dg::Shape& s11 = *model.FindShape("11");
    const dg::Shape& s12 = *model.FindShape("12");
    EXPECT_GT(s11.width, 3);   // sized to its text and laid out
    EXPECT_FALSE(s11.left == s12.left && s11.top == s12.top);
}

TEST_F(ScreenFlowPlotTest, LinkEndsFollowTwoWayAndDirected) {
    // P1 -> P2 one way; P2 <-> P3 and P3 <-> P4 both ways, the latter with
    // its direction fixed.
    for (int64_t p = 1; p <= 4; ++p) {
        Ent(p, "PROGRAM", "P"), Ent(10 + p, "MAP", "S");
        Converse(p, 10 + p);
    }
    Xctl(1, 2), Xctl(2, 3), Xctl(3, 2), Xctl(3, 4), Xctl(4, 3);
    Globals::GenerateScreenFlowTable(*db);
    const auto key = [&](int64_t l, int64_t r) {
        return db->Scalar("SELECT sfRelID FROM sfScreenRels WHERE LScrID = ?1 AND RScrID = ?2", {l, r}).AsText();
    };
    views::KeepLinkDirection(*db, std::stoll(key(13, 14)));
    for (const auto& row : views::ReadScreenFlow(*db, false)) views::AddScreenFlowRow(model, row);

    const struct {
        int64_t l, r;
        views::LinkEnds ends;
    } table[] = {
        {11, 12, {"", false, "", true}},
        {12, 13, {"Returns", true, "Returns", true}},
        {13, 14, {"Returns", false, "Returns", true}},
    };
    ASSERT_EQ(model.LinkCount(), 3u);
    for (const auto& e : table) {
        const dg::Link* link = model.FindLink(key(e.l, e.r));
        ASSERT_NE(link, nullptr) << e.l;
        EXPECT_EQ(link->from->key + "-" + link->to->key + link->text, std::to_string(e.l) + "-" + std::to_string(e.r));
        EXPECT_EQ((views::LinkEnds{link->fromLabel, link->fromArrow, link->toLabel, link->toArrow}), e.ends) << e.l;
    }
    // What a link's key leads back to.
    const auto parties = views::ReadLinkParties(*db, key(11, 12));
    ASSERT_TRUE(parties);
    EXPECT_EQ(std::tie(parties->lProgId, parties->rProgId, parties->lScrId, parties->rScrId),
              std::make_tuple(1, 2, 11, 12));
    EXPECT_FALSE(views::ReadLinkParties(*db, "999"));
}

TEST_F(ScreenFlowPlotTest, RelationshipDialogDrawsFourBoxesAndThreeLinksColouredByRole) {
    // The left node is a program that stands for its screens; the right
    // program is a stub of category 1 (Nature).
    Ent(1, "PROGRAM", "P1"), Ent(2, "PROGRAM", "P2", true, 1), Ent(11, "MAP", "S11");
    Globals::DrawRelationshipDiagram(model, *db, 1, 2, 1, 11);

    const double u = views::kRelationshipUnit;
    // The right column stands far enough off for the middle link's caption
    // and a stretch of its line on either side to show between the boxes.
    ASSERT_EQ(model.ShapeCount(), 4u);
    const double right = model.FindShape("RightProgram")->left / u;
    const double caption = QFontMetricsF(dg::DiagramFont()).horizontalAdvance("Interprogram Relationship");
    EXPECT_GE((right - 26) * u, caption + 2 * u) << right;
    const struct {
        const char* key;
        std::string text;
        double left, top;
        dg::Colour fill, textColour, line;
        std::string tag;
    } boxes[] = {
        {"LeftScreen", "P1", 1, 1, Rgb(255, 255, 255), Rgb(0, 255, 0), Rgb(0, 0, 0), "1"},
        {"RightScreen", "S11", right, 1, Rgb(0, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 0), "11"},
        {"LeftProgram", "P1", 1, 15, Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(0, 0, 0), "1"},
        {"RightProgram", "P2", right, 15, Rgb(0, 182, 182), Rgb(0, 0, 0), Rgb(255, 0, 0), "2"},
    };
    for (const auto& b : boxes) {
        const dg::Shape* s = model.FindShape(b.key);
        ASSERT_NE(s, nullptr) << b.key;
        EXPECT_EQ(std::tie(s->text, s->left, s->top, s->width, s->height, s->fillColor, s->textColor, s->lineColor,
                           s->tag),
                  std::make_tuple(b.text, b.left * u, b.top * u, 25 * u, 8 * u, b.fill, b.textColour, b.line, b.tag))
            << b.key;
    }
    std::vector<std::string> links;
    for (const auto& l : model.Links())
        links.push_back(l->key + ":" + l->from->key + "-" + l->to->key + ":" + l->text +
                        (l->fromLabel.empty() && l->toLabel.empty() && !l->fromArrow && !l->toArrow ? "" : " ends"));
    EXPECT_THAT(links, ::testing::ElementsAre("LSLP:LeftScreen-LeftProgram:Left Program/Screen Pair",
                                              "LPRP:LeftProgram-RightProgram:Interprogram Relationship",
                                              "RSRP:RightScreen-RightProgram:Right Program/Screen Pair"));
    // Each caption on one line whatever the font's widths, on its own line.
    const std::vector<dg::LinkSlot> linkSlots = dg::LinkSlots(model);
    for (std::size_t i = 0; i < model.LinkCount(); ++i) {
        const dg::Link& l = *model.Links()[i];
        const dg::LinkGeometry g = dg::LinkShape(l, linkSlots[i]);
        EXPECT_EQ(g.textRect.height(), dg::LabelSize("Pair").height()) << l.key;
        EXPECT_TRUE(g.textRect.contains(g.path.pointAtPercent(0.5))) << l.key;
    }
}

TEST_F(ScreenFlowPlotTest, RelationshipDialogTakesAnEmptyNatureAsZeroAndRefusesAnUnknownEntity) {
    // A database whose Nature column allows Null, as older ones may.
    db = platform::db::Database::InMemory();
    db->ExecuteScript(
        "CREATE TABLE Ents (SerialID INTEGER PRIMARY KEY, ID TEXT, EntName TEXT, BusName TEXT, Stub INTEGER, "
        "Nature INTEGER);"
        "INSERT INTO Ents VALUES (1, 'PROGRAM#1', 'PROGRAM', 'P1', 0, NULL);"
        "INSERT INTO Ents VALUES (2, 'MAP#2', 'MAP', 'S2', 0, NULL);");
    Globals::DrawRelationshipDiagram(model, *db, 1, 1, 2, 2);
    EXPECT_EQ(model.FindShape("LeftProgram")->fillColor, Rgb(255, 255, 255));

    EXPECT_THROW(Globals::DrawRelationshipDiagram(model, *db, 1, 3, 2, 2), std::runtime_error);
    EXPECT_EQ(model.ShapeCount(), 0u);
}

}  // namespace
