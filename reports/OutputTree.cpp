#include "reports/OutputTree.h"

#include <system_error>

namespace mdlReports {

namespace fs = std::filesystem;

namespace {

// Folders without write permission would keep their content; files need
// none to be deleted. Links are left alone: their targets are not ours.
void MakeFoldersWritable(const fs::path& root) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(root, ec))) return;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code inner;
        if (it->is_directory(inner) && !it->is_symlink(inner))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, inner);
    }
}

void RemoveTree(const fs::path& root) {
    std::error_code ec;
    if (fs::remove_all(root, ec) != static_cast<std::uintmax_t>(-1) && !ec) return;
    MakeFoldersWritable(root);
    fs::remove_all(root, ec);
}

}  // namespace

bool RebuildOutputTree(const ReportPaths& paths) {
    std::error_code ec;
    const fs::path output = paths.g_ReportRoot.parent_path();
    if (!fs::exists(output, ec))
        fs::create_directory(output, ec);
    else
        RemoveTree(paths.g_ReportRoot);

    fs::create_directory(paths.g_ReportRoot, ec);
    fs::copy(paths.g_TemplateImagesFolder, paths.g_ReportRoot / "images",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    fs::create_directory(paths.g_DiagramsFolder, ec);
    for (const char* folder : {"inventory", "client", "server", "special"})
        fs::create_directory(paths.g_ReportRoot / folder, ec);
    return fs::is_directory(paths.g_ReportRoot, ec);
}

}  // namespace mdlReports
