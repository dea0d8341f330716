#include "workspace/WorkspaceDatabase.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

#include "common/AsciiCase.h"
#include "common/FileReplace.h"
#include "common/InsideFolder.h"
#include "common/ResModule.h"

namespace fs = std::filesystem;
using platform::db::Database;
using platform::db::DbError;

namespace workspace {

namespace {

// The workspace folder as workspace holds it; raises DbError saying what
// was to be done when it refuses or cannot be opened.
std::shared_ptr<const common::HeldFolder> HeldWorkspace(const common::WriteBoundary& workspace,
                                                        const std::string& doing) {
    try {
        return workspace.Hold(workspace.Folder());
    } catch (const std::exception& e) {
        throw DbError("Cannot " + doing + " in '" + workspace.Folder().string() + "': " + e.what() + ".");
    }
}

// Removes the journal files beside the database name in the folder held
// (a link among them goes, not what it leads to).
void RemoveSideFiles(const common::HeldFolder& folder, const fs::path& file) {
    for (const fs::path& side : platform::db::SideFiles(file)) {
        if (::unlinkat(folder.fd, side.filename().c_str(), 0) == 0 || errno == ENOENT) continue;
        throw DbError("Cannot remove the stale file '" + side.string() + "': " + std::strerror(errno));
    }
}

// Copies the template into a file of the copy's name in the folder held
// that this creates: whatever already has that name, a planted link
// included, is never written through.
void CopyTemplate(const fs::path& templ, const common::HeldFolder& folder, const fs::path& copy) {
    const auto fail = [&](const std::string& why) {
        return DbError("Cannot copy the template database to '" + copy.string() + "': " + why);
    };
    std::ifstream in(templ, std::ios::binary);
    if (!in) throw fail("the template cannot be read.");
    const int fd = ::openat(folder.fd, copy.filename().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0666);
    if (fd < 0) throw fail(std::strerror(errno));
    char buffer[1 << 16];
    try {
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
            common::WriteAll(fd, std::string_view(buffer, static_cast<size_t>(in.gcount())));
    } catch (const std::runtime_error& e) {
        ::close(fd);
        throw fail(e.what());
    }
    if (::close(fd) != 0) throw fail(std::strerror(errno));
    if (in.bad()) throw fail("the template cannot be read.");
}

constexpr int kIncompleteMessage = 510;
constexpr const char* kCopyInfix = ".copy-";

BuildStepHook g_stepHook = nullptr;

void Step(const char* step) {
    if (g_stepHook) g_stepHook(step);
}

// A name in the workspace folder that no other copy uses at the same time:
// <database>.copy-<process>-<n>.
fs::path TemporaryName(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    fs::path p = target;
    p += kCopyInfix + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    return p;
}

// Removes the temporary copies (and their journals) that builds of processes
// that no longer run left beside target in the folder held; a copy of a
// build still running elsewhere stays.
void RemoveStaleCopies(const common::HeldFolder& folder, const fs::path& target) {
    const std::string prefix = target.filename().string() + kCopyInfix;
    for (const std::string& name : common::FolderNames(folder.fd)) {
        if (name.rfind(prefix, 0) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        const size_t dash = rest.find('-');
        pid_t pid = 0;
        try {
            pid = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
        } catch (const std::exception&) {
            continue;   // not a name this code makes
        }
        const bool running = pid > 0 && pid != ::getpid() && (::kill(pid, 0) == 0 || errno == EPERM);
        if (running) continue;
        ::unlinkat(folder.fd, name.c_str(), 0);
    }
}

// A template must at least hold the shared tables the load relies on. The
// copy says it is incomplete before anything else sees it.
void CheckAndMarkCopy(const common::WriteBoundary& workspace, const fs::path& copy, const fs::path& templ) {
    std::unique_ptr<Database> db;
    try {
        db = Database::OpenIn(workspace, copy.filename().string());
    } catch (const DbError& e) {
        throw DbError("The template database '" + templ.string() + "' cannot be used: " + e.what());
    }
    for (const char* table : {"Ents", "Rels", "Status"})
        if (!db->TableExists(table))
            throw DbError("The template database '" + templ.string() + "' has no table " + table + ".");
    Step(kStepTemplateCopied);
    try {
        db->Execute("UPDATE Status SET StatusVal = ? WHERE StatusType = ?",
                    {IncompleteLoadMessage(), kStatusErrorMessage});
    } catch (const DbError& e) {
        throw DbError("Cannot prepare the workspace database '" + copy.string() + "': " + e.what(), e.Sql(),
                      e.Code());
    }
    db->Close();
}

}  // namespace

fs::path DatabasePath(const fs::path& workspaceFolder) { return workspaceFolder / kDatabaseFileName; }
fs::path TemplatePath(const fs::path& appPath) { return appPath / kDatabaseFileName; }

bool DatabaseExists(const fs::path& workspaceFolder) {
    std::error_code ec;
    return fs::is_regular_file(DatabasePath(workspaceFolder), ec);
}

namespace {

bool Unwritable(const fs::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return false;   // a missing file is Open's to report
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(p.c_str(), W_OK) != 0;
}

// The database is never written through a link that leads out of the
// workspace folder, nor read through it: what lies outside is not the
// workspace's.
void RefuseLinkLeadingOutside(const fs::path& workspaceFolder, const fs::path& file) {
    std::error_code ec;
    if (!fs::is_symlink(file, ec) || common::InsideFolder(workspaceFolder, file)) return;
    throw DbError("The workspace database " + file.string() + " is a link to " +
                  fs::weakly_canonical(file, ec).string() +
                  ", outside the workspace folder; such a link is not followed. Put the database itself in its "
                  "place (or remove the link to have the workspace built again), then open the workspace again.");
}

}  // namespace

bool DatabaseIsReadOnly(const fs::path& workspaceFolder) {
    return Unwritable(DatabasePath(workspaceFolder)) || Unwritable(workspaceFolder);
}

Globals::ViewOnlyReason ReadOnlyReason(const fs::path& workspaceFolder) {
    if (Unwritable(workspaceFolder))
        return {"The workspace folder " + workspaceFolder.string() + " is read-only",
                "To work in the workspace, make the folder writable and open the workspace again."};
    if (Unwritable(DatabasePath(workspaceFolder)))
        return {"The workspace database " + DatabasePath(workspaceFolder).string() + " is read-only",
                "To work in the workspace, make the file writable and open the workspace again."};
    return {};
}

std::unique_ptr<Database> OpenWorkspaceDatabase(const common::WriteBoundary& workspace, bool viewOnly) {
    const fs::path& workspaceFolder = workspace.Folder();
    const fs::path file = DatabasePath(workspaceFolder);
    RefuseLinkLeadingOutside(workspaceFolder, file);
    if (!viewOnly) return Database::OpenIn(workspace, kDatabaseFileName);
    try {
        return Database::OpenCopyInMemory(file);
    } catch (const DbError& e) {
        if (!e.InterruptedWrite()) throw;
        // Viewing here although the folder and the file may be written: the
        // window that held the workspace ended in the middle of its change
        // after this one looked, and the next opening here takes its place.
        const std::string remedy = ReadOnlyReason(workspaceFolder)
                                       ? "Open the workspace once with write access to its folder and database to "
                                         "recover it."
                                       : "Open the workspace again to recover it.";
        throw DbError("The workspace was interrupted while being written: its database " + file.string() +
                          " still holds the unfinished change, which only a window that may write it can undo. " +
                          remedy,
                      {}, e.Code());
    }
}

std::unique_ptr<Database> OpenWorkspaceDatabase(const fs::path& workspaceFolder, bool viewOnly) {
    return OpenWorkspaceDatabase(common::WriteBoundary(workspaceFolder), viewOnly);
}

std::unique_ptr<Database> OpenWorkspaceDatabase(const fs::path& workspaceFolder) {
    return OpenWorkspaceDatabase(workspaceFolder, DatabaseIsReadOnly(workspaceFolder));
}

std::unique_ptr<Database> CreateWorkspaceDatabase(const fs::path& appPath, const common::WriteBoundary& workspace) {
    const fs::path templ = TemplatePath(appPath);
    const fs::path target = DatabasePath(workspace.Folder());
    std::error_code ec;
    if (!fs::is_regular_file(templ, ec))
        throw DbError("The template database '" + templ.string() + "' is missing.");
    const std::shared_ptr<const common::HeldFolder> folder = HeldWorkspace(workspace, "build the workspace database");

    RemoveStaleCopies(*folder, target);
    const fs::path temp = TemporaryName(target);
    const std::string tempName = temp.filename().string();
    try {
        // Nothing of this name belongs to the build yet: journals planted
        // beside it would be taken for the copy's.
        ::unlinkat(folder->fd, tempName.c_str(), 0);
        RemoveSideFiles(*folder, temp);
        CopyTemplate(templ, *folder, temp);
        CheckAndMarkCopy(workspace, temp, templ);
        RemoveSideFiles(*folder, temp);
        // Journals of the old database would be taken for the new one's.
        RemoveSideFiles(*folder, target);
        Step(kStepCopyMarked);
        if (const std::string why = workspace.Refusal(); !why.empty())
            throw DbError("Cannot replace the workspace database '" + target.string() + "': " + why + ".");
        if (::renameat(folder->fd, tempName.c_str(), folder->fd, kDatabaseFileName) != 0)
            throw DbError("Cannot replace the workspace database '" + target.string() + "': " + std::strerror(errno));
        Step(kStepCopyRenamed);
    } catch (...) {
        ::unlinkat(folder->fd, tempName.c_str(), 0);
        for (const fs::path& side : platform::db::SideFiles(temp)) ::unlinkat(folder->fd, side.filename().c_str(), 0);
        throw;
    }
    return Database::OpenIn(workspace, kDatabaseFileName);
}

std::unique_ptr<Database> CreateWorkspaceDatabase(const fs::path& appPath, const fs::path& workspaceFolder) {
    std::error_code ec;
    fs::create_directories(workspaceFolder, ec);
    if (ec) throw DbError("Cannot create the workspace folder '" + workspaceFolder.string() + "': " + ec.message());
    return CreateWorkspaceDatabase(appPath, common::WriteBoundary(workspaceFolder));
}

bool DeleteWorkspaceDatabase(const common::WriteBoundary& workspace) {
    if (!workspace.Refusal().empty()) return false;
    std::shared_ptr<const common::HeldFolder> folder;
    try {
        folder = workspace.Hold(workspace.Folder());
    } catch (const std::exception&) {
        std::error_code ec;
        return !fs::exists(workspace.Folder(), ec) && !ec;   // no folder, no database
    }
    if (::unlinkat(folder->fd, kDatabaseFileName, 0) != 0 && errno != ENOENT) return false;
    try {
        RemoveSideFiles(*folder, DatabasePath(workspace.Folder()));
    } catch (const DbError&) {
        // The database itself is gone; a journal that stays is removed by the next copy.
    }
    Step(kStepDatabaseDeleted);
    return true;
}

bool DeleteWorkspaceDatabase(const fs::path& workspaceFolder) {
    return DeleteWorkspaceDatabase(common::WriteBoundary(workspaceFolder));
}

std::string IncompleteLoadMessage() { return ResModule::LoadResString(kIncompleteMessage); }

std::string ReadLoadMessage(Database& db) {
    try {
        auto rs = db.OpenRecordset("SELECT StatusVal FROM Status WHERE StatusType = ?", {kStatusErrorMessage});
        // Every build starts from a template that holds the row: a database
        // without it never saw a build complete.
        if (rs.IsEOF()) return IncompleteLoadMessage();
        std::string value = rs.Text("StatusVal");
        return common::AsciiEqualNoCase(value, "none") ? std::string() : value;
    } catch (const DbError&) {
        return IncompleteLoadMessage();
    }
}

void SetBuildStepHook(BuildStepHook hook) { g_stepHook = hook; }

void WriteLoadMessage(Database& db, const std::string& message) {
    Step(kStepStatusWrite);
    db.Execute("UPDATE Status SET StatusVal = ? WHERE StatusType = ?",
               {message.empty() ? std::string("none") : message, kStatusErrorMessage});
}

}  // namespace workspace
