#pragma once
// The CRUD overlap pages of a report run: special/crudoverlap.html, a table
// of the similar program pairs (as the overlap window lists them), and one
// comparison page per pair under special/crudsignatures that shows both
// programs' CRUD signatures side by side. Both names of a row on the
// overlap page link to that row's comparison page.
//
// The step reruns the CRUD overlap analysis and works from its result only:
// a cancelled analysis writes no page, and a run that found no sharing pair
// lists none, whatever comparison file an earlier run left. The programs'
// signature tables are laid out in memory, never as files of their own, so
// no program name can overwrite or remove a comparison page; the links go
// onto the overlap page's cells by their place in the table.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/xml/XmlDocument.h"
#include "reports/ReportContext.h"

namespace mdlReports {

// The comparison page of a page name ("<program one>-<program two>") in the
// signatures folder, named through ReportFileName.
std::filesystem::path GetCRUDSignaturePath(const ReportPaths& paths, std::string_view name);
// The link from the overlap page to a comparison page file:
// "crudsignatures/ALPHA-BETA.html", encoded for an href.
std::string GetCRUDSignatureLink(const ReportPaths& paths, const std::filesystem::path& file);

// A program's CRUD signature (its own accesses) laid out by the level-2
// template under the program's name, in memory. The document holds the
// table <table id="result">.
platform::xml::Document GetProgramCRUDTable(ReportContext& ctx, const std::string& name, const std::string& id);

// The step "CRUD Overlap": the analysis (restrict as the Options give it),
// the overlap page and every comparison page. After the analysis, a
// progress level captioned kReadingPairs while the pairs and their
// programs' signatures are read; then a level of two steps per pair, each
// captioned "CRUD for <program>"; then the wait for the last comparison
// pages (kWritingComparisons) and the overlap page (kWritingOverlap) on
// levels of their own. A cancel in the analysis gives "0" and no page. One
// after it gives "0" too: no signatures folder is left, and the overlap
// page is written listing every pair, without links. "-1" when done: every
// page is written.
std::string GenerateCRUDOverlapReport(ReportContext& ctx, bool restrict);

// The captions of the step's waits, each on a progress level of its own.
inline constexpr const char* kReadingPairs = "Reading the similar programs";
inline constexpr const char* kWritingComparisons = "Writing the CRUD comparison pages";
inline constexpr const char* kWritingOverlap = "Writing the CRUD overlap page";

}  // namespace mdlReports
