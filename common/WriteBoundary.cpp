#include "common/WriteBoundary.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "common/InsideFolder.h"

namespace common {

namespace fs = std::filesystem;

HeldFolder::~HeldFolder() { ::close(fd); }

struct WriteBoundary::State {
    fs::path folder;
    // Closed: every write is refused with this.
    std::string closed;
    // Held: the folder, open already, and what it was when it was opened;
    // moved is the refusal once the folder's path leads elsewhere.
    std::shared_ptr<const HeldFolder> own;
    dev_t device = 0;
    ino_t inode = 0;
    std::string moved;
    // Below: the boundary whose folder this one's is opened from, and the
    // names that lead there from it.
    std::shared_ptr<State> parent;
    std::string fromParent;
    std::mutex mutex;
    // The folders opened so far, by their names below the folder joined
    // with "/" ("" the folder itself): each is opened once.
    std::unordered_map<std::string, std::shared_ptr<const HeldFolder>> held;
    // The folders of the DeferredSync objects alive, named as above.
    std::vector<std::string> deferred;
};

namespace {

using Names = std::vector<std::string>;

fs::path Normal(fs::path folder) {
    folder = folder.lexically_normal();
    if (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The Held folder's refusal once its path leads elsewhere (links followed
// as when it was opened), else empty.
std::string MovedFrom(const WriteBoundary::State& state) {
    struct stat now {};
    if (::stat(state.folder.c_str(), &now) != 0 || now.st_dev != state.device || now.st_ino != state.inode)
        return state.moved;
    return {};
}

std::string MovedOf(const WriteBoundary::State& state) {
    if (state.own) return MovedFrom(state);
    return state.parent ? MovedOf(*state.parent) : std::string();
}

std::string RefusalOf(const WriteBoundary::State& state) {
    if (!state.closed.empty()) return state.closed;
    if (state.own) return MovedFrom(state);
    return state.parent ? RefusalOf(*state.parent) : std::string();
}

// What an operation that reports an errno gives for a refused boundary.
constexpr int kRefused = EPERM;

// The names below the boundary's folder that lead to path; raises when path
// does not lie below it by its name.
Names NamesBelow(const fs::path& folder, const fs::path& path) {
    const fs::path normal = path.lexically_normal();
    auto at = normal.begin();
    if (folder != ".") {
        for (const fs::path& part : folder) {
            if (at == normal.end() || *at != part)
                throw std::runtime_error("it does not lie below " + folder.string());
            ++at;
        }
    }
    Names names;
    for (; at != normal.end(); ++at) {
        std::string name = at->string();
        if (name.empty()) continue;   // a trailing separator
        if (name == "." || name == ".." || at->has_root_path())
            throw std::runtime_error("it does not lie below " + folder.string());
        names.push_back(std::move(name));
    }
    return names;
}

std::string Key(const Names& names, std::size_t count) {
    std::string key;
    for (std::size_t i = 0; i < count; ++i) {
        if (i) key += '/';
        key += names[i];
    }
    return key;
}

bool IsLinkAt(int folder, const std::string& name) {
    struct stat st {};
    return ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// The folder names[0, count) below the boundary's, held; null with error
// set (ELOOP: a link on the way) when it cannot be opened. With create,
// missing folders are made. The state's mutex is held.
std::shared_ptr<const HeldFolder> HoldLocked(WriteBoundary::State& state, const Names& names, std::size_t count,
                                             bool create, int& error) {
    const std::string key = Key(names, count);
    if (auto found = state.held.find(key); found != state.held.end()) return found->second;
    int fd = -1;
    if (count == 0) {
        if (!state.closed.empty()) {
            error = kRefused;
            return nullptr;
        }
        if (state.own) {
            state.held.emplace(key, state.own);
            return state.own;
        }
        // The boundary's folder itself may be a link: followed here, once.
        std::shared_ptr<const HeldFolder> parent;
        if (state.parent) {
            std::lock_guard lock(state.parent->mutex);
            if (!(parent = HoldLocked(*state.parent, {}, 0, false, error))) return nullptr;
        }
        const auto open = [&] {
            return parent ? ::openat(parent->fd, state.fromParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                          : ::open(state.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        };
        fd = open();
        if (fd < 0 && errno == ENOENT && create) {
            const int made = parent ? ::mkdirat(parent->fd, state.fromParent.c_str(), 0777)
                                    : ::mkdir(state.folder.c_str(), 0777);
            if (made == 0 || errno == EEXIST) fd = open();
        }
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
    } else {
        const std::shared_ptr<const HeldFolder> parent = HoldLocked(state, names, count - 1, create, error);
        if (!parent) return nullptr;
        const std::string& name = names[count - 1];
        const auto open = [&] { return ::openat(parent->fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); };
        fd = open();
        if (fd < 0 && errno == ENOENT && create) {
            if (::mkdirat(parent->fd, name.c_str(), 0777) != 0 && errno != EEXIST) {
                error = errno;
                return nullptr;
            }
            fd = open();
        }
        if (fd < 0) {
            error = IsLinkAt(parent->fd, name) ? ELOOP : errno;
            return nullptr;
        }
    }
    auto held = std::make_shared<const HeldFolder>(fd);
    state.held.emplace(key, held);
    return held;
}

// Why names[0, count) could not be held, in words.
std::runtime_error HoldFailure(const WriteBoundary::State& state, const Names& names, std::size_t count, int error) {
    const fs::path& folder = state.folder;
    if (error == kRefused) {
        std::string why = RefusalOf(state);
        if (!why.empty()) return std::runtime_error(why);
    }
    if (error != ELOOP) return std::runtime_error(std::strerror(error));
    fs::path through = folder;
    for (std::size_t i = 0; i < count; ++i) through /= names[i];
    // Named by where the link leads; either way it is not followed.
    if (!InsideFolder(folder, through))
        return std::runtime_error("its folder leads out of " + folder.string() + " through a link");
    return std::runtime_error("its folder is reached through a link below " + folder.string() +
                              ", which is not followed");
}

// Drops the folders held at key and below: after a rename or a removal
// their names lead elsewhere.
void ForgetLocked(WriteBoundary::State& state, const std::string& key) {
    for (auto it = state.held.begin(); it != state.held.end();) {
        const std::string& held = it->first;
        if (held == key || (held.size() > key.size() && held.compare(0, key.size(), key) == 0 && held[key.size()] == '/'))
            it = state.held.erase(it);
        else
            ++it;
    }
}

bool DeferredLocked(const WriteBoundary::State& state, const std::string& key) {
    for (const std::string& folder : state.deferred)
        if (folder.empty() || key == folder ||
            (key.size() > folder.size() && key.compare(0, folder.size(), folder) == 0 && key[folder.size()] == '/'))
            return true;
    return false;
}

}  // namespace

std::vector<std::string> FolderNames(int fd) {
    std::vector<std::string> names;
    const int copy = ::dup(fd);
    if (copy < 0) return names;
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

WriteBoundary::WriteBoundary(fs::path folder) : m_state(std::make_shared<State>()) {
    m_state->folder = Normal(std::move(folder));
}

WriteBoundary WriteBoundary::Held(fs::path folder, int fd, std::string moved) {
    auto state = std::make_shared<State>();
    state->folder = Normal(std::move(folder));
    state->own = std::make_shared<const HeldFolder>(fd);
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        state->device = st.st_dev;
        state->inode = st.st_ino;
    }
    state->moved = std::move(moved);
    return WriteBoundary(std::move(state));
}

WriteBoundary WriteBoundary::Closed(fs::path folder, std::string why) {
    auto state = std::make_shared<State>();
    state->folder = Normal(std::move(folder));
    state->closed = why.empty() ? std::string("nothing may be written there") : std::move(why);
    return WriteBoundary(std::move(state));
}

WriteBoundary WriteBoundary::Below(const fs::path& folder) const {
    const Names names = NamesBelow(m_state->folder, folder);
    if (names.empty()) return *this;
    auto state = std::make_shared<State>();
    state->folder = Normal(folder);
    state->parent = m_state;
    state->fromParent = Key(names, names.size());
    return WriteBoundary(std::move(state));
}

const fs::path& WriteBoundary::Folder() const { return m_state->folder; }

std::string WriteBoundary::Refusal() const { return RefusalOf(*m_state); }

std::string WriteBoundary::Moved() const { return MovedOf(*m_state); }

void WriteBoundary::Check() const {
    if (std::string why = Refusal(); !why.empty()) throw std::runtime_error(why);
}

std::shared_ptr<const HeldFolder> WriteBoundary::Hold(const fs::path& folder) const {
    Check();
    const Names names = NamesBelow(m_state->folder, folder);
    std::lock_guard lock(m_state->mutex);
    int error = 0;
    std::shared_ptr<const HeldFolder> held = HoldLocked(*m_state, names, names.size(), false, error);
    if (!held) throw HoldFailure(*m_state, names, names.size(), error);
    return held;
}

std::unique_ptr<WriteBoundary::Writer> WriteBoundary::Open(const fs::path& file) const {
    Check();
    const Names names = NamesBelow(m_state->folder, file);
    if (names.empty()) throw std::runtime_error("it is a folder");
    std::shared_ptr<const HeldFolder> folder;
    bool deferred = false;
    {
        std::lock_guard lock(m_state->mutex);
        int error = 0;
        folder = HoldLocked(*m_state, names, names.size() - 1, false, error);
        if (!folder) throw HoldFailure(*m_state, names, names.size() - 1, error);
        deferred = DeferredLocked(*m_state, Key(names, names.size() - 1));
    }
    return std::unique_ptr<Writer>(new Writer(*this, std::move(folder), names.back(), deferred));
}

void WriteBoundary::Writer::Commit() {
    if (std::string why = RefusalOf(*m_boundary); !why.empty()) throw std::runtime_error(why);
    m_file.Commit();
}

void WriteBoundary::Replace(const fs::path& file, std::string_view bytes) const {
    const std::unique_ptr<Writer> out = Open(file);
    out->Write(bytes);
    out->Commit();
}

bool WriteBoundary::MakeFolders(const fs::path& folder) const {
    if (!Refusal().empty()) return false;
    const Names names = NamesBelow(m_state->folder, folder);
    std::lock_guard lock(m_state->mutex);
    int error = 0;
    return HoldLocked(*m_state, names, names.size(), true, error) != nullptr;
}

int WriteBoundary::MakeFolder(const fs::path& folder) const {
    if (!Refusal().empty()) return kRefused;
    const Names names = NamesBelow(m_state->folder, folder);
    if (names.empty()) return EEXIST;
    std::lock_guard lock(m_state->mutex);
    int error = 0;
    const auto parent = HoldLocked(*m_state, names, names.size() - 1, false, error);
    if (!parent) return error;
    if (::mkdirat(parent->fd, names.back().c_str(), 0777) != 0) return errno;
    ForgetLocked(*m_state, Key(names, names.size()));
    // Held at once, so what is written in it later lands in it even when
    // its name is taken by a link meanwhile; where that happened already,
    // the writes are refused then.
    HoldLocked(*m_state, names, names.size(), false, error);
    return 0;
}

int WriteBoundary::Rename(const fs::path& from, const fs::path& to) const {
    if (!Refusal().empty()) return kRefused;
    const Names source = NamesBelow(m_state->folder, from);
    const Names target = NamesBelow(m_state->folder, to);
    if (source.empty() || target.empty()) return EINVAL;
    std::lock_guard lock(m_state->mutex);
    int error = 0;
    const auto sourceFolder = HoldLocked(*m_state, source, source.size() - 1, false, error);
    const auto targetFolder = sourceFolder ? HoldLocked(*m_state, target, target.size() - 1, false, error) : nullptr;
    if (!targetFolder) return error;
    const char* sourceName = source.back().c_str();
    const char* targetName = target.back().c_str();
    int result = ::renameat2(sourceFolder->fd, sourceName, targetFolder->fd, targetName, RENAME_NOREPLACE);
    if (result != 0 && errno == EINVAL) {
        // A file system without the flag: an existing name is refused here.
        struct stat st {};
        if (::fstatat(targetFolder->fd, targetName, &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
        result = ::renameat(sourceFolder->fd, sourceName, targetFolder->fd, targetName);
    }
    if (result != 0) return errno;
    ForgetLocked(*m_state, Key(source, source.size()));
    ForgetLocked(*m_state, Key(target, target.size()));
    return 0;
}

bool WriteBoundary::RemoveAll(const fs::path& path) const {
    if (!Refusal().empty()) return false;
    const Names names = NamesBelow(m_state->folder, path);
    if (names.empty()) return false;
    std::shared_ptr<const HeldFolder> parent;
    {
        std::lock_guard lock(m_state->mutex);
        int error = 0;
        parent = HoldLocked(*m_state, names, names.size() - 1, false, error);
        // Nothing below a folder that is missing, or reached through a link,
        // is this boundary's to delete.
        if (!parent) return error == ENOENT;
        ForgetLocked(*m_state, Key(names, names.size()));
    }
    const std::atomic<bool> never{false};
    std::atomic<std::size_t> removed{0};
    return RemoveTreeAt(parent->fd, names.back(), never, removed, nullptr);
}

int WriteBoundary::RemoveFile(const fs::path& path) const {
    if (!Refusal().empty()) return kRefused;
    const Names names = NamesBelow(m_state->folder, path);
    if (names.empty()) return EISDIR;
    std::shared_ptr<const HeldFolder> parent;
    {
        std::lock_guard lock(m_state->mutex);
        int error = 0;
        if (!(parent = HoldLocked(*m_state, names, names.size() - 1, false, error))) return error;
    }
    return ::unlinkat(parent->fd, names.back().c_str(), 0) == 0 ? 0 : errno;
}

WriteBoundary::DeferredSync::DeferredSync(const WriteBoundary& boundary, const fs::path& folder)
    : m_boundary(boundary) {
    const Names names = NamesBelow(boundary.m_state->folder, folder);
    m_folder = Key(names, names.size());
    std::lock_guard lock(boundary.m_state->mutex);
    boundary.m_state->deferred.push_back(m_folder);
}

WriteBoundary::DeferredSync::~DeferredSync() {
    State& state = *m_boundary.m_state;
    std::lock_guard lock(state.mutex);
    state.deferred.erase(std::find(state.deferred.begin(), state.deferred.end(), m_folder));
}

bool RemoveTreeAt(int parent, const std::string& name, const std::atomic<bool>& stop,
                  std::atomic<std::size_t>& removed, void (*onRemoved)()) {
    struct stat st {};
    if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    int flags = 0;
    if (S_ISDIR(st.st_mode)) {
        flags = AT_REMOVEDIR;
        // Opened without following: a link put in its place meanwhile is
        // only removed below, as a name.
        const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            // A folder without write permission would keep its content;
            // files need none to be deleted.
            if ((st.st_mode & S_IRWXU) != S_IRWXU) ::fchmod(fd, (st.st_mode & 07777) | S_IRWXU);
            for (const std::string& entry : FolderNames(fd)) {
                if (stop) {
                    ::close(fd);
                    return false;
                }
                RemoveTreeAt(fd, entry, stop, removed, onRemoved);
            }
            ::close(fd);
        }
    }
    bool gone = ::unlinkat(parent, name.c_str(), flags) == 0;
    if (!gone && errno == ENOTDIR) gone = ::unlinkat(parent, name.c_str(), 0) == 0;   // swapped for a link
    if (gone && onRemoved) onRemoved();
    // What could not be deleted counts too: the share is of the work done.
    ++removed;
    return gone || errno == ENOENT;
}

std::size_t CountTreeAt(int parent, const std::string& name) {
    struct stat st {};
    if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return 0;
    std::size_t entries = 1;
    if (!S_ISDIR(st.st_mode)) return entries;
    const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return entries;
    for (const std::string& entry : FolderNames(fd)) entries += CountTreeAt(fd, entry);
    ::close(fd);
    return entries;
}

}  // namespace common
