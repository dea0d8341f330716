#include "samples/generator/BmsMap.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sample {

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// Operands split at top-level commas: parentheses and quoted strings
// (with '' for a quote) keep their commas.
std::vector<std::pair<std::string, std::string>> Operands(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    std::string current;
    int depth = 0;
    bool quoted = false;
    auto flush = [&] {
        std::string op = Trim(current);
        current.clear();
        if (op.empty()) return;
        auto eq = op.find('=');
        if (eq == std::string::npos)
            out.emplace_back(op, "");
        else
            out.emplace_back(op.substr(0, eq), op.substr(eq + 1));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            current += c;
            if (c == '\'') {
                if (i + 1 < text.size() && text[i + 1] == '\'') {
                    current += text[++i];
                } else {
                    quoted = false;
                }
            }
            continue;
        }
        if (c == '\'') quoted = true;
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ',' && depth == 0) {
            flush();
            continue;
        }
        if (c == ' ' && depth == 0) break;   // operands end at the first blank
        current += c;
    }
    flush();
    return out;
}

std::string Unquote(const std::string& v) {
    if (v.size() < 2 || v.front() != '\'' || v.back() != '\'') return v;
    std::string out;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
        out += v[i];
        if (v[i] == '\'' && v[i + 1] == '\'') ++i;
    }
    return out;
}

std::vector<std::string> List(const std::string& v) {
    std::string inner = v;
    if (!inner.empty() && inner.front() == '(') inner = inner.substr(1, inner.size() - 2);
    std::vector<std::string> out;
    std::stringstream ss(inner);
    std::string item;
    while (std::getline(ss, item, ',')) out.push_back(Trim(item));
    return out;
}

long Bits(const std::vector<std::string>& attributes) {
    long bits = kProtected | kAutoSkip;   // BMS default: ASKIP
    bool explicitProtection = false;
    long extra = 0;
    for (auto& a : attributes) {
        if (a == "ASKIP") {
            explicitProtection = true;
        } else if (a == "PROT") {
            bits = kProtected;
            explicitProtection = true;
        } else if (a == "UNPROT") {
            bits = 0;
            explicitProtection = true;
        } else if (a == "NUM") {
            extra |= kNumeric;
        } else if (a == "BRT") {
            extra |= kBright;
        } else if (a == "DRK") {
            extra |= kDark;
        } else if (a == "IC") {
            extra |= kInitialCursor;
        } else if (a == "FSET") {
            extra |= kModified;
        }
    }
    if (!explicitProtection) bits = kProtected | kAutoSkip;
    return bits | extra;
}

}  // namespace

std::vector<BmsMap> ReadBms(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("Cannot read the map source " + file.string());
    std::vector<BmsMap> maps;
    std::string mapset;
    std::string line;
    int lineNo = 0;
    std::string pending;
    int statementLine = 0;
    std::vector<std::pair<int, std::string>> statements;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (pending.empty()) {
            if (line.empty() || line[0] == '*') continue;
            statementLine = lineNo;
        }
        // Column 72 marks a continuation; the next line goes on at column 16.
        bool continued = line.size() >= 72 && line[71] != ' ';
        std::string body = line.substr(0, std::min<size_t>(line.size(), 71));
        if (!pending.empty()) body = Trim(body.size() > 15 ? body.substr(15) : std::string());
        // The blanks before the continuation mark are not part of the operands.
        if (continued) body = body.substr(0, body.find_last_not_of(' ') + 1);
        pending += body;
        if (!continued) {
            statements.emplace_back(statementLine, pending);
            pending.clear();
        }
    }
    for (auto& [where, text] : statements) {
        std::string label = Trim(text.substr(0, std::min<size_t>(8, text.size())));
        std::string rest = Trim(text.size() > 8 ? text.substr(8) : std::string());
        auto blank = rest.find(' ');
        std::string op = rest.substr(0, blank);
        std::string operands = blank == std::string::npos ? std::string() : Trim(rest.substr(blank));
        auto fail = [&, where = where](const std::string& why) {
            throw std::runtime_error(file.string() + ":" + std::to_string(where) + ": " + why);
        };
        if (op == "DFHMSD") {
            auto ops = Operands(operands);
            if (!ops.empty() && ops[0].first == "TYPE" && ops[0].second == "FINAL") continue;
            mapset = label;
        } else if (op == "DFHMDI") {
            BmsMap map;
            map.mapset = mapset;
            map.name = label;
            for (auto& [k, v] : Operands(operands)) {
                if (k == "SIZE") {
                    auto size = List(v);
                    if (size.size() != 2) fail("SIZE needs (lines,columns)");
                    map.lines = std::stoi(size[0]);
                    map.columns = std::stoi(size[1]);
                }
            }
            maps.push_back(map);
        } else if (op == "DFHMDF") {
            if (maps.empty()) fail("DFHMDF before any DFHMDI");
            BmsField field;
            field.name = label;
            std::vector<std::string> attributes;
            for (auto& [k, v] : Operands(operands)) {
                if (k == "POS") {
                    auto pos = List(v);
                    if (pos.size() != 2) fail("POS needs (line,column)");
                    field.row = std::stoi(pos[0]);
                    field.column = std::stoi(pos[1]) + 1;
                } else if (k == "LENGTH") {
                    field.length = std::stoi(v);
                } else if (k == "ATTRB") {
                    attributes = List(v);
                    field.attributes = v;
                } else if (k == "INITIAL") {
                    field.initial = Unquote(v);
                } else if (k == "PICIN") {
                    field.picIn = Unquote(v);
                } else if (k == "COLOR") {
                    field.colour = v;
                } else if (k == "HILIGHT") {
                    field.highlight = v;
                }
            }
            if (field.row == 0 || field.length == 0) fail("a field needs POS and LENGTH");
            field.bits = Bits(attributes);
            maps.back().fields.push_back(field);
        } else if (op == "PRINT" || op == "END" || op == "TITLE") {
            continue;
        } else {
            fail("unknown statement '" + op + "'");
        }
    }
    return maps;
}

