#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <optional>
#include <vector>
#include <string>

#include "common/Collection.h"
#include "common/FileReplace.h"
#include "common/HeldPrompt.h"
#include "common/WriteBoundary.h"
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

namespace {

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below folder (links as links) with its content.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> files;
    for (fs::recursive_directory_iterator it(folder), end; it != end; ++it)
        files[it->path().lexically_relative(folder).string()] =
            it->is_symlink() ? "link to " + fs::read_symlink(it->path()).string()
                             : it->is_regular_file() ? ReadAll(it->path()) : "folder";
    return files;
}

}  // namespace

TEST(ReplacementFile, BelowADeferredSyncAFileAppearsWholeOrNotAtAllAndAnEarlierOneStaysUntilCommit) {
    testsupport::TempDir dir;
    const common::WriteBoundary inside(dir.Path());
    const common::WriteBoundary::DeferredSync deferred(inside, dir.Path());
    std::ofstream(dir / "old.html") << "old";
    {
        const auto fresh = inside.Open(dir / "new.html");
        fresh->Write("half");
        const auto replacing = inside.Open(dir / "old.html");
        replacing->Write("new");
        EXPECT_EQ(ReadAll(dir / "old.html"), "old");
        replacing->Commit();
    }   // the new file is dropped without Commit
    EXPECT_FALSE(std::filesystem::exists(dir / "new.html"));
    EXPECT_EQ(ReadAll(dir / "old.html"), "new");
    inside.Replace(dir / "new.html", "whole");
    EXPECT_EQ(ReadAll(dir / "new.html"), "whole");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);   // no temporary left
}

// One boundary's life: a folder written into is swapped for a link to a
// folder elsewhere that holds a file of the name written next, by someone
// else, between two writes. Nothing outside changes, whether the writes are
// deferred or synced one by one: the second write lands in the folder the
// first wrote in, where it went. A folder first met as a link, and a folder
// on the way reached through one, are refused; a link at a file's name is
// replaced. The victims lie where a boundary compared by name, or one
// folder too wide, would reach: the Output folder's parent, a sibling whose
// name starts with the Output folder's, and a folder elsewhere.
TEST(WriteBoundary, AFolderSwappedForALinkBetweenTwoWritesIsNeverWrittenThrough) {
    namespace fs = std::filesystem;
    for (const bool deferring : {false, true}) {
        SCOPED_TRACE(deferring ? "deferred" : "synced");
        testsupport::TempDir dir, elsewhere;
        const fs::path output = dir / "Output";
        const std::vector<fs::path> victims = {dir.Path(), dir / "Output-old", elsewhere.Path()};
        for (const fs::path& place : victims) {
            fs::create_directories(place);
            std::ofstream(place / "second.html") << "victim";
            std::ofstream(place / "index.html") << "victim";
        }
        const auto before = Snapshot(dir.Path());
        const auto beforeElsewhere = Snapshot(elsewhere.Path());
        fs::create_directories(output / "reports" / "diagrams");
        {
            const common::WriteBoundary inside(output);
            std::optional<common::WriteBoundary::DeferredSync> deferred;
            if (deferring) deferred.emplace(inside, output);
            inside.Replace(output / "reports" / "diagrams" / "first.html", "first");
            inside.Replace(output / "reports" / "first.html", "first");
            for (const fs::path& place : victims) {
                SCOPED_TRACE(place);
                // The folder written in, and the one above it, swapped.
                fs::rename(output / "reports", output / "away");
                fs::create_directory_symlink(place, output / "reports");
                inside.Replace(output / "reports" / "second.html", "second");
                inside.Replace(output / "reports" / "diagrams" / "second.html", "second");
                EXPECT_EQ(ReadAll(output / "away" / "second.html"), "second");
                EXPECT_EQ(ReadAll(output / "away" / "diagrams" / "second.html"), "second");
                fs::remove(output / "reports");
                fs::rename(output / "away", output / "reports");
                // A folder never written in that is a link, or below one.
                fs::create_directory_symlink(place, output / "fresh");
                try {
                    inside.Replace(output / "fresh" / "second.html", "x");
                    ADD_FAILURE() << "written through a link";
                } catch (const std::runtime_error& e) {
                    EXPECT_EQ(std::string(e.what()), "its folder leads out of " + output.string() + " through a link");
                }
                EXPECT_FALSE(inside.MakeFolders(output / "fresh" / "new"));
                EXPECT_THROW(inside.Replace(output / "fresh" / "new" / "second.html", "x"), std::runtime_error);
                fs::remove(output / "fresh");
                // A link at the file's name is replaced, not followed.
                fs::remove(output / "index.html");
                fs::create_symlink(place / "index.html", output / "index.html");
                inside.Replace(output / "index.html", "inside");
                EXPECT_FALSE(fs::is_symlink(output / "index.html"));
                // Renamed and removed, a link is moved or deleted as a name.
                fs::create_directory_symlink(place, output / "reports" / "planted");
                EXPECT_EQ(inside.Rename(output / "reports" / "planted", output / "set-aside"), 0);
                EXPECT_TRUE(inside.RemoveAll(output / "set-aside"));
                fs::create_directory_symlink(place, output / "reports" / "planted");
                EXPECT_TRUE(inside.RemoveAll(output / "reports"));
                EXPECT_TRUE(inside.MakeFolders(output / "reports" / "diagrams"));
                // A folder made here and swapped before anything is written
                // in it is written in where it went.
                ASSERT_EQ(inside.MakeFolder(output / "made"), 0);
                fs::rename(output / "made", output / "made-away");
                fs::create_directory_symlink(place, output / "made");
                inside.Replace(output / "made" / "second.html", "made");
                EXPECT_EQ(ReadAll(output / "made-away" / "second.html"), "made");
                fs::remove(output / "made");
                fs::remove_all(output / "made-away");
            }
            // Nothing outside the folder by its name.
            EXPECT_THROW(inside.Replace(dir / "Output-old" / "index.html", "x"), std::runtime_error);
            EXPECT_THROW(inside.Replace(output / ".." / "index.html", "x"), std::runtime_error);
        }
        fs::remove_all(output);
        EXPECT_EQ(Snapshot(dir.Path()), before);
        EXPECT_EQ(Snapshot(elsewhere.Path()), beforeElsewhere);
    }
}

