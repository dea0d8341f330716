// What the source viewer shows, read headless from a small repository: the
// relation each language selects, screen maps with and without listings,
// and every way the content can be missing, each said in a message.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/workspace/ImportTestSupport.h"
#include "views/SourceView.h"

namespace {

namespace fs = std::filesystem;
using views::SourceContent;
using Kind = views::SourceContent::Kind;

void Write(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(SourceView, OnlyProgramsAndScreensOpenTheViewer) {
    const struct {
        const char* id;
        bool opens;
    } cases[] = {
        {"PROGRAM#12", true},  {"program#12", true}, {"MAP#3", true},        {"Map#3", true},
        {"STUBPROG#2", false}, {"TABLE#4", false},   {"DATASTORE#5", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(views::OpensSourceView(c.id), c.opens) << c.id;
    EXPECT_EQ(views::SourceWindowKey("MAP#3"), "MAP#3-Source");
}

TEST(SourceView, EachLanguagePicksItsRelation) {
    const struct {
        const char* language;
        std::optional<std::string> relation;
    } cases[] = {
        {"NATURAL", "IsDefinedInNatural"},
        {"cobol", "IsDefinedInCobol"},
        {"PLI", "IsDefinedInPLI"},
        {"Rpg", "IsDefinedIn"},
        {"PL/I", std::nullopt},
        {"ASSEMBLER", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(views::DefiningRelation(c.language), c.relation) << c.language;

    // Every program also has a defining entity of another language, which
    // must not be the one shown.
    importtest::SmallRepo repo;
    const fs::path ws = repo.dir / "Ws";
    const struct {
        const char* language;
        const char* relation;
        const char* file;
    } programs[] = {
        {"NATURAL", "IsDefinedInNatural", "natural/CUSTMNT.nsp"},
        {"COBOL", "IsDefinedInCobol", "cobol/ORDENTR.cbl"},
        {"PLI", "IsDefinedInPLI", "pli/SHIPCALC.pli"},
        {"RPG", "IsDefinedIn", "rpg/INVRPT.rpg"},
    };
    std::vector<std::string> ids;
    const int64_t decoy = repo.Add("SOURCE", "DECOY", {{"Source", "decoy.txt"}});
    Write(ws / "decoy.txt", "wrong file");
    for (const auto& p : programs) {
        const int64_t program = repo.Add("PROGRAM", p.file, {{"Language", p.language}});
        const int64_t source = repo.Add(p.language, p.file, {{"Source", p.file}});
        // The decoy comes first, under the relation of another language.
        repo.Rel(std::string(p.relation) == "IsDefinedInCobol" ? "IsDefinedInPLI" : "IsDefinedInCobol", program, decoy);
        repo.Rel(p.relation, program, source);
        Write(ws / p.file, std::string("text of ") + p.file);
        ids.push_back(repo.Key(program));
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(programs[i].language);
        const SourceContent c = views::LoadSourceContent(repo.Store(), ws, ids[i]);
        EXPECT_EQ(c.kind, Kind::Program);
        EXPECT_EQ(c.text, std::string("text of ") + programs[i].file);
        EXPECT_EQ(c.file, ws / programs[i].file);
        EXPECT_EQ(c.message, "");
    }
}

TEST(SourceView, ScreensShowTheirListingEvenWhenItIsMissingOrDamaged) {
    importtest::SmallRepo repo;
    const fs::path ws = repo.dir / "Ws";
    Write(ws / "maps" / "ORDMNU.lst",
          "80\t24\tORDMNU\tORDMNUS\r\n"
          "_NONAME\t1\t11\t0\t0\tASKIP\t0\tMENU\t1\t0\t0\t4\t\t15\t0\t\t\t0\t0\t0\t0\t2\t1\r\n");
    Write(ws / "maps" / "BROKEN.lst",
          "80\t24\tB\tB\r\n"
          "OPT\t1\t0\t0\t0\tASKIP\t0\t\t1\t0\t0\t3\t\t15\t0\t\t\t0\t0\t0\t0\t5\t3\r\n"
          "BAD\t1\t0\r\n");
    Write(ws / "maps" / "notes.txt", "not a listing\r\n");
    const struct {
        const char* what;
        const char* source;
        size_t fields;
        bool message;
    } cases[] = {
        {"empty Source: an empty map", "", 0, false},
        {"Windows path in other letter case", "MAPS\\ordmnu.LST", 1, false},
        {"missing listing", "maps\\NOMAP.lst", 0, true},
        {"not a listing", "maps/notes.txt", 0, true},
        {"damaged listing", "maps/BROKEN.lst", 1, true},
        {"outside the workspace folder", "..\\..\\etc\\passwd", 0, true},
    };
    std::vector<std::string> ids;
    for (const auto& c : cases) ids.push_back(repo.Key(repo.Add("MAP", c.what, {{"Source", c.source}})));
    for (size_t i = 0; i < ids.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.what);
        const SourceContent content = views::LoadSourceContent(repo.Store(), ws, ids[i]);
        EXPECT_EQ(content.kind, Kind::Map);
        EXPECT_EQ(content.listing.fields.size(), c.fields);
        EXPECT_EQ(!content.message.empty(), c.message) << content.message;
    }
}

TEST(SourceView, WhatCannotBeShownIsSaidAndNothingIsThrown) {
    importtest::SmallRepo repo;
    const fs::path ws = repo.dir / "Ws";
    auto program = [&](const char* name, const char* language) {
        return repo.Add("PROGRAM", name, {{"Language", language}});
    };
    const int64_t noDefining = program("NODEF", "COBOL");
    const int64_t emptySource = program("EMPTYSRC", "COBOL");
    repo.Rel("IsDefinedInCobol", emptySource, repo.Add("COBOL", "E.cbl", {{"Source", ""}}));
    const int64_t missingFile = program("MISSING", "COBOL");
    repo.Rel("IsDefinedInCobol", missingFile, repo.Add("COBOL", "M.cbl", {{"Source", "cobol\\MISSING.cbl"}}));
    const int64_t assembler = program("ASM", "ASSEMBLER");
    const int64_t latin1 = program("LATIN", "PLI");
    repo.Rel("IsDefinedInPLI", latin1, repo.Add("PLI", "L.pli", {{"Source", "PLI\\Latin.PLI"}}));
    Write(ws / "pli" / "latin.pli",
          "/* Gr\xFC\xDF"
          "e */");
    const int64_t store = repo.Add("TABLE", "ORDERS");

    const struct {
        const char* what;
        std::string id;
        Kind kind;
        bool message;
        std::string text;
    } cases[] = {
        {"no defining entity", repo.Key(noDefining), Kind::Nothing, true, ""},
        {"defining entity without Source", repo.Key(emptySource), Kind::Nothing, true, ""},
        {"missing file", repo.Key(missingFile), Kind::Nothing, true, ""},
        {"language without source view", repo.Key(assembler), Kind::Nothing, true, ""},
        {"Latin-1 text in another letter case", repo.Key(latin1), Kind::Program, false,
         "/* Gr\xC3\xBC\xC3\x9F"
         "e */"},
        {"an entity of another type", repo.Key(store), Kind::Nothing, false, ""},
        {"unknown to the repository", "PROGRAM#999", Kind::Nothing, true, ""},
        {"not an entity key", "PROGRAM", Kind::Nothing, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SourceContent content;
        ASSERT_NO_THROW(content = views::LoadSourceContent(repo.Store(), ws, c.id));
        EXPECT_EQ(content.kind, c.kind);
        EXPECT_EQ(!content.message.empty(), c.message) << content.message;
        EXPECT_EQ(content.text, c.text);
    }
    // Without a repository there is nothing to read, and it says so.
    const SourceContent none = views::LoadSourceContent({}, ws, repo.Key(latin1));
    EXPECT_EQ(none.kind, Kind::Nothing);
    EXPECT_FALSE(none.message.empty());
}

}  // namespace
