#include "views/FlowContext.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

#include "platform/diagram/DiagramLayout.h"
#include "platform/diagram/DiagramPainter.h"
#include "views/EntityColour.h"
#include "views/FlowContextBoxes.h"

namespace views {

namespace fs = std::filesystem;
using platform::db::Params;
using platform::db::Statement;
using platform::diagram::DiagramModel;
using platform::diagram::Rgb;
using platform::diagram::Shape;

// ---- what a build reads -------------------------------------------------

namespace {

// Every query returns the far end's row in these columns, in this order.
// "+E.EntName" keeps the kind out of the index choice: without statistics
// SQLite would otherwise scan every program through (EntName, SOAType)
// instead of finding the row by its ID. Rows come in the order the
// relationships were recorded.
constexpr const char* kProgramSql =
    "SELECT ID, Name, EntName, SOAType, Stub, NULL, NULL FROM Ents WHERE ID = ?1 ORDER BY SerialID LIMIT 1";
constexpr const char* kCallersSql =
    "SELECT R.Id1, E.Name, E.EntName, E.SOAType, E.Stub, R.RelName, R.RelNameFull "
    "FROM Rels R, Ents E WHERE R.Id2 = ?1 AND R.Id1 = E.ID AND +E.EntName = ?2 "
    "AND (R.RelName = ?3 OR R.RelName = ?4) ORDER BY R.RelID";
constexpr const char* kCallingProgramsSql =
    "SELECT R.Id1, E.Name, E.EntName, E.SOAType, E.Stub, R.RelName, R.RelNameFull "
    "FROM Rels R, Ents E WHERE R.Id2 = ?1 AND R.Id1 = E.ID AND +E.EntName = ?2 AND R.RelName = ?3 "
    "ORDER BY R.RelID";
constexpr const char* kScreensSql =
    "SELECT R.Id2, E.Name, E.EntName, E.SOAType, E.Stub, R.RelName, R.RelNameFull "
    "FROM Rels R, Ents E WHERE R.Id1 = ?1 AND R.Id2 = E.ID AND +E.EntName = ?2 AND R.RelName = ?3 "
    "ORDER BY R.RelID";
// A transfer to a transitional program leads back towards the screens, not
// to the data; "<>" also leaves out a program without a category (NULL).
constexpr const char* kCalleesSql =
    "SELECT R.Id2, E.Name, E.EntName, E.SOAType, E.Stub, R.RelName, R.RelNameFull "
    "FROM Rels R, Ents E WHERE R.Id1 = ?1 AND R.Id2 = E.ID AND ("
    "(R.RelName = ?2 AND +E.EntName = ?4) "
    "OR (R.RelName = ?3 AND +E.EntName = ?4 AND E.SOAType <> ?6 AND E.SOAType <> ?7) "
    "OR (R.RelName = ?5 AND +E.EntName = ?8)) ORDER BY R.RelID";

}  // namespace

FlowContextSource::FlowContextSource(platform::db::Database& db, platform::workbench::EntityStore store)
    : m_db(db),
      m_store(std::move(store)),
      m_program{kProgramSql},
      m_callers{kCallersSql},
      m_callingPrograms{kCallingProgramsSql},
      m_screens{kScreensSql},
      m_callees{kCalleesSql} {}

FlowContextSource::~FlowContextSource() = default;

// params: the question's values after the identifier, which is ?1.
std::vector<FlowContextSource::Row> FlowContextSource::Read(Query& query, const std::string& id, Params params) {
    if (m_keep) {
        // Kept by the identifier as given: the answer is the same for
        // another spelling, but asking again costs little.
        if (const auto found = query.kept.find(id); found != query.kept.end()) return found->second;
    }
    // A build told to stop gets no more answers.
    if (!m_stopped && m_stop) m_stopped = m_stop();
    if (m_stopped) return {};
    if (!query.stmt) query.stmt.emplace(m_db.Prepare(query.sql));
    Statement& stmt = *query.stmt;
    params.insert(params.begin(), id);
    // Read to the end before anyone walks on: the walks run this same
    // statement again for every new box.
    stmt.BindAll(params);
    std::vector<Row> rows;
    while (stmt.Step()) {
        Row r;
        r.id = stmt.Text(0);
        r.name = stmt.Text(1);
        r.entName = stmt.Text(2);
        r.soaType = stmt.Column(3).AsInt();
        r.stub = stmt.Column(4).AsBool();
        r.relName = stmt.Text(5);
        r.relNameFull = stmt.Text(6);
        rows.push_back(std::move(r));
    }
    stmt.Reset();
    if (m_keep) query.kept.emplace(id, rows);
    return rows;
}

std::optional<FlowContextSource::Row> FlowContextSource::Program(const std::string& id) {
    auto rows = Read(m_program, id, {});
    if (rows.empty()) return std::nullopt;
    return std::move(rows.front());
}

std::vector<FlowContextSource::Row> FlowContextSource::Callers(const std::string& id) {
    return Read(m_callers, id, {"PROGRAM", "Calls", "Xctls"});
}

std::vector<FlowContextSource::Row> FlowContextSource::CallingPrograms(const std::string& id) {
    return Read(m_callingPrograms, id, {"PROGRAM", "Calls"});
}

std::vector<FlowContextSource::Row> FlowContextSource::Screens(const std::string& id) {
    return Read(m_screens, id, {"MAP", "converse"});
}

std::vector<FlowContextSource::Row> FlowContextSource::Callees(const std::string& id) {
    return Read(m_callees, id, {"Calls", "Xctls", "PROGRAM", "access", 10, 11, "store"});
}

// ---- the preview rule ----------------------------------------------------

fs::path PreviewPath(const fs::path& image) {
    const std::string name = image.filename().string();
    const auto dot = name.rfind('.');
    const std::string preview = dot == std::string::npos
                                    ? name + "_preview"
                                    : name.substr(0, dot) + "_preview" + name.substr(dot);
    return image.parent_path() / preview;
}

int ImageWidthPixels(double drawingWidth) {
    // nearbyint rounds halves to even, as the zoom below does.
    return static_cast<int>(std::nearbyint(drawingWidth * 100.0 / platform::diagram::kTwipsPerPixelX));
}

int FullImageZoom(double width, double height) {
    // The image's pixels at a zoom, with the painter's margins.
    auto pixels = [&](int zoom) {
        const double z = zoom / 100.0;
        return (std::round(width * z) + 2 * platform::diagram::kImageMargin) *
               (std::round(height * z) + 2 * platform::diagram::kImageMargin);
    };
    if (pixels(100) <= kFullImagePixels) return 100;
    int zoom = std::clamp(static_cast<int>(100 * std::sqrt(kFullImagePixels / std::max(1.0, width * height))), 1, 99);
    while (zoom > 1 && pixels(zoom) > kFullImagePixels) --zoom;
    return zoom;
}

std::optional<int> PreviewZoom(int imageWidth) {
    const int64_t shown = static_cast<int64_t>(imageWidth) + 4;
    if (shown <= kPreviewLimit) return std::nullopt;
    // 800 / shown * 100, rounded in whole numbers so that a half is seen as
    // exactly one and goes to the even neighbour.
    const int64_t scaled = int64_t{kPreviewLimit} * 100;
    int64_t zoom = scaled / shown;
    const int64_t twice = 2 * (scaled % shown);
    if (twice > shown || (twice == shown && zoom % 2 == 1)) ++zoom;
    // Past 160,000 pixels the rule would give zoom 0 or less, which draws
    // nothing; the smallest zoom is the nearest picture there is.
    return static_cast<int>(std::max<int64_t>(zoom - 1, 1));
}

Shape* FlowContextCentre(DiagramModel& diagram) {
    for (const auto& s : diagram.Shapes())
        if (s->heavyBorder) return s.get();
    return nullptr;
}

// ---- boxes and links -----------------------------------------------------

namespace detail {

Shape* FindBox(DiagramModel& diagram, const std::string& key) {
    if (!key.empty()) return diagram.FindShape(key);
    // The model does not index empty keys; without this an entity without a
    // Name would get a new box on every row, and a walk through a cycle of
    // such entities would never end.
    for (const auto& s : diagram.Shapes())
        if (s->key.empty()) return s.get();
    return nullptr;
}

const Shape* FindBox(const DiagramModel& diagram, const std::string& key) {
    return FindBox(const_cast<DiagramModel&>(diagram), key);
}

void StyleEntityBox(Shape& box, const std::string& kind, int64_t soaType, bool stub) {
    // SOAType is a 16-bit code; anything outside is no code of the table.
    const int code = static_cast<int>(std::clamp<int64_t>(soaType, INT16_MIN, INT16_MAX));
    box.fillColor = Globals::EntityColour(kind, code);
    if (stub) {
        box.lineColor = Rgb(255, 0, 0);
        box.lineStyle = platform::diagram::kLineDashed;
    }
}

Shape& AddEntityBox(DiagramModel& diagram, const FlowContextSource::Row& row, const std::string& hint) {
    // The size is a seed: the layout sizes every box to its text.
    Shape& box = diagram.AddShape(row.name, 0, 0, 3, 3, row.name);
    StyleEntityBox(box, row.entName, row.soaType, row.stub);
    box.tag = row.id;
    box.hint = hint;
    return box;
}

void LinkOnce(DiagramModel& diagram, Shape& from, Shape& to, const std::string& text,
              platform::diagram::Colour colour) {
    if (&from == &to) return;
    const std::string key = from.key + text + to.key;
    if (diagram.FindLink(key)) return;
    diagram.AddLink(from, to, text, key).color = colour;
}

}  // namespace detail

}  // namespace views

