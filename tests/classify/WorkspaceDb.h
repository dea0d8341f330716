#pragma once
// Workspace databases for the classification tests: the real schema in
// memory, and small helpers to add entities and relationships.

#include <memory>
#include <string>

#include "platform/db/Database.h"

namespace classifytest {

// An in-memory database with the workspace tables (Ents, Rels, Status).
std::unique_ptr<platform::db::Database> NewWorkspaceDb();

// Adds an Ents row; BusName equals Name, as the import writes it.
void AddEnt(platform::db::Database& db, const std::string& id, const std::string& entName,
            const std::string& name, bool stub = false, const std::string& entNameFull = {}, int soaType = 0);
void AddRel(platform::db::Database& db, const std::string& id1, const std::string& id2, const std::string& entName1,
            const std::string& entName2, const std::string& relName);

// A program row's code, or -1 when Ents has no program row of that id.
int CodeOf(platform::db::Database& db, const std::string& id);
// The seven flags of a program row as letters T/F in the order AccessScreen,
// Xctls, Xctled, CallsData, CallsDataIndirect, Called, OnTop.
std::string FlagsOf(platform::db::Database& db, const std::string& id);

}  // namespace classifytest
