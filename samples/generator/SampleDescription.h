#pragma once
// The readable description a sample workspace is built from. One statement
// per line; '#' starts a comment; values with blanks or quotes are written
// between double quotes, a double quote inside doubled:
//
//   workspace <name> folder <project folder>
//   reltype <relation type> <side-0 role> <side-1 role>
//   entity <label> <TYPE> <name> [<attribute>=<value> ...]
//   rel <from label> <relation type> <to label> [<to label> ...]
//
// Attributes the builder reads itself: source=<path> (a program's source;
// its "Language" picks the defining relation, COBOL sources get a code
// model), bms=<path> (a map's BMS source; the map gets a field listing),
// offsets=yes (the listing gives offset positions), padto=<n> (the name is
// lengthened to n characters, as catalogue names of archived files are).

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace sample {

struct EntityLine {
    int line = 0;
    std::string label, type, name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string Get(const std::string& key) const;
};

struct RelationLine {
    int line = 0;
    std::string from, type;
    std::vector<std::string> to;
};

struct RelationTypeLine {
    std::string name, role0, role1;
};

struct SampleDescription {
    std::string workspace, projectFolder;
    std::vector<RelationTypeLine> relationTypes;
    std::vector<EntityLine> entities;
    std::vector<RelationLine> relations;
};

// Raises std::runtime_error naming the line of a statement it cannot read.
SampleDescription ReadDescription(const std::filesystem::path& file);

// Splits a line into words; "..." keeps blanks and "" stands for one quote.
std::vector<std::string> Words(const std::string& line);

}  // namespace sample
