#include "common/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <stdexcept>
#include <vector>

namespace common {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void RaiseErrno() { throw std::runtime_error(std::strerror(errno)); }

// A file beside target that did not exist before and that this call alone
// created: exclusive creation never follows a link planted under the name,
// and the name cannot be guessed ahead. Returns the open descriptor.
int CreateTemporary(const fs::path& target, fs::path& temporary) {
    static std::atomic<unsigned> counter{0};
    thread_local std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Short, so that a name near the file system's limit still gets one.
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", random() ^ (static_cast<unsigned>(::getpid()) << 8) ^ ++counter);
        temporary = target;
        temporary += std::string(".saving-") + suffix;
        // 0666 less the umask, as an ordinary new file gets.
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) RaiseErrno();
    }
    throw std::runtime_error("no unused temporary name was found");
}

// The folders of the DeferredSync objects alive.
std::mutex g_deferredMutex;
std::vector<fs::path> g_deferred;

bool SyncDeferred(const fs::path& file) {
    std::lock_guard lock(g_deferredMutex);
    for (const fs::path& folder : g_deferred) {
        const auto [inFolder, inFile] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
        if (inFolder == folder.end() && inFile != file.end()) return true;
    }
    return false;
}

}  // namespace

DeferredSync::DeferredSync(fs::path folder) : m_folder(std::move(folder)) {
    std::lock_guard lock(g_deferredMutex);
    g_deferred.push_back(m_folder);
}

DeferredSync::~DeferredSync() {
    std::lock_guard lock(g_deferredMutex);
    g_deferred.erase(std::find(g_deferred.begin(), g_deferred.end(), m_folder));
}

void DeferredSync::Sync() {
    const int fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) RaiseErrno();
    const int synced = ::syncfs(fd);
    const int error = errno;
    ::close(fd);
    if (synced != 0) throw std::runtime_error(std::strerror(error));
}

ReplacementFile::ReplacementFile(const fs::path& file) {
    std::error_code ec;
    if (SyncDeferred(file)) {
        // A new file below a folder whose files count only after its Sync:
        // there is nothing earlier to keep, so it is written under its own
        // name, created exclusively (a link planted meanwhile is never
        // followed), and removed again unless it is committed. Whatever
        // stands under the name already, a link included, is replaced as
        // below.
        m_fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_target = file;
            m_created = true;
            return;
        }
        if (errno != EEXIST) RaiseErrno();
    }
    m_target = fs::is_symlink(fs::symlink_status(file, ec)) ? fs::weakly_canonical(file, ec) : file;
    if (ec) m_target = file;
    const fs::file_status existing = fs::status(m_target, ec);
    if (fs::exists(existing) && !fs::is_regular_file(existing)) {
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (m_fd < 0) RaiseErrno();
        return;
    }
    m_keepMode = fs::exists(existing);
    m_mode = existing.permissions();
    m_fd = CreateTemporary(m_target, m_temporary);
}

ReplacementFile::~ReplacementFile() {
    if (m_fd >= 0) ::close(m_fd);
    std::error_code ec;
    if (!m_temporary.empty()) fs::remove(m_temporary, ec);
    if (m_created) fs::remove(m_target, ec);
}

void ReplacementFile::Write(std::string_view bytes) {
    if (m_fd < 0) throw std::runtime_error("the file is closed");
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseErrno();
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void ReplacementFile::Commit() {
    if (m_fd < 0) throw std::runtime_error("the file is closed");
    // The rename must not publish a file whose blocks never reached the
    // disk, unless a DeferredSync answers for it; a device or pipe may
    // refuse the sync and needs none.
    if (!m_temporary.empty()) {
        if (!SyncDeferred(m_target) && ::fsync(m_fd) != 0) RaiseErrno();
        if (m_keepMode && ::fchmod(m_fd, static_cast<mode_t>(m_mode)) != 0) RaiseErrno();
    }
    const int fd = m_fd;
    m_fd = -1;
    // A file system may report a failed write only here.
    if (::close(fd) != 0) RaiseErrno();
    m_created = false;
    if (m_temporary.empty()) return;
    std::error_code ec;
    fs::rename(m_temporary, m_target, ec);
    if (ec) throw std::runtime_error(ec.message());
    m_temporary.clear();
}

void ReplaceFileContents(const fs::path& file, std::string_view text) {
    ReplacementFile out(file);
    out.Write(text);
    out.Commit();
}

}  // namespace common
