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
    struct State;

    explicit WriteBoundary(std::filesystem::path folder);

    // Over folder, which fd (taken over) holds open already: a workspace's
    // folder as the window's claim holds it. While folder's path still
    // leads to that folder every write lands in it; once it does not (the
    // folder was moved, or another folder or a link put in its place),
    // every create, rename and delete through this boundary, or one made
    // Below it, is refused with moved as the reason, and nothing is written
    // anywhere.
    static WriteBoundary Held(std::filesystem::path folder, int fd, std::string moved);
    // Over no folder: every write is refused with why as the reason (a
    // workspace open for viewing only).
    static WriteBoundary Closed(std::filesystem::path folder, std::string why);
    // A boundary of its own over a folder below this one (the Output
    // folder): opened from this one's folder when first needed, and made
    // there when missing; a link there is followed, once. It refuses what
    // this one refuses.
    WriteBoundary Below(const std::filesystem::path& folder) const;

    const std::filesystem::path& Folder() const;
    // Why nothing may be written through the boundary now (it is Closed, or
    // its Held folder was moved); empty while writes may go ahead.
    std::string Refusal() const;
    // The part of it that says its Held folder was moved; empty otherwise,
    // a Closed boundary's too.
    std::string Moved() const;

    // The file made anew with bytes, as one ReplacementFile.
    void Replace(const std::filesystem::path& file, std::string_view bytes) const;

    // A file written piece by piece: its ReplacementFile, with the folder
    // it lies in held for its life.
    class Writer {
    public:
        void Write(std::string_view bytes) { m_file.Write(bytes); }
        // Refused, the file keeping its earlier content, when the boundary
        // refuses writes by now.
        void Commit();

    private:
        friend class WriteBoundary;
        Writer(const WriteBoundary& boundary, std::shared_ptr<const HeldFolder> folder, const std::string& name,
               bool deferSync)
            : m_boundary(boundary.m_state), m_folder(std::move(folder)), m_file(m_folder->fd, name, {deferSync}) {}
        std::shared_ptr<State> m_boundary;
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
    // Deletes the file (or link) at path, never a folder: 0, or the errno
    // of the failure (ENOENT when nothing is there).
    int RemoveFile(const std::filesystem::path& path) const;

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

private:
    explicit WriteBoundary(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    // Raises with Refusal() when there is one.
    void Check() const;
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
