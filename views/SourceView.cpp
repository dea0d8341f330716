#include "views/SourceView.h"

#include <exception>

#include "common/AsciiCase.h"
#include "platform/screenmap/WorkspaceFiles.h"

namespace views {

namespace fs = std::filesystem;
namespace sm = platform::screenmap;

namespace {

// Where a "Source" value leads inside the workspace folder; the message
// when it leads nowhere.
std::optional<fs::path> SourceFile(const fs::path& folder, const std::string& source, std::string& message) {
    auto file = sm::WorkspaceFile(folder, source);
    if (!file) message = "The source \"" + source + "\" does not name a file inside the workspace folder.";
    return file;
}

void LoadMap(const platform::workbench::RepositoryEntity& entity, const fs::path& folder, SourceContent& out) {
    out.kind = SourceContent::Kind::Map;
    const std::string source = entity.GetAttribute("Source");
    if (source.empty()) return;  // a map without a listing is drawn empty
    const auto file = SourceFile(folder, source, out.message);
    if (!file) return;
    std::string path = file->string();
    int32_t flags = 0;
    if (!FileNameUtility::CheckListingFile(path, flags)) {
        std::error_code ec;
        out.message = fs::exists(*file, ec) ? "The file " + file->string() + " is not a field listing."
                                            : "The file " + file->string() + " does not exist.";
        return;
    }
    out.file = path;
    out.listing = sm::ReadFieldListing(out.file);
    if (!out.listing.Complete())
        out.message = "The field listing " + out.file.string() + " could not be read in full (" +
                      out.listing.stopReason + "); the fields before that are shown.";
}

void LoadProgram(const platform::workbench::RepositoryEntity& entity, const fs::path& folder, SourceContent& out) {
    const std::string language = entity.GetAttribute("Language");
    const auto relation = DefiningRelation(language);
    if (!relation) {
        out.message = language.empty() ? "The program has no source language."
                                       : "Programs in " + language + " have no source view.";
        return;
    }
    auto defining = entity.GetRelated(*relation);
    if (defining.AtEnd()) {
        out.message = "The repository holds no source for this program.";
        return;
    }
    const std::string source = defining.Current().GetAttribute("Source");
    if (source.empty()) {
        out.message = "The program's source entity names no file.";
        return;
    }
    const auto file = SourceFile(folder, source, out.message);
    if (!file) return;
    out.text = sm::ReadTextFile(*file);
    out.file = *file;
    out.kind = SourceContent::Kind::Program;
}

}  // namespace

std::string SourceWindowKey(std::string_view id) { return std::string(id) + "-Source"; }

bool OpensSourceView(std::string_view id) {
    return common::AsciiStartsWithNoCase(id, "PROGRAM") || common::AsciiStartsWithNoCase(id, "MAP");
}

std::optional<std::string> DefiningRelation(std::string_view language) {
    static const struct {
        const char* language;
        const char* relation;
    } kRelations[] = {
        {"NATURAL", "IsDefinedInNatural"},
        {"COBOL", "IsDefinedInCobol"},
        {"PLI", "IsDefinedInPLI"},
        {"RPG", "IsDefinedIn"},
    };
    for (const auto& r : kRelations)
        if (common::AsciiEqualNoCase(language, r.language)) return std::string(r.relation);
    return std::nullopt;
}

SourceContent LoadSourceContent(const platform::workbench::EntityStore& store, const fs::path& workspaceFolder,
                                const std::string& id) {
    SourceContent out;
    try {
        if (store.IsNull()) {
            out.message = "No repository is open.";
            return out;
        }
        const auto entity = store.Item(id);
        const std::string type = entity.GetType().GetName();
        if (common::AsciiEqualNoCase(type, "MAP"))
            LoadMap(entity, workspaceFolder, out);
        else if (common::AsciiEqualNoCase(type, "PROGRAM"))
            LoadProgram(entity, workspaceFolder, out);
    } catch (const std::exception& e) {
        // The map control stays (empty or partly drawn); a program shows
        // nothing but the reason.
        if (out.kind == SourceContent::Kind::Program) out.kind = SourceContent::Kind::Nothing;
        out.text.clear();
        out.message = e.what();
    }
    return out;
}

}  // namespace views
