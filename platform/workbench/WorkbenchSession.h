#pragma once
// One session per open workspace: the folders of the workbench
// installation, the option documents, and the open repository with its
// current project folder. Everything the program asks about the analysed
// application goes through the entity store the session hands out.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/workbench/EntityStore.h"
#include "platform/workbench/Options.h"
#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

namespace detail {
struct RepositoryCore;
}

// Folder kinds that GetFolder knows.
enum FolderKind : int {
    kFolderWorkbenchData = 1,   // <install>/Data: MainData.mdb, Options.Global.xml
    kFolderUserData = 3,        // <home>/.local/share/QuarvelAnalyzer: the user's working folder
    kFolderDefaults = 9,        // <install>/Data/Defaults: the default Options.User.xml
    kFolderUserConfig = 13,     // <home>/.config/QuarvelAnalyzer: the user's Options/ folder
};

class MainDataSettings {
public:
    void SetDatabasePath(const std::filesystem::path& path) { m_path = path; }
    const std::filesystem::path& GetDatabasePath() const { return m_path; }
private:
    std::filesystem::path m_path;
};

class WorkbenchSession {
public:
    WorkbenchSession();
    ~WorkbenchSession();
    WorkbenchSession(const WorkbenchSession&) = delete;
    WorkbenchSession& operator=(const WorkbenchSession&) = delete;

    // <installation folder>/Bin; its parent is the installation folder.
    void SetBinFolder(const std::filesystem::path& binFolder) { m_binFolder = binFolder; }
    const std::filesystem::path& GetBinFolder() const { return m_binFolder; }
    MainDataSettings& GetMainDataSettings() { return m_mainData; }
    // A folder path without trailing separator; raises for an unknown kind
    // and for the installation folders before SetBinFolder.
    std::string GetFolder(int kind) const;

    OptionsFactory& GetOptionsFactory() { return m_optionsFactory; }
    void SetGlobalOptions(std::shared_ptr<OptionsDocument> options) { m_globalOptions = std::move(options); }
    const std::shared_ptr<OptionsDocument>& GetGlobalOptions() const { return m_globalOptions; }
    void SetUserOptions(std::shared_ptr<OptionsDocument> options) { m_userOptions = std::move(options); }
    const std::shared_ptr<OptionsDocument>& GetUserOptions() const { return m_userOptions; }
    // The window that owns the session's dialogs; kept, never used by the core.
    void SetOwnerForm(const void* owner) { m_owner = owner; }

    // Opens the repository named by the workspace file (the first of the two
    // values of FileNameUtility::GetRepositoryValues); the second value is
    // the project key. False, never an exception, when the workspace file or
    // the repository is missing, unreadable or damaged; LastError says why.
    bool OpenRepository(const std::string& workspaceFile, const std::string& projectKey);
    // True when a FOLDER entity of that name exists; it becomes the current folder.
    bool SelectFolder(std::string_view name);
    // The key is a FOLDER entity key ("FOLDER#<n>") or a folder name; with
    // neither, the repository's only folder is taken when it has exactly one.
    bool SelectFolderByKey(std::string_view key);
    const std::string& GetCurrentFolder() const { return m_currentFolder; }
    // Undoes OpenRepository; handles obtained earlier raise from now on.
    bool CloseRepository();
    void Close();
    bool IsRepositoryOpen() const;

    // Raises when no repository is open.
    EntityStore GetEntityStore() const;
    // The folder that "Source" and "Vornic" paths are relative to.
    const std::filesystem::path& GetWorkspaceFolder() const { return m_workspaceFolder; }
    const std::filesystem::path& GetWorkspaceFile() const { return m_workspaceFile; }
    const std::string& LastError() const { return m_lastError; }

private:
    std::filesystem::path m_binFolder;
    MainDataSettings m_mainData;
    OptionsFactory m_optionsFactory;
    std::shared_ptr<OptionsDocument> m_globalOptions, m_userOptions;
    const void* m_owner = nullptr;
    std::shared_ptr<detail::RepositoryCore> m_core;
    std::filesystem::path m_workspaceFile, m_workspaceFolder;
    std::string m_projectKey, m_currentFolder, m_lastError;
};

}  // namespace platform::workbench
