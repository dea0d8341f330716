#include "platform/xml/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
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

// A file beside target that did not exist before and that this call alone
// created: exclusive creation never follows a link planted under the name,
// and the name cannot be guessed ahead. Returns the open descriptor.
int CreateTemporary(const fs::path& target, fs::path& temporary) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Short, so that a name near the file system's limit still gets one.
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", random() ^ (static_cast<unsigned>(::getpid()) << 8) ^ ++counter);
        temporary = target;
        temporary += std::string(".saving-") + suffix;
        // 0666 less the umask, as an ordinary new file gets.
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) throw std::runtime_error(std::strerror(errno));
    }
    throw std::runtime_error("no unused temporary name was found");
}

void WriteDescriptor(int fd, const std::string& text) {
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::strerror(errno));
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
    // The rename must not publish a file whose blocks never reached the disk.
    if (::fsync(fd) != 0) throw std::runtime_error(std::strerror(errno));
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
    fs::path temporary;
    const int fd = CreateTemporary(target, temporary);
    try {
        WriteDescriptor(fd, text);
        if (fs::exists(existing) && ::fchmod(fd, static_cast<mode_t>(existing.permissions())) != 0)
            throw std::runtime_error(std::strerror(errno));
    } catch (...) {
        ::close(fd);
        fs::remove(temporary, ec);
        throw;
    }
    if (::close(fd) != 0) {
        const std::string reason = std::strerror(errno);
        fs::remove(temporary, ec);
        throw std::runtime_error(reason);
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temporary, ec);
        throw std::runtime_error(reason);
    }
}

}  // namespace platform::xml
