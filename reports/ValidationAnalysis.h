#pragma once
// The validation rules analysis. For every frontier and server program
// (SOAType 20, 21, 22, 30, 31, 32; the irregular ones are left out) it
// collects the screen-conversing programs related to it, walks their
// screen input ports (PORTTYPE "SCREEN", DIRECT "IN") through the ports'
// uses and declarations down to every sub-declaration, and records each
// condition found on an instance of a sub-declaration in Ports (one row per
// analysed program and port), Subdecls and Conds (shared by every program
// that reaches them). The page "Validation Rules Report" lists each program
// that has Ports rows with the number of its conditions.

#include <string>

#include "common/Collection.h"
#include "reports/AnalysisRun.h"

namespace platform::db {
class Database;
}
namespace platform::workbench {
class CodeModel;
}

namespace mdlReports {

// Rebuilds Ports, Subdecls and Conds and writes paths.g_ValidationReportPath
// under a progress level "Find validations" of one step per program plus
// one (one step without caption when there is none). Cancel is honoured
// after each program: "0", the rows so far stay, no page. Database errors
// are raised; the three tables then keep what they held before. A workspace
// that may not be written through run.output is refused before anything is
// touched (RefuseUnlessWritable).
AnalysisResult GetValidationRulesReport(const AnalysisRun& run);

}  // namespace mdlReports

namespace Globals {

// Adds program to collected (key = the id), then, when search is true and
// program converses with no screen map, the programs that have a
// relationship towards it and converse with a map; when none do, every
// program with a relationship towards it, each searched on in turn. Every
// id enters once (ids compared as the database compares them), so call
// cycles end; the walk keeps its own stack, so a long chain of callers
// needs no deep recursion.
void CollectScreenCallers(platform::db::Database& db, const std::string& program,
                          common::Collection<std::string>& collected, bool search);

// The sub-declarations below a declaration, in pre-order, as
// "<identifier>" TAB "<name>" keyed by the identifier: only children of
// type "DECL" (exact letter case), each followed by its own. A construct
// met a second time below the declaration (a repeated child, a cycle in a
// damaged model) is listed once and not walked again. Raises
// WorkbenchError for an identifier the model does not have.
common::Collection<std::string> FlattenDeclarations(const platform::workbench::CodeModel& model,
                                                    const std::string& declarationId);

}  // namespace Globals
