#pragma once
// Where every report page and template lives, as one value computed from the
// application folder and the workspace folder. The workspace load computes
// it once and hands it out; page writers take it as a parameter and never
// build a report path of their own.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/WriteBoundary.h"

namespace mdlReports {

struct ReportPaths {
    // The workspace folder every file below it is written through: the
    // folder the window's claim holds (InitReportPaths), or the folder by
    // its path (ComputeReportPaths, for callers without a window).
    common::WriteBoundary workspace = common::WriteBoundary::Closed({}, "no workspace is open");

    // Templates under the application folder's html folder, and the images
    // the report run copies into its output tree.
    std::filesystem::path g_TemplateLevel1;
    std::filesystem::path g_TemplateLevel11;
    std::filesystem::path g_TemplateLevel2;
    std::filesystem::path g_TemplateDiagram;
    std::filesystem::path g_TemplateScreen;
    std::filesystem::path g_TemplateIndex;
    std::filesystem::path g_TemplateCRUD;
    std::filesystem::path g_TemplateImagesFolder;

    // The output tree: <workspace folder>/Output/QuarvelReports and below.
    std::filesystem::path g_ReportRoot;
    std::filesystem::path g_IndexPagePath;
    std::filesystem::path g_DiagramsFolder;
    std::filesystem::path g_ScreensPagePath;
    std::filesystem::path g_ScreensFolder;
    std::filesystem::path g_ProgramsPagePath;
    std::filesystem::path g_DataStoresPagePath;
    std::filesystem::path g_LinesOfCodePagePath;
    std::filesystem::path g_BatchPagePath;
    std::filesystem::path g_ClientFacingPagePath;
    std::filesystem::path g_ClientFacingMixedPagePath;
    std::filesystem::path g_ClientFacingCalledPagePath;
    std::filesystem::path g_ClientFacingMixedCalledPagePath;
    std::filesystem::path g_TransitionalPagePath;
    std::filesystem::path g_TransitionalCalledPagePath;
    std::filesystem::path g_FrontierDataAccessPagePath;
    std::filesystem::path g_FrontierDataLogicPagePath;
    std::filesystem::path g_FrontierLogicOnlyPagePath;
    std::filesystem::path g_FrontierIrregularPagePath;
    std::filesystem::path g_ServerDataAccessPagePath;
    std::filesystem::path g_ServerDataLogicPagePath;
    std::filesystem::path g_ServerLogicOnlyPagePath;
    std::filesystem::path g_ServerIrregularPagePath;
    std::filesystem::path g_NoCategoryPagePath;
    std::filesystem::path g_CrudOverlapPagePath;
    std::filesystem::path g_CrudSignaturesFolder;
    std::filesystem::path g_CommareaReportPath;
    std::filesystem::path g_ValidationReportPath;
    std::filesystem::path g_QueuesPagePath;
};

// Every path of a report set: templates under appPath/html, pages under
// workspaceFolder/Output/QuarvelReports. Touches no file and does not fail.
ReportPaths ComputeReportPaths(const std::filesystem::path& appPath, const std::filesystem::path& workspaceFolder);

// What writes the report tree writes through: the Output folder, opened
// from the workspace's boundary (a link there, to another disk on purpose,
// followed once); below it nothing is written through a link
// (common::WriteBoundary). It refuses what the workspace's refuses.
common::WriteBoundary OutputFolderBoundary(const ReportPaths& paths);

// The report paths of the open workspace, set by InitReportPaths.
extern ReportPaths g_ReportPaths;

// Recomputes g_ReportPaths from Globals::g_AppPath,
// Globals::g_WorkspaceFolder and Globals::g_WorkspaceBoundary and returns it.
const ReportPaths& InitReportPaths();

// A path of the report set as seen from the report root, with "/" between
// its parts ("diagrams/PGM1.html", "index.html"); "" for an empty path.
std::string GetRelativeReportPath(const ReportPaths& paths, const std::filesystem::path& path);

// The longest file name ReportFileName gives: with the longest ending a
// report file adds to it (".1_preview.jpg", 14 bytes) and the suffix of
// the temporary it is written through, every file stays within the file
// system's 255 bytes.
inline constexpr std::size_t kMaxReportFileNameBytes = 255 - common::kTemporarySuffixBytes - 14;

// The link text of an entity without a name.
inline constexpr char kNoNameText[] = "(no name)";

// The file name (without extension) under which an entity's page and images
// are written. Every page file and every link to it comes from here, so the
// two always agree: characters that would leave the folder or that a file
// system or a URL treats specially ("/", "\", a leading ".", controls, "%",
// quotes, ":", "*", "?", "<", ">", "|") become "%" and two hex digits; all
// other bytes, non-ASCII and bytes that are no UTF-8 included, stay as they
// are. A name that would pass kMaxReportFileNameBytes keeps its beginning
// (cut between characters) and ends in "~" and 16 hex digits of a hash of
// the whole name; the empty name gives "%empty". Distinct names give
// distinct file names (two long ones with the same beginning by their
// 64-bit hash).
std::string ReportFileName(std::string_view name);

// A relative path made fit for an href: every byte but letters, digits,
// "-", ".", "_", "~" and "/" percent-encoded, so the browser finds the file
// of exactly that name.
std::string ReportHref(std::string_view relativePath);

// Text made safe for HTML markup built as text: &, <, > and " escaped,
// characters XML cannot carry replaced.
std::string HtmlText(std::string_view text);

// The context diagram page of a program, in the diagrams folder.
std::filesystem::path GetDiagramPagePath(const ReportPaths& paths, std::string_view name);
// The page of a screen, in the screens folder.
std::filesystem::path GetScreenPagePath(const ReportPaths& paths, std::string_view name);

// An anchor, for a page one level below the report root, to a program's
// context diagram page: <a href="../diagrams/PGM1.html" class="style2">PGM1</a>.
std::string GetDiagramLink(const ReportPaths& paths, std::string_view name);
// The same anchor to a screen's page: ../inventory/screens/MAP01.html.
std::string GetScreenLink(const ReportPaths& paths, std::string_view name);

}  // namespace mdlReports
