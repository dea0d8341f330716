#include "samples/generator/CobolModel.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace sample {

namespace wb = platform::workbench;

namespace {

std::string Upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

struct CodeLine {
    int number;
    std::string code;
    bool fromMapCopybook;
};

// Columns 8-72 of the lines that are not comments.
std::vector<CodeLine> CodeLines(std::istream& in, bool fromMap) {
    std::vector<CodeLine> out;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 7) continue;
        char indicator = line[6];
        if (indicator == '*' || indicator == '/') continue;
        std::string code = line.size() > 7 ? line.substr(7, std::min<size_t>(65, line.size() - 7)) : std::string();
        out.push_back({number, code, fromMap});
    }
    return out;
}

// Replaces "COPY member." statements by the member's lines (recursively).
std::vector<CodeLine> ExpandCopies(std::vector<CodeLine> lines, const std::filesystem::path& copyFolder,
                                   const std::map<std::string, std::string>& copybooks, int depth = 0) {
    if (depth > 8) throw std::runtime_error("COPY members nest too deep");
    static const std::regex copy(R"(^\s*COPY\s+([A-Z0-9#@$-]+)\s*\.\s*$)", std::regex::icase);
    std::vector<CodeLine> out;
    for (auto& l : lines) {
        std::smatch m;
        if (!std::regex_match(l.code, m, copy)) {
            out.push_back(l);
            continue;
        }
        std::string member = Upper(m[1]);
        std::string text;
        bool fromMap = false;
        auto it = copybooks.find(member);
        if (it != copybooks.end()) {
            text = it->second;
            fromMap = true;
        } else {
            std::ifstream in(copyFolder / (member + ".cpy"));
            if (!in) throw std::runtime_error("COPY member " + member + " not found in " + copyFolder.string());
            std::ostringstream ss;
            ss << in.rdbuf();
            text = ss.str();
        }
        std::istringstream memberIn(text);
        auto memberLines = ExpandCopies(CodeLines(memberIn, fromMap), copyFolder, copybooks, depth + 1);
        for (auto& ml : memberLines) out.push_back({l.number, ml.code, ml.fromMapCopybook || fromMap});
    }
    return out;
}

struct Sentence {
    std::string text;
    bool fromMap;
};

