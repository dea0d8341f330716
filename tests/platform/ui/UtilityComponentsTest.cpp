// The small utility components: message formatting, name checks, the text
// conversion and the settings store.
#include <gtest/gtest.h>

#include <QSettings>
#include <QWidget>

#include "common/FileNameUtility.h"
#include "common/TextUtility.h"
#include "platform/ui/UIUtility.h"
#include "platform/ui/WindowSettings.h"

using UIUtility::FormatMessage;

TEST(FormatMessage, ReplacesNumberedPlaceholdersInOnePass) {
    EXPECT_EQ(FormatMessage("Do you wish to cancel %1\nand all subsequent operations?", {"Importing"}),
              "Do you wish to cancel Importing\nand all subsequent operations?");
    EXPECT_EQ(FormatMessage("%2 before %1, %1 again", {"a", "b"}), "b before a, a again");
    // A value that itself holds a place holder is not expanded again.
    EXPECT_EQ(FormatMessage("%1 / %2", {"50%2", "x"}), "50%2 / x");
    EXPECT_EQ(FormatMessage("Line: %2 Position: %3%1", {"\r\nreason\r\n", "4", "17"}),
              "Line: 4 Position: 17\r\nreason\r\n");
}

TEST(FormatMessage, KeepsWhatIsNotAPlaceholder) {
    EXPECT_EQ(FormatMessage("100% sure %", {"x"}), "100% sure %");
    EXPECT_EQ(FormatMessage("%0 %3 %1", {"x"}), "%0 %3 x");
    EXPECT_EQ(FormatMessage("%12", {"a", "b"}), "%12");
    EXPECT_EQ(FormatMessage("", {"a"}), "");
    EXPECT_EQ(FormatMessage("no values %1", {}), "no values %1");
}

TEST(FileNameUtility, RejectsWhatCannotBeInAFileName) {
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "a:b", "a*", "a?", "say \"hi\"", "<x>", "a|b",
                            "tab\there", "line\nbreak"})
        EXPECT_FALSE(FileNameUtility::IsValidName(bad)) << bad;
    EXPECT_FALSE(FileNameUtility::IsValidName(std::string("nul\0byte", 8)));
    for (const char* good : {"Orders", "Order Entry", "O'Brien Service", "v1.2", "Überweisung", "注文サービス", "a-b_c"})
        EXPECT_TRUE(FileNameUtility::IsValidName(good)) << good;
}

TEST(TextUtility, ConvertTextDropsControlCharactersAndOuterBlanks) {
    EXPECT_EQ(TextUtility::ConvertText("  Orders \r\n"), "Orders");
    EXPECT_EQ(TextUtility::ConvertText("Order\tEntry"), "OrderEntry");
    EXPECT_EQ(TextUtility::ConvertText("O'Brien \"X\""), "O'Brien \"X\"");
    EXPECT_EQ(TextUtility::ConvertText("  Überweisung  "), "Überweisung");
    EXPECT_EQ(TextUtility::ConvertText(" \t "), "");
    EXPECT_EQ(TextUtility::ConvertText("inner  blanks"), "inner  blanks");
}

TEST(WindowSettings, TextSettingsRoundTripPerSection) {
    using namespace WindowSettings;
    EXPECT_EQ(GetSetting("QuarvelAnalyzer", "Settings", "NeverStored", "dflt"), "dflt");
    SaveSetting("QuarvelAnalyzer", "Settings", "MainSplitterTest", "QuarvelAnalyzer|v1|x y");
    SaveSetting("QuarvelAnalyzer", "Settings\\DefineMessages", "MainSplitterTest", "other");
    SaveSetting("Quarvel Analyzer", "Settings", "MainSplitterTest", "日本語 text");
    EXPECT_EQ(GetSetting("QuarvelAnalyzer", "Settings", "MainSplitterTest", ""), "QuarvelAnalyzer|v1|x y");
    EXPECT_EQ(GetSetting("QuarvelAnalyzer", "Settings\\DefineMessages", "MainSplitterTest", ""), "other");
    EXPECT_EQ(GetSetting("Quarvel Analyzer", "Settings", "MainSplitterTest", ""), "日本語 text");
    // A stored empty text is a value, not an absent one.
    SaveSetting("QuarvelAnalyzer", "Settings", "Empty", "");
    EXPECT_EQ(GetSetting("QuarvelAnalyzer", "Settings", "Empty", "dflt"), "");
    EXPECT_EQ(SettingKey("QuarvelAnalyzer", "Settings\\CRUDComp", "Placement"),
              "QuarvelAnalyzer/Settings/CRUDComp/Placement");
}

TEST(WindowSettings, InstallFolderFallsBackToTheApplicationFolder) {
    using namespace WindowSettings;
    QSettings().remove("QuarvelAnalyzer/Settings/InstallFolder");
    EXPECT_FALSE(GetInstallFolder().empty());
    SaveSetting("QuarvelAnalyzer", "Settings", "InstallFolder", "/opt/workbench");
    EXPECT_EQ(GetInstallFolder(), std::filesystem::path("/opt/workbench"));
    QSettings().remove("QuarvelAnalyzer/Settings/InstallFolder");
}

TEST(WindowSettings, PlacementRoundTrip) {
    QWidget a;
    a.setGeometry(40, 50, 420, 310);
    WindowSettings::SavePlacement(&a, "QuarvelAnalyzer", "Settings\\CRUDSigTest");
    QWidget b;
    b.setGeometry(0, 0, 200, 100);
    WindowSettings::RestorePlacement(&b, "QuarvelAnalyzer", "Settings\\CRUDSigTest");
    EXPECT_EQ(b.size(), QSize(420, 310));
    // Nothing saved: the window keeps its own placement.
    QWidget c;
    c.setGeometry(0, 0, 200, 100);
    WindowSettings::RestorePlacement(&c, "QuarvelAnalyzer", "Settings\\NothingSaved");
    EXPECT_EQ(c.size(), QSize(200, 100));
}
