#pragma once
// Context diagram pages: for a program, its flow context drawn twice (the
// client side, then the data side), each exported as a JPEG image in the
// diagrams folder, and a page that shows both. An image wider than the
// preview limit is shown reduced; clicking it switches to the full image,
// itself reduced to views::kFullImagePixels where the drawing is larger
// (thousands of callers of one routine).
//
// Files per program, named after ReportFileName(name):
//   <file>.1.jpg, <file>.1_preview.jpg (wide client side only),
//   <file>.2.jpg, <file>.2_preview.jpg (wide data side only), <file>.html
//
// The diagrams are built on the calling thread (the walks read the
// database); their layout, the images, which take most of the time, and the
// pages may be laid out, painted, encoded, made and written on worker
// threads (the layout and the painter work on the model and QImage only).
// The files come out the same either way.

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "reports/BackgroundJobs.h"
#include "reports/ReportContext.h"

namespace platform::diagram { class DiagramModel; }
namespace platform::xml { class Document; }
namespace views { class FlowContextSource; }

namespace mdlReports {

// A program whose context diagram page the report run writes.
struct DiagramListEntry {
    std::string id;     // Ents.Id
    std::string name;   // Ents.Name
};
using DiagramList = std::vector<DiagramListEntry>;

// Filled by the programs summary, read by the diagram step of a run.
extern DiagramList g_DiagramList;

// Replaces the content of the image cell <td id="cellId"> of a diagram page
// by an img of the image base (a file name without folder or extension,
// such as "PGM1.1"). With a preview the img shows base + "_preview.jpg",
// is named base and switches to base + ".jpg" when clicked (swapImage);
// without one it shows base + ".jpg". The sources are written as links, so
// any file name finds its file.
void SetDiagramImage(platform::xml::Document& page, const std::string& cellId, const std::string& base,
                     bool hasPreview);

class DiagramPageWriter {
public:
    // threads: how many threads paint, encode and write; 0 takes the
    // machine's cores, 1 does it on the calling thread. share: whether the
    // caller waits for the threads as it submits pages, or goes on with
    // other work while they paint behind it. The walks' answers are kept
    // until EndDrawing, so Ents and Rels must not change before it.
    explicit DiagramPageWriter(ReportContext& ctx, int threads = 0,
                               BackgroundJobs::Share share = BackgroundJobs::Share::Paced);
    // Drops the pages not yet begun and waits for those under way.
    ~DiagramPageWriter();
    DiagramPageWriter(const DiagramPageWriter&) = delete;
    DiagramPageWriter& operator=(const DiagramPageWriter&) = delete;

    // Draws both sides of the program and makes its page; the images and
    // the page are written now or on a worker thread. Template and database
    // errors are raised here; a file that could not be written is raised by
    // a later call or by Finish (a picture that could not be written leaves
    // none under its name, and its page is still written, showing it as
    // missing).
    void GenerateDiagramPage(const std::string& id, const std::string& name);
    // Programs whose pages are drawn ahead of their turn, a few at a time
    // by WalkAhead: GenerateDiagramPage then finds a program drawn already
    // when it comes in the same place of its list, and draws it only when
    // it does not.
    void DrawAhead(DiagramList programs);
    // Draws the next few programs of that list, if any are left.
    void WalkAhead(std::size_t programs);
    // Whether any page was drawn ahead.
    bool DrewAhead() const { return m_aheadDrawn > 0; }
    // No more pages are drawn: what the walks kept is released, the
    // images and pages already drawn are still written.
    void EndDrawing();
    // Waits until every image and page is written. Raises ReportError
    // naming the first file that could not be written.
    void Finish();
    // Finish, waiting at most for the time given; true when it finished.
    bool FinishWithin(std::chrono::milliseconds wait) { return m_jobs.FinishWithin(wait); }
    // The pages are now awaited: see BackgroundJobs::Hurry.
    void Hurry() { m_jobs.Hurry(); }
    // How many pages have been written (or failed) so far.
    std::size_t Written() const { return m_jobs.Ran(); }
    // Drops the pages not yet begun and waits for those under way; what
    // failed is forgotten. Nothing is written after it returns.
    void Abandon();

    int Threads() const { return m_jobs.Threads(); }

private:
    struct Job;
    void Draw(const std::string& id, const std::string& name);
    void Write(Job& job) const;
    std::string PageText(const Job& job) const;

    ReportContext& m_ctx;
    std::unique_ptr<views::FlowContextSource> m_source;
    // The file names of the pages submitted, each with the moment its last
    // page is written.
    std::unordered_map<std::string, std::shared_future<void>> m_files;
    DiagramList m_ahead;
    std::size_t m_aheadDrawn = 0;   // of m_ahead, drawn
    std::size_t m_aheadTaken = 0;   // of those, met in their turn
    // The page template with the client information, read at the first
    // page, as the text each page is parsed from.
    std::string m_template;
    BackgroundJobs m_jobs;
};

// One program's page and images, written before it returns.
void GenerateDiagramPage(ReportContext& ctx, const std::string& id, const std::string& name);

// The diagram step of a report run: one page per program of the list, in
// order, each announced as "Diagram for <name>", the progress advanced by
// one after every tenth of the list is written (not at all for fewer than
// three programs), and by the share of that tenth written in between
// (StepShare). The pages the threads are still writing after the last
// program are awaited under the caption kWritingDiagrams, the window's
// events running. After each program, and while waiting, a cancel is looked
// for: then the images under way are awaited, the diagrams folder is
// deleted with everything in it, and the result is false. True when every
// page and image is written.
bool GenerateDiagramPages(ReportContext& ctx, const DiagramList& list, int threads = 0);
// The same step through a writer that may hold pages drawn ahead.
bool GenerateDiagramPages(ReportContext& ctx, const DiagramList& list, DiagramPageWriter& writer);

inline constexpr const char* kWritingDiagrams = "Writing the diagram pages";

}  // namespace mdlReports
