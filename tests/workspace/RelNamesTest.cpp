#include <gtest/gtest.h>

#include "workspace/RelNames.h"
#include "workspace/Text.h"

using workspace::NormalizeRelName;

TEST(NormalizeRelName, MapsEveryNameOfTheTable) {
    const std::pair<const char*, const char*> table[] = {
        {"Sends", "converse"}, {"Receives", "converse"}, {"Uses", "converse"},    {"converse", "converse"},
        {"Reads", "access"},   {"Writes", "access"},     {"Deletes", "access"},   {"Inserts", "access"},
        {"Updates", "access"}, {"Starts", "Xctls"},      {"Fetchs", "Xctls"},     {"Callnats", "Calls"},
        {"Calls", "Calls"},    {"FetchReturns", "Calls"}, {"Links", "Calls"},
    };
    for (auto [from, to] : table) EXPECT_EQ(NormalizeRelName(from), to) << from;
}

TEST(NormalizeRelName, RemovesObjectWordsAnywhereAndIgnoresCase) {
    EXPECT_EQ(NormalizeRelName("ReadsTable"), "access");
    EXPECT_EQ(NormalizeRelName("readstable"), "access");
    EXPECT_EQ(NormalizeRelName("TableReads"), "access");
    EXPECT_EQ(NormalizeRelName("CallsDecision"), "Calls");
    EXPECT_EQ(NormalizeRelName("UpdatesADABASFILE"), "access");
    EXPECT_EQ(NormalizeRelName("SendsDataPort"), "converse");
    EXPECT_EQ(NormalizeRelName("calls"), "Calls");
    EXPECT_EQ(NormalizeRelName("STARTS"), "Xctls");
}

TEST(NormalizeRelName, LeavesOtherNamesAsTheRemovalLeftThem) {
    EXPECT_EQ(NormalizeRelName("Includes"), "Includes");
    EXPECT_EQ(NormalizeRelName("Decision"), "");
    EXPECT_EQ(NormalizeRelName(""), "");
    EXPECT_EQ(NormalizeRelName("Portable"), "Por");
    EXPECT_EQ(NormalizeRelName("IncludesTable"), "Includes");
    // One pass per word: letters that only meet after a removal stay.
    EXPECT_EQ(NormalizeRelName("TaTableble"), "Table");
    // The table is matched as a whole, not as a prefix.
    EXPECT_EQ(NormalizeRelName("ReadsX"), "ReadsX");
}

TEST(Text, LeftCharsCountsCharactersNotBytes) {
    EXPECT_EQ(workspace::LeftChars("abcdef", 3), "abc");
    EXPECT_EQ(workspace::LeftChars("ab", 3), "ab");
    EXPECT_EQ(workspace::LeftChars("äöüß", 2), "äö");
    EXPECT_EQ(workspace::LeftChars("日本語", 0), "");
}
