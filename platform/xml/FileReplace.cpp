#include "platform/xml/FileReplace.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace platform::xml {

namespace fs = std::filesystem;

namespace {

void WriteAll(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error(std::strerror(errno));
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw std::runtime_error("the file could not be completed");
}

}  // namespace

void ReplaceFileContents(const fs::path& file, const std::string& text) {
    std::error_code ec;
    fs::path target = fs::is_symlink(fs::symlink_status(file, ec)) ? fs::weakly_canonical(file, ec) : file;
    if (ec) target = file;
    const fs::file_status existing = fs::status(target, ec);
    if (fs::exists(existing) && !fs::is_regular_file(existing)) {
        WriteAll(target, text);
        return;
    }
    fs::path temporary = target;
    temporary += ".saving";
    try {
        WriteAll(temporary, text);
    } catch (...) {
        fs::remove(temporary, ec);
        throw;
    }
    if (fs::exists(existing)) fs::permissions(temporary, existing.permissions(), ec);
    fs::rename(temporary, target, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temporary, ec);
        throw std::runtime_error(reason);
    }
}

}  // namespace platform::xml
