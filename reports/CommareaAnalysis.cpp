#include "reports/CommareaAnalysis.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/AsciiCase.h"
#include "common/Progress.h"
#include "platform/db/Database.h"
#include "platform/workbench/ReadTransaction.h"
#include "platform/workbench/WorkbenchSession.h"
#include "reports/ListPage.h"
#include "reports/ModelReadAhead.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportPaths.h"
#include "reports/ViewOnlyGuard.h"

namespace mdlReports {

namespace wb = platform::workbench;
using platform::db::Database;
using platform::db::Value;

namespace {

constexpr char kRecordFormat[] =
    "<LCRecordFormat><Name CAPTION=\"Name\" valign=\"top\"/><Commarea CAPTION=\"COMMAREA Caption\" RAW=\"no\"/>"
    "<Size CAPTION=\"Size (bytes)\" RAW=\"no\"/></LCRecordFormat>";
constexpr char kBreak[] = "<br/>";

// A stored size as a whole number: integers as they are, a real rounded
// half to even, a text that reads wholly as a number likewise, null as 0;
// nothing for a value that is no number.
std::optional<int64_t> StoredSize(const Value& value) {
    if (value.IsNull()) return 0;
    if (value.IsInt()) return value.AsInt();
    double number = 0;
    if (value.IsReal()) {
        number = value.AsReal();
    } else {
        const std::string text = value.AsText();
        const char* begin = text.c_str();
        char* end = nullptr;
        errno = 0;
        number = std::strtod(begin, &end);
        while (end && (*end == ' ' || *end == '\t')) ++end;
        if (end == begin || !end || *end != '\0' || errno == ERANGE) return std::nullopt;
    }
    // Half to even, as a conversion to a whole number rounds.
    const double rounded = std::nearbyint(number);
    if (!std::isfinite(rounded) || rounded < -9.2e18 || rounded > 9.2e18) return std::nullopt;
    return static_cast<int64_t>(rounded);
}

struct CommareaItem {
    std::string vnid;
    std::string caption;
    int64_t size = 0;
};

// The items of one program's USING ports, read whole before anything is
// written, so a model that fails half-way adds no rows at all. Raises
// WorkbenchError or DbError for a model that cannot be read.
std::vector<CommareaItem> ReadItems(wb::CodeModel& model) {
    std::vector<CommareaItem> items;
    // The sizes live beside the constructs in the model database.
    auto sizeOf = model.GetDatabase().Prepare("SELECT size FROM Constructs WHERE VNID = ?");
    for (auto ports = model.GetObjects("", "PORT"); !ports.AtEnd(); ports.MoveNext()) {
        const wb::CodeModelConstruct& port = ports.Current();
        if (!common::AsciiEqualNoCase(port.GetProperty("PORTTYPE"), "USING")) continue;
        for (auto vars = port.GetObjectsOfType("VAR"); !vars.AtEnd(); vars.MoveNext()) {
            auto declarations = vars.Current().GetRelated("Declaration");
            if (declarations.AtEnd()) continue;
            // A VAR stands for one item: its first declaration.
            const wb::CodeModelConstruct& declaration = declarations.Current();
            CommareaItem item{declaration.GetId(), declaration.GetName(), 0};
            sizeOf.Reset().Bind(1, item.vnid);
            if (sizeOf.Step()) {
                const auto size = StoredSize(sizeOf.Column(0));
                if (!size)
                    throw wb::WorkbenchError("the size of " + item.caption +
                                             " is not a number: " + sizeOf.Column(0).AsText());
                item.size = *size;
            }
            items.push_back(std::move(item));
        }
    }
    return items;
}

void WritePage(const AnalysisRun& run) {
    ReportBuilder& builder = run.builder;
    builder.StartPage(kRecordFormat, "COMMAREA Size Report", run.paths.g_TemplateLevel1);
    // One program after the other by name (then id, so two programs of one
    // name keep an order), each program's items in the order they were found.
    auto rows = run.db.Prepare(
        "SELECT E.ID, E.Name, R.Caption, R.size FROM Commarea R "
        "INNER JOIN (SELECT ID, MIN(Name) AS Name FROM Ents GROUP BY ID) E ON R.ID = E.ID "
        "WHERE R.RemedyType = 'C' ORDER BY E.Name COLLATE NOCASE, E.ID COLLATE NOCASE, R.rowid");
    // Tens of thousands of rows, sorted first: the window's events run meanwhile.
    const platform::db::ProgressPump pump(run.db, run.progress);
    std::string id, name, captions, sizes;
    bool open = false;
    auto flush = [&] {
        if (!open) return;
        builder.StartRow();
        builder.AddCell("Name", name);
        builder.AddCell("Commarea", captions.substr(captions.empty() ? 0 : sizeof(kBreak) - 1));
        builder.AddCell("Size", sizes.substr(sizes.empty() ? 0 : sizeof(kBreak) - 1));
        builder.EndRow();
    };
    while (rows.Step()) {
        if (!open || !common::AsciiEqualNoCase(rows.Text(0), id)) {
            flush();
            id = rows.Text(0);
            name = rows.Text(1);
            captions.clear();
            sizes.clear();
            open = true;
        }
        // A row whose size cannot be read is left out, caption and size alike.
        const auto bits = StoredSize(rows.Column(3));
        if (!bits) continue;
        captions += kBreak + HtmlText(rows.Text(2));
        sizes += kBreak + SizeInBytes(*bits, run.decimalSeparator);
        // Tens of thousands of rows: the window repaints between them.
        run.progress.StartStep("");
    }
    flush();
    builder.FinishPage();
    WriteListPage(builder, run.db, run.prompt, run.progress, run.output, run.paths.g_CommareaReportPath);
}

}  // namespace

std::string SizeInBytes(int64_t bits, std::string_view decimalSeparator) {
    // Eighths are exact in decimal (at most three places), so no rounding is
    // needed and none is done.
    static const char* const kEighths[] = {"", "125", "25", "375", "5", "625", "75", "875"};
    const bool negative = bits < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(bits) : static_cast<uint64_t>(bits);
    std::string out = (negative ? "-" : "") + std::to_string(magnitude / 8);
    if (magnitude % 8) {
        out += decimalSeparator;
        out += kEighths[magnitude % 8];
    }
    return out;
}

AnalysisResult GetCOMMAREASizeReport(const AnalysisRun& run) {
    RefuseUnlessWritable(run.db, run.output, "COMMAREA Size");
    AnalysisResult result;
    Database& db = run.db;
    // One transaction for the rebuild: an error leaves Commarea as it was,
    // a cancel keeps the rows written so far.
    platform::db::Transaction tx(db);
    struct Program {
        std::string id, name;
    };
    std::vector<Program> programs;
    {
        // Every row of the table and every program: the window's events run meanwhile.
        const platform::db::ProgressPump pump(db, run.progress);
        db.Execute("DELETE FROM Commarea");
        auto st = db.Prepare("SELECT ID, Name FROM Ents WHERE EntName = 'PROGRAM' AND Stub = 0 ORDER BY SerialID");
        while (st.Step()) programs.push_back({st.Text(0), st.Text(1)});
    }

    const long steps = programs.empty() ? 1 : static_cast<long>(programs.size()) + 2;
    common::ProgressScope level(run.progress, "Compute I/O size", steps, true);

    const wb::EntityStore store = run.session.GetEntityStore();
    auto insert = db.Prepare("INSERT INTO Commarea (ID, vnid, Caption, RemedyType, size) VALUES (?, ?, ?, 'C', ?)");

    bool completed = false;
    bool anyModel = false;
    {
        // The models are read ahead on other threads; the repository is
        // asked here, inside one read transaction instead of a lock per look-up.
        wb::ReadTransaction repository(store);
        ModelReadAhead<std::vector<CommareaItem>> models(store, run.session.GetWorkspaceFolder(), run.threads,
                                                         ReadItems);
        size_t queued = 0;
        completed = StepThroughPrograms(run, tx, programs, [&](const Program& program) {
            for (; queued < programs.size() && models.HasRoom(); ++queued)
                anyModel = models.Queue(programs[queued].id) || anyModel;
            const auto read = models.Take(run.progress);
            if (read.skipped) result.skipped.push_back(SkippedProgramLine(program.name, program.id, *read.skipped));
            for (const CommareaItem& item : read.result) insert.Run({program.id, item.vnid, item.caption, item.size});
        });
    }
    if (!completed) {
        result.text = "0";
        return result;
    }

    run.progress.StartStep("Saving Commarea Info");
    WritePage(run);
    // Every program was located above: the page's note needs no second look.
    result.anyCodeModel = anyModel;
    run.progress.FinishStep(1);
    result.text = run.progress.Cancelled() ? "0" : "-1";
    return result;
}

}  // namespace mdlReports
