#pragma once
// Shared by the page writer tests: a workspace database from the template's
// SQL, a small repository, the report tree of a workspace "Bank" built with
// the real templates, and the rows of a written list page.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/db/Database.h"
#include "reports/OutputTree.h"
#include "reports/PageDocument.h"
#include "reports/ReportContext.h"
#include "reports/ReportIndex.h"
#include "tests/reports/CrudWorkspace.h"
#include "tests/reports/ReportTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/workspace/ImportTestSupport.h"

namespace pagetest {

class PagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "Bank");
        ASSERT_TRUE(mdlReports::RebuildOutputTree(paths));
        mdlReports::g_StubsPresent = false;
    }

    // An Ents row; Stub and OnlineAccessible as the database stores them.
    void Ent(const std::string& id, const std::string& entName, const std::string& name, int soaType = 0,
             bool stub = false, bool online = false) {
        db->Execute("INSERT INTO Ents (ID, EntName, Name, BusName, SOAType, Stub, OnlineAccessible) "
                    "VALUES (?1, ?2, ?3, ?3, ?4, ?5, ?6)",
                    {id, entName, name, soaType, stub, online});
    }

    // The context of a run over this database, repository and tree.
    mdlReports::ReportContext Context(platform::workbench::EntityStore store = {},
                                      std::filesystem::path workspaceFolder = {}) {
        return mdlReports::ReportContext{*db,     std::move(store), std::move(workspaceFolder),
                                         paths,   builder,          progress,
                                         prompt,  mdlReports::OutputFolderBoundary(paths)};
    }

    testsupport::TempDir dir;
    std::unique_ptr<platform::db::Database> db = crudtest::TemplateDb();
    mdlReports::ReportPaths paths = reporttest::PathsIn(dir);
    mdlReports::ReportBuilder builder;
    testsupport::RecordingProgress progress;
    testsupport::ScriptedPrompt prompt;
};

// A listing line of 23 values with the ones the page reads filled in;
// change (position from 1, text) puts another text in one value.
inline std::string FieldLine(const std::string& name, int attrib, const std::string& initial, int length, int col,
                             int row, std::pair<int, std::string> change = {}) {
    std::vector<std::string> v(23, "0");
    for (int text : {6, 13, 16, 17}) v[text - 1] = "";
    v[0] = name;
    v[2] = std::to_string(attrib);
    v[7] = initial;
    v[11] = std::to_string(length);
    v[21] = std::to_string(col);
    v[22] = std::to_string(row);
    if (change.first > 0) v[change.first - 1] = change.second;
    std::string line = v[0];
    for (std::size_t i = 1; i < v.size(); ++i) line += "\t" + v[i];
    return line + "\n";
}

// A saved page as a document (its entities protected as on loading).
inline platform::xml::Document Page(const std::filesystem::path& file) {
    testsupport::ScriptedPrompt prompt;
    return mdlReports::LoadPage(file, mdlReports::PageSource::Template, prompt);
}

// A cell in short: text as it reads, "[src]" for an image, "{href|text}"
// for a link.
inline std::string CellText(const platform::xml::Node& cell) {
    std::string out;
    for (const auto& child : cell.Children()) {
        if (child.Name() == "img")
            out += "[" + child.GetAttribute("src") + "]";
        else if (child.Name() == "a")
            out += "{" + child.GetAttribute("href") + "|" + child.Text() + "}";
        else
            out += child.Text();
    }
    return out;
}

// The rows of a list page's result table, headings first.
inline std::vector<std::vector<std::string>> Rows(const std::filesystem::path& file) {
    std::vector<std::vector<std::string>> rows;
    const auto page = Page(file);
    for (const auto& tr : page.SelectNodes("//table[@id='result']/tr")) {
        std::vector<std::string> cells;
        for (const auto& cell : tr.ChildElements()) cells.push_back(CellText(cell));
        rows.push_back(std::move(cells));
    }
    return rows;
}

}  // namespace pagetest
