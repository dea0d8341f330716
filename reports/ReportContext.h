#pragma once
// What the page writers of one report run work with: the workspace's
// database and repository, the report paths, the run's report engine, its
// progress and the prompt that shows message 502 for an ill-formed page.
// The run makes one and hands it to every writer; tests and benchmarks make
// their own, so each writer also runs on its own.

#include <filesystem>

#include "platform/workbench/EntityStore.h"
#include "common/WriteBoundary.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportPaths.h"

namespace common {
class IProgress;
class IPrompt;
}  // namespace common
namespace platform::db { class Database; }

namespace mdlReports {

struct ReportContext {
    platform::db::Database& db;
    // The repository: a screen's listing is found through its "Source", a
    // diagram's centre is coloured by its type. A null store knows no entity.
    platform::workbench::EntityStore store;
    // The folder the repository's "Source" paths are relative to.
    std::filesystem::path workspaceFolder;
    const ReportPaths& paths;
    ReportBuilder& builder;
    common::IProgress& progress;
    common::IPrompt& prompt;
    // Every file of the tree is written, and every folder made or removed,
    // through the run's one boundary (OutputFolderBoundary, made once).
    common::WriteBoundary output;
};

}  // namespace mdlReports
