#pragma once
// A workspace database under construction, in the words of the tests:
// programs, screens and stores, and the rows between them.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/classify/WorkspaceDb.h"

namespace classifytest {

class ClassifyFixture : public ::testing::Test {
protected:
    std::unique_ptr<platform::db::Database> db = NewWorkspaceDb();

    static std::string Id(const std::string& name) { return "PROGRAM#" + name; }
    void Program(const std::string& name) { AddEnt(*db, Id(name), "PROGRAM", name); }
    void Programs(std::initializer_list<const char*> names) {
        for (const char* n : names) Program(n);
    }
    // A screen and a store per program that uses one, named after it.
    void Converse(const std::string& p) {
        AddEnt(*db, "MAP#" + p, "MAP", "M" + p);
        AddRel(*db, Id(p), "MAP#" + p, "PROGRAM", "MAP", "converse");
    }
    void Access(const std::string& p) {
        AddEnt(*db, "TABLE#" + p, "store", "T" + p, false, "TABLE");
        AddRel(*db, Id(p), "TABLE#" + p, "PROGRAM", "TABLE", "access");
    }
    void Calls(const std::string& a, const std::string& b) { AddRel(*db, Id(a), Id(b), "PROGRAM", "PROGRAM", "Calls"); }
    void Xctls(const std::string& a, const std::string& b) { AddRel(*db, Id(a), Id(b), "PROGRAM", "PROGRAM", "Xctls"); }

    int Code(const std::string& name) { return CodeOf(*db, Id(name)); }
    std::string Flags(const std::string& name) { return FlagsOf(*db, Id(name)); }
};

}  // namespace classifytest
