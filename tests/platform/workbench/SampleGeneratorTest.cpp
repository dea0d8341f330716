#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "platform/workbench/CodeModel.h"
#include "platform/workbench/EntityStore.h"
#include "samples/generator/BmsMap.h"
#include "samples/generator/CobolModel.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

const char* kMapset =
    "MS       DFHMSD TYPE=&SYSPARM,MODE=INOUT,LANG=COBOL\n"
    "M1       DFHMDI SIZE=(24,80)\n"
    "         DFHMDF POS=(1,1),LENGTH=4,ATTRB=(ASKIP,BRT),INITIAL='MENU'\n"
    "         DFHMDF POS=(3,2),LENGTH=20,ATTRB=ASKIP,                       X\n"
    "               INITIAL='IT''S A, B'\n"
    "OPT      DFHMDF POS=(3,24),LENGTH=3,ATTRB=(UNPROT,IC)\n"
    "SHOW     DFHMDF POS=(5,1),LENGTH=5,ATTRB=PROT\n"
    "         DFHMSD TYPE=FINAL\n"
    "         END\n";

std::vector<std::vector<std::string>> Lines(const std::string& listing) {
    std::vector<std::vector<std::string>> out;
    std::istringstream in(listing);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> values;
        std::string v;
        std::istringstream fields(line);
        while (std::getline(fields, v, '\t')) values.push_back(v);
        if (!line.empty() && line.back() == '\t') values.push_back("");
        out.push_back(values);
    }
    return out;
}

}  // namespace

TEST(SampleGenerator, BmsMapsGiveListingsWithPositionsAttributesAndInitialTexts) {
    testsupport::TempDir dir;
    Write(dir / "MS.bms", kMapset);
    auto maps = sample::ReadBms(dir / "MS.bms");
    ASSERT_EQ(maps.size(), 1u);
    auto rows = Lines(sample::FieldListing(maps[0], false));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"80", "24", "M1", "MS"}));
    for (size_t i = 1; i < rows.size(); ++i) ASSERT_EQ(rows[i].size(), 23u) << i;
    // A literal: unnamed, autoskip, data one column after the attribute byte.
    EXPECT_EQ(rows[1][0], "_NONAME");
    EXPECT_EQ(rows[1][2], "11");   // protected + autoskip + bright
    EXPECT_EQ(rows[1][7], "MENU");
    EXPECT_EQ(rows[1][21], "2");
    EXPECT_EQ(rows[1][22], "1");
    // A continued statement keeps its quoted text, commas and doubled quote.
    EXPECT_EQ(rows[2][7], "IT'S A, B");
    EXPECT_EQ(rows[3][0], "OPT");
    EXPECT_EQ(rows[3][2], "32");   // unprotected, initial cursor
    EXPECT_EQ(rows[3][11], "3");
    EXPECT_EQ(rows[4][2], "1");    // PROT alone: a read-only box
    // Offsets count from the screen's first position.
    auto offsets = Lines(sample::FieldListing(maps[0], true));
    EXPECT_EQ(offsets[3][21], "-1");
    EXPECT_EQ(offsets[3][22], std::to_string(2 * 80 + 24));

    std::string symbolic = sample::SymbolicMap(maps[0]);
    EXPECT_NE(symbolic.find("01  M1I."), std::string::npos);
    EXPECT_NE(symbolic.find("02  OPTI PIC X(3)."), std::string::npos);
    EXPECT_NE(symbolic.find("01  M1O REDEFINES M1I."), std::string::npos);

    Write(dir / "bad.bms", "M2       DFHMDI SIZE=(24,80)\n         DFHMDF LENGTH=3\n");
    EXPECT_THROW(sample::ReadBms(dir / "bad.bms"), std::runtime_error);
}