// Data division sentences end with a period followed by a blank or the end.
std::vector<Sentence> Sentences(const std::vector<CodeLine>& lines) {
    std::vector<Sentence> out;
    std::string current;
    bool fromMap = false;
    bool quoted = false;
    char quote = 0;
    for (auto& l : lines) {
        std::string code = l.code + " ";
        if (Trim(current).empty()) fromMap = l.fromMapCopybook;
        for (size_t i = 0; i < code.size(); ++i) {
            char c = code[i];
            if (quoted) {
                current += c;
                if (c == quote) quoted = false;
                continue;
            }
            if (c == '\'' || c == '"') {
                quoted = true;
                quote = c;
            }
            if (c == '.' && (i + 1 >= code.size() || code[i + 1] == ' ')) {
                if (!Trim(current).empty()) out.push_back({Trim(current), fromMap});
                current.clear();
                continue;
            }
            current += c;
        }
    }
    return out;
}

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    char quote = 0;
    for (char c : text) {
        if (quoted) {
            current += c;
            if (c == quote) quoted = false;
            continue;
        }
        if (c == '\'' || c == '"') {
            quoted = true;
            quote = c;
            current += c;
            continue;
        }
        if (c == ' ' || c == '\t') {
            if (!current.empty()) out.push_back(current);
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

bool IsKeyword(const std::string& t) {
    static const char* words[] = {"PIC", "PICTURE", "USAGE", "VALUE", "VALUES", "REDEFINES", "OCCURS", "COMP",
                                  "COMP-1", "COMP-2", "COMP-3", "COMP-4", "COMP-5", "COMPUTATIONAL",
                                  "COMPUTATIONAL-3", "BINARY", "PACKED-DECIMAL", "DISPLAY", "SYNC",
                                  "SYNCHRONIZED", "JUST", "JUSTIFIED", "BLANK", "INDEXED", "SIGN"};
    for (auto* w : words)
        if (Upper(t) == w) return true;
    return false;
}

std::string NormaliseUsage(const std::string& t) {
    std::string u = Upper(t);
    if (u == "COMPUTATIONAL" || u == "COMP-4" || u == "COMP-5" || u == "BINARY") return "COMP";
    if (u == "COMPUTATIONAL-3" || u == "PACKED-DECIMAL") return "COMP-3";
    return u;
}

std::unique_ptr<DataItem> ParseItem(const std::string& sentence, bool fromMap) {
    auto tokens = Tokens(sentence);
    if (tokens.empty() || !std::isdigit(static_cast<unsigned char>(tokens[0][0]))) return nullptr;
    auto item = std::make_unique<DataItem>();
    item->level = std::stoi(tokens[0]);
    item->fromMapCopybook = fromMap;
    size_t i = 1;
    if (i < tokens.size() && !IsKeyword(tokens[i]))
        item->name = Upper(tokens[i++]);
    else
        item->name = "FILLER";
    for (; i < tokens.size(); ++i) {
        std::string t = Upper(tokens[i]);
        if (t == "PIC" || t == "PICTURE") {
            if (i + 1 < tokens.size() && Upper(tokens[i + 1]) == "IS") ++i;
            if (i + 1 < tokens.size()) item->picture = Upper(tokens[++i]);
        } else if (t == "USAGE") {
            if (i + 1 < tokens.size() && Upper(tokens[i + 1]) == "IS") ++i;
            if (i + 1 < tokens.size()) item->usage = NormaliseUsage(tokens[++i]);
        } else if (t.rfind("COMP", 0) == 0 || t == "BINARY" || t == "PACKED-DECIMAL" || t == "DISPLAY") {
            item->usage = NormaliseUsage(t);
        } else if (t == "REDEFINES") {
            if (i + 1 < tokens.size()) item->redefines = Upper(tokens[++i]);
        } else if (t == "OCCURS") {
            if (i + 1 < tokens.size()) item->occurs = std::stoi(tokens[++i]);
            if (i + 1 < tokens.size() && Upper(tokens[i + 1]) == "TIMES") ++i;
        } else if (t == "VALUE" || t == "VALUES") {
            ++i;
            if (i < tokens.size() && (Upper(tokens[i]) == "IS" || Upper(tokens[i]) == "ARE")) ++i;
            std::string v;
            for (; i < tokens.size(); ++i) v += (v.empty() ? "" : " ") + tokens[i];
            item->value = v;
        }
    }
    return item;
}

// Builds 01-level trees from a flat item sequence by level numbers.
std::vector<std::unique_ptr<DataItem>> BuildTrees(std::vector<std::unique_ptr<DataItem>> items) {
    std::vector<std::unique_ptr<DataItem>> roots;
    std::vector<DataItem*> stack;
    for (auto& item : items) {
        int level = item->level == 77 ? 1 : item->level;
        if (item->level == 66) continue;
        if (level == 1) {
            stack.clear();
            stack.push_back(item.get());
            roots.push_back(std::move(item));
            continue;
        }
        if (item->level == 88) {
            if (stack.empty()) throw std::runtime_error("88 level " + item->name + " without an item");
            stack.back()->children.push_back(std::move(item));
            continue;
        }
        while (!stack.empty() && (stack.back()->level == 77 ? 1 : stack.back()->level) >= level) stack.pop_back();
        if (stack.empty()) throw std::runtime_error("item " + item->name + " outside any 01 level");
        DataItem* raw = item.get();
        stack.back()->children.push_back(std::move(item));
        stack.push_back(raw);
    }
    return roots;
}

// Counts the positions of a picture: "S9(5)V99" gives 7 digits, 2 after V.
struct PictureInfo {
    int positions = 0, digits = 0, fraction = 0;
    bool numeric = true, edited = false;
};

PictureInfo Analyse(const std::string& picture) {
    PictureInfo info;
    bool afterV = false;
    for (size_t i = 0; i < picture.size(); ++i) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(picture[i])));
        int count = 1;
        if (i + 1 < picture.size() && picture[i + 1] == '(') {
            auto close = picture.find(')', i);
            count = std::stoi(picture.substr(i + 2, close - i - 2));
            i = close;
        }
        switch (c) {
            case 'S': break;
            case 'V': afterV = true; break;
            case 'P': break;
            case '9':
                info.positions += count;
                info.digits += count;
                if (afterV) info.fraction += count;
                break;
            case 'X':
            case 'A':
                info.positions += count;
                info.numeric = false;
                break;
            default:   // Z * , . + - B 0 / CR DB $: edited positions
                info.positions += count;
                info.edited = true;
                if (c == 'Z' || c == '*') info.digits += count;
                break;
        }
    }
    return info;
}