namespace Globals {

using platform::diagram::DiagramModel;
using platform::diagram::Shape;

views::FlowContextResult BuildFlowContext(DiagramModel& diagram, views::FlowContextSource& source, int mode,
                                          const std::string& programId, std::filesystem::path& imageFile,
                                          int depth, bool layOut) {
    views::FlowContextResult result;
    try {
        const auto program = source.Program(programId);
        if (!program) return result;   // an unknown program keeps the earlier drawing
        diagram.Clear();

        // The repository's type colours the centre and its identifier starts
        // the walks. A program the repository does not know (a stub program
        // has no entity there) is still drawn, from its Ents row.
        std::string kind = program->entName;
        std::string walkId = program->id;
        const auto& store = source.Store();
        if (!store.IsNull()) {
            try {
                const auto entity = store.Item(programId);
                kind = entity.GetType().GetName();
                walkId = entity.GetId();
            } catch (const std::exception&) {
            }
        }

        // The centre is kept by reference rather than found again by name:
        // its box is keyed by Ents.Name, which need not be the repository's.
        Shape& centre = diagram.AddShape(program->name, 0, 0, 3, 3, program->name);
        views::detail::StyleEntityBox(centre, kind, program->soaType, program->stub);
        centre.tag = program->id;
        centre.hint = program->name;

        if (mode == views::kFlowClientSide || mode == views::kFlowBothSides)
            AddCallers(diagram, source, walkId, centre);
        if (mode == views::kFlowDataSide || mode == views::kFlowBothSides)
            AddCallees(diagram, source, walkId, centre, depth);

        centre.fillColor = platform::diagram::Rgb(255, 0, 0);
        centre.boldText = true;
        centre.heavyBorder = true;
        if (!layOut) return result;
        platform::diagram::AutoLayout(diagram);

        if (imageFile.empty()) return result;
        result.zoom = 100;
        if (!platform::diagram::ExportImage(diagram, imageFile, 100)) return result;
        const std::filesystem::path preview = views::PreviewPath(imageFile);
        imageFile = preview;
        const auto zoom = views::PreviewZoom(views::ImageWidthPixels(platform::diagram::DrawingWidth(diagram)));
        if (!zoom) return result;
        result.zoom = *zoom;
        result.previewWritten = platform::diagram::ExportImage(diagram, preview, *zoom);
    } catch (const std::exception&) {
        // Silent by design: what is drawn stays drawn.
    }
    return result;
}

bool ShapeExists(const DiagramModel& diagram, const std::string& key) {
    return views::detail::FindBox(diagram, key) != nullptr;
}

bool LinkExists(const DiagramModel& diagram, const std::string& key) {
    return diagram.FindLink(key) != nullptr;
}

}  // namespace Globals
