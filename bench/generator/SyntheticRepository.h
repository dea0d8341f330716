#pragma once
// Synthetic workspaces for benchmarks: N programs grouped in applications
// of 50 (a menu, screen programs, subprograms, routers, batch jobs) with
// about ten relationships per program in the shapes of the OrderEntry
// sample (entries, screen messages, transactions, decisions, data ports
// behind connectors, direct stores, ownerless entries), plus screens with
// field listings and data stores of the seven store types. The same
// options give the same repository.

#include <cstdint>
#include <filesystem>
#include <string>

namespace bench::generator {

struct Options {
    int programs = 20000;
    unsigned seed = 20000;
    std::string name = "Synthetic";
    // Write the programs' source files and the screens' field listings.
    bool writeFiles = true;
    // Every n-th COBOL program gets a code model (COMMAREA and screen
    // input); 0 for none.
    int modelEvery = 0;
    // Screens per application of 50 programs (at least 2; the last is a
    // stub). With fewer than 16 the 15 screen programs share screens, the
    // first and the (screensPerApp + 1)-th the same one.
    int screensPerApp = 16;
};

struct Summary {
    std::filesystem::path workspaceFile;
    int64_t entities = 0, relations = 0;
    int programs = 0, screens = 0, stores = 0, models = 0;
    double seconds = 0;
};

// Writes <folder>/<name>.hxp and <folder>/<name>/; an earlier workspace of
// that name is replaced. Raises on failure.
Summary GenerateRepository(const std::filesystem::path& folder, const Options& options);

}  // namespace bench::generator
