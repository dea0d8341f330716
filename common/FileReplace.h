#pragma once
// Writing a whole file so that a failure never destroys the earlier one.
// Every file the program writes goes through here: pages, images, XML
// documents, the CRUD comparison file. Below the workspace folder the
// writers reach it through a common::WriteBoundary, which decides in which
// folder a file may be written.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace common {

// The bytes the temporary adds to the file's name (".saving-" and eight hex
// digits): a name that is to be written must leave this much room under
// the file system's 255.
inline constexpr std::size_t kTemporarySuffixBytes = 16;

// A replacement of a file written piece by piece: a new file of a unique
// name beside it, created exclusively (a link planted under any name is
// never followed), every write and the close checked, synced and renamed
// over it on Commit (keeping a regular file's permissions). Without Commit
// the temporary is removed and the file keeps its earlier content.
// Raises std::runtime_error with the reason (not the path) on failure.
class ReplacementFile {
public:
    // A file named by its path, wherever the analyst chose it: a link at
    // the name is written through to the file it names, a device or pipe
    // is written in place.
    explicit ReplacementFile(const std::filesystem::path& file);

    // How a file in a folder held open is written.
    struct InFolder {
        // Not synced one by one: whoever writes the folder syncs its file
        // system once its files are all written (see WriteBoundary).
        bool deferSync = false;
    };
    // The file name in the folder folderFd (a descriptor the caller keeps
    // open until Commit or the end of this object). Whatever stands under
    // the name, a link included, is replaced by the new file, never followed
    // (a folder makes Commit fail). A deferred file that does not exist yet
    // is created exclusively under its own name instead (nothing there
    // counts before the sync), and removed again without Commit.
    ReplacementFile(int folderFd, const std::string& name, InFolder how);

    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Every byte is written, or it raises.
    void Write(std::string_view bytes);
    // Synced (unless deferred), closed and renamed into place; raises when
    // any of it fails.
    void Commit();

private:
    void Begin(const std::string& name, bool deferSync);

    int m_folder = -1;                   // the folder written in
    bool m_ownsFolder = false;           // opened here, closed at the end
    std::string m_name;                  // the file's name in it
    std::string m_temporary;             // empty: written under its name
    bool m_keepMode = false;             // the replaced file's permissions go onto the new one
    unsigned m_mode = 0;
    int m_fd = -1;
    bool m_created = false;              // written under its own name, new
    bool m_deferred = false;             // synced later, by the folder's writer
    bool m_inPlace = false;              // a device or pipe the analyst named
};

// Writes every byte to an open descriptor, going on after a short write
// or an interruption. Raises std::runtime_error with the reason on failure.
void WriteAll(int fd, std::string_view bytes);

// Brings everything written to the file system of the folder held by
// folderFd to the disk (a tree written with deferred syncs, once its files
// are written): 0, or the errno of the failure.
int SyncFileSystem(int folderFd);

// Replaces the content of the file the analyst named with text, as one
// ReplacementFile.
void ReplaceFileContents(const std::filesystem::path& file, std::string_view text);

}  // namespace common
