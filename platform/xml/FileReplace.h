#pragma once
// Writing a whole file so that a failure never destroys the earlier one.

#include <filesystem>
#include <string>

namespace platform::xml {

// Replaces the content of file with text. A regular file is written to a
// new file of a unique name beside it, created exclusively (a link planted
// under any name is never followed), and renamed over it (keeping its
// permissions); a link is written through to the file it names; a device or
// pipe is written in place.
// Raises std::runtime_error with the reason (not the path) on failure.
void ReplaceFileContents(const std::filesystem::path& file, const std::string& text);

}  // namespace platform::xml
