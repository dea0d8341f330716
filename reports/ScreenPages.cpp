#include "reports/ScreenPages.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "common/AsciiCase.h"
#include "common/WriteBoundary.h"
#include "platform/db/Database.h"
#include "platform/screenmap/FieldListing.h"
#include "platform/screenmap/WorkspaceFiles.h"
#include "platform/workbench/EntityStore.h"
#include "reports/BackgroundJobs.h"
#include "reports/ListPage.h"
#include "reports/PageDocument.h"
#include "reports/ReportError.h"
#include "reports/ReportIndex.h"

namespace mdlReports {

namespace fs = std::filesystem;
namespace sm = platform::screenmap;
using platform::db::Database;
using platform::db::Recordset;
using platform::xml::Document;
using platform::xml::Node;

namespace {

// Stub DESC puts the screens that are not stubs (0) above the stubs (-1).
constexpr const char* kScreensSql =
    "SELECT Name, Id, OnlineAccessible, SOAType, Stub FROM Ents WHERE EntName = ?1 "
    "ORDER BY Stub DESC, Name, SerialID";
constexpr const char* kInsertFieldSql =
    "INSERT INTO Fields (MapName, FldName, FldRow, row, col, Length, InitialValue, Attrib) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
// The pseudo fields have no place and add nothing to the width.
constexpr const char* kWidthSql = "SELECT Max(Col+Length) AS Maximum FROM Fields WHERE MapName = ?1";
constexpr const char* kFieldsSql =
    "SELECT FldName, row, col, Length, InitialValue, Attrib FROM Fields "
    "WHERE MapName = ?1 AND FldRow >= 0 ORDER BY Row, Col, FldRow";

constexpr int64_t kDefaultWidth = 80;

void AddFieldRecord(platform::db::Statement& insert, const std::string& mapName, const std::string& fieldName,
                    int32_t ordinal, int row, int col, int length, const std::string& initialValue,
                    int32_t attrib) {
    insert.Run({mapName, fieldName, ordinal, row, col, length, initialValue, attrib});
}

// Characters, not bytes, make the columns of the screen.
std::size_t Utf8Length(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string_view Utf8Prefix(std::string_view text, int64_t characters) {
    std::size_t at = 0;
    for (int64_t n = 0; at < text.size(); ++n) {
        if (n == characters) return text.substr(0, at);
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    }
    return text;
}

// The page text up to the line that closes its body.
std::string UpToBody(const std::string& page) {
    std::string collected;
    std::size_t at = 0;
    while (at < page.size()) {
        std::size_t end = page.find('\n', at);
        if (end == std::string::npos) end = page.size();
        std::string_view line(page.data() + at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (common::AsciiEqualNoCase(line, "</body>")) break;
        collected.append(line);
        collected += '\n';
        at = end + 1;
    }
    return collected;
}

// The folder is made with each page, where the page is written: on a
// writing thread, the window's thread never waits for the boundary, which
// the threads drawing diagrams behind the run, at a low priority, hold now
// and then.
void WritePage(const common::WriteBoundary& output, const fs::path& folder, const fs::path& file,
               const std::string& text) {
    output.MakeFolders(folder);
    try {
        output.Replace(file, text);
    } catch (const std::exception& e) {
        throw ReportError("Cannot write \"" + file.string() + "\": " + e.what());
    }
}

// The heading in the template's cell "title".
Node ScreenHeading(const Document& page) {
    const Node heading = TitleHeading(page);
    if (!heading) throw ReportError("The screen template has no title in its cell \"title\"");
    return heading;
}

}  // namespace

// ---- the map's fields ------------------------------------------------------

void LoadMapFields(Database& db, const platform::workbench::RepositoryEntity& entity, const std::string& name,
                   const fs::path& workspaceFolder) {
    platform::db::Transaction transaction(db);
    db.Execute("DELETE FROM Fields");
    // Only a file inside the workspace folder is a listing of the workspace.
    const auto file = sm::WorkspaceFile(workspaceFolder, entity.GetAttribute("Source"));
    std::string path = file ? file->string() : std::string();
    int32_t flags = 0;
    if (file && FileNameUtility::CheckListingFile(path, flags)) {
        const sm::FieldListing listing = sm::ReadFieldListing(path);
        // A row that cannot be stored ends the load like a damaged line:
        // the rows before it stay.
        try {
            if (listing.hasHeader) {
                auto insert = db.Prepare(kInsertFieldSql);
                AddFieldRecord(insert, name, "**EIBAID**", -2, 0, 0, 0, "", 0);
                AddFieldRecord(insert, name, "**EIBCPOSN**", -1, 0, 0, 0, "", 0);
                for (const sm::MapField& f : listing.fields)
                    AddFieldRecord(insert, name, f.name, f.ordinal, f.row, f.col, f.length, f.initialValue, f.attrib);
            }
        } catch (const std::exception&) {
        }
    }
    transaction.Commit();
}

// ---- the drawing -------------------------------------------------------------

std::string ScreenGrid(const std::vector<GridField>& fields, int64_t width) {
    std::string grid;
    // False once the grid would pass its limit: the drawing ends there.
    auto room = [&grid](int64_t more) {
        return more <= 0 || static_cast<uint64_t>(more) <= kMaxGridBytes - grid.size();
    };
    auto blanks = [&grid](int64_t n) {
        if (n > 0) grid.append(static_cast<std::size_t>(n), ' ');
    };
    int64_t r = 1, c = 1;
    for (const GridField& f : fields) {
        // Fields come by row; one above the current line can only lie above
        // the screen and is drawn where the drawing stands.
        if (f.row > r) {
            if (!room(std::max<int64_t>(width - c, 0) + 1)) return grid;
            blanks(width - c);
            grid += '\n';
            for (++r; r < f.row; ++r) {
                if (!room(std::max<int64_t>(width, 0) + 1)) return grid;
                blanks(width);
                grid += '\n';
            }
            c = 1;
        }
        if (f.col > c) {
            if (!room(f.col - c)) return grid;
            blanks(f.col - c);
            c = f.col;
        }
        const int64_t length = std::max<int64_t>(f.length, 0);
        if (sm::IsEntryField(f.name, f.attrib)) {
            // A browser draws a box of size N wider than N characters; the
            // width in character cells keeps what follows it in its column.
            const std::string box = "<input type=\"text\" size=\"" + std::to_string(f.length) + "\" maxlength=\"" +
                                    std::to_string(f.length) + "\" value=\"" + HtmlText(f.initialValue) + "\" " +
                                    (sm::IsProtectedEntry(f.name, f.attrib) ? "readonly" : "class=\"Edited\"") +
                                    " style=\"width:" + std::to_string(length) + "ch\">";
            if (!room(static_cast<int64_t>(box.size()))) return grid;
            grid += box;
            c += length;
        } else {
            const std::string_view shown = Utf8Prefix(f.initialValue, length);
            const std::string text = HtmlText(shown);
            if (!room(static_cast<int64_t>(text.size()))) return grid;
            grid += text;
            c += static_cast<int64_t>(Utf8Length(shown));
        }
    }
    return grid;
}

ScreenFields ReadScreenFields(Database& db, const std::string& name) {
    // Each read that fails is passed over: the page is written all the same.
    ScreenFields screen;
    screen.width = kDefaultWidth;
    try {
        const platform::db::Value maximum = db.Scalar(kWidthSql, {name});
        if (!maximum.IsNull()) screen.width = maximum.AsInt();
    } catch (const std::exception&) {
    }
    try {
        for (Recordset rs = db.OpenRecordset(kFieldsSql, {name}); !rs.IsEOF(); rs.MoveNext())
            screen.fields.push_back({rs.Text("FldName"), rs.Int("row"), rs.Int("col"), rs.Int("Length"),
                                     rs.Text("InitialValue"), rs.Int("Attrib")});
    } catch (const std::exception&) {
        screen.fields.clear();
    }
    return screen;
}

std::string ScreenTable(const ScreenFields& screen) {
    return "<table align=\"center\">\n<tr><td><pre width=\"80\">\n" + ScreenGrid(screen.fields, screen.width) +
           "\n</pre></td></tr></table></body></html>\n";
}

// ---- the pages ----------------------------------------------------------------

namespace {

// The screen template with the client information: read from its file
// and the database for the first page of a step, and parsed again from
// that text for each page, on whichever thread makes it.
class ScreenTemplate {
public:
    explicit ScreenTemplate(ReportContext& ctx) : m_ctx(ctx) {}
    const std::string& Text() {
        if (m_text.empty()) {
            Document page = LoadPage(m_ctx.paths.g_TemplateScreen, PageSource::Template, m_ctx.prompt);
            FillClientInfo(page, m_ctx.db);
            ScreenHeading(page);   // a template without its title cell fails here, once
            m_text = page.ToString();
        }
        return m_text;
    }

private:
    ReportContext& m_ctx;
    std::string m_text;
};

// The page of a screen titled name, with the table given (none: the title
// alone).
std::string ScreenPageText(const std::string& templateText, const std::string& name,
                           const std::optional<ScreenFields>& screen) {
    Document page = Document::Parse(templateText);
    SetTitleText(ScreenHeading(page), name);
    const std::string titled = PageText(page, PageSaveOptions{true});
    return screen ? UpToBody(titled) + ScreenTable(*screen) + "\n" : titled;
}

// The page of one screen; its file is written at once, or by jobs when given.
void WriteScreenPage(ReportContext& ctx, ScreenTemplate& screen, const std::string& id, const std::string& name,
                     BackgroundJobs* jobs) {
    const std::string& templateText = screen.Text();
    const fs::path& folder = ctx.paths.g_ScreensFolder;
    const fs::path file = GetScreenPagePath(ctx.paths, name);

    // The page is written once, with its screen; when the fields cannot be
    // read at all, it is written with its title alone before the error goes on.
    try {
        LoadMapFields(ctx.db, ctx.store.Item(id), name, ctx.workspaceFolder);
    } catch (...) {
        WritePage(ctx.output, folder, file, ScreenPageText(templateText, name, std::nullopt));
        throw;
    }
    // The database is read here; the page is made and written by the jobs.
    auto make = [templateText, name, folder, file, output = ctx.output, fields = ReadScreenFields(ctx.db, name)] {
        WritePage(output, folder, file, ScreenPageText(templateText, name, fields));
    };
    if (jobs)
        jobs->Submit(std::move(make));
    else
        make();
}

}  // namespace

void GenerateScreenPage(ReportContext& ctx, const std::string& id, const std::string& name) {
    ScreenTemplate screen(ctx);
    WriteScreenPage(ctx, screen, id, name, nullptr);
}

std::string GenerateScreensReport(ReportContext& ctx) {
    Recordset rs = ctx.db.OpenRecordset(kScreensSql, {"MAP"});
    if (rs.IsEOF()) return "0";
    // Every screen's fields in one write to the database, not one per
    // screen; the pages' files are written by other threads meanwhile.
    platform::db::Transaction transaction(ctx.db);
    BackgroundJobs files;
    files.StepWhileWaiting(ctx.progress);
    ScreenTemplate screen(ctx);
    std::unordered_set<std::string> written;   // file names of the pages submitted
    const ListedRows listed = ListEntities(
        ctx, rs, "Screens Report", [](Recordset&) { return std::string("Screen"); },
        [&](Recordset& row, const std::string& name) {
            // Screens of the same name share a page: the later one's must
            // win, as when the pages are written in turn.
            if (!written.insert(ReportFileName(name)).second) files.Finish();
            WriteScreenPage(ctx, screen, row.Text("Id"), name, &files);
            return std::string(kScreenImage) + GetScreenLink(ctx.paths, name);
        });
    files.Finish();
    transaction.Commit();
    if (listed.stubs) g_StubsPresent = true;
    const std::string count = CountText(listed.rows, listed.stubs);
    WriteListPage(ctx, ctx.paths.g_ScreensPagePath);
    return count;
}

}  // namespace mdlReports