std::string EffectiveUsage(const DataItem& item, const std::string& inherited) {
    return item.usage.empty() ? inherited : item.usage;
}

long ElementaryBytes(const std::string& picture, const std::string& usage) {
    PictureInfo p = Analyse(picture);
    if (usage == "COMP-3") return p.digits / 2 + 1;
    if (usage == "COMP") return p.digits <= 4 ? 2 : p.digits <= 9 ? 4 : 8;
    if (usage == "COMP-1") return 4;
    if (usage == "COMP-2") return 8;
    return p.positions;
}

long BytesOf(const DataItem& item, const std::string& inheritedUsage) {
    std::string usage = EffectiveUsage(item, inheritedUsage);
    long bytes = 0;
    if (item.IsElementary()) {
        bytes = ElementaryBytes(item.picture, usage);
    } else {
        for (auto& child : item.children)
            if (!child->IsCondition() && child->redefines.empty()) bytes += BytesOf(*child, usage);
    }
    return bytes * item.occurs;
}

wb::DeclarationProperties PropertiesOf(const DataItem& item, const std::string& inheritedUsage) {
    wb::DeclarationProperties p;
    p.elementary = item.IsElementary();
    if (!p.elementary) return p;
    std::string usage = EffectiveUsage(item, inheritedUsage);
    PictureInfo pic = Analyse(item.picture);
    p.length = static_cast<int>(ElementaryBytes(item.picture, usage));
    p.digits = pic.digits;
    p.fraction = pic.fraction;
    // The message editor and the WSDL know characters (1), decimals (3) and
    // integers (5) by their digits: every other type would reach a message
    // as "unknown <bytes>" and the WSDL as a string of that many characters.
    if (usage == "COMP-3")
        p.sqlType = "3";
    else if (usage == "COMP")
        p.sqlType = pic.fraction > 0 ? "3" : "5";
    else if (usage == "COMP-1")
        p.sqlType = "7";
    else if (usage == "COMP-2")
        p.sqlType = "8";
    else if (!pic.numeric || pic.edited)
        p.sqlType = "1";
    else
        p.sqlType = "3";   // zoned: the number a packed field holds, a digit a byte
    if (p.sqlType == "1") p.digits = 0, p.fraction = 0;
    return p;
}

std::string WordBoundaryPattern(const std::string& name) {
    std::string escaped;
    for (char c : name) {
        if (c == '-') escaped += "\\-";
        else escaped += c;
    }
    return "(^|[^A-Z0-9-])" + escaped + "($|[^A-Z0-9-])";
}

}  // namespace

bool DataItem::IsElementary() const {
    for (auto& c : children)
        if (!c->IsCondition()) return false;
    return true;
}

long DataItem::Bytes() const { return BytesOf(*this, ""); }

wb::DeclarationProperties Properties(const DataItem& item) { return PropertiesOf(item, ""); }

