#pragma once
// A fresh workspace database made from the built template, and a listing of
// its Ents and Rels rows for comparisons.

#include <memory>
#include <string>
#include <vector>

#include "platform/db/Database.h"
#include "tests/support/TestSupport.h"

namespace importtest {

// An open copy of the template database inside dir.
std::unique_ptr<platform::db::Database> FreshWorkspaceDb(const testsupport::TempDir& dir,
                                                         const std::string& name = "QuarvelAnalyzer.mdb");

// "Id1 | Id2 | EntName1 | EntName2 | RelName | RelNameFull", sorted.
std::vector<std::string> RelsListing(platform::db::Database& db);
// "ID | EntName | EntNameFull | Name | BusName | Stub", in SerialID order.
std::vector<std::string> EntsListing(platform::db::Database& db);

}  // namespace importtest

#include "platform/workbench/RepositoryBuilder.h"
#include "platform/workbench/WorkbenchSession.h"

namespace importtest {

// A small repository written with the builder, then opened through a
// session. Relations are named by their side-0 role; "Has" gets "BelongsTo"
// as its side-1 role, every other name "<name>Of".
class SmallRepo {
public:
    SmallRepo();
    int64_t Add(std::string_view type, std::string_view name, const platform::workbench::AttributeList& attrs = {});
    // typeName defaults to "Rel<role0>"; relation type names ignore case.
    void Rel(const std::string& role0, int64_t source, int64_t target, const std::string& typeName = {});
    std::string Key(int64_t number) const { return m_builder->Key(number); }
    // Finishes the repository and opens it (once).
    platform::workbench::WorkbenchSession& Session();
    platform::workbench::EntityStore Store() { return Session().GetEntityStore(); }

    testsupport::TempDir dir;

private:
    std::unique_ptr<platform::workbench::RepositoryBuilder> m_builder;
    platform::workbench::WorkbenchSession m_session;
    bool m_open = false;
};

}  // namespace importtest
