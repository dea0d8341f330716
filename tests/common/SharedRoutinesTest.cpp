#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/Collection.h"
#include "common/FileReplace.h"
#include "common/PopToken.h"
#include "common/SqlText.h"
#include "tests/support/TestSupport.h"

using common::Collection;

TEST(SqlQuote, DoublesEverySingleQuote) {
    EXPECT_EQ(Globals::SqlQuote("O'Brien's"), "O''Brien''s");
    EXPECT_EQ(Globals::SqlQuote("'"), "''");
    EXPECT_EQ(Globals::SqlQuote("''"), "''''");
    EXPECT_EQ(Globals::SqlQuote(""), "");
    EXPECT_EQ(Globals::SqlQuote("plain \"text\""), "plain \"text\"");
    EXPECT_EQ(Globals::SqlQuote("Ärger's"), "Ärger''s");
}

TEST(SqlQuoteIdentifier, DoublesEveryDoubleQuoteInsideQuotes) {
    EXPECT_EQ(Globals::SqlQuoteIdentifier("UseCase"), "\"UseCase\"");
    EXPECT_EQ(Globals::SqlQuoteIdentifier("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(Globals::SqlQuoteIdentifier("\""), "\"\"\"\"");
    EXPECT_EQ(Globals::SqlQuoteIdentifier(""), "\"\"");
    EXPECT_EQ(Globals::SqlQuoteIdentifier("O'Brien; DROP"), "\"O'Brien; DROP\"");
}

TEST(ToCamelCase, JoinsHyphenatedNames) {
    auto camel = [](std::string s) { return Globals::ToCamelCase(s); };
    EXPECT_EQ(camel("ORDER-LINE-ITEM"), "orderLineItem");
    EXPECT_EQ(camel("TOTAL-"), "total");
    EXPECT_EQ(camel("--A"), "A");
    EXPECT_EQ(camel("CUSTOMER"), "customer");
    EXPECT_EQ(camel(""), "");
    EXPECT_EQ(camel("A-1-B"), "a1B");
    EXPECT_EQ(camel("-"), "");
    EXPECT_EQ(camel("X-ÄB"), "xÄb");   // a multi-byte character after "-" stays whole

    std::string var = "WS-NAME";
    std::string result = Globals::ToCamelCase(var);
    EXPECT_EQ(result, "wsName");
    EXPECT_EQ(var, "wsName");   // the caller's variable changes too
}

TEST(PopToken, SplitsAtTheFirstDelimiter) {
    std::string t = "A\tB\tC";
    EXPECT_EQ(mdlReports::PopToken(t, "\t"), "A");
    EXPECT_EQ(t, "B\tC");
    EXPECT_EQ(mdlReports::PopToken(t, "\t"), "B");
    EXPECT_EQ(mdlReports::PopToken(t, "\t"), "C");
    EXPECT_EQ(t, "");
    EXPECT_EQ(mdlReports::PopToken(t, "\t"), "");
    EXPECT_EQ(t, "");

    t = "ABC";
    EXPECT_EQ(mdlReports::PopToken(t, "\t"), "ABC");
    EXPECT_EQ(t, "");

    t = "\tX";   // an empty first value
    EXPECT_EQ(mdlReports::PopToken(t, "\t"), "");
    EXPECT_EQ(t, "X");

    t = "PROGRAM#3|17";
    EXPECT_EQ(mdlReports::PopToken(t, "|"), "PROGRAM#3");
    EXPECT_EQ(t, "17");

    t = std::string("NAME\0rest\0more", 14);
    EXPECT_EQ(mdlReports::PopToken(t, std::string_view("\0", 1)), "NAME");
    EXPECT_EQ(t, std::string("rest\0more", 9));

    t = "line1\rline2";   // carriage return by default
    EXPECT_EQ(mdlReports::PopToken(t), "line1");
    EXPECT_EQ(t, "line2");

    t = "abXcd";          // letter case ignored
    EXPECT_EQ(mdlReports::PopToken(t, "x"), "ab");
    EXPECT_EQ(t, "cd");

    t = "abc";            // an empty delimiter never matches, so loops end
    EXPECT_EQ(mdlReports::PopToken(t, ""), "abc");
    EXPECT_EQ(t, "");
}

