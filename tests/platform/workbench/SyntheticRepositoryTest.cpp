#include <gtest/gtest.h>

#include "bench/generator/SyntheticRepository.h"
#include "platform/workbench/CodeModel.h"
#include "platform/workbench/RepositoryQuery.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "tests/support/TestSupport.h"

using namespace platform::workbench;
namespace fs = std::filesystem;

namespace {

struct Opened {
    WorkbenchSession session;
    EntityStore store;
    explicit Opened(const fs::path& hxp) {
        auto [a, b] = FileNameUtility::GetRepositoryValues(hxp.string());
        EXPECT_TRUE(session.OpenRepository(a, b)) << session.LastError();
        store = session.GetEntityStore();
    }
    // Every relation of every program, as "<from> <role> <to>".
    std::vector<std::string> ProgramRelations() {
        std::vector<std::string> out;
        for (EntityList l = store.GetEntities("PROGRAM"); !l.AtEnd(); l.MoveNext()) {
            RepositoryEntity p = l.Current();
            RepositoryQuery q = store.CreateQuery();
            int status = 0;
            QueryNode rel = q.CreateRelationNode("*>", "Type:Rel", q.CreateNode(status, "", "ID,Type,Name"));
            q.SetRoot(q.CreateNode(status, "PROGRAM", "", "ID=" + std::to_string(p.GetNumber()), rel));
            q.Execute();
            for (; !q.AtEnd(); q.MoveNext())
                out.push_back(p.GetName() + " " + q.Current().Field("Rel").Value().AsText() + " " +
                              q.Current().Field("Name").Value().AsText());
        }
        return out;
    }
};

}  // namespace

TEST(SyntheticRepository, ProgramsStoresScreensAndModelsInTheSampleShapes) {
    testsupport::TempDir dir;
    bench::generator::Options options;
    options.programs = 130;   // two full applications and a part of a third
    options.modelEvery = 25;
    auto summary = bench::generator::GenerateRepository(dir.Path(), options);
    EXPECT_EQ(summary.programs, 130);
    EXPECT_GT(summary.models, 0);

    Opened repo(summary.workspaceFile);
    EXPECT_EQ(repo.store.GetEntities("PROGRAM").Count(), 130);
    for (const char* type : {"TABLE", "HISEGMENT", "ADABASFILE", "NETRECORD", "DATAAREA", "DMSIIDATASET", "DATASTORE",
                             "MAP", "SCRMSG", "TRANSACTION", "DECISION", "DATAPORT", "CONNECTOR", "FOLDER"})
        EXPECT_GT(repo.store.GetEntities(type).Count(), 0) << type;
    auto relations = repo.ProgramRelations();
    EXPECT_GE(static_cast<double>(relations.size()) / 130, 6.0);

    // Every program has its entry, a source file, and the screens their listings.
    ModelLoader loader;
    loader.SetSession(&repo.session);
    int models = 0;
    for (EntityList l = repo.store.GetEntities("PROGRAM"); !l.AtEnd(); l.MoveNext()) {
        RepositoryEntity p = l.Current();
        EXPECT_EQ(p.GetRelated("Has").Count(), 1) << p.GetName();
        RepositoryEntity source = repo.store.Item(p.GetAttribute("Sid"));
        EXPECT_TRUE(fs::exists(repo.session.GetWorkspaceFolder() / source.GetAttribute("Source"))) << p.GetName();
        if (source.GetAttribute("Vornic").empty()) continue;
        auto [file, key] = loader.LookupSid(source.GetId());
        CodeModel model = CodeModelFactory().CreateCodeModel(repo.store, file, key);
        EXPECT_EQ(model.GetObjects("", "PORT").Count(), 2);
        ++models;
    }
    EXPECT_EQ(models, summary.models);
    int stubs = 0;
    for (EntityList l = repo.store.GetEntities("MAP"); !l.AtEnd(); l.MoveNext()) {
        std::string source = l.Current().GetAttribute("Source");
        if (source.empty())
            ++stubs;
        else
            EXPECT_TRUE(fs::exists(repo.session.GetWorkspaceFolder() / source));
    }
    EXPECT_EQ(stubs, 3);
}

TEST(SyntheticRepository, TheSameOptionsGiveTheSameRepository) {
    testsupport::TempDir a, b;
    bench::generator::Options options;
    options.programs = 60;
    options.writeFiles = false;
    auto first = bench::generator::GenerateRepository(a.Path(), options);
    auto second = bench::generator::GenerateRepository(b.Path(), options);
    EXPECT_EQ(first.entities, second.entities);
    EXPECT_EQ(first.relations, second.relations);
    EXPECT_EQ(Opened(first.workspaceFile).ProgramRelations(), Opened(second.workspaceFile).ProgramRelations());
    options.seed = 7;
    auto other = bench::generator::GenerateRepository(b.Path(), options);
    EXPECT_NE(Opened(first.workspaceFile).ProgramRelations(), Opened(other.workspaceFile).ProgramRelations());
    options.programs = 0;
    EXPECT_THROW(bench::generator::GenerateRepository(b.Path(), options), std::runtime_error);
}
