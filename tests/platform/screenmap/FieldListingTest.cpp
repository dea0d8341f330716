// The field listing reader: positions, names, the whole-number rule and
// where a damaged listing stops; every listing of the sample reads in full.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/screenmap/FieldListing.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace platform::screenmap;

// A field line with the values the map uses; the unused ones hold what a
// listing writes there. row/col are the listing's values 23 and 22.
std::string Field(const std::string& name, int attrib, const std::string& initial, int length, int col, int row) {
    std::vector<std::string> v = {name,
                                  "1",
                                  std::to_string(attrib),
                                  "0",
                                  "0",
                                  "ASKIP",
                                  "0",
                                  initial,
                                  "1",
                                  "0",
                                  "0",
                                  std::to_string(length),
                                  "",
                                  "15",
                                  "0",
                                  "",
                                  "",
                                  "0",
                                  "0",
                                  "0",
                                  "0",
                                  std::to_string(col),
                                  std::to_string(row)};
    std::string line;
    for (size_t i = 0; i < v.size(); ++i) line += (i ? "\t" : "") + v[i];
    return line;
}

std::string Listing(const std::vector<std::string>& lines, const std::string& header = "80\t24\tMAP\tSET",
                    const std::string& eol = "\r\n") {
    std::string text = header + eol;
    for (const auto& l : lines) text += l + eol;
    return text;
}

TEST(FieldListing, PositionsComeFromColumnAndRowOrFromAnOffset) {
    const struct {
        int width, col, row;
        int wantRow, wantCol;
    } cases[] = {
        {80, -1, 165, 3, 6},                                                               // offset: 165 = 2 * 80 + 5
        {80, -1, 0, 1, 1},   {80, -1, 79, 1, 80}, {80, -1, 80, 2, 1}, {40, -1, 81, 3, 2},  // the header's width, not 80
        {80, 17, 3, 3, 17},  // an explicit column keeps row and column as written
        {80, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " " + std::to_string(c.col) + " " + std::to_string(c.row));
        const FieldListing l =
            ParseFieldListing(Listing({Field("F", 0, "", 4, c.col, c.row)}, std::to_string(c.width) + "\t24\tM\tS"));
        ASSERT_TRUE(l.Complete()) << l.stopReason;
        ASSERT_EQ(l.fields.size(), 1u);
        EXPECT_EQ(l.screenWidth, c.width);
        EXPECT_EQ(l.fields[0].row, c.wantRow);
        EXPECT_EQ(l.fields[0].col, c.wantCol);
    }
}

TEST(FieldListing, FieldsCarryNameOrdinalLengthInitialTextAndAttribute) {
    const FieldListing l = ParseFieldListing(Listing({
        Field("_NONAME", 11, "CUSTOMER INQUIRY", 18, 31, 1), Field("_noName", 3, "x", 1, 1, 2),
        Field("_NoNaMe", 3, "x", 1, 1, 2), Field("_NONAMEX", 96, "", 8, 17, 3),
        Field("QCUSTNO", 65537, "A B", 8, 17, 3),  // 32-bit attribute
    }));
    ASSERT_TRUE(l.Complete()) << l.stopReason;
    ASSERT_EQ(l.fields.size(), 5u);
    EXPECT_EQ(l.fields[0].name, "");
    EXPECT_EQ(l.fields[1].name, "");
    EXPECT_EQ(l.fields[2].name, "");
    EXPECT_EQ(l.fields[3].name, "_NONAMEX");
    EXPECT_EQ(l.fields[4].name, "QCUSTNO");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(l.fields[static_cast<size_t>(i)].ordinal, i);
    EXPECT_EQ(l.fields[0].initialValue, "CUSTOMER INQUIRY");
    EXPECT_EQ(l.fields[0].length, 18);
    EXPECT_EQ(l.fields[0].attrib, 11);
    EXPECT_EQ(l.fields[4].attrib, 65537);
    EXPECT_EQ(l.fields[4].initialValue, "A B");
}