// The Output folder as a whole may be a link (reports kept on another
// disk): it is followed once, when the boundary first needs it, so a
// link swapped in its place during the boundary's life leads nowhere new.
// A file named by the analyst outside any boundary is written through a
// link at its name, as any link is.
TEST(WriteBoundary, TheFolderItselfIsFollowedOnceAndAFileTheAnalystNamesThroughItsLink) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir, disk, elsewhere;
    fs::create_directory_symlink(disk.Path(), dir / "Output");
    std::ofstream(elsewhere / "second.html") << "victim";
    {
        const common::WriteBoundary inside(dir / "Output");
        inside.Replace(dir / "Output" / "first.html", "first");
        fs::remove(dir / "Output");
        fs::create_directory_symlink(elsewhere.Path(), dir / "Output");
        inside.Replace(dir / "Output" / "second.html", "second");
    }
    EXPECT_EQ(ReadAll(disk / "first.html"), "first");
    EXPECT_EQ(ReadAll(disk / "second.html"), "second");
    EXPECT_EQ(ReadAll(elsewhere / "second.html"), "victim");

    fs::create_symlink(elsewhere / "second.html", dir / "chosen.xml");
    common::ReplaceFileContents(dir / "chosen.xml", "followed");
    EXPECT_TRUE(fs::is_symlink(dir / "chosen.xml"));
    EXPECT_EQ(ReadAll(elsewhere / "second.html"), "followed");
}

// A workspace's folder as a claim holds it, moved away and replaced by a
// link to a folder holding files of the names written next, or by a copy
// of itself: from then on nothing is created, replaced, renamed or deleted
// anywhere through the boundary or the Output folder's below it, the
// victims stay as they were (in the folder the link leads to, the copy,
// and the folder's parent, where a boundary one folder too wide would
// write), and every refusal says the folder was moved.
TEST(WriteBoundary, AHeldFolderMovedOrReplacedRefusesEveryWriteAndSaysSo) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir, elsewhere;
    const fs::path folder = dir / "Shop", moved = dir / "Shop-moved", copy = dir / "Shop-copy";
    fs::create_directories(folder / "Output" / "reports");
    std::ofstream(folder / "kept.xml") << "kept";
    for (const fs::path& place : {elsewhere.Path(), dir.Path()}) {
        fs::create_directories(place / "Output" / "reports");
        std::ofstream(place / "kept.xml") << "victim";
        std::ofstream(place / "Output" / "reports" / "page.html") << "victim";
    }
    const auto held = [&] {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        return common::WriteBoundary::Held(folder, fd, "the folder moved");
    };

    for (const bool byLink : {true, false}) {
        SCOPED_TRACE(byLink ? "replaced by a link" : "replaced by its copy");
        const common::WriteBoundary inside = held();
        const common::WriteBoundary output = inside.Below(folder / "Output");
        EXPECT_EQ(inside.Refusal(), "");
        output.Replace(folder / "Output" / "reports" / "first.html", "first");
        const auto pending = inside.Open(folder / "pairs.xml");
        pending->Write("half");

        fs::rename(folder, moved);
        if (byLink) {
            fs::create_directory_symlink(elsewhere.Path(), folder);
        } else {
            fs::copy(moved, copy, fs::copy_options::recursive);
            fs::rename(copy, folder);
        }
        const auto victims = Snapshot(dir.Path()), victimsElsewhere = Snapshot(elsewhere.Path());
        EXPECT_EQ(inside.Refusal(), "the folder moved");
        EXPECT_EQ(output.Refusal(), "the folder moved");
        EXPECT_EQ(output.Moved(), "the folder moved");
        try {
            output.Replace(folder / "Output" / "reports" / "page.html", "second");
            ADD_FAILURE() << "written after the move";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "the folder moved");
        }
        EXPECT_THROW(pending->Commit(), std::runtime_error);
        EXPECT_THROW(inside.Hold(folder), std::runtime_error);
        EXPECT_EQ(inside.RemoveFile(folder / "kept.xml"), EPERM);
        EXPECT_EQ(output.Rename(folder / "Output" / "reports", folder / "Output" / "aside"), EPERM);
        EXPECT_FALSE(output.RemoveAll(folder / "Output" / "reports"));
        EXPECT_FALSE(output.MakeFolders(folder / "Output" / "new"));
        EXPECT_EQ(Snapshot(dir.Path()), victims);
        EXPECT_EQ(Snapshot(elsewhere.Path()), victimsElsewhere);
        EXPECT_EQ(ReadAll(moved / "Output" / "reports" / "first.html"), "first");

        if (byLink) fs::remove(folder);
        else fs::remove_all(folder);
        fs::rename(moved, folder);
        // Back in place, the same boundary writes again, where it always did.
        EXPECT_EQ(inside.Refusal(), "");
        EXPECT_EQ(inside.RemoveFile(folder / "Output" / "reports" / "first.html"), 0);
    }
    // Closed, nothing is written and nothing opened.
    const common::WriteBoundary closed = common::WriteBoundary::Closed(folder, "viewing only");
    EXPECT_EQ(closed.Refusal(), "viewing only");
    EXPECT_EQ(closed.Moved(), "");
    EXPECT_THROW(closed.Below(folder / "Output").Replace(folder / "Output" / "x.html", "x"), std::runtime_error);
    EXPECT_EQ(closed.RemoveFile(folder / "kept.xml"), EPERM);
    EXPECT_EQ(ReadAll(folder / "kept.xml"), "kept");
}

