#include "reports/ReportPaths.h"

#include "common/Globals.h"

namespace mdlReports {

namespace fs = std::filesystem;

ReportPaths g_ReportPaths;

ReportPaths ComputeReportPaths(const fs::path& appPath, const fs::path& workspaceFolder) {
    ReportPaths p;
    const fs::path html = appPath / "html";
    p.g_TemplateLevel1 = html / "templatePage_level1.xsl";
    p.g_TemplateLevel11 = html / "templatePage_level1.1.xsl";
    p.g_TemplateLevel2 = html / "templatePage_level2.xsl";
    p.g_TemplateDiagram = html / "templateDiagram.html";
    p.g_TemplateScreen = html / "templateScreen.html";
    p.g_TemplateIndex = html / "templateIndex.html";
    p.g_TemplateCRUD = html / "templateCRUD.html";
    p.g_TemplateImagesFolder = html / "images";

    const fs::path root = workspaceFolder / "Output" / "QuarvelReports";
    const fs::path inventory = root / "inventory";
    const fs::path client = root / "client";
    const fs::path server = root / "server";
    const fs::path special = root / "special";
    p.g_ReportRoot = root;
    p.g_IndexPagePath = root / "index.html";
    p.g_DiagramsFolder = root / "diagrams";
    p.g_ScreensPagePath = inventory / "screens.html";
    p.g_ScreensFolder = inventory / "screens";
    p.g_ProgramsPagePath = inventory / "programs.html";
    p.g_DataStoresPagePath = inventory / "datastores.html";
    p.g_LinesOfCodePagePath = inventory / "linesofcode.html";
    p.g_BatchPagePath = client / "batch.html";
    p.g_ClientFacingPagePath = client / "clientfacing.html";
    p.g_ClientFacingMixedPagePath = client / "clientfacingmixed.html";
    p.g_ClientFacingCalledPagePath = client / "clientfacingcalled.html";
    p.g_ClientFacingMixedCalledPagePath = client / "clientfacingmixedcalled.html";
    p.g_TransitionalPagePath = client / "transitional.html";
    p.g_TransitionalCalledPagePath = client / "transitionalcalled.html";
    p.g_FrontierDataAccessPagePath = server / "frontierdataaccess.html";
    p.g_FrontierDataLogicPagePath = server / "frontierdatalogic.html";
    p.g_FrontierLogicOnlyPagePath = server / "frontierlogiconly.html";
    p.g_FrontierIrregularPagePath = server / "frontierirregular.html";
    p.g_ServerDataAccessPagePath = server / "serverdataaccess.html";
    p.g_ServerDataLogicPagePath = server / "serverdatalogic.html";
    p.g_ServerLogicOnlyPagePath = server / "serverlogiconly.html";
    p.g_ServerIrregularPagePath = server / "serverirregular.html";
    p.g_NoCategoryPagePath = special / "nocategory.html";
    p.g_CrudOverlapPagePath = special / "crudoverlap.html";
    p.g_CrudSignaturesFolder = special / "crudsignatures";
    p.g_CommareaReportPath = special / "commareasize.html";
    p.g_ValidationReportPath = special / "validationrules.html";
    p.g_QueuesPagePath = special / "queues.html";
    return p;
}

const ReportPaths& InitReportPaths() {
    g_ReportPaths = ComputeReportPaths(Globals::g_AppPath, Globals::g_WorkspaceFolder);
    return g_ReportPaths;
}

}  // namespace mdlReports
