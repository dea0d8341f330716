#include "reports/OutputTree.h"

#include <system_error>

#include "common/Progress.h"
#include "reports/AsideRemoval.h"

namespace mdlReports {

namespace fs = std::filesystem;

bool PrepareOutputTree(const ReportPaths& paths) {
    std::error_code ec;
    const fs::path output = paths.g_ReportRoot.parent_path();
    if (!fs::exists(output, ec))
        fs::create_directory(output, ec);
    else
        SetAside(paths, paths.g_ReportRoot);

    // Only a root made here is written into: one that could not be set
    // aside may hold links planted among its folders and pages.
    if (!fs::create_directory(paths.g_ReportRoot, ec)) return false;
    fs::copy(paths.g_TemplateImagesFolder, paths.g_ReportRoot / "images",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    fs::create_directory(paths.g_DiagramsFolder, ec);
    for (const char* folder : {"inventory", "client", "server", "special"})
        fs::create_directory(paths.g_ReportRoot / folder, ec);
    return fs::is_directory(paths.g_ReportRoot, ec);
}

bool RebuildOutputTree(const ReportPaths& paths) {
    const bool made = PrepareOutputTree(paths);
    RemoveSetAside(paths);
    common::NullProgress waiting;
    WaitForRemovals(waiting);
    return made;
}

}  // namespace mdlReports
