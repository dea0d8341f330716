#pragma once
// A generated repository opened as the benchmarks use it: its workbench
// session, and a fresh workspace database copied from the build's template.
// Header only: the generator library itself links no database.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "bench/generator/SyntheticRepository.h"
#include "common/Progress.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/db/Database.h"
#include "platform/workbench/WorkbenchSession.h"
#include "workspace/RepositoryImport.h"

namespace bench::generator {

struct GeneratedWorkspace {
    std::unique_ptr<platform::workbench::WorkbenchSession> session;
    std::unique_ptr<platform::db::Database> db;
    Summary generated;          // what GenerateAndImportWorkspace generated
    double importSeconds = 0;   // and how long its import took
};

// Opens the repository of generated (made below work) and copies the
// template database templateDb to work; an empty result after saying why.
inline GeneratedWorkspace OpenGeneratedWorkspace(const Summary& generated, const std::filesystem::path& work,
                                                 const std::filesystem::path& templateDb) {
    GeneratedWorkspace out;
    out.session = std::make_unique<platform::workbench::WorkbenchSession>();
    out.session->SetBinFolder(work / "install" / "Bin");
    auto [file, key] = FileNameUtility::GetRepositoryValues(generated.workspaceFile.string());
    if (!out.session->OpenRepository(file, key)) {
        std::fprintf(stderr, "cannot open the generated repository: %s\n", out.session->LastError().c_str());
        return {};
    }
    const std::filesystem::path dbFile = work / "QuarvelAnalyzer.mdb";
    std::filesystem::copy_file(templateDb, dbFile, std::filesystem::copy_options::overwrite_existing);
    out.db = platform::db::Database::Open(dbFile);
    return out;
}

#ifdef QA_APP_DIR
// A repository of the options generated below work (without its files),
// opened over a copy of the build's template database and imported into it
// as the workspace load does; an empty result after saying why.
inline GeneratedWorkspace GenerateAndImportWorkspace(Options options, const std::filesystem::path& work) {
    options.writeFiles = false;
    const Summary generated = GenerateRepository(work / "gen", options);
    GeneratedWorkspace out =
        OpenGeneratedWorkspace(generated, work, std::filesystem::path(QA_APP_DIR) / "QuarvelAnalyzer.mdb");
    if (!out.db) return out;
    out.generated = generated;
    common::NullProgress progress;
    const auto start = std::chrono::steady_clock::now();
    const auto imported = workspace::ImportRepositoryEntities(*out.db, *out.session, progress);
    out.importSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!imported.done) {
        std::fprintf(stderr, "import incomplete: %s\n", imported.error.c_str());
        return {};
    }
    return out;
}
#endif

}  // namespace bench::generator