CobolProgram ReadCobol(const std::filesystem::path& file, const std::filesystem::path& copyFolder,
                       const std::map<std::string, std::string>& copybooks) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("Cannot read the program source " + file.string());
    CobolProgram program;
    program.name = Upper(file.stem().string());
    auto lines = CodeLines(in, false);

    enum class Part { Other, WorkingStorage, Linkage, Procedure } part = Part::Other;
    std::vector<CodeLine> ws, ls;
    for (auto& l : lines) {
        std::string u = Upper(Trim(l.code));
        if (u.rfind("WORKING-STORAGE SECTION", 0) == 0) {
            part = Part::WorkingStorage;
            continue;
        }
        if (u.rfind("LINKAGE SECTION", 0) == 0) {
            part = Part::Linkage;
            continue;
        }
        if (u.rfind("PROCEDURE DIVISION", 0) == 0) {
            part = Part::Procedure;
            continue;
        }
        if (u.find(" SECTION.") != std::string::npos && part != Part::Procedure) {
            part = Part::Other;
            continue;
        }
        if (part == Part::WorkingStorage) ws.push_back(l);
        if (part == Part::Linkage) ls.push_back(l);
        if (part == Part::Procedure && !u.empty()) program.procedure.push_back({l.number, u});
    }
    auto items = [&](const std::vector<CodeLine>& section) {
        std::vector<std::unique_ptr<DataItem>> flat;
        for (auto& s : Sentences(ExpandCopies(section, copyFolder, copybooks)))
            if (auto item = ParseItem(s.text, s.fromMap)) flat.push_back(std::move(item));
        return BuildTrees(std::move(flat));
    };
    program.workingStorage = items(ws);
    program.linkage = items(ls);

    // EXEC CICS RECEIVE/SEND MAP statements, joined up to END-EXEC.
    static const std::regex mapRe(R"(MAP\s*\(\s*'([A-Z0-9#@$]+)'\s*\))");
    static const std::regex intoRe(R"(INTO\s*\(\s*([A-Z0-9-]+)\s*\))");
    static const std::regex fromRe(R"(FROM\s*\(\s*([A-Z0-9-]+)\s*\))");
    for (size_t i = 0; i < program.procedure.size(); ++i) {
        if (program.procedure[i].text.find("EXEC CICS") == std::string::npos) continue;
        std::string statement;
        size_t j = i;
        for (; j < program.procedure.size(); ++j) {
            statement += " " + program.procedure[j].text;
            if (program.procedure[j].text.find("END-EXEC") != std::string::npos) break;
        }
        bool receive = statement.find(" RECEIVE ") != std::string::npos;
        bool send = statement.find(" SEND ") != std::string::npos;
        std::smatch m;
        if ((receive || send) && std::regex_search(statement, m, mapRe)) {
            MapIo io;
            io.receive = receive;
            io.map = m[1];
            io.line = program.procedure[i].number;
            std::smatch s;
            if (receive && std::regex_search(statement, s, intoRe))
                io.structure = s[1];
            else if (send && std::regex_search(statement, s, fromRe))
                io.structure = s[1];
            else
                io.structure = io.map + (receive ? "I" : "O");
            program.mapIo.push_back(io);
        }
        i = j;
    }
    return program;
}

