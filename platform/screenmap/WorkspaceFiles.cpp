#include "platform/screenmap/WorkspaceFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#include "common/AsciiCase.h"
#include "common/InsideFolder.h"
#include "common/Utf8.h"
#include "platform/screenmap/FieldListing.h"

namespace platform::screenmap {

namespace fs = std::filesystem;

namespace {

std::string WithSlashes(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

// The entry of folder named like name but for ASCII letter case.
std::optional<fs::path> EntryLike(const fs::path& folder, const fs::path& name) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    const std::string wanted = name.string();
    std::vector<fs::path> matches;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const fs::path entry = it->path().filename();
        if (common::AsciiEqualNoCase(entry.string(), wanted)) matches.push_back(entry);
    }
    if (matches.empty()) return std::nullopt;
    return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::optional<fs::path> WorkspaceFile(const fs::path& workspaceFolder, std::string_view source) {
    const fs::path relative = fs::path(WithSlashes(source)).lexically_normal();
    if (relative.empty() || relative.has_root_path() || relative == ".") return std::nullopt;
    if (*relative.begin() == "..") return std::nullopt;
    fs::path found = ResolveLetterCase(workspaceFolder / relative);
    if (!common::InsideFolder(workspaceFolder, found)) return std::nullopt;
    return found;
}

fs::path ResolveLetterCase(const fs::path& path) {
    if (Exists(path)) return path;
    fs::path found = path.root_path();
    bool resolving = true;
    for (const fs::path& part : path.relative_path()) {
        if (resolving && !Exists(found / part)) {
            if (auto like = EntryLike(found.empty() ? fs::path(".") : found, part))
                found /= *like;
            else {
                found /= part;
                resolving = false;
            }
            continue;
        }
        found /= part;
    }
    return found;
}

std::string TextFromBytes(std::string_view bytes) {
    if (common::IsValidUtf8(bytes)) {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string ReadTextFile(const fs::path& file) {
    std::error_code ec;
    const fs::file_status st = fs::status(file, ec);
    if (ec || !fs::exists(st)) throw FileError("The file " + file.string() + " does not exist.");
    if (!fs::is_regular_file(st)) throw FileError(file.string() + " is not a file.");
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && size > kMaxTextFileBytes)
        throw FileError("The file " + file.string() + " is too large to show (" + std::to_string(size) + " bytes).");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw FileError("The file " + file.string() + " cannot be read: " + std::strerror(errno) + ".");
    std::string bytes;
    if (!ec) bytes.reserve(static_cast<size_t>(size));
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<size_t>(in.gcount()));
        // A file that grows while it is read is cut at the limit.
        if (bytes.size() > kMaxTextFileBytes) throw FileError("The file " + file.string() + " is too large to show.");
    }
    if (in.bad()) throw FileError("The file " + file.string() + " cannot be read.");
    return TextFromBytes(bytes);
}

}  // namespace platform::screenmap

namespace FileNameUtility {

bool CheckListingFile(std::string& path, int32_t& /*flags*/) {
    namespace fs = std::filesystem;
    namespace sm = platform::screenmap;
    std::string slashed = path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const fs::path found = sm::ResolveLetterCase(fs::path(slashed));
    std::error_code ec;
    if (!fs::is_regular_file(found, ec)) return false;
    std::ifstream in(found, std::ios::binary);
    if (!in) return false;
    // The header is all the check needs; a header line is short.
    std::string first;
    char c;
    while (first.size() < 4096 && in.get(c) && c != '\r' && c != '\n') first.push_back(c);
    if (!sm::ParseFieldListing(sm::TextFromBytes(first)).hasHeader) return false;
    path = found.string();
    return true;
}

}  // namespace FileNameUtility
