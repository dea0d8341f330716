#include "reports/ReportRun.h"

#include <chrono>
#include <optional>
#include <system_error>
#include <utility>

#include "common/FileReplace.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "common/WhileStepping.h"
#include "platform/db/Database.h"
#include "platform/workbench/WorkbenchSession.h"
#include "reports/AnalysisRun.h"
#include "reports/AsideRemoval.h"
#include "reports/CommareaAnalysis.h"
#include "reports/CrudPages.h"
#include "reports/DataStoresPage.h"
#include "reports/DiagramPages.h"
#include "reports/ListPage.h"
#include "reports/OutputTree.h"
#include "reports/PageDocument.h"
#include "reports/ProgramPages.h"
#include "reports/ReportError.h"
#include "reports/ReportIndex.h"
#include "reports/ScreenPages.h"
#include "reports/ValidationAnalysis.h"

namespace mdlReports {

namespace fs = std::filesystem;
using platform::xml::Document;

namespace {

// The steps the first progress level announces: Screens, Programs, ten for
// the diagrams, Data Stores, sixteen categories, and the three special
// analyses, which report on levels of their own.
constexpr long kRunSteps = 27;

// A progress level closed once: by Close where the run closes it, or when
// the run leaves its scope early, by a cancel or an error.
class Level {
public:
    Level(common::IProgress& progress, const std::string& action, long total) : m_progress(progress) {
        m_progress.StartProgress(action, total, true);
    }
    ~Level() { Close(); }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;
    void Close() {
        if (!m_open) return;
        m_open = false;
        m_progress.FinishProgress();
    }

private:
    common::IProgress& m_progress;
    bool m_open = true;
};

// The run's progress as its steps see it. While the steps before the
// diagrams run, each pause of theirs (the step between two rows of a list)
// also draws the diagrams of a few programs ahead of their turn, so that
// their painting starts with the run instead of after those steps.
class DrawingAheadProgress : public common::IProgress {
public:
    explicit DrawingAheadProgress(common::IProgress& inner) : m_inner(inner) {}
    // Draws with writer at every pause; null stops.
    void DrawWith(DiagramPageWriter* writer) { m_writer = writer; }

    void StartProgress(const std::string& action, long totalLength, bool withCancel) override {
        m_inner.StartProgress(action, totalLength, withCancel);
    }
    void StartStep(const std::string& action) override {
        m_inner.StartStep(action);
        // A few, so the window's events wait no longer than between rows.
        if (m_writer) m_writer->WalkAhead(2);
    }
    void FinishStep(long length) override { m_inner.FinishStep(length); }
    void FinishProgress() override { m_inner.FinishProgress(); }
    bool Cancelled() const override { return m_inner.Cancelled(); }
    void Action(const std::string& caption) override { m_inner.Action(caption); }

private:
    common::IProgress& m_inner;
    DiagramPageWriter* m_writer = nullptr;
};

// The pages that are still written behind the steps after theirs, on the
// processor time those leave: the diagrams and the CRUD comparison pages.
// A run that ends by a cancel before they are all written ends as a cancel
// inside their own step does: without their folder. A failure leaves what
// was written.
class PagesBehind {
public:
    PagesBehind(ReportContext& ctx, DrawingAheadProgress& progress, int threads)
        : m_ctx(ctx),
          m_progress(progress),
          m_diagrams(ctx, threads, BackgroundJobs::Share::Behind),
          m_comparisons(threads, BackgroundJobs::Share::Behind) {
        m_ctx.pagesBehind = &m_comparisons;
    }
    ~PagesBehind() {
        m_progress.DrawWith(nullptr);
        m_ctx.pagesBehind = nullptr;
        if (!m_cancelled) return;
        m_diagrams.Abandon();
        m_comparisons.Abandon();
        const fs::path& diagrams = m_ctx.paths.g_DiagramsFolder;
        if (m_diagramsDrawn) {
            Discard(m_ctx.paths, diagrams);
        } else if (m_diagrams.DrewAhead()) {
            // Before their step the folder is as the tree was made: empty,
            // unless a cancel has taken it already.
            std::error_code ec;
            const bool there = fs::exists(diagrams, ec);
            Discard(m_ctx.paths, diagrams);
            if (there) fs::create_directories(diagrams, ec);
        }
        if (m_comparisonsMade) Discard(m_ctx.paths, m_ctx.paths.g_CrudSignaturesFolder);
    }
    PagesBehind(const PagesBehind&) = delete;
    PagesBehind& operator=(const PagesBehind&) = delete;

