// qa_make_sample <description> <source folder> <output folder>
//
// Builds a sample workspace from its readable description: copies the
// legacy sources into <output>/<name>/, derives field listings and symbolic
// maps from the BMS sources, writes the repository and one code model per
// COBOL program, and writes <output>/<name>.hxp.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <stdexcept>

#include "platform/workbench/CodeModelBuilder.h"
#include "platform/workbench/RepositoryBuilder.h"
#include "samples/generator/BmsMap.h"
#include "samples/generator/CobolModel.h"
#include "samples/generator/SampleDescription.h"

namespace fs = std::filesystem;
namespace wb = platform::workbench;

namespace {

void WriteText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("Cannot write " + file.string());
}

// Archived catalogue names grow by generation qualifiers.
std::string PadName(std::string name, size_t length) {
    for (int generation = 1; name.size() < length; ++generation) {
        char qualifier[16];
        std::snprintf(qualifier, sizeof qualifier, ".G%04dV00", generation);
        name += qualifier;
    }
    return name.substr(0, length);
}

struct Language {
    const char* sourceType;
    const char* relation;
};

Language LanguageOf(const std::string& language) {
    if (language == "COBOL") return {"COBOL", "IsDefinedInCobol"};
    if (language == "NATURAL") return {"NATURAL", "IsDefinedInNatural"};
    if (language == "PLI") return {"PLI", "IsDefinedInPLI"};
    if (language == "RPG") return {"RPG", "IsDefinedIn"};
    throw std::runtime_error("unknown language '" + language + "'");
}

int Run(const fs::path& descriptionFile, const fs::path& sourceFolder, const fs::path& outputFolder) {
    sample::SampleDescription d = sample::ReadDescription(descriptionFile);
    fs::path workspaceFolder = outputFolder / d.workspace;
    fs::path hxp = outputFolder / (d.workspace + ".hxp");
    fs::remove_all(workspaceFolder);
    fs::create_directories(workspaceFolder);
    fs::copy(sourceFolder, workspaceFolder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);

    // Maps first: their symbolic maps are COPY members of the programs.
    std::map<std::string, sample::BmsMap> maps;
    std::map<std::string, std::string> copybooks;
    std::set<std::string> mapsets;
    for (auto& e : d.entities) {
        std::string bms = e.Get("bms");
        if (e.type != "MAP" || bms.empty() || mapsets.count(bms)) continue;
        mapsets.insert(bms);
        std::string mapset, text;
        for (auto& map : sample::ReadBms(sourceFolder / bms)) {
            mapset = map.mapset;
            text += sample::SymbolicMap(map);
            maps[map.name] = map;
        }
        copybooks[mapset] = text;
        WriteText(workspaceFolder / "copy" / (mapset + ".cpy"), text);
    }

    auto builder = wb::RepositoryBuilder::CreateWorkspace(hxp, d.projectFolder);
    for (auto& t : d.relationTypes) builder->DefineRelationType(t.name, t.role0, t.role1);
    for (const char* lang : {"COBOL", "NATURAL", "PLI"}) {
        Language l = LanguageOf(lang);
        builder->DefineRelationType(l.relation, l.relation, "Defines");
    }

    std::map<std::string, int64_t> numbers;
    for (auto& e : d.entities) {
        auto fail = [&](const std::string& why) {
            throw std::runtime_error(descriptionFile.string() + ":" + std::to_string(e.line) + ": " + why);
        };
        if (numbers.count(e.label)) fail("label " + e.label + " is used twice");
        std::string name = e.name;
        if (!e.Get("padto").empty()) name = PadName(name, std::stoul(e.Get("padto")));
        wb::AttributeList attributes;
        for (auto& [k, v] : e.attributes)
            if (k != "source" && k != "bms" && k != "offsets" && k != "padto") attributes.emplace_back(k, v);
        if (e.type == "MAP" && !e.Get("bms").empty()) {
            auto it = maps.find(name);
            if (it == maps.end()) fail("map " + name + " is not in " + e.Get("bms"));
            std::string listing = "maps/" + name + ".lst";
            WriteText(workspaceFolder / listing, sample::FieldListing(it->second, e.Get("offsets") == "yes"));
            attributes.emplace_back("Source", listing);
        }
        int64_t number = builder->AddEntity(e.type, name, attributes);
        numbers[e.label] = number;

        std::string source = e.Get("source");
        if (e.type == "PROGRAM" && !source.empty()) {
            if (!fs::exists(sourceFolder / source)) fail("no source file " + source);
            Language lang = LanguageOf(e.Get("Language"));
            wb::AttributeList sourceAttributes{{"Source", source}};
            std::string program = name;
            if (std::string(lang.sourceType) == "COBOL")
                sourceAttributes.emplace_back("Vornic", "Models/" + program + ".ctb");
            int64_t sourceEntity = builder->AddEntity(lang.sourceType, fs::path(source).filename().string(),
                                                      sourceAttributes);
            builder->SetAttribute(number, "Sid", builder->Key(sourceEntity));
            builder->Relate(lang.relation, number, sourceEntity);
            if (std::string(lang.sourceType) == "COBOL") {
                sample::CobolProgram cobol =
                    sample::ReadCobol(sourceFolder / source, sourceFolder / "copy", copybooks);
                wb::CodeModelBuilder model(workspaceFolder / "Models" / (program + ".mdb"),
                                           builder->Key(sourceEntity), program);
                sample::WriteCodeModel(cobol, model);
                model.Finish();
            }
        }
    }
    for (auto& r : d.relations) {
        auto find = [&](const std::string& label) {
            auto it = numbers.find(label);
            if (it == numbers.end())
                throw std::runtime_error(descriptionFile.string() + ":" + std::to_string(r.line) + ": no entity " + label);
            return it->second;
        };
        for (auto& to : r.to) builder->Relate(r.type, find(r.from), find(to));
    }
    std::cout << d.workspace << ": " << builder->EntityCount() << " entities, " << builder->RelationCount()
              << " relations\n";
    builder->Finish();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: qa_make_sample <description> <source folder> <output folder>\n";
        return 2;
    }
    try {
        return Run(argv[1], argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::cerr << "qa_make_sample: " << e.what() << "\n";
        return 1;
    }
}
