#include "reports/ReportRun.h"

#include <optional>
#include <system_error>
#include <utility>

#include "common/WriteBoundary.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "common/StepShareBar.h"
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
#include "reports/ReportSetPlace.h"
#include "reports/ScreenPages.h"
#include "reports/ValidationAnalysis.h"
#include "reports/ViewOnlyGuard.h"

namespace mdlReports {

namespace fs = std::filesystem;
using platform::xml::Document;

namespace {

// The steps the first progress level announces: Screens, Programs, ten for
// the diagrams, Data Stores, sixteen categories, and the three special
// analyses, which report on levels of their own.
constexpr long kRunSteps = 27;

constexpr int kApplicationTitle = 1006;

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
    void StepShare(double share) override { m_inner.StepShare(share); }
    void FinishProgress() override { m_inner.FinishProgress(); }
    bool Cancelled() const override { return m_inner.Cancelled(); }
    void Action(const std::string& caption) override { m_inner.Action(caption); }

private:
    common::IProgress& m_inner;
    DiagramPageWriter* m_writer = nullptr;
};

// The programs' diagrams, drawn ahead of their step in the pauses of the
// steps before it, so that their painting starts with the run, on threads
// that leave the run's own work first. The diagram step itself ends with
// every page written, so a cancel in a later step keeps them all; one
// before it takes away what was drawn ahead.
class Diagrams {
public:
    Diagrams(ReportContext& ctx, DrawingAheadProgress& progress, int threads)
        : m_ctx(ctx), m_progress(progress) {
        m_writer.emplace(ctx, threads, BackgroundJobs::Share::Behind);
    }
    ~Diagrams() { m_progress.DrawWith(nullptr); }
    Diagrams(const Diagrams&) = delete;
    Diagrams& operator=(const Diagrams&) = delete;

    void DrawAhead() {
        {
            // Every program read before the first step: the window's
            // events run meanwhile (before the drawing ahead begins, which
            // must not run inside a statement).
            const platform::db::ProgressPump pump(m_ctx.db, m_ctx.progress);
            m_writer->DrawAhead(ProgramsWithDiagrams(m_ctx.db));
        }
        m_progress.DrawWith(&*m_writer);
    }
    // The run was cancelled before the diagram step: nothing drawn ahead
    // is written any more, and the folder goes with what was, or stays
    // as the tree was made, empty.
    void CancelledBefore(bool removeFolder) {
        const bool drewAhead = m_writer->DrewAhead();
        Release();
        const fs::path& diagrams = m_ctx.paths.g_DiagramsFolder;
        if (removeFolder) {
            Discard(m_ctx.output, m_ctx.paths, diagrams);
        } else if (drewAhead) {
            // Empty again, as the tree made it (if it could).
            std::error_code ec;
            const bool there = fs::exists(diagrams, ec);
            Discard(m_ctx.output, m_ctx.paths, diagrams);
            if (there) m_ctx.output.MakeFolder(diagrams);
        }
    }
    // The diagram step; false when the analyst cancelled inside it (then the
    // folder is gone). The writer's threads end with it, and what they kept
    // for their pictures with them.
    bool Draw(const DiagramList& programs) {
        m_progress.DrawWith(nullptr);
        const bool drawn = GenerateDiagramPages(m_ctx, programs, *m_writer);
        Release();
        return drawn;
    }

private:
    // The writer goes, with the pages it has not begun. Its threads of low
    // priority may wait a while on a busy machine before they get to end:
    // the window's events run meanwhile.
    void Release() {
        m_progress.DrawWith(nullptr);
        common::WhileStepping(m_ctx.progress, [this] { m_writer.reset(); });
    }

    ReportContext& m_ctx;
    DrawingAheadProgress& m_progress;
    std::optional<DiagramPageWriter> m_writer;
};

// Every step of the run into index; true when the last one finished
// without a cancel.
bool WriteEveryStep(const ReportRun& run, ReportContext& ctx, DrawingAheadProgress& drawing,
                    const AnalysisRun& analyses, Document& index, ReportRunResult& result) {
    common::IProgress& progress = ctx.progress;
    const auto entry = [&](std::string_view caption, const std::string& count) {
        SetIndexEntry(index, run.paths, caption, count);
    };

    progress.Action("Generating Reports");
    common::ProgressScope level(progress, "Screens", kRunSteps, true);
    FillClientInfo(index, run.db);
    Diagrams diagrams(ctx, drawing, run.threads);
    diagrams.DrawAhead();

    progress.StartStep("");
    entry("Screens", GenerateScreensReport(ctx));
    progress.FinishStep(1);
    if (progress.Cancelled()) {
        diagrams.CancelledBefore(false);
        return false;
    }

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
        diagrams.CancelledBefore(true);
        return false;
    }

    // The list lives for this step only.
    const DiagramList programs = std::exchange(g_DiagramList, {});
    if (!diagrams.Draw(programs)) return false;

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

    common::ProgressScope queues(progress, "Queues", 1, true);
    progress.StartStep("");
    entry("Queues", std::to_string(CountQueues()));
    progress.FinishStep(1);
    queues.Close();
    return !progress.Cancelled();
}