TEST(SampleGenerator, CobolDataItemsGetSizesAndSqlTypes) {
    testsupport::TempDir dir;
    Write(dir / "copy" / "REC.cpy",
          "           05  R-KEY            PIC X(8).\n"
          "           05  R-AMOUNTS        COMP-3.\n"
          "               10  R-NET        PIC S9(7)V99.\n"
          "               10  R-TAX        PIC S9(5)V99.\n");
    Write(dir / "P.cbl",
          "       IDENTIFICATION DIVISION.\n"
          "       PROGRAM-ID. P.\n"
          "       DATA DIVISION.\n"
          "       WORKING-STORAGE SECTION.\n"
          "       01  WS-AREA.\n"
          "           COPY REC.\n"
          "           05  WS-COUNT         PIC S9(4) COMP.\n"
          "           05  WS-BIG           PIC S9(9) BINARY.\n"
          "           05  WS-ZONED         PIC 9(5)V99.\n"
          "           05  WS-EDIT          PIC ZZ,ZZ9.99-.\n"
          "           05  WS-TABLE         PIC X(4) OCCURS 5 TIMES.\n"
          "           05  WS-FLAG          PIC X VALUE 'Y'.\n"
          "               88  WS-YES       VALUE 'Y'.\n"
          "           05  WS-DATE          PIC 9(8).\n"
          "           05  WS-DATE-R REDEFINES WS-DATE.\n"
          "               10  WS-YYYY      PIC 9(4).\n"
          "               10  FILLER       PIC 9(4).\n"
          "           COPY MS.\n"
          "       LINKAGE SECTION.\n"
          "       01  DFHCOMMAREA          PIC X(100).\n"
          "       PROCEDURE DIVISION.\n"
          "           EXEC CICS RECEIVE MAP('M1') MAPSET('MS')\n"
          "                     INTO(M1I) END-EXEC.\n"
          "           IF OPTI = SPACES\n"
          "               MOVE 'X' TO OPTI.\n");
    Write(dir / "MS.bms", kMapset);
    auto maps = sample::ReadBms(dir / "MS.bms");
    std::map<std::string, std::string> copybooks{{"MS", sample::SymbolicMap(maps[0])}};
    sample::CobolProgram program = sample::ReadCobol(dir / "P.cbl", dir / "copy", copybooks);
    ASSERT_EQ(program.workingStorage.size(), 3u);   // WS-AREA, M1I, M1O
    const sample::DataItem& area = *program.workingStorage[0];
    // 8 + (5 + 4) packed + 2 + 4 + 7 + 10 edited + 4*5 + 1 + 8 (the redefinition adds nothing)
    EXPECT_EQ(area.Bytes(), 8 + 9 + 2 + 4 + 7 + 10 + 20 + 1 + 8);
    std::map<std::string, const sample::DataItem*> items;
    std::function<void(const sample::DataItem&)> index = [&](const sample::DataItem& d) {
        items[d.name] = &d;
        for (auto& c : d.children) index(*c);
    };
    index(area);
    EXPECT_EQ(items["R-AMOUNTS"]->Bytes(), 9);
    EXPECT_TRUE(items["WS-YES"]->IsCondition());
    EXPECT_TRUE(items["WS-FLAG"]->IsElementary());
    auto count = sample::Properties(*items["WS-COUNT"]);
    EXPECT_EQ(count.sqlType, "5");
    EXPECT_EQ(count.length, 2);
    // Binary and zoned numbers are typed as the message editor reads them:
    // integers and decimals by their digits, not "unknown" bytes.
    EXPECT_EQ(sample::Properties(*items["WS-BIG"]).sqlType, "5");
    EXPECT_EQ(sample::Properties(*items["WS-BIG"]).digits, 9);
    auto zoned = sample::Properties(*items["WS-ZONED"]);
    EXPECT_EQ(zoned.sqlType, "3");
    EXPECT_EQ(zoned.digits, 7);
    EXPECT_EQ(zoned.fraction, 2);
    EXPECT_EQ(sample::Properties(*items["WS-EDIT"]).sqlType, "1");
    ASSERT_EQ(program.mapIo.size(), 1u);
    EXPECT_EQ(program.mapIo[0].structure, "M1I");

    // The model: the map port, the field's uses and the IF condition on it.
    platform::workbench::CodeModelBuilder builder(dir / "P.mdb", "COBOL#1", "P");
    sample::WriteCodeModel(program, builder);
    builder.Finish();
    platform::workbench::CodeModel model =
        platform::workbench::CodeModelFactory().CreateCodeModel(platform::workbench::EntityStore(),
                                                                (dir / "P.mdb").string(), "COBOL#1");
    auto ports = model.GetObjects("", "PORT");
    ASSERT_EQ(ports.Count(), 2);   // DFHCOMMAREA and M1
    const auto& screen = ports.Item(1);
    EXPECT_EQ(screen.GetProperty("DIRECT"), "IN");
    auto input = screen.GetRelated("Use").Current().GetRelated("Declaration").Current();
    EXPECT_EQ(input.GetName(), "M1I");
    std::vector<std::string> conditions;
    for (auto f = input.GetChildren(); !f.AtEnd(); f.MoveNext())
        for (auto i = f.Current().GetRelated("Instances"); !i.AtEnd(); i.MoveNext())
            for (auto c = i.Current().GetRelated("Conditions"); !c.AtEnd(); c.MoveNext())
                conditions.push_back(c.Current().GetName());
    EXPECT_EQ(conditions, (std::vector<std::string>{"OPTI = SPACES"}));
    auto sizes = platform::db::Database::Open(dir / "P.mdb");
    EXPECT_EQ(sizes->Scalar("SELECT size FROM Constructs WHERE Name = 'DFHCOMMAREA'").AsInt(), 800);
}