std::string FieldListing(const BmsMap& map, bool offsets) {
    std::ostringstream out;
    out << map.columns << '\t' << map.lines << '\t' << map.name << '\t' << map.mapset << "\r\n";
    int seq = 0;
    for (const BmsField& f : map.fields) {
        ++seq;
        int columnValue = f.column, rowValue = f.row;
        if (offsets) {
            columnValue = -1;
            rowValue = (f.row - 1) * map.columns + (f.column - 1);
        }
        const std::string name = f.name.empty() ? "_NONAME" : f.name;
        // 1 name, 2 sequence, 3 attribute bits, 4 colour code, 5 highlight code,
        // 6 ATTRB text, 7 justification, 8 initial text, 9-11 occurs/group/grpname
        // counts, 12 length, 13 PICIN, 14 field offset in the TIOA, 15 reserved,
        // 16 colour, 17 highlight, 18 validation, 19-20 reserved, 21 outlining,
        // 22 column, 23 row.
        out << name << '\t' << seq << '\t' << f.bits << '\t' << 0 << '\t' << 0 << '\t' << f.attributes << '\t' << 0
            << '\t' << f.initial << '\t' << 1 << '\t' << 0 << '\t' << 0 << '\t' << f.length << '\t' << f.picIn << '\t'
            << (seq * 3 + 12) << '\t' << 0 << '\t' << f.colour << '\t' << f.highlight << '\t' << 0 << '\t' << 0 << '\t'
            << 0 << '\t' << 0 << '\t' << columnValue << '\t' << rowValue << "\r\n";
    }
    return out.str();
}

std::string SymbolicMap(const BmsMap& map) {
    auto line = [](const std::string& text) { return "       " + text + "\n"; };
    std::string out;
    out += "      * Symbolic map " + map.name + " of mapset " + map.mapset + "\n";
    out += line("01  " + map.name + "I.");
    out += line("    02  FILLER PIC X(12).");
    for (const BmsField& f : map.fields) {
        if (f.name.empty()) continue;
        out += line("    02  " + f.name + "L PIC S9(4) COMP.");
        out += line("    02  " + f.name + "F PIC X.");
        out += line("    02  FILLER REDEFINES " + f.name + "F.");
        out += line("        03  " + f.name + "A PIC X.");
        std::string pic = f.picIn.empty() ? "X(" + std::to_string(f.length) + ")" : f.picIn;
        out += line("    02  " + f.name + "I PIC " + pic + ".");
    }
    out += line("01  " + map.name + "O REDEFINES " + map.name + "I.");
    out += line("    02  FILLER PIC X(12).");
    for (const BmsField& f : map.fields) {
        if (f.name.empty()) continue;
        out += line("    02  FILLER PIC X(3).");
        out += line("    02  " + f.name + "O PIC X(" + std::to_string(f.length) + ").");
    }
    return out;
}

}  // namespace sample
