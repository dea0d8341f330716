// The screen-map control: the grid a listing draws, entry areas by name and
// attribute, text cut to length, fields off the grid, tooltips, and what a
// missing or damaged listing leaves on the screen.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "platform/screenmap/FieldListing.h"
#include "platform/ui/BmsViewControl.h"
#include "tests/support/TestSupport.h"

namespace {

using platform::screenmap::FieldListing;
using platform::screenmap::MapField;
using platform::ui::BmsViewControl;

MapField Field(const std::string& name, int row, int col, int length, const std::string& initial, int attrib) {
    MapField f;
    f.name = name;
    f.row = static_cast<int16_t>(row);
    f.col = static_cast<int16_t>(col);
    f.length = static_cast<int16_t>(length);
    f.initialValue = initial;
    f.attrib = attrib;
    return f;
}

FieldListing Listing(int width, std::vector<MapField> fields) {
    FieldListing l;
    l.hasHeader = true;
    l.screenWidth = static_cast<int16_t>(width);
    l.fields = std::move(fields);
    return l;
}

TEST(BmsViewControl, FieldsAreDrawnOnAGridOfTheListingsWidth) {
    BmsViewControl bms;
    // The menu text and an input field of the report page's example.
    bms.SetListing(Listing(8, {Field("", 1, 2, 4, "MENU", 3), Field("OPT", 3, 5, 3, "", 0)}));
    EXPECT_EQ(bms.Columns(), 8);
    EXPECT_EQ(bms.Rows(), 24);
    EXPECT_EQ(bms.RowText(1), " MENU   ");
    EXPECT_EQ(bms.RowText(2), "        ");
    EXPECT_EQ(bms.RowText(3), "        ");
    // The entry area covers its length although it holds no text.
    EXPECT_EQ(bms.FieldAt(3, 4), nullptr);
    for (int col = 5; col <= 7; ++col) ASSERT_NE(bms.FieldAt(3, col), nullptr) << col;
    EXPECT_EQ(bms.FieldAt(3, 5)->name, "OPT");
    EXPECT_EQ(bms.FieldAt(3, 8), nullptr);

    // Text is cut to its length and covers only its characters; a named
    // field with both attribute bits is text too.
    bms.SetListing(Listing(80, {Field("", 1, 1, 5, "HELLO WORLD", 3), Field("ASK", 1, 7, 6, "ABC", 3),
                                Field("IN", 2, 1, 6, "ABC", 0), Field("", 30, 1, 2, "Z", 0)}));
    EXPECT_EQ(bms.Columns(), 80);
    EXPECT_EQ(bms.Rows(), 30);  // a field below line 24 makes the grid taller
    EXPECT_EQ(bms.RowText(1).left(12), "HELLO ABC   ");
    // A named output field covers its length, text or none; unnamed text does not.
    EXPECT_EQ(bms.FieldAt(1, 12)->name, "ASK");
    EXPECT_EQ(bms.FieldAt(1, 13), nullptr);
    EXPECT_EQ(bms.FieldAt(1, 6), nullptr);
    EXPECT_EQ(bms.FieldAt(2, 6)->name, "IN");
    EXPECT_EQ(bms.RowText(30).left(2), "Z ");
}

TEST(BmsViewControl, WidthsAndPositionsOutsideTheGridAreSafe) {
    BmsViewControl bms;
    bms.SetListing(
        Listing(0, {Field("", 1, 78, 6, "ABCDEF", 3), Field("", -2, 1, 3, "XYZ", 3), Field("", 2, -1, 4, "1234", 3),
                    Field("", 3, 1, -5, "NEG", 3), Field("BIG", 32000, 1, 3, "", 0)}));
    EXPECT_EQ(bms.Columns(), 80);  // no width: the default
    EXPECT_EQ(bms.Rows(), BmsViewControl::kMaxRows);
    EXPECT_EQ(bms.RowText(1).right(3), "ABC");
    EXPECT_EQ(bms.RowText(2).left(3), "34 ");
    EXPECT_EQ(bms.RowText(3).trimmed(), "");
    EXPECT_EQ(bms.RowText(0), "");
    EXPECT_EQ(bms.FieldAt(0, 1), nullptr);
    EXPECT_EQ(bms.FieldAt(1, 81), nullptr);
    bms.resize(bms.sizeHint());
    EXPECT_FALSE(bms.grab().isNull());
}

// Nobody types into a protected field: it is an output area like a named
// autoskip field, drawn and named as one, with or without initial text.
TEST(BmsViewControl, EntryAreasLookApartFromOutputAreasProtectedOnesIncluded) {
    BmsViewControl bms;
    bms.SetListing(Listing(20, {Field("IN", 1, 1, 4, "", 0), Field("PROT", 2, 1, 4, "", 1),
                                Field("TXT", 3, 1, 4, "", 3), Field("PRTX", 4, 1, 4, "AB", 1),
                                Field("TXTX", 5, 1, 4, "AB", 3)}));
    bms.resize(bms.sizeHint());
    const QImage img = bms.grab().toImage();
    const int cellW = (bms.sizeHint().width() - 12) / bms.Columns();
    const int cellH = (bms.sizeHint().height() - 12) / bms.Rows();
    // A field's four cells as drawn, band, underline and text.
    auto field = [&](int row) { return img.copy(6, 6 + (row - 1) * cellH, 4 * cellW, cellH); };
    EXPECT_EQ(field(2), field(3));
    EXPECT_EQ(field(4), field(5));
    EXPECT_NE(field(1), field(3));
    EXPECT_NE(field(3), field(5));
    // An output field without initial text still shows where it is.
    EXPECT_NE(img.pixelColor(6 + cellW / 2, 6 + cellH + cellH / 2), img.pixelColor(6 + cellW / 2, 6 + 9 * cellH));
    for (int row = 2; row <= 5; ++row)
        EXPECT_TRUE(BmsViewControl::ToolTipText(*bms.FieldAt(row, 4)).endsWith("(output field)")) << row;
    EXPECT_TRUE(BmsViewControl::ToolTipText(*bms.FieldAt(1, 4)).endsWith("(entry field)"));
}

TEST(BmsViewControl, TooltipsNameTheFieldItsPlaceAndAttributes) {
    EXPECT_EQ(BmsViewControl::ToolTipText(Field("QCUSTNO", 3, 17, 8, "", 96)).toStdString(),
              "QCUSTNO\nRow 3, column 17, length 8\nAttributes 96 (entry field)");
    EXPECT_EQ(BmsViewControl::ToolTipText(Field("QCREDIT", 9, 17, 12, "", 1)).toStdString(),
              "QCREDIT\nRow 9, column 17, length 12\nAttributes 1 (output field)");
    EXPECT_EQ(BmsViewControl::ToolTipText(Field("", 1, 2, 7, "CUSTMAP", 11)).toStdString(),
              "(unnamed)\nRow 1, column 2, length 7\nAttributes 11 (text)");
}

TEST(BmsViewControl, MissingAndDamagedListingsSayWhyAndKeepWhatWasRead) {
    testsupport::TempDir dir;
    BmsViewControl bms;
    EXPECT_FALSE(bms.LoadFromFile(dir / "none.lst"));
    EXPECT_FALSE(bms.Message().isEmpty());
    EXPECT_EQ(bms.Columns(), 80);
    EXPECT_EQ(bms.RowText(1).trimmed(), "");

    std::ofstream(dir / "part.lst", std::ios::binary)
        << "40\t12\r\n"
           "_NONAME\t1\t11\t0\t0\tASKIP\t0\tLOOKUP\t1\t0\t0\t6\t\t15\t0\t\t\t0\t0\t0\t0\t-1\t41\r\n"
           "LNAME\t2\t96\t0\r\n";
    EXPECT_FALSE(bms.LoadFromFile(dir / "part.lst"));
    EXPECT_TRUE(bms.Message().contains("line 3"));
    EXPECT_EQ(bms.Columns(), 40);
    EXPECT_EQ(bms.Rows(), 12);  // a small map keeps its own height
    EXPECT_EQ(bms.RowText(2).left(8), " LOOKUP ");

    // An empty map clears the message.
    bms.Clear();
    EXPECT_TRUE(bms.Message().isEmpty());
    EXPECT_EQ(bms.RowText(2).trimmed(), "");
}

}  // namespace
