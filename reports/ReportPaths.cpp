#include "reports/ReportPaths.h"

#include "common/Globals.h"
#include "platform/xml/XmlChars.h"

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

std::string GetRelativeReportPath(const ReportPaths& paths, const fs::path& path) {
    if (path.empty()) return {};
    const std::string relative = path.lexically_relative(paths.g_ReportRoot).generic_string();
    return relative == "." ? std::string() : relative;
}

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

bool NeedsEscapeInFileName(unsigned char c) {
    if (c < 0x20 || c == 0x7F) return true;
    switch (c) {
        case '/': case '\\': case '%': case ':': case '*': case '?':
        case '"': case '\'': case '<': case '>': case '|':
            return true;
        default:
            return false;
    }
}

bool UnreservedInUrl(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

std::string Anchor(const ReportPaths& paths, const fs::path& target, std::string_view name) {
    return "<a href=\"../" + ReportHref(GetRelativeReportPath(paths, target)) + "\" class=\"style2\">" + HtmlText(name) +
           "</a>";
}

}  // namespace

std::string ReportFileName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        // A leading dot would hide the file, and "." or ".." name a folder.
        if (NeedsEscapeInFileName(c) || (i == 0 && c == '.'))
            AppendEscaped(out, c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

std::string ReportHref(std::string_view relativePath) {
    std::string out;
    out.reserve(relativePath.size());
    for (char ch : relativePath) {
        const auto c = static_cast<unsigned char>(ch);
        if (UnreservedInUrl(c))
            out += ch;
        else
            AppendEscaped(out, c);
    }
    return out;
}

std::string HtmlText(std::string_view text) {
    const std::string clean = platform::xml::detail::XmlChars(text);
    std::string out;
    out.reserve(clean.size());
    platform::xml::AppendEscaped(out, clean, false);
    return out;
}

fs::path GetDiagramPagePath(const ReportPaths& paths, std::string_view name) {
    return paths.g_DiagramsFolder / (ReportFileName(name) + ".html");
}

fs::path GetScreenPagePath(const ReportPaths& paths, std::string_view name) {
    return paths.g_ScreensFolder / (ReportFileName(name) + ".html");
}

std::string GetDiagramLink(const ReportPaths& paths, std::string_view name) {
    return Anchor(paths, GetDiagramPagePath(paths, name), name);
}

std::string GetScreenLink(const ReportPaths& paths, std::string_view name) {
    return Anchor(paths, GetScreenPagePath(paths, name), name);
}

}  // namespace mdlReports
