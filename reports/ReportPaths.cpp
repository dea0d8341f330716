#include "reports/ReportPaths.h"

#include <algorithm>
#include <cstdint>

#include "common/Globals.h"
#include "common/Utf8.h"
#include "platform/xml/XmlChars.h"

namespace mdlReports {

namespace fs = std::filesystem;

ReportPaths g_ReportPaths;

ReportPaths ComputeReportPaths(const fs::path& appPath, const fs::path& workspaceFolder) {
    ReportPaths p;
    p.workspace = common::WriteBoundary(workspaceFolder);
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

common::WriteBoundary OutputFolderBoundary(const ReportPaths& paths) {
    const fs::path output = paths.g_ReportRoot.parent_path();
    try {
        return paths.workspace.Below(output);
    } catch (const std::exception& e) {
        return common::WriteBoundary::Closed(output, e.what());
    }
}

const ReportPaths& InitReportPaths() {
    g_ReportPaths = ComputeReportPaths(Globals::g_AppPath, Globals::g_WorkspaceFolder);
    g_ReportPaths.workspace = Globals::g_WorkspaceBoundary;
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
        // "~" only ever stands before the hash of a shortened name, so no
        // short name can pass for a shortened one.
        case '~':
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
    // An empty text would leave nothing to click.
    const std::string text = name.empty() ? std::string(kNoNameText) : HtmlText(name);
    return "<a href=\"../" + ReportHref(GetRelativeReportPath(paths, target)) + "\" class=\"style2\">" + text + "</a>";
}

}  // namespace

std::string ReportFileName(std::string_view name) {
    // Empty, the page would be the hidden ".html". Every "%" that escaping
    // writes is followed by two upper-case hex digits, so this name is no
    // other name's.
    if (name.empty()) return "%empty";
    std::string out;
    out.reserve(name.size());
    // Where a shortened name may end: after a whole escape or character,
    // leaving room for the hash.
    constexpr std::size_t kKept = kMaxReportFileNameBytes - 1 - 16;
    std::size_t cut = 0;
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        // A leading dot would hide the file, and "." or ".." name a folder.
        if (NeedsEscapeInFileName(c) || (i == 0 && c == '.')) {
            AppendEscaped(out, c);
            ++i;
        } else {
            // Bytes that are not UTF-8 (Latin-1 text) stay as they are, one
            // by one: the file system takes any byte but "/" and NUL.
            const std::size_t length = std::max<std::size_t>(common::DecodeUtf8(name, i).length, 1);
            out.append(name.substr(i, length));
            i += length;
        }
        if (out.size() <= kKept) cut = out.size();
    }
    if (out.size() <= kMaxReportFileNameBytes) return out;
    // A stable hash of the whole name keeps two long names with the same
    // beginning apart, run after run.
    std::uint64_t hash = 14695981039346656037ull;   // FNV-1a, 64 bits
    for (char ch : name) {
        hash ^= static_cast<unsigned char>(ch);
        hash *= 1099511628211ull;
    }
    out.resize(cut);
    out += '~';
    for (int shift = 60; shift >= 0; shift -= 4) out += kHex[(hash >> shift) & 0x0F];
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
