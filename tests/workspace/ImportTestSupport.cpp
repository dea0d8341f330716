#include "tests/workspace/ImportTestSupport.h"

#include <algorithm>
#include <filesystem>

namespace importtest {

namespace fs = std::filesystem;
using platform::db::Database;

std::unique_ptr<Database> FreshWorkspaceDb(const testsupport::TempDir& dir, const std::string& name) {
    const fs::path target = dir / name;
    fs::copy_file(testsupport::AppDir() / "QuarvelAnalyzer.mdb", target, fs::copy_options::overwrite_existing);
    return Database::Open(target);
}

std::vector<std::string> RelsListing(Database& db) {
    std::vector<std::string> out;
    auto st = db.Prepare("SELECT Id1, Id2, EntName1, EntName2, RelName, RelNameFull FROM Rels");
    while (st.Step())
        out.push_back(st.Text(0) + " | " + st.Text(1) + " | " + st.Text(2) + " | " + st.Text(3) + " | " + st.Text(4) +
                      " | " + st.Text(5));
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> EntsListing(Database& db) {
    std::vector<std::string> out;
    auto st = db.Prepare("SELECT ID, EntName, EntNameFull, Name, BusName, Stub FROM Ents ORDER BY SerialID");
    while (st.Step())
        out.push_back(st.Text(0) + " | " + st.Text(1) + " | " + st.Text(2) + " | " + st.Text(3) + " | " + st.Text(4) +
                      " | " + st.Text(5));
    return out;
}

}  // namespace importtest

#include "platform/workbench/RepositoryValues.h"

namespace importtest {

SmallRepo::SmallRepo() : m_builder(platform::workbench::RepositoryBuilder::CreateWorkspace(dir / "Ws.hxp", "Ws")) {}

int64_t SmallRepo::Add(std::string_view type, std::string_view name, const platform::workbench::AttributeList& attrs) {
    return m_builder->AddEntity(type, name, attrs);
}

void SmallRepo::Rel(const std::string& role0, int64_t source, int64_t target, const std::string& typeName) {
    const std::string type = typeName.empty() ? "Rel" + role0 : typeName;
    m_builder->DefineRelationType(type, role0, role0 == "Has" ? "BelongsTo" : role0 + "Of");
    m_builder->Relate(type, source, target);
}

platform::workbench::WorkbenchSession& SmallRepo::Session() {
    if (!m_open) {
        m_builder->Finish();
        m_session.SetBinFolder(dir / "install" / "Bin");
        auto [file, key] = FileNameUtility::GetRepositoryValues((dir / "Ws.hxp").string());
        if (!m_session.OpenRepository(file, key)) throw std::runtime_error(m_session.LastError());
        m_open = true;
    }
    return m_session;
}

}  // namespace importtest
