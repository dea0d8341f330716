#pragma once
// Writing a whole file so that a failure never destroys the earlier one.
// Every file the program writes goes through here: pages, images, XML
// documents, the CRUD comparison file.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace common {

// The bytes the temporary adds to the file's name (".saving-" and eight hex
// digits): a name that is to be written must leave this much room under
// the file system's 255.
inline constexpr std::size_t kTemporarySuffixBytes = 16;

// A replacement of a file written piece by piece. A regular file (or none)
// is written to a new file of a unique name beside it, created exclusively
// (a link planted under any name is never followed), and renamed over it on
// Commit (keeping its permissions); a link is written through to the file
// it names; a device or pipe is written in place. Below a WriteBoundary's
// folder the boundary's rule comes first (see there). Without Commit the
// temporary is removed and the file keeps its earlier content. A file that
// does not exist yet below a DeferredSync's folder is created exclusively
// under its own name instead (nothing below counts before the Sync), and
// removed again without Commit.
// Raises std::runtime_error with the reason (not the path) on failure.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::filesystem::path& file);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Every byte is written, or it raises.
    void Write(std::string_view bytes);
    // Synced (unless a DeferredSync covers it), closed and renamed into
    // place; raises when any of it fails.
    void Commit();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temporary;   // empty: written in place
    bool m_keepMode = false;             // the replaced file's permissions go onto the new one
    std::filesystem::perms m_mode{};
    int m_fd = -1;
    bool m_created = false;              // written under its own name, new
    bool m_deferred = false;             // a DeferredSync answers for the target
};

// While one lives, files written below its folder are not synced one by
// one before their rename: a tree of thousands of new files (a report set)
// is written at the pace of the page cache, and Sync then waits for the
// disk once for all of them. Whoever makes one must not let anything below
// the folder count as complete before Sync has returned.
class DeferredSync {
public:
    explicit DeferredSync(std::filesystem::path folder);
    ~DeferredSync();
    DeferredSync(const DeferredSync&) = delete;
    DeferredSync& operator=(const DeferredSync&) = delete;

private:
    std::filesystem::path m_folder;
};

// While one lives, every ReplacementFile below its folder writes only to a
// place inside that folder once links are resolved (the folder itself may
// be a link: it is resolved once, here). A link at the file's name is
// followed only to a regular file inside, or to none yet; any other link,
// and a pipe or device under the name, is replaced by the new file, so
// whatever lies outside stays as it was. A file whose folder leads out
// through a link is not written (ReplacementFile raises). Where two nest,
// the inner folder's holds: a folder inside may be a link on purpose. An
// empty folder bounds nothing.
class WriteBoundary {
public:
    explicit WriteBoundary(const std::filesystem::path& folder);
    ~WriteBoundary();
    WriteBoundary(const WriteBoundary&) = delete;
    WriteBoundary& operator=(const WriteBoundary&) = delete;

    struct Registered;

private:
    Registered* m_registered;
};

// Writes every byte to an open descriptor, going on after a short write
// or an interruption. Raises std::runtime_error with the reason on failure.
void WriteAll(int fd, std::string_view bytes);

// Brings everything written to the file system of folder to the disk (a
// DeferredSync's folder, once its files are written): 0, or the errno of
// the failure.
int SyncFileSystem(const std::filesystem::path& folder);

// Replaces the content of file with text, as one ReplacementFile.
void ReplaceFileContents(const std::filesystem::path& file, std::string_view text);

}  // namespace common
