// qa_generate_repository <folder> [N] [--models=K] [--no-files] [--seed=S]
//
// Writes a synthetic workspace <folder>/Synthetic.hxp with N programs
// (default 20,000) and prints what it wrote and how long it took.

#include <cstdlib>
#include <iostream>
#include <string>

#include "bench/generator/SyntheticRepository.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: qa_generate_repository <folder> [N] [--models=K] [--no-files] [--seed=S]\n";
        return 2;
    }
    bench::generator::Options options;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        try {
            if (arg.rfind("--models=", 0) == 0)
                options.modelEvery = std::stoi(arg.substr(9));
            else if (arg == "--no-files")
                options.writeFiles = false;
            else if (arg.rfind("--seed=", 0) == 0)
                options.seed = static_cast<unsigned>(std::stoul(arg.substr(7)));
            else
                options.programs = std::stoi(arg);
        } catch (const std::exception&) {
            std::cerr << "qa_generate_repository: cannot read the argument '" << arg << "'\n";
            return 2;
        }
    }
    try {
        auto s = bench::generator::GenerateRepository(argv[1], options);
        std::cout << s.workspaceFile.string() << "\n"
                  << "programs  " << s.programs << "\n"
                  << "screens   " << s.screens << "\n"
                  << "stores    " << s.stores << "\n"
                  << "models    " << s.models << "\n"
                  << "entities  " << s.entities << "\n"
                  << "relations " << s.relations << "\n"
                  << "seconds   " << s.seconds << "\n";
    } catch (const std::exception& e) {
        std::cerr << "qa_generate_repository: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