TEST(FieldListing, ABadLineStopsTheReadingAndKeepsTheFieldsBeforeIt) {
    const std::string good1 = Field("A", 0, "", 3, 2, 1);
    const std::string good2 = Field("B", 0, "", 3, 2, 2);
    auto withValue = [&](int position, const std::string& value) {
        std::string line = Field("X", 0, "", 3, 2, 3);
        std::vector<std::string> v;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            v.push_back(line.substr(start, tab - start));
        v.push_back(line.substr(start));
        v[static_cast<size_t>(position - 1)] = value;
        std::string out;
        for (size_t i = 0; i < v.size(); ++i) out += (i ? "\t" : "") + v[i];
        return out;
    };
    std::string shortLine = Field("X", 0, "", 3, 2, 3);
    shortLine.erase(shortLine.rfind('\t'));  // 22 values

    const struct {
        const char* what;
        std::string line;
        std::string header = "80\t24\tM\tS";
    } cases[] = {
        {"value 15 not a number", withValue(15, "N/A")},
        {"empty unused number", withValue(9, "")},
        {"short line", shortLine},
        {"16-bit overflow", withValue(12, "32768")},
        {"32-bit overflow", withValue(3, "2147483648")},
        {"fraction", withValue(23, "1.5")},
        {"blank line", ""},
        {"offset on a screen without width", withValue(22, "-1"), "0\t24\tM\tS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const FieldListing l = ParseFieldListing(Listing({good1, good2, c.line, good1}, c.header));
        EXPECT_TRUE(l.hasHeader);
        ASSERT_EQ(l.fields.size(), 2u);
        EXPECT_EQ(l.fields[1].name, "B");
        EXPECT_EQ(l.stopReason.rfind("line 4: ", 0), 0u) << l.stopReason;
    }

    // A header whose second value is no number reads nothing at all.
    const FieldListing bad = ParseFieldListing(Listing({good1}, "80\tabc\tM\tS"));
    EXPECT_FALSE(bad.hasHeader);
    EXPECT_TRUE(bad.fields.empty());
    EXPECT_FALSE(bad.Complete());
}

TEST(FieldListing, LineEndsExtraValuesAndTrailingBlankLines) {
    const std::string a = Field("A", 0, "", 3, 2, 1), b = Field("B", 0, "", 3, 2, 2);
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(eol)));
        const FieldListing l = ParseFieldListing(Listing({a, b + "\textra\t1"}, "80\t24\tM\tS", eol) + eol + eol);
        EXPECT_TRUE(l.Complete()) << l.stopReason;
        EXPECT_EQ(l.fields.size(), 2u);
    }
    // Without a final line break the last field still counts.
    EXPECT_EQ(ParseFieldListing("80\t24\r\n" + a).fields.size(), 1u);
    const FieldListing empty = ParseFieldListing("");
    EXPECT_FALSE(empty.hasHeader);
    EXPECT_TRUE(empty.Complete());
    // Only the header: a map without fields.
    const FieldListing header = ParseFieldListing("40\t12\r\n");
    EXPECT_TRUE(header.hasHeader);
    EXPECT_EQ(header.screenWidth, 40);
    EXPECT_TRUE(header.fields.empty());
}

TEST(FieldListing, WholeNumbersFitTheirWidth) {
    const struct {
        const char* text;
        int bits;
        bool ok;
        int32_t value;
    } cases[] = {
        {"12", 16, true, 12},         {" 12 ", 16, true, 12},
        {"+5", 16, true, 5},          {"-1", 16, true, -1},
        {"32767", 16, true, 32767},   {"-32768", 16, true, -32768},
        {"32768", 16, false, 0},      {"-32769", 16, false, 0},
        {"32768", 32, true, 32768},   {"2147483647", 32, true, 2147483647},
        {"2147483648", 32, false, 0}, {"", 16, false, 0},
        {"  ", 16, false, 0},         {"1.5", 16, false, 0},
        {"0x10", 16, false, 0},       {"1e2", 16, false, 0},
        {"--5", 16, false, 0},        {"+-5", 16, false, 0},
        {"-+5", 16, false, 0},        {"+", 16, false, 0},
        {"5 5", 16, false, 0},        {"0000000000000000000042", 16, true, 42},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t v = 0;
        EXPECT_EQ(ParseWholeNumber(c.text, c.bits, v), c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

// The page's text boxes: named fields without both attribute bits; of
// them only the unprotected ones take the operator's input.
TEST(FieldListing, EntryAreasAreNamedFieldsWithoutBothAttributeBits) {
    const struct {
        const char* name;
        int attrib;
        bool entry, protectedEntry, input;
    } cases[] = {
        {"OPT", 0, true, false, true},    {"OPT", 1, true, true, false},  {"OPT", 2, true, false, true},
        {"OPT", 3, false, false, false},  {"OPT", 11, false, false, false}, {"OPT", 96, true, false, true},
        {"OPT", 97, true, true, false},   {"", 0, false, false, false},   {"", 1, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.attrib));
        MapField f;
        f.name = c.name;
        f.attrib = c.attrib;
        EXPECT_EQ(IsEntryField(f), c.entry);
        EXPECT_EQ(IsProtectedEntry(f), c.protectedEntry);
        EXPECT_EQ(TakesInput(f), c.input);
    }
}

TEST(FieldListing, EverySampleListingReadsInFull) {
    namespace fs = std::filesystem;
    const fs::path maps = testsupport::AppDir().parent_path() / "samples" / "OrderEntry" / "maps";
    ASSERT_TRUE(fs::exists(maps)) << maps;
    int listings = 0;
    for (const auto& entry : fs::directory_iterator(maps)) {
        if (entry.path().extension() != ".lst") continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++listings;
        const FieldListing l = ReadFieldListing(entry.path());
        EXPECT_TRUE(l.hasHeader);
        EXPECT_TRUE(l.Complete()) << l.stopReason;
        EXPECT_FALSE(l.fields.empty());
        for (const MapField& f : l.fields) {
            EXPECT_GE(f.row, 1);
            EXPECT_GE(f.col, 1);
            EXPECT_LE(f.col + f.length - 1, l.screenWidth) << f.name << " " << f.initialValue;
        }
    }
    EXPECT_EQ(listings, 11);
}

}  // namespace
