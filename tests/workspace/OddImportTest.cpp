#include <gtest/gtest.h>

#include <random>
#include <set>

#include "classify/ClassifyObjects.h"
#include "tests/workspace/ImportTestSupport.h"
#include "workspace/RepositoryImport.h"

using importtest::SmallRepo;
using Rows = std::vector<std::string>;
using platform::db::Database;

namespace {

// Relations of every kind between entities of every kind, in any direction,
// with loops, repeats, empty names and names full of markup and non-ASCII
// letters: the import completes and the classification and its tree follow.
TEST(OddImport, RandomShapesImportClassifyAndGiveAWellFormedTree) {
    const char* types[] = {"PROGRAM", "PROGRAMENTRY", "DECISION", "TRANSACTION", "SCRMSG", "MAP", "DATAPORT",
                           "CONNECTOR", "DATASTORE", "TABLE", "HISEGMENT", "ADABASFILE", "FOLDER", "Odd#Type"};
    const char* rels[] = {"Has", "Calls", "Xctls", "Converse", "ReadsTable", "LeadsTo", "Starts", "Sends", "X"};
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        SmallRepo repo;
        std::vector<int64_t> ids;
        const unsigned n = 5 + rng() % 40;
        for (unsigned i = 0; i < n; ++i) {
            std::string name = rng() % 5 == 0 ? "" : "N'\"<&>#\xC3\xA9" + std::to_string(rng() % 7);
            platform::workbench::AttributeList attrs;
            if (rng() % 2) attrs.push_back({"Source", "s"});
            ids.push_back(repo.Add(types[rng() % std::size(types)], name, attrs));
        }
        for (unsigned i = 0; i < n * 2; ++i)
            repo.Rel(rels[rng() % std::size(rels)], ids[rng() % ids.size()], ids[rng() % ids.size()]);

        testsupport::TempDir dbDir;
        auto db = importtest::FreshWorkspaceDb(dbDir);
        testsupport::RecordingProgress progress;
        const auto result = workspace::ImportRepositoryEntities(*db, repo.Session(), progress);
        ASSERT_TRUE(result.done) << result.error;
        EXPECT_FALSE(db->InTransaction());

        const common::Tree tree = classify::ClassifyObjects(*db, progress);
        std::set<std::string> seen;
        for (const auto& node : tree.Nodes()) {
            EXPECT_TRUE(node.parentKey.empty() || seen.count(node.parentKey)) << node.key;
            EXPECT_TRUE(seen.insert(node.key).second) << node.key;
        }
        EXPECT_EQ(progress.level, 0);
    }
}

// A repository damaged by hand: a relation whose type is no longer defined
// stops the import with that reason, keeping what came before; an entity
// whose type is no longer defined is left out.
TEST(OddImport, UndefinedTypesInADamagedRepository) {
    for (const bool dropRelationType : {true, false}) {
        SCOPED_TRACE(dropRelationType ? "relation type" : "entity type");
        SmallRepo repo;
        const auto p = repo.Add("PROGRAM", "P");
        const auto t = repo.Add("TABLE", "T");
        const auto m = repo.Add("MAP", "M");
        repo.Rel("ReadsTable", p, t);
        repo.Rel("Sends", p, m);
        repo.Session();
        Database::Open(repo.dir / "Ws" / "Repository.db")
            ->Execute(dropRelationType ? "DELETE FROM RelationTypes WHERE Name = ?" : "DELETE FROM EntityTypes WHERE Name = ?",
                      {dropRelationType ? "RelReadsTable" : "TABLE"});
        ASSERT_TRUE(repo.Session().OpenRepository((repo.dir / "Ws.hxp").string(), "Ws"));

        testsupport::TempDir dbDir;
        auto db = importtest::FreshWorkspaceDb(dbDir);
        testsupport::RecordingProgress progress;
        const auto result = workspace::ImportRepositoryEntities(*db, repo.Session(), progress);
        auto k = [&](int64_t n) { return repo.Key(n); };
        const Rows ents{k(m) + " | MAP | MAP | M | M | -1", k(p) + " | PROGRAM | PROGRAM | P | P | 0"};
        EXPECT_EQ(importtest::EntsListing(*db), ents);
        EXPECT_FALSE(db->InTransaction());
        if (dropRelationType) {
            EXPECT_FALSE(result.done);
            EXPECT_NE(result.error.find("unknown type"), std::string::npos) << result.error;
            EXPECT_EQ(importtest::RelsListing(*db), Rows{});
        } else {
            EXPECT_TRUE(result.done) << result.error;
            EXPECT_EQ(importtest::RelsListing(*db), (Rows{k(p) + " | " + k(m) + " | PROGRAM | MAP | converse | Sends"}));
        }
    }
}

}  // namespace
