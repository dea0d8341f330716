#include "samples/generator/SampleDescription.h"

#include <fstream>
#include <stdexcept>

namespace sample {

std::string EntityLine::Get(const std::string& key) const {
    for (auto& [k, v] : attributes)
        if (k == key) return v;
    return {};
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> out;
    std::string current;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    current += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                current += c;
            }
            continue;
        }
        if (c == '#') break;
        if (c == ' ' || c == '\t') {
            if (inWord) out.push_back(current);
            current.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '"')
            quoted = true;
        else
            current += c;
    }
    if (quoted) throw std::runtime_error("unclosed quote");
    if (inWord) out.push_back(current);
    return out;
}

SampleDescription ReadDescription(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("Cannot read the description " + file.string());
    SampleDescription d;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> w;
        try {
            w = Words(line);
        } catch (const std::exception& e) {
            throw std::runtime_error(file.string() + ":" + std::to_string(number) + ": " + e.what());
        }
        if (w.empty()) continue;
        auto fail = [&](const std::string& why) {
            throw std::runtime_error(file.string() + ":" + std::to_string(number) + ": " + why);
        };
        if (w[0] == "workspace") {
            if (w.size() != 4 || w[2] != "folder") fail("workspace <name> folder <project folder>");
            d.workspace = w[1];
            d.projectFolder = w[3];
        } else if (w[0] == "reltype") {
            if (w.size() != 4) fail("reltype <name> <role 0> <role 1>");
            d.relationTypes.push_back({w[1], w[2], w[3]});
        } else if (w[0] == "entity") {
            if (w.size() < 4) fail("entity <label> <TYPE> <name> [attribute=value ...]");
            EntityLine e;
            e.line = number;
            e.label = w[1];
            e.type = w[2];
            e.name = w[3];
            for (size_t i = 4; i < w.size(); ++i) {
                auto eq = w[i].find('=');
                if (eq == std::string::npos || eq == 0) fail("attribute '" + w[i] + "' is not name=value");
                e.attributes.emplace_back(w[i].substr(0, eq), w[i].substr(eq + 1));
            }
            d.entities.push_back(std::move(e));
        } else if (w[0] == "rel") {
            if (w.size() < 4) fail("rel <from> <relation type> <to> [<to> ...]");
            RelationLine r;
            r.line = number;
            r.from = w[1];
            r.type = w[2];
            r.to.assign(w.begin() + 3, w.end());
            d.relations.push_back(std::move(r));
        } else {
            fail("unknown statement '" + w[0] + "'");
        }
    }
    if (d.workspace.empty()) throw std::runtime_error(file.string() + ": no workspace statement");
    return d;
}

}  // namespace sample
