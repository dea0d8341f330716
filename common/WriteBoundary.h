#pragma once
// The rule that keeps what the tool writes below a folder (the workspace
// folder, the Output folder) inside it, even while someone changes the
// folders under it: every create, rename and delete goes through a
// descriptor of the boundary's folder, one folder at a time, never through
// a link.

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileReplace.h"

namespace common {

// A folder below the boundary held open: what is written into it lands in
// that folder wherever it is moved, and a link put in its place meanwhile
// is never followed.
struct HeldFolder {
    explicit HeldFolder(int descriptor) : fd(descriptor) {}
    ~HeldFolder();
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;
    const int fd;
};

// The writer of everything below one folder. The folder itself may be a
// link (reports kept on another disk): it is followed once, when the
// boundary first needs it, and held from then on. Below it every folder is
// opened from the one above it without following a link, and held, so a
// file written into a folder lands in that folder even when the folder has
// been renamed or replaced by a link since; a folder that is a link (or
// that a link stands in for when it is first opened) is not written into,
// wherever it leads. A link, pipe or device at a file's name is replaced by
// the new file, never written through. Copies share the one boundary;
// writing from several threads at once is safe.
// Every path given must lie below the folder by its name (the folder's path
// followed by names, no "." or ".."); anything else raises.
// Failures raise std::runtime_error with the reason (not the path).
class WriteBoundary {
public:
    explicit WriteBoundary(std::filesystem::path folder);

    const std::filesystem::path& Folder() const;

    // The file made anew with bytes, as one ReplacementFile.
    void Replace(const std::filesystem::path& file, std::string_view bytes) const;

    // A file written piece by piece: its ReplacementFile, with the folder
    // it lies in held for its life.
    class Writer {
    public:
        void Write(std::string_view bytes) { m_file.Write(bytes); }
        void Commit() { m_file.Commit(); }

    private:
        friend class WriteBoundary;
        Writer(std::shared_ptr<const HeldFolder> folder, const std::string& name, bool deferSync)
            : m_folder(std::move(folder)), m_file(m_folder->fd, name, {deferSync}) {}
        std::shared_ptr<const HeldFolder> m_folder;
        ReplacementFile m_file;
    };
    std::unique_ptr<Writer> Open(const std::filesystem::path& file) const;

    // The folder held open (the boundary's own folder included); raises
    // when it is missing or a link stands on its way.
    std::shared_ptr<const HeldFolder> Hold(const std::filesystem::path& folder) const;

    // Makes folder and every missing folder on its way (none of them a
    // link); whether it is there now.
    bool MakeFolders(const std::filesystem::path& folder) const;
    // Makes folder, which must be new, in a folder that is there, and holds
    // it: 0, or the errno of the failure (EEXIST when the name is taken).
    int MakeFolder(const std::filesystem::path& folder) const;

    // Renames from to to (both below), never replacing anything at to: 0,
    // or the errno of the failure (EEXIST when to is taken).
    int Rename(const std::filesystem::path& from, const std::filesystem::path& to) const;

    // Deletes path with everything below it, read-only files and folders
    // too; a link is removed, never followed. Gives up on what cannot be
    // deleted. Whether path is gone.
    bool RemoveAll(const std::filesystem::path& path) const;

    // While one lives, files written below its folder are not synced one
    // by one before their rename: a tree of thousands of new files (a
    // report set) is written at the pace of the page cache, and the tree's
    // writer then brings the file system to the disk once for all of them
    // (SyncFileSystem). It must not let anything below count as complete
    // before that.
    class DeferredSync {
    public:
        DeferredSync(const WriteBoundary& boundary, const std::filesystem::path& folder);
        ~DeferredSync();
        DeferredSync(const DeferredSync&) = delete;
        DeferredSync& operator=(const DeferredSync&) = delete;

    private:
        const WriteBoundary& m_boundary;
        std::string m_folder;
    };

    struct State;

private:
    std::shared_ptr<State> m_state;
};

// A tree below the folder held by parent, under name, deleted without
// following a link. removed counts every file and folder met (whether it
// could be deleted or not); after each deletion onRemoved is called; stop
// ends it early (the rest stays). Whether name is gone.
bool RemoveTreeAt(int parent, const std::string& name, const std::atomic<bool>& stop,
                  std::atomic<std::size_t>& removed, void (*onRemoved)());

// The names in the folder held by fd, "." and ".." left out.
std::vector<std::string> FolderNames(int fd);

// How many files and folders RemoveTreeAt would meet: name itself and
// everything below it, no link followed.
std::size_t CountTreeAt(int parent, const std::string& name);

}  // namespace common
