#include "common/FileReplace.h"

#include "common/InsideFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <stdexcept>
#include <unordered_set>
#include <vector>

namespace common {

namespace fs = std::filesystem;

struct WriteBoundary::Registered {
    fs::path folder;
    fs::path resolved;
    // Folders below found to stay inside, by name: each is resolved once.
    std::unordered_set<std::string> inside;
};

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

// The folders of the DeferredSync and WriteBoundary objects alive.
std::mutex g_registryMutex;
std::vector<fs::path> g_deferred;
std::vector<std::unique_ptr<WriteBoundary::Registered>> g_boundaries;

// Whether file lies below folder, by their names.
bool Below(const fs::path& folder, const fs::path& file) {
    const auto [inFolder, inFile] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return inFolder == folder.end() && inFile != file.end();
}

bool SyncDeferred(const fs::path& file) {
    std::lock_guard lock(g_registryMutex);
    for (const fs::path& folder : g_deferred)
        if (Below(folder, file)) return true;
    return false;
}

// The resolved folder of the innermost WriteBoundary that file lies below
// (empty: none), once the folder file is written into is known to stay
// inside it; raises when that folder leads out.
fs::path BoundaryOf(const fs::path& file) {
    std::lock_guard lock(g_registryMutex);
    WriteBoundary::Registered* innermost = nullptr;
    for (const auto& boundary : g_boundaries)
        if (Below(boundary->folder, file) &&
            (!innermost || std::distance(boundary->folder.begin(), boundary->folder.end()) >
                               std::distance(innermost->folder.begin(), innermost->folder.end())))
            innermost = boundary.get();
    if (!innermost) return {};
    const fs::path folder = file.parent_path();
    if (folder != innermost->folder && !innermost->inside.count(folder.native())) {
        std::error_code ec;
        const fs::path resolved = fs::weakly_canonical(folder, ec);
        if (ec || (resolved != innermost->resolved && !InsideResolvedFolder(innermost->resolved, resolved)))
            throw std::runtime_error("its folder leads out of " + innermost->folder.string() + " through a link");
        innermost->inside.insert(folder.native());
    }
    return innermost->resolved;
}

}  // namespace

DeferredSync::DeferredSync(fs::path folder) : m_folder(std::move(folder)) {
    std::lock_guard lock(g_registryMutex);
    g_deferred.push_back(m_folder);
}

DeferredSync::~DeferredSync() {
    std::lock_guard lock(g_registryMutex);
    g_deferred.erase(std::find(g_deferred.begin(), g_deferred.end(), m_folder));
}

int SyncFileSystem(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = ::syncfs(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

WriteBoundary::WriteBoundary(const fs::path& folder) : m_registered(nullptr) {
    if (folder.empty()) return;
    auto registered = std::make_unique<Registered>();
    registered->folder = folder;
    std::error_code ec;
    registered->resolved = fs::weakly_canonical(folder, ec);
    if (ec) registered->resolved = folder.lexically_normal();
    m_registered = registered.get();
    std::lock_guard lock(g_registryMutex);
    g_boundaries.push_back(std::move(registered));
}

WriteBoundary::~WriteBoundary() {
    if (!m_registered) return;
    std::lock_guard lock(g_registryMutex);
    g_boundaries.erase(std::find_if(g_boundaries.begin(), g_boundaries.end(),
                                    [this](const auto& registered) { return registered.get() == m_registered; }));
}

ReplacementFile::ReplacementFile(const fs::path& file) {
    const fs::path boundary = BoundaryOf(file);
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
            m_deferred = true;
            return;
        }
        if (errno != EEXIST) RaiseErrno();
    }
    m_target = file;
    fs::file_status existing = fs::symlink_status(file, ec);
    if (fs::is_symlink(existing)) {
        const fs::path resolved = fs::weakly_canonical(file, ec);
        const fs::file_status there = fs::status(file, ec);
        const bool regularOrNone = !fs::exists(there) || fs::is_regular_file(there);
        if (resolved.empty() || (!boundary.empty() && !(regularOrNone && InsideResolvedFolder(boundary, resolved)))) {
            // The link itself is replaced.
            existing = fs::file_status(fs::file_type::not_found);
        } else {
            m_target = resolved;
            existing = there;
        }
    }
    if (fs::exists(existing) && !fs::is_regular_file(existing)) {
        if (boundary.empty()) {
            m_fd = ::open(m_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (m_fd < 0) RaiseErrno();
            return;
        }
        // Replaced, as a link leading out is (a folder makes the rename fail).
        existing = fs::file_status(fs::file_type::not_found);
    }
    m_keepMode = fs::exists(existing);
    m_mode = existing.permissions();
    m_deferred = SyncDeferred(m_target);
    m_fd = CreateTemporary(m_target, m_temporary);
}

ReplacementFile::~ReplacementFile() {
    if (m_fd >= 0) ::close(m_fd);
    std::error_code ec;
    if (!m_temporary.empty()) fs::remove(m_temporary, ec);
    if (m_created) fs::remove(m_target, ec);
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseErrno();
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void ReplacementFile::Write(std::string_view bytes) {
    if (m_fd < 0) throw std::runtime_error("the file is closed");
    WriteAll(m_fd, bytes);
}

void ReplacementFile::Commit() {
    if (m_fd < 0) throw std::runtime_error("the file is closed");
    // The rename must not publish a file whose blocks never reached the
    // disk, unless a DeferredSync answers for it; a device or pipe may
    // refuse the sync and needs none.
    if (!m_temporary.empty()) {
        if (!m_deferred && ::fsync(m_fd) != 0) RaiseErrno();
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
