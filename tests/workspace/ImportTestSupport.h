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