TEST(Collection, KeysIgnoreCaseAndRefuseRepeats) {
    Collection<std::string> c;
    c.Add("first", "Prog1");
    c.Add("unkeyed");
    c.Add("second", "PROG2");
    EXPECT_EQ(c.Count(), 3u);
    EXPECT_EQ(c.Item("prog1"), "first");
    EXPECT_EQ(c.Item(2), "unkeyed");
    EXPECT_THROW(c.Add("again", "prog2"), std::invalid_argument);
    EXPECT_EQ(c.Count(), 3u);
    EXPECT_THROW(c.Item("nope"), std::out_of_range);
    EXPECT_THROW(c.Item(0), std::out_of_range);
    EXPECT_THROW(c.Item(4), std::out_of_range);

    c.Remove("PROG1");
    EXPECT_EQ(c.Count(), 2u);
    EXPECT_EQ(c.Item(1), "unkeyed");
    EXPECT_EQ(c.Item("prog2"), "second");   // positions after the removed item still resolve
    c.Add("third", "Prog1");                // the key is free again
    EXPECT_EQ(c.Item(3), "third");

    std::string order;
    for (auto& e : c) order += e.item + ",";
    EXPECT_EQ(order, "unkeyed,second,third,");
}

TEST(CollectionHasKey, NothingEmptyUnkeyedAndKeyed) {
    EXPECT_FALSE(Globals::CollectionHasKey(static_cast<const Collection<int>*>(nullptr), "a"));

    Collection<int> empty;
    EXPECT_FALSE(Globals::CollectionHasKey(empty, ""));

    Collection<int> unkeyed;
    unkeyed.Add(1);
    unkeyed.Add(2);
    EXPECT_FALSE(Globals::CollectionHasKey(unkeyed, "1"));
    EXPECT_FALSE(Globals::CollectionHasKey(unkeyed, ""));

    Collection<int> keyed;
    keyed.Add(7, "MAP#1");
    EXPECT_TRUE(Globals::CollectionHasKey(keyed, "MAP#1"));
    EXPECT_TRUE(Globals::CollectionHasKey(&keyed, "map#1"));
    EXPECT_FALSE(Globals::CollectionHasKey(keyed, "MAP#2"));
    EXPECT_EQ(keyed.Item("MAP#1"), 7);   // the test changes nothing
}

TEST(ReplacementFile, BelowADeferredSyncAFileAppearsWholeOrNotAtAllAndAnEarlierOneStaysUntilCommit) {
    testsupport::TempDir dir;
    const auto read = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    common::DeferredSync deferred(dir.Path());
    std::ofstream(dir / "old.html") << "old";
    {
        common::ReplacementFile fresh(dir / "new.html");
        fresh.Write("half");
        common::ReplacementFile replacing(dir / "old.html");
        replacing.Write("new");
        EXPECT_EQ(read(dir / "old.html"), "old");
        replacing.Commit();
    }   // the new file is dropped without Commit
    EXPECT_FALSE(std::filesystem::exists(dir / "new.html"));
    EXPECT_EQ(read(dir / "old.html"), "new");
    common::ReplaceFileContents(dir / "new.html", "whole");
    EXPECT_EQ(read(dir / "new.html"), "whole");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);   // no temporary left
}

// What a run's report tree cannot meet once it is made anew, a folder
// below the boundary that leads out, is refused outright, new files (below
// a DeferredSync) and replacements alike; out of the boundary's life the
// same link is followed as any link is.
TEST(ReplacementFile, BelowAWriteBoundaryNothingIsWrittenIntoAFolderThatLeadsOut) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir, outside;
    fs::create_directory(dir / "Output");
    fs::create_directory_symlink(outside.Path(), dir / "Output" / "diagrams");
    {
        common::WriteBoundary inside(dir / "Output");
        common::DeferredSync deferred(dir / "Output");
        EXPECT_THROW(common::ReplaceFileContents(dir / "Output" / "diagrams" / "new.html", "x"), std::runtime_error);
        std::ofstream(outside / "old.html") << "old";
        EXPECT_THROW(common::ReplaceFileContents(dir / "Output" / "diagrams" / "old.html", "x"), std::runtime_error);
        common::ReplaceFileContents(dir / "Output" / "index.html", "inside");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(outside.Path()), {}), 1);
    common::ReplaceFileContents(dir / "Output" / "diagrams" / "new.html", "followed");
    EXPECT_TRUE(fs::exists(outside / "new.html"));
}
