// Files named by repository attributes: Windows separators and other
// letter case inside the workspace folder, values that leave the folder,
// text in UTF-8 or Latin-1, and the listing check.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/screenmap/WorkspaceFiles.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace platform::screenmap;

void Write(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(WorkspaceFiles, SourceValuesResolveInsideTheWorkspaceFolder) {
    testsupport::TempDir dir;
    const fs::path ws = dir / "Shop";
    Write(ws / "maps" / "CUSTMAP.lst", "80\t24\r\n");
    Write(ws / "cobol" / "Ord Entr.cbl", "x");
    // Links whose names read as inside: one to a file and one to a folder
    // outside the workspace, and one that stays inside.
    Write(dir / "secret" / "ORDMNU.lst", "80\t24\r\n");
    fs::create_symlink(dir / "secret" / "ORDMNU.lst", ws / "maps" / "OUT.lst");
    fs::create_directory_symlink(dir / "secret", ws / "linked");
    fs::create_symlink(ws / "maps" / "CUSTMAP.lst", ws / "maps" / "ALIAS.lst");

    const struct {
        const char* source;
        std::optional<fs::path> want;
    } cases[] = {
        {"maps/CUSTMAP.lst", ws / "maps" / "CUSTMAP.lst"},
        {"maps\\CUSTMAP.lst", ws / "maps" / "CUSTMAP.lst"},
        {"MAPS\\custmap.LST", ws / "maps" / "CUSTMAP.lst"},
        {"cobol\\ord entr.CBL", ws / "cobol" / "Ord Entr.cbl"},
        {".\\maps\\x\\..\\CUSTMAP.lst", ws / "maps" / "CUSTMAP.lst"},
        // A missing file keeps the names it has from the first missing one on.
        {"Maps\\NOMAP.lst", ws / "maps" / "NOMAP.lst"},
        {"", std::nullopt},
        {".", std::nullopt},
        {"..\\secret.txt", std::nullopt},
        {"maps\\..\\..\\secret.txt", std::nullopt},
        {"/etc/passwd", std::nullopt},
        {"\\etc\\passwd", std::nullopt},
        {"maps\\OUT.lst", std::nullopt},
        {"linked\\ORDMNU.lst", std::nullopt},
        {"Linked\\missing.lst", std::nullopt},
        {"maps\\alias.lst", ws / "maps" / "ALIAS.lst"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(WorkspaceFile(ws, c.source), c.want);
    }
}

TEST(WorkspaceFiles, TextIsUtf8WhenValidElseLatin1) {
    const struct {
        const char* what;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"ascii", "MOVE A TO B.\r\n", "MOVE A TO B.\r\n"},
        {"utf-8 kept", "caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"byte-order mark dropped", "\xEF\xBB\xBFX", "X"},
        {"latin-1", "caf\xE9", "caf\xC3\xA9"},
        {"latin-1 beside valid-looking bytes", "\xC3\xA9\xFF", "\xC3\x83\xC2\xA9\xC3\xBF"},
        {"overlong slash", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"cut sequence at the end", "ab\xE2\x82", "ab\xC3\xA2\xC2\x82"},
        {"NUL kept", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TextFromBytes(c.bytes), c.text);
    }
}

TEST(WorkspaceFiles, ReadingSaysWhyAFileCannotBeRead) {
    testsupport::TempDir dir;
    Write(dir / "a.cbl", "caf\xE9");
    EXPECT_EQ(ReadTextFile(dir / "a.cbl"), "caf\xC3\xA9");
    EXPECT_THROW(ReadTextFile(dir / "missing.cbl"), FileError);
    EXPECT_THROW(ReadTextFile(dir.Path()), FileError);
    try {
        ReadTextFile(dir / "missing.cbl");
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.cbl"), std::string::npos);
    }
}

TEST(WorkspaceFiles, ListingCheckFindsTheFileAndWantsAHeader) {
    testsupport::TempDir dir;
    Write(dir / "maps" / "ORDMNU.lst", "80\t24\tORDMNU\tORDMNUS\r\n_NONAME\t1\n");
    Write(dir / "maps" / "notes.txt", "hello\r\n80\t24\r\n");
    Write(dir / "maps" / "empty.lst", "");
    int32_t flags = 0;

    std::string path = (dir.Path() / "Maps").string() + "\\ordmnu.LST";
    EXPECT_TRUE(FileNameUtility::CheckListingFile(path, flags));
    EXPECT_EQ(fs::path(path), dir / "maps" / "ORDMNU.lst");

    for (const char* name : {"notes.txt", "empty.lst", "missing.lst", ""}) {
        SCOPED_TRACE(name);
        std::string p = (dir / "maps" / name).string();
        const std::string before = p;
        EXPECT_FALSE(FileNameUtility::CheckListingFile(p, flags));
        EXPECT_EQ(p, before);
    }
}

}  // namespace
