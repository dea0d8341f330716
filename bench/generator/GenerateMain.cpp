// qa_generate_repository <folder> [N] [--models=K] [--no-files] [--seed=S]
//
// Writes a synthetic workspace <folder>/Synthetic.hxp with N programs
// (default 20,000) and prints what it wrote and how long it took.

#include <charconv>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "bench/generator/SyntheticRepository.h"

namespace {

constexpr const char* kUsage =
    "usage: qa_generate_repository <folder> [N] [--models=K] [--no-files] [--seed=S]\n"
    "  Writes <folder>/Synthetic.hxp and <folder>/Synthetic/ with N programs (default 20000).\n"
    "  --models=K   every K-th COBOL program gets a code model (0: none)\n"
    "  --no-files   no source files or screen field listings\n"
    "  --seed=S     the seed of the repository's shapes\n";

// The whole text as a number, or nothing ("12x", "", "-3" for unsigned).
template <class T>
std::optional<T> Number(const std::string& text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

int Usage(const std::string& problem) {
    std::cerr << "qa_generate_repository: " << problem << "\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bench::generator::Options options;
    std::optional<std::string> folder;
    bool programsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg.rfind("--models=", 0) == 0) {
            const auto k = Number<int>(arg.substr(9));
            if (!k || *k < 0) return Usage("cannot read the argument '" + arg + "'");
            options.modelEvery = *k;
        } else if (arg == "--no-files") {
            options.writeFiles = false;
        } else if (arg.rfind("--seed=", 0) == 0) {
            const auto seed = Number<unsigned>(arg.substr(7));
            if (!seed) return Usage("cannot read the argument '" + arg + "'");
            options.seed = *seed;
        } else if (arg.rfind("-", 0) == 0) {
            // An option this tool does not know is never taken for the folder.
            return Usage("unknown option '" + arg + "'");
        } else if (!folder) {
            folder = arg;
        } else if (!programsGiven) {
            const auto n = Number<int>(arg);
            if (!n || *n < 1) return Usage("cannot read the number of programs '" + arg + "'");
            options.programs = *n;
            programsGiven = true;
        } else {
            return Usage("one argument too many: '" + arg + "'");
        }
    }
    if (!folder) return Usage("no folder given");
    try {
        auto s = bench::generator::GenerateRepository(*folder, options);
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
