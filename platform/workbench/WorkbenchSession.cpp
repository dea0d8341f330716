#include "platform/workbench/WorkbenchSession.h"

#include <cstdlib>

#include "platform/workbench/RepositoryCore.h"
#include "platform/workbench/RepositoryFormat.h"
#include "platform/workbench/WorkspaceFile.h"

namespace platform::workbench {

namespace {

std::filesystem::path Home() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    return std::filesystem::temp_directory_path();
}

std::string WithoutTrailingSeparator(const std::filesystem::path& p) {
    std::string s = p.string();
    while (s.size() > 1 && (s.back() == '/' || s.back() == '\\')) s.pop_back();
    return s;
}

}  // namespace

WorkbenchSession::WorkbenchSession() = default;

WorkbenchSession::~WorkbenchSession() { Close(); }

std::string WorkbenchSession::GetFolder(int kind) const {
    auto install = [this] {
        if (m_binFolder.empty()) throw WorkbenchError("The workbench's Bin folder has not been set.");
        std::filesystem::path bin = std::filesystem::path(WithoutTrailingSeparator(m_binFolder));
        return bin.parent_path();
    };
    switch (kind) {
        case kFolderWorkbenchData: return WithoutTrailingSeparator(install() / "Data");
        case kFolderDefaults: return WithoutTrailingSeparator(install() / "Data" / "Defaults");
        case kFolderUserData: {
            const char* xdg = std::getenv("XDG_DATA_HOME");
            std::filesystem::path base = xdg && *xdg ? std::filesystem::path(xdg) : Home() / ".local" / "share";
            return WithoutTrailingSeparator(base / "QuarvelAnalyzer");
        }
        case kFolderUserConfig: {
            const char* xdg = std::getenv("XDG_CONFIG_HOME");
            std::filesystem::path base = xdg && *xdg ? std::filesystem::path(xdg) : Home() / ".config";
            return WithoutTrailingSeparator(base / "QuarvelAnalyzer");
        }
        default: throw WorkbenchError("The workbench knows no folder of kind " + std::to_string(kind) + ".");
    }
}

bool WorkbenchSession::OpenRepository(const std::string& workspaceFile, const std::string& projectKey) {
    CloseRepository();
    m_lastError.clear();
    try {
        WorkspaceFileReader reader;
        reader.Load(workspaceFile);
        auto database = OpenRepositoryFile(reader.RepositoryFile());
        m_core = std::make_shared<detail::RepositoryCore>(std::move(database));
        m_workspaceFile = workspaceFile;
        m_workspaceFolder = WorkspaceFolderOf(workspaceFile);
        m_projectKey = projectKey;
        return true;
    } catch (const std::exception& e) {
        m_core.reset();
        m_lastError = e.what();
        return false;
    }
}

bool WorkbenchSession::IsRepositoryOpen() const { return m_core && m_core->IsOpen(); }

bool WorkbenchSession::SelectFolder(std::string_view name) {
    EntityStore store = GetEntityStore();
    EntityList folders = store.GetEntities("FOLDER");
    for (; !folders.AtEnd(); folders.MoveNext()) {
        RepositoryEntity folder = folders.Current();
        if (detail::SameText(folder.GetName(), name)) {
            m_currentFolder = folder.GetName();
            return true;
        }
    }
    return false;
}

bool WorkbenchSession::SelectFolderByKey(std::string_view key) {
    EntityStore store = GetEntityStore();
    std::string type;
    int64_t number = 0;
    if (SplitEntityKey(key, type, number) && detail::SameText(type, "FOLDER")) {
        try {
            m_currentFolder = store.Item(key).GetName();
            return true;
        } catch (const WorkbenchError&) {
            return false;
        }
    }
    if (SelectFolder(key)) return true;
    EntityList folders = store.GetEntities("FOLDER");
    if (folders.Count() == 1) {
        m_currentFolder = folders.Current().GetName();
        return true;
    }
    return false;
}

bool WorkbenchSession::CloseRepository() {
    bool wasOpen = IsRepositoryOpen();
    if (m_core) m_core->Close();
    m_core.reset();
    m_currentFolder.clear();
    return wasOpen;
}

void WorkbenchSession::Close() {
    CloseRepository();
    m_globalOptions.reset();
    m_userOptions.reset();
    m_owner = nullptr;
}

EntityStore WorkbenchSession::GetEntityStore() const {
    if (!IsRepositoryOpen()) throw WorkbenchError("No repository is open.");
    return EntityStore(m_core);
}

}  // namespace platform::workbench
