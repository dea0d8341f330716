#include "reports/DiagramPages.h"

#include <algorithm>
#include <exception>
#include <future>
#include <optional>

#include "common/WriteBoundary.h"
#include "common/Progress.h"
#include "common/WhileStepping.h"
#include "platform/db/Database.h"
#include "platform/diagram/DiagramLayout.h"
#include "platform/diagram/DiagramPack.h"
#include "platform/diagram/DiagramModel.h"
#include "platform/diagram/DiagramPainter.h"
#include "reports/AsideRemoval.h"
#include "reports/PageDocument.h"
#include "reports/ReportError.h"
#include "views/FlowContext.h"

namespace mdlReports {

namespace fs = std::filesystem;
using platform::diagram::DiagramModel;
using platform::xml::Document;
using platform::xml::Node;

DiagramList g_DiagramList;

namespace {

// Levels of the data side, as the flow context window draws it.
constexpr int kDepth = 4;

}  // namespace

void SetDiagramImage(Document& page, const std::string& cellId, const std::string& base, bool hasPreview) {
    Node cell = FindElementById(page, "td", cellId);
    if (!cell) throw ReportError("The diagram template has no cell \"" + cellId + "\"");
    if (Node first = cell.FirstChild()) cell.RemoveChild(first);
    Node img = cell.AppendElement("img");
    img.SetAttribute("alt", "Image is missing or relative path is corrupted");
    img.SetAttribute("border", "0");
    // As a link the name needs its "%" and the like encoded; the encoded
    // text holds no quote or backslash, so it also stands safely inside the
    // script's quoted arguments.
    const std::string href = ReportHref(base);
    if (hasPreview) {
        const std::string preview = href + "_preview.jpg";
        const std::string full = href + ".jpg";
        img.SetAttribute("src", preview);
        img.SetAttribute("name", href);
        img.SetAttribute("title", "Switch to full image");
        img.SetAttribute("style", "cursor:pointer");
        img.SetAttribute("onClick", "swapImage('" + href + "','" + preview + "','" + full + "',1)");
    } else {
        img.SetAttribute("src", href + ".jpg");
        img.SetAttribute("title", "");
    }
}

// ---- the writer ------------------------------------------------------------

// One program's page: both sides laid out, where their pictures go, and the
// page's text.
struct DiagramPageWriter::Job {
    struct Side {
        std::unique_ptr<DiagramModel> model = std::make_unique<DiagramModel>();
        // The model while the page waits for a writing thread: a run may
        // queue thousands of pages.
        std::optional<platform::diagram::DiagramPack> waiting;
        fs::path full;
        fs::path preview;
        std::optional<int> previewZoom;   // none: the image needs no preview
        int mode = 0;                     // views::FlowContextMode
    };
    std::vector<Side> sides;
    std::string name;          // the program's
    std::string file;          // the base of its files' names
    bool preview[2] = {false, false};
    fs::path page;
};

DiagramPageWriter::DiagramPageWriter(ReportContext& ctx, int threads, BackgroundJobs::Share share)
    : m_ctx(ctx), m_source(std::make_unique<views::FlowContextSource>(ctx.db, ctx.store)), m_jobs(threads, share) {
    m_jobs.StepWhileWaiting(ctx.progress);
    // Neighbouring programs share most of their diagrams: each entity's
    // callers, callees and screens are read once for all the pages.
    m_source->KeepAnswers();
}

DiagramPageWriter::~DiagramPageWriter() = default;

std::string DiagramPageWriter::PageText(const Job& job) const {
    Document page = Document::Parse(m_template);
    SetTitleText(TitleHeading(page), "Context - " + job.name);
    SetDiagramImage(page, "image1", job.file + ".1", job.preview[0]);
    SetDiagramImage(page, "image2", job.file + ".2", job.preview[1]);
    return mdlReports::PageText(page, PageSaveOptions{true});
}

void DiagramPageWriter::Write(Job& job) const {
    // Laid out here, on the writing thread: the layout costs as much as the
    // walks that made the diagram. Each side's geometry is worked out once,
    // for its width and both its pictures.
    std::vector<platform::diagram::DrawingGeometry> drawings;
    drawings.reserve(job.sides.size());
    for (Job::Side& side : job.sides) {
        side.model = std::make_unique<DiagramModel>();
        side.waiting->Unpack(*side.model);
        side.waiting.reset();
        platform::diagram::AutoLayout(*side.model);
        drawings.push_back(platform::diagram::MeasureDrawing(*side.model));
        side.previewZoom =
            views::PreviewZoom(views::ImageWidthPixels(platform::diagram::DrawingWidth(drawings.back())));
        job.preview[side.mode - 1] = side.previewZoom.has_value();
    }
    // A picture that cannot be written must not stop its page: the page
    // shows the image as missing, and the failure is raised once the page
    // is written. Nothing of another program of the same name stays under
    // the picture's name.
    std::optional<std::string> failed;
    const common::WriteBoundary& output = m_ctx.output;
    auto exportImage = [&failed, &output](const DiagramModel& model, const platform::diagram::DrawingGeometry& drawing,
                                          const fs::path& file, int zoom) {
        if (const std::optional<std::string> encoded = platform::diagram::EncodeImage(model, drawing, file, zoom)) {
            try {
                output.Replace(file, *encoded);
                return;
            } catch (const std::exception&) {
            }
        }
        try {
            output.RemoveAll(file);
        } catch (const std::exception&) {
        }
        if (!failed) failed = "Cannot write the image \"" + file.string() + "\"";
    };
    for (std::size_t i = 0; i < job.sides.size(); ++i) {
        const Job::Side& side = job.sides[i];
        const QRectF& bounds = drawings[i].bounds;
        exportImage(*side.model, drawings[i], side.full, views::FullImageZoom(bounds.width(), bounds.height()));
        if (side.previewZoom) exportImage(*side.model, drawings[i], side.preview, *side.previewZoom);
    }
    try {
        output.Replace(job.page, PageText(job));
    } catch (const std::exception& e) {
        throw ReportError("Cannot write \"" + job.page.string() + "\": " + e.what());
    }
    if (failed) throw ReportError(*failed);
}

void DiagramPageWriter::EndDrawing() {
    // What the walks kept for a large workspace takes a second and more to
    // free on a busy machine: it goes on another thread while the window's
    // events run. The writing jobs touch none of it.
    common::WhileStepping(m_ctx.progress, [source = std::move(m_source), files = std::move(m_files),
                                           ahead = std::move(m_ahead)]() mutable {
        source.reset();
        files.clear();
        ahead.clear();
    });
    m_files.clear();
    m_ahead.clear();
}

void DiagramPageWriter::Finish() { m_jobs.Finish(); }

void DiagramPageWriter::Abandon() { m_jobs.Abandon(); }

void DiagramPageWriter::DrawAhead(DiagramList programs) {
    m_ahead = std::move(programs);
    m_aheadDrawn = m_aheadTaken = 0;
}

void DiagramPageWriter::WalkAhead(std::size_t programs) {
    for (; programs > 0 && m_aheadDrawn < m_ahead.size(); --programs, ++m_aheadDrawn)
        Draw(m_ahead[m_aheadDrawn].id, m_ahead[m_aheadDrawn].name);
}

void DiagramPageWriter::GenerateDiagramPage(const std::string& id, const std::string& name) {
    if (m_aheadTaken < m_aheadDrawn) {
        const DiagramListEntry& drawn = m_ahead[m_aheadTaken];
        if (drawn.id == id && drawn.name == name) {
            ++m_aheadTaken;
            return;
        }
        // Another list than the one drawn ahead: the rest of it is drawn
        // in its turn.
        m_aheadDrawn = m_aheadTaken;
    }
    Draw(id, name);
}

void DiagramPageWriter::Draw(const std::string& id, const std::string& name) {
    if (!m_source) throw ReportError("The diagram pages are drawn already");
    if (m_template.empty()) {
        Document page = LoadPage(m_ctx.paths.g_TemplateDiagram, PageSource::Template, m_ctx.prompt);
        FillClientInfo(page, m_ctx.db);
        if (!TitleHeading(page)) throw ReportError("The diagram template has no title in its cell \"title\"");
        m_template = page.ToString();
    }
    auto job = std::make_unique<Job>();
    const std::string file = ReportFileName(name);
    job->name = name;
    job->file = file;
    for (int mode : {views::kFlowClientSide, views::kFlowDataSide}) {
        Job::Side side;
        fs::path noImage;   // laid out and exported with the page
        Globals::BuildFlowContext(*side.model, *m_source, mode, id, noImage, kDepth, false);
        // A program that Ents does not hold draws nothing and, as with the
        // builder's own export, gets no image.
        if (side.model->ShapeCount() == 0) continue;
        side.full = m_ctx.paths.g_DiagramsFolder / (file + "." + std::to_string(mode) + ".jpg");
        side.preview = views::PreviewPath(side.full);
        side.mode = mode;
        side.waiting.emplace(*side.model);
        side.model.reset();
        job->sides.push_back(std::move(side));
    }

    job->page = GetDiagramPagePath(m_ctx.paths, name);
    // Two programs of the same name share their files: the later one's must
    // win, as when the pages are written one after the other. The later
    // page waits for the earlier one, which its thread took first, the
    // jobs being begun in the order they came.
    std::shared_future<void> earlier;
    auto written = std::make_shared<std::promise<void>>();
    auto [last, first] = m_files.try_emplace(file);
    if (!first) earlier = last->second;
    last->second = written->get_future().share();
    std::shared_ptr<Job> shared(std::move(job));
    m_jobs.Submit([this, shared, earlier, written] {
        struct Signal {
            std::promise<void>& done;
            ~Signal() { done.set_value(); }
        } signal{*written};
        if (earlier.valid()) earlier.wait();
        Write(*shared);
    });
}

void GenerateDiagramPage(ReportContext& ctx, const std::string& id, const std::string& name) {
    DiagramPageWriter writer(ctx, 1);
    writer.GenerateDiagramPage(id, name);
    writer.Finish();
}

bool GenerateDiagramPages(ReportContext& ctx, const DiagramList& list, int threads) {
    DiagramPageWriter writer(ctx, threads);
    return GenerateDiagramPages(ctx, list, writer);
}

bool GenerateDiagramPages(ReportContext& ctx, const DiagramList& list, DiagramPageWriter& writer) {
    // The step's pages are awaited from now on, also those drawn ahead.
    writer.Hurry();
    // Two list entries per program in the run's reckoning: a tenth of them,
    // to the nearest whole number (the count is even, so there is no tie).
    // The bar follows the pages written, so it goes on moving while the
    // last ones are: a step after every such number of pages, and between
    // two steps the share of the next one written, as long as a whole step
    // is left to make.
    const std::size_t every = (2 * list.size() + 5) / 10;
    const std::size_t steps = every == 0 ? 0 : list.size() / every;
    std::size_t advanced = 0;
    std::size_t shown = 0;   // the pages the bar shows
    const auto advance = [&] {
        const std::size_t written = std::min(writer.Written(), list.size());
        if (every == 0 || written == shown) return;
        shown = written;
        for (const std::size_t due = written / every; advanced < due; ++advanced) ctx.progress.FinishStep(1);
        if (advanced < steps && written % every != 0)
            ctx.progress.StepShare(static_cast<double>(written % every) / static_cast<double>(every));
    };
    const auto cancelled = [&] {
        writer.Abandon();
        Discard(ctx.output, ctx.paths, ctx.paths.g_DiagramsFolder);
        return false;
    };
    {
        // One read transaction for the walks: SQLite then locks and checks
        // the file once, not around each of their many statements.
        platform::db::Transaction reading(ctx.db);
        for (const DiagramListEntry& program : list) {
            ctx.progress.StartStep("Diagram for " + program.name);
            writer.GenerateDiagramPage(program.id, program.name);
            advance();
            if (ctx.progress.Cancelled()) return cancelled();
        }
        writer.EndDrawing();
        reading.Commit();
    }
    // Pages that stay behind the step would be lost to a cancel in a later
    // one: the step ends with the last page written.
    if (!common::AwaitShown(ctx.progress, kWritingDiagrams, [&](auto wait) { return writer.FinishWithin(wait); },
                            advance))
        return cancelled();
    return true;
}

}  // namespace mdlReports