void WriteCodeModel(const CobolProgram& program, wb::CodeModelBuilder& model) {
    std::map<std::string, std::string> idOf;   // data name -> construct id (first wins)
    std::map<std::string, const DataItem*> itemOf;

    std::function<std::string(const DataItem&, const std::string&, const std::string&)> add =
        [&](const DataItem& item, const std::string& parent, const std::string& usage) {
            if (item.IsCondition()) {
                std::string id = model.AddConstruct("VALUE", item.name, parent);
                model.SetValue(id, "Level", "88");
                model.SetValue(id, "Value", item.value);
                return id;
            }
            std::string id = model.AddConstruct("DECL", item.name, parent, BytesOf(item, usage) * 8);
            model.SetDeclaration(id, PropertiesOf(item, usage));
            model.SetValue(id, "Level", (item.level < 10 ? "0" : "") + std::to_string(item.level));
            if (!item.picture.empty()) model.SetValue(id, "Picture", item.picture);
            std::string effective = EffectiveUsage(item, usage);
            model.SetValue(id, "Usage", effective.empty() ? "DISPLAY" : effective);
            if (!item.redefines.empty()) model.SetValue(id, "Redefines", item.redefines);
            if (item.occurs > 1) model.SetValue(id, "Occurs", std::to_string(item.occurs));
            if (!item.value.empty()) model.SetValue(id, "Value", item.value);
            if (item.name != "FILLER" && !idOf.count(item.name)) {
                idOf[item.name] = id;
                itemOf[item.name] = &item;
            }
            for (auto& child : item.children) add(*child, id, effective);
            return id;
        };

    std::vector<std::string> all, ws, maps, ls;
    for (auto& item : program.workingStorage) {
        std::string id = add(*item, "", "");
        all.push_back(id);
        (item->fromMapCopybook ? maps : ws).push_back(id);
    }
    for (auto& item : program.linkage) {
        std::string id = add(*item, "", "");
        all.push_back(id);
        ls.push_back(id);
    }
    auto list = [&](const char* name, const char* caption, const std::vector<std::string>& ids) {
        if (ids.empty()) return;
        int64_t listId = model.AddDataList(name, caption);
        for (auto& id : ids) model.AddListElement(listId, id);
    };
    list("VNL_0ALL", "All Declarations", all);
    list("VNL_WS", "Working-Storage Section", ws);
    list("VNL_MAPS", "Symbolic Maps", maps);
    list("VNL_LS", "Linkage Section", ls);

    // The COMMAREA a program receives is its USING port.
    if (!program.linkage.empty()) {
        std::string port = model.AddConstruct("PORT", "DFHCOMMAREA");
        model.SetValue(port, "PORTTYPE", "USING");
        model.SetValue(port, "DIRECT", "INOUT");
        for (auto& item : program.linkage) {
            std::string var = model.AddConstruct("VAR", item->name, port);
            model.Relate(var, "Declaration", idOf.at(item->name));
        }
    }

    // One screen port per map and direction; each statement is a use of it.
    std::map<std::string, std::string> ports;
    std::vector<std::string> receivedStructures;
    for (const MapIo& io : program.mapIo) {
        std::string key = io.map + (io.receive ? "/IN" : "/OUT");
        if (!ports.count(key)) {
            std::string port = model.AddConstruct("PORT", io.map);
            model.SetValue(port, "PORTTYPE", "SCREEN");
            model.SetValue(port, "DIRECT", io.receive ? "IN" : "OUT");
            ports[key] = port;
        }
        std::string use = model.AddConstruct(
            "USE", (io.receive ? "RECEIVE MAP " : "SEND MAP ") + io.map + " line " + std::to_string(io.line), ports[key]);
        model.Relate(ports[key], "Use", use);
        auto it = idOf.find(io.structure);
        if (it == idOf.end())
            throw std::runtime_error(program.name + ": " + io.structure + " of map " + io.map + " is not declared");
        model.Relate(use, "Declaration", it->second);
        if (io.receive &&
            std::find(receivedStructures.begin(), receivedStructures.end(), io.structure) == receivedStructures.end())
            receivedStructures.push_back(io.structure);
    }

    // Where the fields of received maps are used, and the IF conditions on them.
    for (const std::string& structure : receivedStructures) {
        const DataItem* root = itemOf.at(structure);
        std::vector<const DataItem*> fields;
        std::function<void(const DataItem&)> collect = [&](const DataItem& d) {
            for (auto& c : d.children) {
                if (c->IsCondition()) continue;
                if (c->IsElementary() && c->name != "FILLER")
                    fields.push_back(c.get());
                else
                    collect(*c);
            }
        };
        collect(*root);
        for (const DataItem* field : fields) {
            std::regex word(WordBoundaryPattern(field->name));
            for (const SourceLine& line : program.procedure) {
                if (!std::regex_search(line.text, word)) continue;
                std::string instance = model.AddConstruct("INSTANCE", field->name + " line " + std::to_string(line.number));
                model.Relate(idOf.at(field->name), "Instances", instance);
                auto ifPos = line.text.find("IF ");
                if (ifPos == 0 || (ifPos != std::string::npos && line.text[ifPos - 1] == ' ')) {
                    std::string condition = Trim(line.text.substr(ifPos + 3));
                    if (condition.size() > 5 && condition.substr(condition.size() - 5) == " THEN")
                        condition = Trim(condition.substr(0, condition.size() - 5));
                    std::string cond = model.AddConstruct("COND", condition);
                    model.Relate(instance, "Conditions", cond);
                }
            }
        }
    }
}

}  // namespace sample