    // The programs' diagrams are drawn ahead in the pauses of the steps
    // until their own.
    void DrawAhead() {
        m_diagrams.DrawAhead(ProgramsWithDiagrams(m_ctx.db));
        m_progress.DrawWith(&m_diagrams);
    }
    // The diagram step; false when the analyst cancelled inside it.
    bool Draw(const DiagramList& programs) {
        m_progress.DrawWith(nullptr);
        if (!GenerateDiagramPages(m_ctx, programs, m_diagrams)) return false;
        m_diagramsDrawn = true;
        return true;
    }
    // The CRUD step returned done: its comparison pages may be pending.
    void ComparisonsMade() { m_comparisonsMade = true; }
    // The run was cancelled: unless every page is written, the pages go.
    void Cancelled() { m_cancelled = !m_finished; }
    // Waits for the last pages with the window's events running; false
    // when the analyst cancels meanwhile.
    bool Finish() {
        const auto written = [this] {
            return m_diagrams.FinishWithin(std::chrono::milliseconds(20)) &&
                   m_comparisons.FinishWithin(std::chrono::milliseconds(20));
        };
        while (!written()) {
            m_ctx.progress.StartStep("");
            if (m_ctx.progress.Cancelled()) return false;
        }
        m_finished = true;
        return true;
    }

private:
    ReportContext& m_ctx;
    DrawingAheadProgress& m_progress;
    DiagramPageWriter m_diagrams;
    BackgroundJobs m_comparisons;
    bool m_diagramsDrawn = false;     // the diagram step ended without a cancel
    bool m_comparisonsMade = false;   // and the CRUD step
    bool m_finished = false;          // and every page of both is written
    bool m_cancelled = false;
};

// Every step of the run into index; true when the last one finished
// without a cancel.
bool WriteEveryStep(const ReportRun& run, ReportContext& ctx, const AnalysisRun& analyses, Document& index,
                    ReportRunResult& result, PagesBehind& behind) {
    common::IProgress& progress = ctx.progress;
    const auto entry = [&](std::string_view caption, const std::string& count) {
        SetIndexEntry(index, run.paths, caption, count);
    };

    progress.Action("Generating Reports");
    Level level(progress, "Screens", kRunSteps);
    FillClientInfo(index, run.db);
    behind.DrawAhead();

    progress.StartStep("");
    entry("Screens", GenerateScreensReport(ctx));
    progress.FinishStep(1);
    if (progress.Cancelled()) return false;

    progress.StartStep("Programs");
    {
        // One read transaction for the step and the diagrams drawn in its
        // pauses: SQLite locks and checks the file once, not at each of
        // their many statements.
        platform::db::Transaction reading(run.db);
        entry("Programs", GenerateProgramsReport(ctx));
        reading.Commit();
    }
    progress.FinishStep(1);
    if (progress.Cancelled()) {
        Discard(run.paths, run.paths.g_DiagramsFolder);
        return false;
    }

    // The list lives for this step only.
    const DiagramList programs = std::exchange(g_DiagramList, {});
    if (!behind.Draw(programs)) return false;

    progress.StartStep("Data Stores");
    entry("Data Stores", std::to_string(GenerateDataStoresReport(ctx)));
    progress.FinishStep(1);
    if (progress.Cancelled()) return false;

    for (const CategoryPage& category : kCategoryPages) {
        const CategoryLegend legend = LegendOf(category.code);
        progress.StartStep(legend.caption);
        entry(legend.caption, GenerateCategoryReport(ctx, category.code, legend.caption, run.paths.*category.page,
                                                     LegendImage(legend.image)));
        progress.FinishStep(1);
        if (progress.Cancelled()) return false;
    }
    level.Close();

    // Each analysis polls Cancel itself and then gives "0".
    const std::string crud = GenerateCRUDOverlapReport(ctx, run.restrict);
    if (crud == "0") return false;
    behind.ComparisonsMade();
    entry("CRUD Overlap", crud);
    const std::pair<const char*, AnalysisResult (*)(const AnalysisRun&)> special[] = {
        {"COMMAREA Size", GetCOMMAREASizeReport},
        {"Validation Rules", GetValidationRulesReport},
    };
    for (const auto& [caption, analysis] : special) {
        AnalysisResult found = analysis(analyses);
        for (const std::string& line : found.skipped) result.skipped.push_back(std::string(caption) + ": " + line);
        if (!found.Done()) return false;
        entry(caption, found.text);
    }

    if (!behind.Finish()) return false;

    Level queues(progress, "Queues", 1);
    progress.StartStep("");
    entry("Queues", std::to_string(CountQueues()));
    progress.FinishStep(1);
    queues.Close();
    return !progress.Cancelled();
}

bool WritePages(const ReportRun& run, ReportContext& ctx, DrawingAheadProgress& progress,
                const AnalysisRun& analyses, Document& index, ReportRunResult& result) {
    PagesBehind behind(ctx, progress, run.threads);
    const bool done = WriteEveryStep(run, ctx, analyses, index, result, behind);
    if (!done) behind.Cancelled();
    return done;
}

// The run's index document. Until the run's last one, the tree holds an
// index that says the set is incomplete, so a run that is killed never
// leaves a set that claims otherwise. An index template that does not
// parse has been shown to the analyst: without an index there is no report
// set to write.
Document StartIndex(const ReportRun& run, const PageSaveOptions& saving) {
    Document index = LoadPage(run.paths.g_TemplateIndex, PageSource::Template, run.prompt);
    Document unfinished = LoadPage(run.paths.g_TemplateIndex, PageSource::Template, run.prompt);
    FillClientInfo(unfinished, run.db);
    WriteReportNote(unfinished, true, false);
    SavePage(unfinished, run.paths.g_IndexPagePath, saving);
    return index;
}

}  // namespace

int CountQueues() { return 0; }

ReportRunResult GenerateReports(const ReportRun& run) {
    ReportRunResult result;
    if (run.workspaceFolder.empty()) return result;
    g_StubsPresent = false;
    g_DiagramList.clear();

    if (!PrepareOutputTree(run.paths)) {
        RemoveSetAside(run.paths);
        throw ReportError("The report folder \"" + run.paths.g_ReportRoot.string() + "\" cannot be created.");
    }
    const common::WriteBoundary inside = OutputFolderBoundary(run.paths);
    // Tens of thousands of new files: each waits for the disk only in the
    // page cache, and the whole tree once, before its index says it is
    // complete.
    std::optional<common::DeferredSync> deferred(std::in_place, run.paths.g_ReportRoot);
    const PageSaveOptions indexSaving{true};
    Document index;
    try {
        index = StartIndex(run, indexSaving);
    } catch (...) {
        RemoveSetAside(run.paths);
        throw;
    }
    // Only now is the earlier set deleted, on a thread of its own.
    RemoveSetAside(run.paths);

    ReportBuilder builder;
    DrawingAheadProgress progress(run.progress);
    ReportContext ctx{run.db, run.session.GetEntityStore(), run.workspaceFolder, run.paths, builder, progress,
                      run.prompt};
    const AnalysisRun analyses{run.db, run.session, run.paths, builder, run.progress, run.prompt, run.decimalSeparator};
    try {
        result.incomplete = !WritePages(run, ctx, progress, analyses, index, result);
    } catch (...) {
        // What was written stays, with an index that says the set is
        // incomplete; the failure itself goes on to the caller.
        g_DiagramList.clear();
        run.progress.Action("");
        try {
            WriteReportNote(index, true, g_StubsPresent);
            SavePage(index, run.paths.g_IndexPagePath, indexSaving);
        } catch (...) {
        }
        throw;
    }

    // The earlier set is gone when the run ends, unless the analyst
    // cancelled: then the deletion goes on behind the window.
    WaitForRemovals(run.progress);
    if (!result.incomplete) {
        // The window repaints while the disk catches up.
        common::WhileStepping(run.progress, [&deferred] { deferred->Sync(); });
        deferred.reset();
    }
    run.progress.Action("");
    WriteReportNote(index, result.incomplete, g_StubsPresent);
    SavePage(index, run.paths.g_IndexPagePath, indexSaving);
    result.indexWritten = true;

    const common::Answer view = run.prompt.Ask(ResModule::LoadResString(501), run.paths.g_IndexPagePath.string(),
                                               common::Buttons::YesNo, common::Icon::None);
    if (view == common::Answer::Yes && run.opener) run.opener(run.paths.g_IndexPagePath);
    return result;
}

}  // namespace mdlReports
