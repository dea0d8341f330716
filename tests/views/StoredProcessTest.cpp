// Stored processes as a tree and as a diagram, and the architecture picture
// of a tree of objects, on small hand-made data.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "services/ServiceTables.h"
#include "tests/classify/WorkspaceDb.h"
#include "views/ArchitectureDiagram.h"
#include "views/StoredProcess.h"

namespace {

using platform::diagram::DiagramModel;
using platform::diagram::Rgb;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class StoredProcess : public ::testing::Test {
protected:
    void SetUp() override {
        Globals::CreateProcessTables(*db, false);
        // Screens with SerialIDs chosen so that two pairs of box keys
        // concatenate alike ("1"+"23", "12"+"3").
        for (int serial : {1, 3, 12, 23})
            db->Execute("INSERT INTO Ents (SerialID, ID, EntName, Name, BusName) VALUES (?1, ?2, 'MAP', ?3, ?3)",
                        {serial, "MAP#" + std::to_string(serial), "S" + std::to_string(serial)});
    }
    // An element of process 7 unless told otherwise.
    void Element(int id, int parent, int serial, const char* criteria = "", int proc = 7) {
        db->Execute(
            "INSERT INTO pcaElements (ElementID, Name, ParentID, ProcID, SerialID, Criteria) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
            {id, "E" + std::to_string(id), parent, proc, serial, criteria});
    }
    std::set<std::string> LinkKeys(const DiagramModel& m) {
        std::set<std::string> out;
        for (const auto& l : m.Links()) out.insert(l->key);
        return out;
    }

    std::unique_ptr<platform::db::Database> db = classifytest::NewWorkspaceDb();
};

TEST_F(StoredProcess, TreeShowsEveryElementWithItsCriterionAndMarksScreensVisitedAgain) {
    Element(1, -1, 1, "Root");
    Element(2, 1, 3);                 // empty criterion
    Element(3, 2, 1, "[Enter] key");  // back on the first screen
    Element(4, 1, 999);               // a screen Ents does not hold: still a node
    Element(5, 4, 12);
    Element(6, -1, 23, "x", 8);  // another process
    common::Tree tree;
    tree.Add({}, "old", "Old", "AScreen");
    Globals::RefreshProcessTree(*db, "7", tree);

    std::vector<std::string> rows;
    for (const auto& n : tree.Nodes())
        rows.push_back(n.key + "|" + n.parentKey + "|" + n.text + "|" + n.tag + "|" + n.image + "|" +
                       std::to_string(n.foreColour.value_or(-1)) + (n.expanded ? "|+" : "|-"));
    const std::string grey = std::to_string(views::kProcessNode), loop = std::to_string(views::kProcessLoop);
    EXPECT_THAT(rows,
                ElementsAre("n1||E1 (Root)|e1|AScreen|" + grey + "|+", "n2n1|n1|E2 ()|e2|AScreen|" + grey + "|+",
                            "n3n2n1|n2n1|E3 ([Enter] key)|e3|ACloseProcess|" + loop + "|+",
                            "n4n1|n1|E4 ()|e4|AScreen|" + grey + "|+", "n5n4n1|n4n1|E5 ()|e5|AScreen|" + grey + "|+"));

    // An empty process, or an id that is no number, empties the tree.
    for (const char* id : {"42", "7 OR 1=1"}) {
        Globals::RefreshProcessTree(*db, id, tree);
        EXPECT_TRUE(tree.Empty()) << id;
    }
}

TEST_F(StoredProcess, DiagramHasOneBoxPerScreenAndOneLinkPerPairOfBoxes) {
    Element(1, -1, 1);
    Element(2, -1, 1);  // a second top element on the same screen: no link
    Element(3, 1, 23);
    Element(4, 2, 23);  // the same pair again: one link
    Element(5, 3, 12);
    Element(6, 5, 3);
    Element(7, 6, 3);  // on its parent's screen: a link to itself, nothing below
    Element(8, 7, 1);
    Element(9, 3, 999);  // no such screen: left out with what is below
    Element(10, 9, 3);
    Element(11, 1, 12);  // reached from two screens: two incoming links
    DiagramModel model;
    Globals::DrawProcessElements(model, *db, "7");

    ASSERT_EQ(model.ShapeCount(), 4u);
    for (const auto& box : model.Shapes()) {
        EXPECT_EQ(box->text, "S" + box->key);
        EXPECT_EQ(box->tag, box->key);
        EXPECT_EQ(box->fillColor, Rgb(0, 0, 0));
        EXPECT_EQ(box->textColor, Rgb(0, 255, 0));
    }
    EXPECT_THAT(LinkKeys(model), UnorderedElementsAre("1-23", "23-12", "12-3", "3-3", "1-12"));
    for (const auto& link : model.Links()) {
        EXPECT_EQ(link->text, "");
        EXPECT_EQ(link->fromLabel, "XCtls");
        EXPECT_FALSE(link->fromArrow);
        EXPECT_TRUE(link->toArrow);
    }

    // Box keys that run together alike still give two links.
    model.Clear();
    Element(20, -1, 12, "", 9);
    Element(21, 20, 3, "", 9);
    Element(22, -1, 1, "", 9);
    Element(23, 22, 23, "", 9);
    Globals::DrawProcessElements(model, *db, "9");
    EXPECT_EQ(model.LinkCount(), 2u);

    model.Clear();
    Globals::DrawProcessElements(model, *db, "42");
    EXPECT_EQ(model.ShapeCount(), 0u);
}

// A tree of objects: each node's Tag is "<id>\n<name>\n<type>\n<relationship>".
common::Tree ArchitectureTree() {
    common::Tree t;
    auto add = [&t](const char* parent, const char* key, const char* image, const std::string& rel) {
        t.Add(parent, key, key, image, std::string("id\n") + key + "-name\ntype\n" + rel);
    };
    add("", "scr", "Screen", "");
    add("scr", "mid", "Middle", "calls");
    add("mid", "fil", "File", "reads");
    add("scr", "map", "Map", "shows");
    add("map", "under-map", "Logic", "hidden");
    add("scr", "log", "Logic", "runs");
    add("log", "odd", "Unknown", "uses");
    add("log", "sto", "Store", "keeps");
    add("", "store-root", "Store", "");
    t.Add("scr", "bare", "", "Logic", "7");  // a descriptor of one line
    return t;
}

TEST(ArchitectureDiagram, BoxesByImageWithoutStoresAndMapsLinkedByRelationship) {
    const common::Tree tree = ArchitectureTree();
    DiagramModel model;
    EXPECT_EQ(views::AddTreeToDiagram(model, tree, "store-root"), nullptr);
    EXPECT_EQ(model.ShapeCount(), 0u);

    const auto* top = views::AddTreeToDiagram(model, tree, "scr");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->key, "scr");
    std::vector<std::string> boxes, links;
    for (const auto& s : model.Shapes())
        boxes.push_back(s->key + " " + s->text + " " + std::to_string(s->fillColor) + " " + std::to_string(s->width) +
                        "x" + std::to_string(s->height));
    for (const auto& l : model.Links())
        links.push_back(l->from->key + ">" + l->to->key + " " + l->text + (l->fromArrow || l->toArrow ? " arrow" : ""));
    auto box = [](const char* key, platform::diagram::Colour c) {
        return std::string(key) + " " + key + "-name " + std::to_string(c) + " 50.000000x100.000000";
    };
    EXPECT_THAT(boxes, UnorderedElementsAre(box("scr", views::kArchScreen), box("mid", views::kArchMiddle),
                                            box("fil", views::kArchFile), box("log", views::kArchLogic),
                                            box("odd", views::kArchFile),
                                            "bare  " + std::to_string(views::kArchLogic) + " 50.000000x100.000000"));
    EXPECT_THAT(links,
                UnorderedElementsAre("scr>mid calls", "mid>fil reads", "scr>log runs", "log>odd uses", "scr>bare "));
    EXPECT_FALSE(Globals::ParseObjectDescriptor(""));
}

TEST(ArchitectureDiagram, MiddleTierAndFileBoxesMoveBelowTheOthers) {
    DiagramModel model;
    auto add = [&model](const char* key, platform::diagram::Colour c, double top) {
        auto& s = model.AddShape(key, 0, top, 50, 100, key);
        s.fillColor = c;
    };
    add("screen", views::kArchScreen, 0);
    add("logic", views::kArchLogic, 200);  // ends lowest, at 300
    views::MoveMiddleAndFilesBelow(model, 800);
    EXPECT_EQ(model.FindShape("logic")->top, 200);  // nothing to move

    add("middle", views::kArchMiddle, 50);
    add("file", views::kArchFile, 400);
    views::MoveMiddleAndFilesBelow(model, 800);
    EXPECT_EQ(model.FindShape("middle")->top, 300);
    EXPECT_EQ(model.FindShape("file")->top, 650);
    EXPECT_EQ(model.FindShape("screen")->top, 0);
}

}  // namespace
