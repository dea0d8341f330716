#pragma once
// Reads the DATA and PROCEDURE divisions of a CICS COBOL program (COPY
// members expanded) and writes the program's code model: a declaration
// tree per 01 level with sizes and SQL types, the COMMAREA port, one screen
// port per map received or sent, and for the fields of received maps the
// places they are used and the IF conditions that test them.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/workbench/CodeModelBuilder.h"

namespace sample {

struct DataItem {
    int level = 0;
    std::string name;   // "FILLER" when none is written
    std::string picture, usage, redefines;
    std::string value;   // VALUE clause text (for 88 levels: the values)
    int occurs = 1;
    bool fromMapCopybook = false;
    std::vector<std::unique_ptr<DataItem>> children;

    bool IsCondition() const { return level == 88; }
    bool IsElementary() const;
    long Bytes() const;   // storage size, OCCURS included
};

struct MapIo {
    bool receive = true;
    std::string map, structure;
    int line = 0;
};

struct SourceLine {
    int number;
    std::string text;   // columns 8-72, trimmed
};

struct CobolProgram {
    std::string name;
    std::vector<std::unique_ptr<DataItem>> workingStorage, linkage;
    std::vector<SourceLine> procedure;
    std::vector<MapIo> mapIo;
};

// copybooks: member name (upper case) -> text, searched before the folder.
CobolProgram ReadCobol(const std::filesystem::path& file, const std::filesystem::path& copyFolder,
                       const std::map<std::string, std::string>& copybooks);

// SQL type, byte length, digits and fraction of an elementary item.
platform::workbench::DeclarationProperties Properties(const DataItem& item);

void WriteCodeModel(const CobolProgram& program, platform::workbench::CodeModelBuilder& model);

}  // namespace sample
