// The flow context window's rules without the window: the box menu by box
// kind and trigger, the double-click, and the layout entry kept per window.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/AsciiCase.h"
#include "platform/diagram/DiagramModel.h"
#include "views/ContextWindow.h"

namespace {

using platform::diagram::Rgb;
using platform::diagram::Shape;
using views::BoxMenuTrigger;

constexpr auto kMouse = BoxMenuTrigger::RightMouse;
constexpr auto kKeys = BoxMenuTrigger::ShiftF10;

Shape Box(const std::string& key, const std::string& tag, bool redOutline = false) {
    Shape s;
    s.key = s.text = key;
    s.tag = tag;
    if (redOutline) s.lineColor = Rgb(255, 0, 0);
    return s;
}

// Languages by program key (letter case ignored, as the repository does);
// a program missing here is one the repository does not know.
std::optional<std::string> Language(const std::string& key) {
    const std::string k = common::AsciiFold(key);
    if (k == "program#1") return "COBOL";
    if (k == "program#2") return "Natural";
    if (k == "program#3") return "ASSEMBLER";
    return std::nullopt;
}

TEST(ContextWindow, BoxMenuByBoxKindAndTrigger) {
    const struct {
        const char* what;
        Shape box;
        BoxMenuTrigger trigger;
        bool popUp, viewSource, refocus, expand;
    } cases[] = {
        {"COBOL program", Box("ORDENTR", "PROGRAM#1"), kMouse, true, true, true, true},
        {"Natural program, tag in small letters", Box("CUSTMNT", "program#2"), kMouse, true, true, true, true},
        {"program in another language", Box("ASMPGM", "PROGRAM#3"), kMouse, true, false, true, true},
        {"same by keyboard", Box("ASMPGM", "PROGRAM#3"), kKeys, true, true, true, true},
        {"program the repository does not know", Box("GONE", "PROGRAM#9"), kMouse, true, false, true, true},
        {"screen", Box("ORDMNU", "MAP#4"), kMouse, true, true, false, false},
        {"screen by keyboard", Box("ORDMNU", "map#4"), kKeys, true, true, false, false},
        {"stub screen", Box("OLDMNU", "MAP#5", true), kMouse, false, false, true, true},
        {"stub screen by keyboard", Box("OLDMNU", "MAP#5", true), kKeys, false, true, true, true},
        {"placeholder", Box("ScrnPHORDENTR", ""), kMouse, false, false, true, true},
        {"workbench data store", Box("ORDERS", "DATASTORE#6"), kMouse, false, false, true, true},
        {"dummy store", Box("NOTES", "DummyStore#7"), kKeys, false, true, true, true},
        {"stub program", Box("CRDAUTH", "STUBPROG#8"), kMouse, false, false, true, true},
        {"table", Box("ORDCTL", "TABLE#10"), kMouse, true, false, true, true},
        {"table by keyboard", Box("ORDCTL", "TABLE#10"), kKeys, true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const views::BoxMenuState m = views::PrepareBoxMenu(c.trigger, c.box, Language);
        EXPECT_EQ(m.popUp, c.popUp);
        EXPECT_EQ(m.viewSource, c.viewSource);
        EXPECT_EQ(m.refocus, c.refocus);
        EXPECT_EQ(m.expand, c.expand);
        if (m.popUp) {
            EXPECT_EQ(m.viewSourceTag, c.box.key + '\0' + c.box.tag);
            EXPECT_EQ(m.refocusTag, m.viewSourceTag);
            EXPECT_EQ(m.expandTag, c.box.key);
        } else {
            EXPECT_TRUE(m.viewSourceTag.empty() && m.refocusTag.empty() && m.expandTag.empty());
        }
    }
    // No repository at all: a program's language is unknown.
    EXPECT_FALSE(views::PrepareBoxMenu(kMouse, Box("ORDENTR", "PROGRAM#1"), {}).viewSource);
}

TEST(ContextWindow, DoubleClickOpensTheSourceOfScreensAndOfProgramsWithASource) {
    const struct {
        Shape box;
        bool opens;
    } cases[] = {
        {Box("ORDMNU", "MAP#4"), true},        {Box("OLDMNU", "MAP#5", true), false},
        {Box("ORDENTR", "PROGRAM#1"), true},   {Box("CUSTMNT", "PROGRAM#2"), true},
        {Box("ASMPGM", "PROGRAM#3"), false},   {Box("GONE", "PROGRAM#9"), false},
        {Box("ORDCTL", "TABLE#10"), false},    {Box("ScrnPHX", ""), false},
        {Box("CRDAUTH", "STUBPROG#8"), false},
    };
    for (const auto& c : cases) EXPECT_EQ(views::BoxOpensSource(c.box, Language), c.opens) << c.box.tag;
}

TEST(ContextWindow, LayoutEntriesKeepTheSplitterTextAndBothZooms) {
    EXPECT_EQ(views::FlowContextWindowKey("PROGRAM#19"), "PROGRAM#19-FlowContext");
    EXPECT_EQ(views::FlowContextCaption("ORDENTR"), "ORDENTR - Flow Context");

    const auto zooms = views::ReadContextLayout("-150-75");
    ASSERT_TRUE(zooms);
    EXPECT_EQ(zooms->splitterLayout, "");
    EXPECT_EQ(zooms->clientZoom, 150);
    EXPECT_EQ(zooms->dataZoom, 75);

    // The splitter's own text holds a "-" (its root has no parent, -1): it
    // must come back whole.
    const views::ContextLayout layout{"v1|3|-1,1,5000,1111,,|0,0,5000,1111,Client Facing,Client Facing|AB+/=", 120, 80};
    const std::string entry = views::WriteContextLayout(layout);
    EXPECT_EQ(entry, layout.splitterLayout + "-120-80");
    const auto back = views::ReadContextLayout(entry);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->splitterLayout, layout.splitterLayout);
    EXPECT_EQ(back->clientZoom, 120);
    EXPECT_EQ(back->dataZoom, 80);

    for (const char* bad : {"", "layout", "layout-100", "layout-100-", "layout--100", "layout-a-100",
                            "layout-100-70000", "layout-1.5-100"})
        EXPECT_FALSE(views::ReadContextLayout(bad)) << bad;
}

}  // namespace
