#pragma once
// A small workspace for the COMMAREA and validation analyses: a repository whose programs
// name their code models the way the workbench does ("Sid" to a COBOL
// member whose "Vornic" is Models/<name>.ctb), the model databases written
// with the code model builder, and a workspace database from the template
// whose Ents and Rels rows are added by hand.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/workbench/CodeModelBuilder.h"
#include "platform/workbench/RepositoryBuilder.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/xml/XmlDocument.h"
#include "reports/AnalysisRun.h"
#include "reports/OutputTree.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportPaths.h"
#include "tests/reports/CrudWorkspace.h"
#include "tests/support/TestSupport.h"

namespace analysistest {

namespace fs = std::filesystem;
namespace wb = platform::workbench;

class AnalysisWorkspace {
public:
    AnalysisWorkspace() : m_repo(wb::RepositoryBuilder::CreateWorkspace(dir / "Ws.hxp", "Ws")) {
        paths = mdlReports::ComputeReportPaths(testsupport::AppDir(), Folder());
        mdlReports::RebuildOutputTree(paths);
    }

    fs::path Folder() const { return dir / "Ws"; }

    // A program in the repository and in Ents; its Ents.ID is returned.
    // With a model, the program names Models/<name>.ctb and Model(name)
    // writes that file.
    std::string Program(const std::string& name, int soaType = 0, bool withModel = true,
                        const std::string& extension = ".ctb") {
        const int64_t program = m_repo->AddEntity("PROGRAM", name, {{"Language", "COBOL"}});
        wb::AttributeList member;
        if (withModel) member.emplace_back("Vornic", "Models/" + name + extension);
        const int64_t source = m_repo->AddEntity("COBOL", name + ".cbl", member);
        m_repo->SetAttribute(program, "Sid", m_repo->Key(source));
        const std::string id = m_repo->Key(program);
        m_members[name] = m_repo->Key(source);
        Ents(id, "PROGRAM", name, soaType, false);
        return id;
    }
    // A program the workspace knows only by name.
    std::string Stub(const std::string& name, int soaType = 0) {
        const std::string id = "STUBPROG#" + std::to_string(++m_stubs);
        Ents(id, "PROGRAM", name, soaType, true);
        return id;
    }
    std::string Map(const std::string& name) {
        const std::string id = m_repo->Key(m_repo->AddEntity("MAP", name));
        Ents(id, "MAP", name, 0, false);
        return id;
    }
    void Rel(const std::string& from, const std::string& to, const std::string& entName2, const std::string& relName) {
        ws.db->Execute(
            "INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
            "VALUES (?1, ?2, 'PROGRAM', ?3, ?4, ?4)",
            {from, to, entName2, relName});
    }
    void Calls(const std::string& caller, const std::string& called) { Rel(caller, called, "PROGRAM", "Calls"); }
    void Converses(const std::string& program, const std::string& map) { Rel(program, map, "MAP", "converse"); }

    // The model builder of a program added with a model; Finish() it.
    std::unique_ptr<wb::CodeModelBuilder> Model(const std::string& name) {
        return std::make_unique<wb::CodeModelBuilder>(ModelFile(name), Member(name), name);
    }
    // The key of the member that carries the program's model.
    const std::string& Member(const std::string& name) const { return m_members.at(name); }
    fs::path ModelFile(const std::string& name) const { return Folder() / "Models" / (name + ".mdb"); }

    wb::WorkbenchSession& Session() {
        if (!m_open) {
            m_repo->Finish();
            m_session.SetBinFolder(dir / "install" / "Bin");
            auto [file, key] = FileNameUtility::GetRepositoryValues((dir / "Ws.hxp").string());
            if (!m_session.OpenRepository(file, key)) throw std::runtime_error(m_session.LastError());
            m_open = true;
        }
        return m_session;
    }

    mdlReports::AnalysisRun Run(common::IProgress& progress, std::string separator = ".") {
        return mdlReports::AnalysisRun{*ws.db,   Session(), paths, builder, progress, prompt,
                                       mdlReports::OutputFolderBoundary(paths), std::move(separator)};
    }

    // Rows of a query, each as its columns joined by " | ".
    std::vector<std::string> Rows(const std::string& sql) {
        std::vector<std::string> out;
        auto st = ws.db->Prepare(sql);
        while (st.Step()) {
            std::string row;
            for (int c = 0; c < st.ColumnCount(); ++c) row += (c ? " | " : "") + st.Text(c);
            out.push_back(row);
        }
        return out;
    }

    // The data rows of a list page, each as its cells joined by " | ", a
    // line break inside a cell written as "/".
    static std::vector<std::string> PageRows(const fs::path& page) {
        std::vector<std::string> out;
        const auto doc = platform::xml::Document::Load(page);
        for (const auto& tr : doc.SelectNodes("//table[@id='result']//tr[td]")) {
            std::string row;
            for (const auto& td : tr.ChildElements()) {
                if (!row.empty()) row += " | ";
                for (const auto& part : td.Children()) row += part.Name() == "br" ? std::string("/") : part.Text();
            }
            out.push_back(row);
        }
        return out;
    }

    // Open files of this process in the models folder.
    size_t OpenModelFiles() const {
        size_t n = 0;
        const std::string folder = fs::weakly_canonical(Folder() / "Models").string();
        for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
            std::error_code ec;
            const std::string target = fs::read_symlink(fd.path(), ec).string();
            if (!ec && target.rfind(folder, 0) == 0) ++n;
        }
        return n;
    }

    testsupport::TempDir dir;
    crudtest::CrudWorkspace ws;
    mdlReports::ReportPaths paths;
    mdlReports::ReportBuilder builder;
    testsupport::ScriptedPrompt prompt;

private:
    void Ents(const std::string& id, const std::string& kind, const std::string& name, int soaType, bool stub) {
        ws.db->Execute("INSERT INTO Ents (ID, EntName, Name, BusName, SOAType, Stub) VALUES (?1, ?2, ?3, ?3, ?4, ?5)",
                       {id, kind, name, soaType, platform::db::Value(stub)});
    }

    std::unique_ptr<wb::RepositoryBuilder> m_repo;
    wb::WorkbenchSession m_session;
    std::map<std::string, std::string> m_members;
    int m_stubs = 0;
    bool m_open = false;
};

}  // namespace analysistest
