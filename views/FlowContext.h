#pragma once
// The flow context of a program: the program in the middle of a diagram,
// on the client side the chain of programs that call it or transfer control
// to it up to the programs that converse with screens (and those screens),
// on the data side the programs it calls or transfers to and the data stores
// it accesses, a given number of levels deep. Built headless into a diagram
// model from Ents and Rels; the flow context window shows the model, the
// report's diagram pages export it as images.
//
// Boxes are keyed by the entity's Name: an entity whose Name is already in
// the diagram is joined to that box, whatever its kind, and the keys of the
// model are the walks' visited set, so every walk ends on cycles.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/db/Database.h"
#include "platform/diagram/DiagramModel.h"
#include "platform/workbench/EntityStore.h"

namespace views {

// What a build reads: the workspace database and the repository (a null
// store counts as a repository that knows no program). The statements are
// prepared on first use and kept for the object's life, so the walks, which
// run the same few queries once per box, prepare each of them once. Drop the
// source before the database closes.
//
// A source that builds many diagrams over tables that do not change (the
// report run's, inside one read transaction) can keep every answer: each
// question about an entity is then asked of the database once, however many
// diagrams the entity appears in.
class FlowContextSource {
public:
    explicit FlowContextSource(platform::db::Database& db, platform::workbench::EntityStore store = {});
    ~FlowContextSource();
    FlowContextSource(const FlowContextSource&) = delete;
    FlowContextSource& operator=(const FlowContextSource&) = delete;

    // From now on every answer is kept and given again for the same
    // question. Only while Ents and Rels stay as they are.
    void KeepAnswers() { m_keep = true; }
    // Asked before each question put to the database (none: never), where
    // a long build may let the window's events run; once it answers true,
    // every later question is answered with nothing, so the walks end at
    // once.
    void StopWhen(std::function<bool()> stop) {
        m_stop = std::move(stop);
        m_stopped = false;
    }

    platform::db::Database& Db() const { return m_db; }
    const platform::workbench::EntityStore& Store() const { return m_store; }

    // An Ents row, alone or at the far end of a Rels row.
    struct Row {
        std::string id;            // Ents.ID (the far end's Rels.Id1 or Id2)
        std::string name;          // Ents.Name
        std::string entName;       // Ents.EntName
        int64_t soaType = 0;       // Ents.SOAType
        bool stub = false;         // Ents.Stub
        std::string relName;       // Rels.RelName (empty for a lone row)
        std::string relNameFull;   // Rels.RelNameFull
    };

    // The program's own row; empty when Ents has none.
    std::optional<Row> Program(const std::string& id);
    // Programs that call the program or transfer control to it.
    std::vector<Row> Callers(const std::string& id);
    // Programs that call it (not transfers).
    std::vector<Row> CallingPrograms(const std::string& id);
    // The screen maps it converses with.
    std::vector<Row> Screens(const std::string& id);
    // What it calls, what it transfers to unless the target is transitional
    // or unclassified (SOAType 10, 11 or empty), and the data stores it
    // accesses.
    std::vector<Row> Callees(const std::string& id);

private:
    // One question: its statement, and the answers kept by identifier.
    struct Query {
        explicit Query(const char* text) : sql(text) {}
        const char* sql;
        std::optional<platform::db::Statement> stmt;
        std::unordered_map<std::string, std::vector<Row>> kept;
    };
    std::vector<Row> Read(Query& query, const std::string& id, platform::db::Params params);

    platform::db::Database& m_db;
    platform::workbench::EntityStore m_store;
    bool m_keep = false;
    std::function<bool()> m_stop;
    bool m_stopped = false;
    Query m_program, m_callers, m_callingPrograms, m_screens, m_callees;
};

enum FlowContextMode : int {
    kFlowClientSide = 1,
    kFlowDataSide = 2,
    kFlowBothSides = 3,   // client side first
};

struct FlowContextResult {
    // True exactly when a reduced preview was written beside the image.
    bool previewWritten = false;
    // The zoom the export left the diagram at (100, or the preview's zoom);
    // empty when nothing was exported. A window applies it to its view.
    std::optional<int> zoom;
};

// The widest image, in pixels, shown without a preview (margins included).
constexpr int kPreviewLimit = 800;
// The most pixels a report's full image of a flow context holds. A larger
// drawing (the thousands of callers of a routine every program calls) is
// written reduced to fit: at zoom 100 its picture would take seconds and
// gigabytes, many times its layout, or could not be made at all. Ordinary
// drawings are far smaller; an image this size is still read by Qt's
// image reader as it comes (128 MB of pixels).
constexpr double kFullImagePixels = 30e6;

// "<folder>/<name>_preview<ext>", the extension being the file name from its
// last "." on; a name without a "." gets "_preview" appended.
std::filesystem::path PreviewPath(const std::filesystem::path& image);
// The image's width in pixels at zoom 100 for a diagram's DrawingWidth.
int ImageWidthPixels(double drawingWidth);
// The zoom of the full image of a drawing width x height pixels at zoom
// 100 (margins left out): 100, or the largest whole zoom at which the
// image holds at most kFullImagePixels, and never below 1.
int FullImageZoom(double width, double height);
// The zoom of the preview of an image imageWidth pixels wide: the whole
// number nearest to 800 / (w + 4) * 100 (halves to even) less one, so the
// preview fits with its margins, and never below 1; empty when the image
// fits as it is.
std::optional<int> PreviewZoom(int imageWidth);

// The centre box of a drawing BuildFlowContext made (the box with the
// centre's heavy border), or nullptr.
platform::diagram::Shape* FlowContextCentre(platform::diagram::DiagramModel& diagram);

}  // namespace views

namespace Globals {

// Draws the flow context of the program into the diagram, replacing what it
// held. mode: views::FlowContextMode; any other value draws the centre box
// alone. depth: the levels of the data side (4 shows four levels below the
// centre). A program that Ents does not hold leaves the diagram as it was.
// When imageFile is not empty the diagram is exported to it at zoom 100 and
// imageFile then holds the preview path, whether or not a preview was
// written (only images wider than the limit get one). Failures are silent:
// the build stops and answers what it has. Without layOut the boxes keep
// their seed places and nothing is exported: the caller lays the diagram
// out (AutoLayout) where it likes, such as on another thread.
views::FlowContextResult BuildFlowContext(platform::diagram::DiagramModel& diagram,
                                          views::FlowContextSource& source, int mode,
                                          const std::string& programId, std::filesystem::path& imageFile,
                                          int depth, bool layOut = true);

// The walks, each from one box (a box of the diagram) of the entity with
// that identifier. The client side stops at programs that converse with
// screens; the data side goes depth levels down.
void AddCallers(platform::diagram::DiagramModel& diagram, views::FlowContextSource& source,
                const std::string& programId, platform::diagram::Shape& box);
// True when the program converses with at least one screen map.
bool AddScreenConversations(platform::diagram::DiagramModel& diagram, views::FlowContextSource& source,
                            const std::string& programId, platform::diagram::Shape& box);
void AddCallees(platform::diagram::DiagramModel& diagram, views::FlowContextSource& source,
                const std::string& id, platform::diagram::Shape& box, int depth);

// Whether the diagram holds a box or a link with that key. An entity with an
// empty Name has a box too: the empty key finds the first unkeyed box.
bool ShapeExists(const platform::diagram::DiagramModel& diagram, const std::string& key);
bool LinkExists(const platform::diagram::DiagramModel& diagram, const std::string& key);

}  // namespace Globals
