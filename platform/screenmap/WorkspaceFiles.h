#pragma once
// The files of the workspace folder that repository attributes name
// ("Source" of a screen map or of a program's defining entity): found from
// a relative path written with either separator and in any letter case, and
// read as text whatever their encoding.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform::screenmap {

// A file that is missing, not a file, too large or unreadable; the message
// names the file and says which.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest file read as text; a legacy source or listing is far smaller,
// and anything larger would only stall the window that shows it.
constexpr std::uintmax_t kMaxTextFileBytes = 64u * 1024u * 1024u;

// The path a "Source" value names inside the workspace folder. Backslashes
// count as separators (the repository may hold Windows paths) and each name
// that does not exist as written is looked up again without regard to ASCII
// letter case. Nothing for an empty value, an absolute path, one whose
// ".." parts climb out of the folder, or one that leads out of it through a
// symbolic link (common::InsideFolder): such a value names no file of the
// workspace. The file itself need not exist.
std::optional<std::filesystem::path> WorkspaceFile(const std::filesystem::path& workspaceFolder,
                                                   std::string_view source);

// The path with every name that does not exist as written replaced by the
// entry of its folder that differs from it only in ASCII letter case (the
// first in name order when there are several). From the first name that
// has no such entry on, the path stays as written.
std::filesystem::path ResolveLetterCase(const std::filesystem::path& path);

// The bytes as UTF-8 text: unchanged when they are valid UTF-8 (less a
// leading byte-order mark), otherwise read as Latin-1.
std::string TextFromBytes(std::string_view bytes);

// The whole file as text (TextFromBytes). FileError when the file is
// missing, is not a regular file, is larger than kMaxTextFileBytes or cannot
// be read.
std::string ReadTextFile(const std::filesystem::path& file);

}  // namespace platform::screenmap

namespace FileNameUtility {

// Whether path names a field listing: a regular file whose first line is a
// listing header (screen width and the second value as 16-bit whole
// numbers). Backslashes count as separators and names in another letter case
// are found (ResolveLetterCase); when the answer is true, path holds the
// file found. The number is accepted for its callers and not read.
bool CheckListingFile(std::string& path, int32_t& flags);

}  // namespace FileNameUtility
