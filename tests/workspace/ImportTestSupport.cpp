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
