// The dock splitter's layout text, read and written without any window.
#include <gtest/gtest.h>

#include "platform/ui/core/SplitterLayout.h"

using namespace platform::ui;

namespace {
PaneLayout Leaf(const std::string& name, bool visible = true) {
    PaneLayout p;
    p.name = name;
    p.caption = name;
    p.visible = visible;
    return p;
}
PaneLayout Divided(const std::string& name, SplitOrientation o, double share, PaneLayout a, PaneLayout b) {
    PaneLayout p;
    p.name = name;
    p.orientation = o;
    p.firstShare = share;
    p.children = {std::move(a), std::move(b)};
    return p;
}
SplitterLayout MainLayout() {
    SplitterLayout l;
    l.root = Divided("", SplitOrientation::SideBySide, 0.5,
                     Divided("Left", SplitOrientation::Stacked, 0.8, Leaf("Summary"), Leaf("Log", false)),
                     Divided("Right", SplitOrientation::Stacked, 0.5, Leaf("Web Operations"), Leaf("Web Services")));
    l.root.children[0].children[1].floatable = false;
    l.state = "AAAA/w==";
    return l;
}
}  // namespace

TEST(SplitterLayout, RoundTripsTheTree) {
    auto layout = MainLayout();
    layout.root.children[1].children[0].caption = "Odd | name, 100% \n";
    const std::string text = WriteSplitterLayout(layout);
    const auto back = ReadSplitterLayout(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->state, "AAAA/w==");
    const auto& left = back->root.children.at(0);
    const auto& right = back->root.children.at(1);
    EXPECT_EQ(back->root.orientation, SplitOrientation::SideBySide);
    EXPECT_EQ(left.name, "Left");
    EXPECT_EQ(left.orientation, SplitOrientation::Stacked);
    EXPECT_NEAR(left.firstShare, 0.8, 1e-4);
    EXPECT_EQ(left.children.at(0).name, "Summary");
    EXPECT_TRUE(left.children.at(0).visible);
    EXPECT_EQ(left.children.at(1).name, "Log");
    EXPECT_FALSE(left.children.at(1).visible);
    EXPECT_FALSE(left.children.at(1).floatable);
    EXPECT_TRUE(left.children.at(1).closable);
    EXPECT_EQ(right.children.at(0).caption, "Odd | name, 100% \n");
    EXPECT_EQ(right.children.at(1).name, "Web Services");
    EXPECT_EQ(WriteSplitterLayout(*back), text);
}

TEST(SplitterLayout, ASinglePaneIsALayoutToo) {
    SplitterLayout l;
    l.root = Leaf("Only");
    const auto back = ReadSplitterLayout(WriteSplitterLayout(l));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->root.children.empty());
}

TEST(SplitterLayout, RejectsDamagedText) {
    const std::string good = WriteSplitterLayout(MainLayout());
    ASSERT_TRUE(ReadSplitterLayout(good));
    std::vector<std::string> bad = {
        "",
        "garbage",
        "v2" + good.substr(2),                      // unknown version
        good.substr(0, good.size() / 2),            // cut short
        "v1|3|-1,1,5000,1111,,|0,0,5000,1111,A,A|AAAA",                       // one child short
        "v1|3|-1,1,5000,1111,,|0,0,5000,1111,A,A|0,0,5000,1111,A,A|AAAA",     // duplicate name
        "v1|3|-1,1,5000,1111,,|0,0,5000,1111,,|0,0,5000,1111,B,B|AAAA",       // empty name
        "v1|3|-1,0,5000,1111,,|0,0,5000,1111,A,A|0,0,5000,1111,B,B|AAAA",     // children of a leaf
        "v1|3|-1,1,0,1111,,|0,0,5000,1111,A,A|0,0,5000,1111,B,B|AAAA",        // share 0
        "v1|3|-1,1,5000,1111,,|0,0,5000,1111,A,A|2,0,5000,1111,B,B|AAAA",     // parent after child
        "v1|3|-1,3,5000,1111,,|0,0,5000,1111,A,A|0,0,5000,1111,B,B|AAAA",     // orientation 3
        "v1|3|-1,1,5000,11x1,,|0,0,5000,1111,A,A|0,0,5000,1111,B,B|AAAA",     // flag not 0/1
        "v1|3|-1,1,5000,1111,,|0,0,5000,1111,A%2,A|0,0,5000,1111,B,B|AAAA",   // cut escape
        "v1|99999999999999999999|x",
    };
    for (const auto& text : bad) EXPECT_FALSE(ReadSplitterLayout(text)) << text;
}
