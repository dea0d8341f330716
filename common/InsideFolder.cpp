#include "common/InsideFolder.h"

#include <algorithm>
#include <iterator>
#include <system_error>

namespace common {

namespace fs = std::filesystem;

bool InsideFolder(const fs::path& folder, const fs::path& file) {
    std::error_code ec;
    const fs::path root = fs::weakly_canonical(folder, ec);
    if (ec || root.empty()) return false;
    return InsideResolvedFolder(root, file);
}

bool InsideResolvedFolder(const fs::path& root, const fs::path& file) {
    if (root.empty()) return false;
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(file, ec);
    if (ec) return false;
    auto [r, t] = std::mismatch(root.begin(), root.end(), target.begin(), target.end());
    // A trailing separator of the folder reads as an empty last name.
    if (r != root.end() && r->empty() && std::next(r) == root.end()) r = root.end();
    return r == root.end() && t != target.end() && !t->empty();
}

}  // namespace common