// The Output folder below a held folder is opened from it: a link there
// (reports on another disk) is followed, and a missing one is made in the
// folder held, wherever the folder's path led meanwhile.
TEST(WriteBoundary, AFolderBelowAHeldOneIsOpenedAndMadeThroughIt) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir, disk;
    const fs::path folder = dir / "Shop";
    fs::create_directories(folder);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const common::WriteBoundary inside = common::WriteBoundary::Held(folder, fd, "moved");
    EXPECT_TRUE(inside.Below(folder / "Output").MakeFolders(folder / "Output"));
    EXPECT_TRUE(fs::is_directory(folder / "Output"));
    fs::remove(folder / "Output");
    fs::create_directory_symlink(disk.Path(), folder / "Output");
    inside.Below(folder / "Output").Replace(folder / "Output" / "index.html", "on the disk");
    EXPECT_EQ(ReadAll(disk / "index.html"), "on the disk");
}

// Renaming a folder onto an empty folder replaces it unless the rename
// refuses to: a set-aside name taken by an empty folder stays taken.
TEST(WriteBoundary, AFolderRenamedOntoAnEmptyFolderReplacesNothing) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir;
    fs::create_directories(dir / "reports");
    std::ofstream(dir / "reports" / "index.html") << "set";
    fs::create_directories(dir / "taken");
    const common::WriteBoundary inside(dir.Path());
    EXPECT_EQ(inside.Rename(dir / "reports", dir / "taken"), EEXIST);
    EXPECT_EQ(ReadAll(dir / "reports" / "index.html"), "set");
    EXPECT_TRUE(fs::is_directory(dir / "taken"));
    EXPECT_TRUE(fs::is_empty(dir / "taken"));
}

// The window's thread asks the questions kept while a worker raises another
// at the same moment: the worker is not kept waiting for the window's
// answer. (Asked under the list's lock, the worker would wait for the
// window's prompt, which here waits for the worker: the bound below turns
// that deadlock into a failure instead of a hung suite.)
TEST(HeldPrompt, AWorkerAsksWhileTheWindowAsksThroughWithoutWaitingForIt) {
    common::HeldPrompt held;
    held.Ask("first", "", common::Buttons::OK, common::Icon::None);
    struct WindowPrompt : common::IPrompt {
        common::HeldPrompt* held = nullptr;
        std::vector<std::string> asked;
        bool workerDone = false;
        // Kept here: its end waits for the worker, which must not happen
        // while the window still asks through.
        std::future<void> worker;
        common::Answer Ask(const std::string& text, const std::string&, common::Buttons, common::Icon) override {
            asked.push_back(text);
            if (worker.valid()) return common::Answer::OK;
            worker = std::async(std::launch::async, [this] {
                held->Ask("second", "", common::Buttons::OK, common::Icon::None);
            });
            workerDone = worker.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
            return common::Answer::OK;
        }
    } window;
    window.held = &held;
    held.AskThrough(window);
    EXPECT_TRUE(window.workerDone) << "the worker waited for the window's answer";
    EXPECT_EQ(window.asked, std::vector<std::string>{"first"});
    window.asked.clear();
    held.AskThrough(window);
    EXPECT_EQ(window.asked, std::vector<std::string>{"second"});
}
