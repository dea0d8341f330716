#include "reports/ReportPaths.h"

#include "common/Globals.h"

namespace mdlReports {

namespace fs = std::filesystem;

fs::path g_TemplateLevel1;
fs::path g_TemplateLevel11;
fs::path g_TemplateLevel2;
fs::path g_TemplateDiagram;
fs::path g_TemplateScreen;
fs::path g_TemplateIndex;
fs::path g_TemplateCRUD;
fs::path g_TemplateImagesFolder;

fs::path g_ReportRoot;
fs::path g_IndexPagePath;
fs::path g_DiagramsFolder;
fs::path g_ScreensPagePath;
fs::path g_ScreensFolder;
fs::path g_ProgramsPagePath;
fs::path g_DataStoresPagePath;
fs::path g_LinesOfCodePagePath;
fs::path g_BatchPagePath;
fs::path g_ClientFacingPagePath;
fs::path g_ClientFacingMixedPagePath;
fs::path g_ClientFacingCalledPagePath;
fs::path g_ClientFacingMixedCalledPagePath;
fs::path g_TransitionalPagePath;
fs::path g_TransitionalCalledPagePath;
fs::path g_FrontierDataAccessPagePath;
fs::path g_FrontierDataLogicPagePath;
fs::path g_FrontierLogicOnlyPagePath;
fs::path g_FrontierIrregularPagePath;
fs::path g_ServerDataAccessPagePath;
fs::path g_ServerDataLogicPagePath;
fs::path g_ServerLogicOnlyPagePath;
fs::path g_ServerIrregularPagePath;
fs::path g_NoCategoryPagePath;
fs::path g_CrudOverlapPagePath;
fs::path g_CrudSignaturesFolder;
fs::path g_CommareaReportPath;
fs::path g_ValidationReportPath;
fs::path g_QueuesPagePath;

void InitReportPaths() {
    const fs::path html = Globals::g_AppPath / "html";
    g_TemplateLevel1 = html / "templatePage_level1.xsl";
    g_TemplateLevel11 = html / "templatePage_level1.1.xsl";
    g_TemplateLevel2 = html / "templatePage_level2.xsl";
    g_TemplateDiagram = html / "templateDiagram.html";
    g_TemplateScreen = html / "templateScreen.html";
    g_TemplateIndex = html / "templateIndex.html";
    g_TemplateCRUD = html / "templateCRUD.html";
    g_TemplateImagesFolder = html / "images";

    const fs::path root = Globals::g_WorkspaceFolder / "Output" / "QuarvelReports";
    const fs::path inventory = root / "inventory";
    const fs::path client = root / "client";
    const fs::path server = root / "server";
    const fs::path special = root / "special";
    g_ReportRoot = root;
    g_IndexPagePath = root / "index.html";
    g_DiagramsFolder = root / "diagrams";
    g_ScreensPagePath = inventory / "screens.html";
    g_ScreensFolder = inventory / "screens";
    g_ProgramsPagePath = inventory / "programs.html";
    g_DataStoresPagePath = inventory / "datastores.html";
    g_LinesOfCodePagePath = inventory / "linesofcode.html";
    g_BatchPagePath = client / "batch.html";
    g_ClientFacingPagePath = client / "clientfacing.html";
    g_ClientFacingMixedPagePath = client / "clientfacingmixed.html";
    g_ClientFacingCalledPagePath = client / "clientfacingcalled.html";
    g_ClientFacingMixedCalledPagePath = client / "clientfacingmixedcalled.html";
    g_TransitionalPagePath = client / "transitional.html";
    g_TransitionalCalledPagePath = client / "transitionalcalled.html";
    g_FrontierDataAccessPagePath = server / "frontierdataaccess.html";
    g_FrontierDataLogicPagePath = server / "frontierdatalogic.html";
    g_FrontierLogicOnlyPagePath = server / "frontierlogiconly.html";
    g_FrontierIrregularPagePath = server / "frontierirregular.html";
    g_ServerDataAccessPagePath = server / "serverdataaccess.html";
    g_ServerDataLogicPagePath = server / "serverdatalogic.html";
    g_ServerLogicOnlyPagePath = server / "serverlogiconly.html";
    g_ServerIrregularPagePath = server / "serverirregular.html";
    g_NoCategoryPagePath = special / "nocategory.html";
    g_CrudOverlapPagePath = special / "crudoverlap.html";
    g_CrudSignaturesFolder = special / "crudsignatures";
    g_CommareaReportPath = special / "commareasize.html";
    g_ValidationReportPath = special / "validationrules.html";
    g_QueuesPagePath = special / "queues.html";
}

}  // namespace mdlReports
