#pragma once
// Reads a BMS map source (DFHMSD / DFHMDI / DFHMDF macros) and produces
// what the workbench derives from it: the tab-separated field listing that
// the screen page and the screen-map control read, and the symbolic map
// copybook (<map>I / <map>O) that the programs COPY.

#include <filesystem>
#include <string>
#include <vector>

namespace sample {

// Attribute bits of a field in the listing. The page reads bits 1 and 2:
// a named field with both set is shown as text, with bit 1 as a read-only box.
enum FieldBits : long {
    kProtected = 1,
    kAutoSkip = 2,   // with kProtected: ASKIP
    kNumeric = 4,
    kBright = 8,
    kDark = 16,
    kInitialCursor = 32,
    kModified = 64,
};

struct BmsField {
    std::string name;   // empty for an unnamed (literal) field
    int row = 0, column = 0;   // of the data, 1-based (POS gives the attribute byte)
    int length = 0;
    long bits = 0;
    std::string attributes;   // the ATTRB text
    std::string initial;
    std::string picIn, colour, highlight;
};

struct BmsMap {
    std::string mapset, name;
    int lines = 24, columns = 80;
    std::vector<BmsField> fields;
};

// Raises std::runtime_error naming file and line for a statement it cannot read.
std::vector<BmsMap> ReadBms(const std::filesystem::path& file);

// The listing: a header "<columns>\t<lines>\t<map>\t<mapset>", then one line
// of 23 tab-separated values per field. With offsets, positions are written
// as column -1 and the offset from the screen's first position.
std::string FieldListing(const BmsMap& map, bool offsets);

// The symbolic map copybook of a map, in COBOL.
std::string SymbolicMap(const BmsMap& map);

}  // namespace sample
