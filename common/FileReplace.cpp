#include "common/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>

namespace common {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void RaiseErrno() { throw std::runtime_error(std::strerror(errno)); }

// A file beside name in folder that did not exist before and that this call
// alone created: exclusive creation never follows a link planted under the
// name, and the name cannot be guessed ahead. Returns the open descriptor.
int CreateTemporary(int folder, const std::string& name, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    thread_local std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Short, so that a name near the file system's limit still gets one.
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", random() ^ (static_cast<unsigned>(::getpid()) << 8) ^ ++counter);
        temporary = name + ".saving-" + suffix;
        // 0666 less the umask, as an ordinary new file gets.
        const int fd = ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) {
            temporary.clear();
            RaiseErrno();
        }
    }
    temporary.clear();
    throw std::runtime_error("no unused temporary name was found");
}

}  // namespace

ReplacementFile::ReplacementFile(const fs::path& file) {
    std::error_code ec;
    fs::path target = file;
    // The analyst's own link is written through, beside the file it names.
    if (fs::is_symlink(fs::symlink_status(file, ec))) {
        const fs::path resolved = fs::weakly_canonical(file, ec);
        if (!ec && !resolved.empty()) target = resolved;
    }
    const fs::file_status existing = fs::status(target, ec);
    if (fs::exists(existing) && !fs::is_regular_file(existing)) {
        m_fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (m_fd < 0) RaiseErrno();
        m_inPlace = true;
        return;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    m_folder = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0) RaiseErrno();
    m_ownsFolder = true;
    Begin(target.filename().string(), false);
}

ReplacementFile::ReplacementFile(int folderFd, const std::string& name, InFolder how) : m_folder(folderFd) {
    Begin(name, how.deferSync);
}

void ReplacementFile::Begin(const std::string& name, bool deferSync) {
    m_name = name;
    m_deferred = deferSync;
    if (deferSync) {
        // Nothing earlier to keep: the file is written under its own name.
        m_fd = ::openat(m_folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_created = true;
            return;
        }
        if (errno != EEXIST) RaiseErrno();
    }
    struct stat st {};
    if (::fstatat(m_folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
        m_keepMode = true;
        m_mode = st.st_mode & 07777;
    }
    m_fd = CreateTemporary(m_folder, name, m_temporary);
}

ReplacementFile::~ReplacementFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_temporary.empty()) ::unlinkat(m_folder, m_temporary.c_str(), 0);
    if (m_created) ::unlinkat(m_folder, m_name.c_str(), 0);
    if (m_ownsFolder) ::close(m_folder);
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
    // disk, unless the folder's writer syncs it later; a device or pipe may
    // refuse the sync and needs none.
    if (!m_inPlace) {
        if (!m_deferred && ::fsync(m_fd) != 0) RaiseErrno();
        if (m_keepMode && ::fchmod(m_fd, static_cast<mode_t>(m_mode)) != 0) RaiseErrno();
    }
    const int fd = m_fd;
    m_fd = -1;
    // A file system may report a failed write only here.
    if (::close(fd) != 0) RaiseErrno();
    m_created = false;
    if (m_temporary.empty()) return;
    // Renamed within the one folder held: whatever stands under the name
    // now, a link planted meanwhile included, is replaced.
    if (::renameat(m_folder, m_temporary.c_str(), m_folder, m_name.c_str()) != 0) RaiseErrno();
    m_temporary.clear();
}

int SyncFileSystem(int folderFd) { return ::syncfs(folderFd) == 0 ? 0 : errno; }

void ReplaceFileContents(const fs::path& file, std::string_view text) {
    ReplacementFile out(file);
    out.Write(text);
    out.Commit();
}

}  // namespace common