// What the analyst is told instead of being offered the index of a set
// that is not at its path.
std::string DisplacedSetMessage(const ReportPaths& paths, const ReportSetPlace& place) {
    const std::string root = "\"" + paths.g_ReportRoot.string() + "\"";
    const std::string where = "\"" + place.nowAt.string() + "\"";
    constexpr const char* kWhile = " while the reports were being generated";
    if (place.moved == paths.g_ReportRoot) {
        if (place.nowAt.empty())
            return "The report at " + root + " is incomplete: its folder was renamed, replaced or removed" + kWhile +
                   ".";
        return "The report was written to " + where + ": its folder " + root + " was renamed or replaced" + kWhile +
               ", so what is there now is not this report.";
    }
    std::string text = "The report at " + root + " is incomplete: its folder \"" + place.moved.string() + "\" was ";
    if (place.nowAt.empty()) return text + "renamed, replaced or removed" + kWhile + ".";
    return text + "renamed or replaced" + kWhile + "; the pages written into it since are in " + where + ".";
}

// The run's index document. Until the run's last one, the tree holds an
// index that says the set is incomplete, so a run that is killed never
// leaves a set that claims otherwise. An index template that does not
// parse has been shown to the analyst: without an index there is no report
// set to write.
Document StartIndex(const ReportRun& run, const common::WriteBoundary& output, const PageSaveOptions& saving) {
    Document index = LoadPage(run.paths.g_TemplateIndex, PageSource::Template, run.prompt);
    Document unfinished = LoadPage(run.paths.g_TemplateIndex, PageSource::Template, run.prompt);
    FillClientInfo(unfinished, run.db);
    WriteReportNote(unfinished, true, false);
    SavePage(output, unfinished, run.paths.g_IndexPagePath, saving);
    return index;
}

}  // namespace

int CountQueues() { return 0; }

ReportRunResult GenerateReports(const ReportRun& run) {
    ReportRunResult result;
    if (run.workspaceFolder.empty()) return result;
    // Every file, folder, rename and deletion of the run below the Output
    // folder goes through this one boundary, opened from the workspace
    // folder the window's claim holds.
    const common::WriteBoundary output = OutputFolderBoundary(run.paths);
    RefuseUnlessWritable(run.db, output, "Generate Reports");
    g_StubsPresent = false;
    g_DiagramList.clear();

    if (!PrepareOutputTree(output, run.paths)) {
        RemoveSetAside(output, run.paths);
        // The workspace folder moved or replaced meanwhile refuses every write.
        if (const std::string why = output.Refusal(); !why.empty())
            throw ReportError("Generate Reports stopped: " + why + ", so nothing more was written.");
        throw ReportError("The report folder \"" + run.paths.g_ReportRoot.string() + "\" cannot be created.");
    }
    // Tens of thousands of new files: each waits for the disk only in the
    // page cache, and the whole tree once, before its index says it is
    // complete.
    std::optional<common::WriteBoundary::DeferredSync> deferred(std::in_place, output, run.paths.g_ReportRoot);
    const PageSaveOptions indexSaving{true};
    Document index;
    try {
        index = StartIndex(run, output, indexSaving);
    } catch (...) {
        RemoveSetAside(output, run.paths);
        throw;
    }
    // Only now is the earlier set deleted, on a thread of its own.
    RemoveSetAside(output, run.paths);

    ReportBuilder builder;
    // The run's level moves within its steps: the diagram step's share of
    // it follows the pages written.
    common::StepShareBar bar(run.progress);
    bar.PartsForNextLevel();
    DrawingAheadProgress progress(bar);
    ReportContext ctx{run.db, run.session.GetEntityStore(), run.workspaceFolder, run.paths, builder, progress,
                      run.prompt, output};
    AnalysisRun analyses{run.db, run.session, run.paths, builder, run.progress, run.prompt, output, run.decimalSeparator};
    try {
        result.incomplete = !WriteEveryStep(run, ctx, progress, analyses, index, result);
    } catch (...) {
        // What was written stays, with an index that says the set is
        // incomplete; the failure itself goes on to the caller.
        g_DiagramList.clear();
        run.progress.Action("");
        try {
            WriteReportNote(index, true, g_StubsPresent);
            SavePage(output, index, run.paths.g_IndexPagePath, indexSaving);
        } catch (...) {
        }
        throw;
    }

    // The set may say it is complete only once it is on the disk; a cancel
    // meanwhile leaves it saying otherwise.
    if (!result.incomplete && !SyncOutputTree(output, run.paths, run.progress)) result.incomplete = true;
    deferred.reset();
    // The earlier set is gone when the run ends, unless the analyst
    // cancels: then its deletion goes on behind the window.
    WaitForRemovals(run.progress);
    run.progress.Action("");
    WriteReportNote(index, result.incomplete, g_StubsPresent);
    SavePage(output, index, run.paths.g_IndexPagePath, indexSaving);
    result.indexWritten = true;

    // A folder of the set renamed or replaced meanwhile got its pages where
    // it went: what its path leads to now is not this set.
    const ReportSetPlace place = LocateReportSet(output, run.paths);
    if (!place.InPlace()) {
        result.displaced = true;
        run.prompt.Message(DisplacedSetMessage(run.paths, place), ResModule::LoadResString(kApplicationTitle),
                           common::Icon::Exclamation);
        return result;
    }
    const common::Answer view = run.prompt.Ask(ResModule::LoadResString(501), run.paths.g_IndexPagePath.string(),
                                               common::Buttons::YesNo, common::Icon::None);
    if (view == common::Answer::Yes && run.opener) run.opener(run.paths.g_IndexPagePath);
    return result;
}

}  // namespace mdlReports
