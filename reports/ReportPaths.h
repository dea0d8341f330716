#pragma once
// Where every report page and template lives. Computed once per workspace
// load from the application folder and the workspace folder, so that page
// writers never build a report path of their own.

#include <filesystem>

namespace mdlReports {

// Templates under the application folder's html folder.
extern std::filesystem::path g_TemplateLevel1;
extern std::filesystem::path g_TemplateLevel11;
extern std::filesystem::path g_TemplateLevel2;
extern std::filesystem::path g_TemplateDiagram;
extern std::filesystem::path g_TemplateScreen;
extern std::filesystem::path g_TemplateIndex;
extern std::filesystem::path g_TemplateCRUD;
// The images the report run copies into its output tree.
extern std::filesystem::path g_TemplateImagesFolder;

// The output tree: <workspace folder>/Output/QuarvelReports and below.
extern std::filesystem::path g_ReportRoot;
extern std::filesystem::path g_IndexPagePath;
extern std::filesystem::path g_DiagramsFolder;
extern std::filesystem::path g_ScreensPagePath;
extern std::filesystem::path g_ScreensFolder;
extern std::filesystem::path g_ProgramsPagePath;
extern std::filesystem::path g_DataStoresPagePath;
extern std::filesystem::path g_LinesOfCodePagePath;
extern std::filesystem::path g_BatchPagePath;
extern std::filesystem::path g_ClientFacingPagePath;
extern std::filesystem::path g_ClientFacingMixedPagePath;
extern std::filesystem::path g_ClientFacingCalledPagePath;
extern std::filesystem::path g_ClientFacingMixedCalledPagePath;
extern std::filesystem::path g_TransitionalPagePath;
extern std::filesystem::path g_TransitionalCalledPagePath;
extern std::filesystem::path g_FrontierDataAccessPagePath;
extern std::filesystem::path g_FrontierDataLogicPagePath;
extern std::filesystem::path g_FrontierLogicOnlyPagePath;
extern std::filesystem::path g_FrontierIrregularPagePath;
extern std::filesystem::path g_ServerDataAccessPagePath;
extern std::filesystem::path g_ServerDataLogicPagePath;
extern std::filesystem::path g_ServerLogicOnlyPagePath;
extern std::filesystem::path g_ServerIrregularPagePath;
extern std::filesystem::path g_NoCategoryPagePath;
extern std::filesystem::path g_CrudOverlapPagePath;
extern std::filesystem::path g_CrudSignaturesFolder;
extern std::filesystem::path g_CommareaReportPath;
extern std::filesystem::path g_ValidationReportPath;
extern std::filesystem::path g_QueuesPagePath;

// Recomputes every path above from Globals::g_AppPath and
// Globals::g_WorkspaceFolder. Touches no file and does not fail.
void InitReportPaths();

}  // namespace mdlReports
