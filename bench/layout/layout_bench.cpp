// Layered layout speed, edge crossings and drawing faults, beside Graphviz
// dot on the same graphs.
//
//   layout_bench [--keep] [--no-dot] [--dot-cache DIR] [--dot-timeout SECONDS]
//                [--back PERCENT]
//                [--links PER_BOX] [--only layered|dag|cyclic|flow]
//                [--programs N] [boxes ...]
//
// Four classes of graph, each run unless --only names one:
//   layered: synthetic and seeded, several connected components, each of
//     boxes in levels with five links per box on average (or --links), most
//     of them to the next level, some skipping levels and some going one or
//     two levels back (--back percent, default 8: short cycles, as recursion
//     in a call graph tends to be). Sizes default to 200 2000 5000.
//   dag: random acyclic graphs, each link between two boxes drawn at random
//     and pointing along a random order of the boxes, 1.5 and 3 links per
//     box. Sizes default to 500 1000 2000.
//   cyclic: the same with each link pointing either way, so cycles of any
//     length.
//   flow: the flow contexts (both sides) of two applications' programs,
//     A3P10 among them, on a generated workspace of --programs programs
//     (default 20,000; 0 leaves the class out), without dot.
// Every box is 80 x 30 in the first three. Our time is the wall time of
// LayeredLayout::Layout, the best of a few runs for the smaller graphs. dot
// gets the same graph as a DOT file (fixed node sizes in inches,
// rankdir=TB) and runs as `dot -Tplain` under a timeout (--dot-timeout,
// default 300 s per graph); its time includes reading and writing the
// files, which is small beside its layout. Crossings are counted the same
// way for both drawings: pairs of straight segments between the centres of
// linked boxes that properly cross, pairs sharing a box left out ("crs");
// and again along the lines as drawn ("drn": pairs of links whose lines
// cross at least once, ours along their routes, dot's along the control
// points of its splines). The
// drawing check (CheckDrawing) counts, on our drawing as painted, labels
// over labels or boxes ("overlaps") and links under a box they do not join
// ("under"). --keep leaves the DOT files and dot's output in the temporary
// folder it names. --dot-cache keeps them in DIR instead and reads dot's
// drawing (and its time) from there when the same graph comes again, so
// graphs dot needs minutes for are drawn once.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <QGuiApplication>

#include "bench/generator/GeneratedWorkspace.h"
#include "bench/generator/SyntheticRepository.h"
#include "common/Progress.h"
#include "platform/db/Database.h"
#include "platform/diagram/DiagramCheck.h"
#include "platform/diagram/DiagramLayout.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "views/FlowContext.h"
#include "workspace/RepositoryImport.h"

namespace fs = std::filesystem;
using platform::diagram::DiagramModel;
using platform::diagram::LayeredLayout;

namespace {

constexpr double kBoxWidth = 80, kBoxHeight = 30;
int g_dotTimeoutSeconds = 300;
bool g_dotCached = false;

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

struct Graph {
    int boxes = 0;
    std::vector<std::pair<int, int>> links;
};

int Pick(std::mt19937& rng, int lo, int hi) {  // lo..hi inclusive
    return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
}

Graph Generate(int boxes, double linksPerBox, int backPercent, unsigned seed) {
    std::mt19937 rng(seed);
    Graph g;
    g.boxes = boxes;
    // Components of uneven size, about one per 400 boxes and at least two.
    const int count = std::max(2, boxes / 400);
    std::vector<int> weight(count);
    int weightSum = 0;
    for (int& w : weight) weightSum += (w = Pick(rng, 1, 3));
    int first = 0;
    for (int c = 0; c < count; ++c) {
        int size = c + 1 == count ? boxes - first : std::max(1, boxes * weight[c] / weightSum);
        int levels = std::max(3, static_cast<int>(std::lround(std::sqrt(static_cast<double>(size)) / 2)));
        levels = std::min(levels, size);
        auto levelStart = [&](int l) { return first + static_cast<int>(static_cast<long long>(size) * l / levels); };
        auto inLevel = [&](int l) { return Pick(rng, levelStart(l), levelStart(l + 1) - 1); };
        // A tree keeps the component connected: every box below the first
        // level has a caller one level up, the first level calls down.
        for (int l = 0; l < levels; ++l)
            for (int v = levelStart(l); v < levelStart(l + 1); ++v) {
                if (l > 0)
                    g.links.emplace_back(inLevel(l - 1), v);
                else if (levels > 1 && v > first)
                    g.links.emplace_back(v, inLevel(1));
            }
        const int target = static_cast<int>(g.links.size()) + std::max(0, static_cast<int>(std::lround(linksPerBox * size)) - (size - 1));
        while (static_cast<int>(g.links.size()) < target) {
            if (levels == 1) {
                g.links.emplace_back(inLevel(0), inLevel(0));
            } else if (Pick(rng, 0, 99) < backPercent) {
                // Back one or two levels: short cycles, as recursion in a
                // call graph tends to be.
                int l = Pick(rng, 1, levels - 1);
                g.links.emplace_back(inLevel(l), inLevel(std::max(0, l - Pick(rng, 1, 2))));
            } else {
                int l = Pick(rng, 0, levels - 2);
                int r = Pick(rng, 0, 99);
                int skip = r < 70 ? 1 : r < 90 ? 2 : 3;
                g.links.emplace_back(inLevel(l), inLevel(std::min(levels - 1, l + skip)));
            }
        }
        first += size;
    }
    return g;
}

// Random graphs: links between two different boxes drawn at random, no
// pair twice; acyclic ones point along a random order of the boxes.
Graph GenerateRandom(int boxes, double linksPerBox, bool acyclic, unsigned seed) {
    std::mt19937 rng(seed);
    Graph g;
    g.boxes = boxes;
    std::vector<int> order(boxes);
    for (int v = 0; v < boxes; ++v) order[v] = v;
    std::shuffle(order.begin(), order.end(), rng);
    const long long target = std::min(static_cast<long long>(std::llround(linksPerBox * boxes)),
                                      static_cast<long long>(boxes) * (boxes - 1) / 2);
    std::unordered_set<std::uint64_t> seen;
    while (static_cast<long long>(g.links.size()) < target) {
        int i = Pick(rng, 0, boxes - 1), j = Pick(rng, 0, boxes - 1);
        if (i == j) continue;
        if (acyclic && i > j) std::swap(i, j);
        const int a = order[i], b = order[j];
        if (!seen.insert(static_cast<std::uint64_t>(std::min(a, b)) * boxes + std::max(a, b)).second) continue;
        g.links.emplace_back(a, b);
    }
    return g;
}

struct Point {
    double x, y;
};

double Cross(const Point& o, const Point& a, const Point& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Proper crossings among the straight links between box centres. The links
// are swept by their left end; a pair is tested only when their x ranges
// overlap.
long long CountCrossings(const Graph& g, const std::vector<Point>& centre) {
    struct Segment {
        int a, b;
        double minX, maxX, minY, maxY;
    };
    std::vector<Segment> segs;
    std::unordered_set<std::uint64_t> seen;
    for (auto [a, b] : g.links) {
        if (a == b) continue;
        if (a > b) std::swap(a, b);
        if (!seen.insert(static_cast<std::uint64_t>(a) * g.boxes + b).second) continue;
        const Point& p = centre[a];
        const Point& q = centre[b];
        segs.push_back({a, b, std::min(p.x, q.x), std::max(p.x, q.x), std::min(p.y, q.y), std::max(p.y, q.y)});
    }
    std::sort(segs.begin(), segs.end(), [](const Segment& s, const Segment& t) { return s.minX < t.minX; });
    long long crossings = 0;
    for (std::size_t i = 0; i < segs.size(); ++i) {
        const Segment& s = segs[i];
        for (std::size_t j = i + 1; j < segs.size() && segs[j].minX <= s.maxX; ++j) {
            const Segment& t = segs[j];
            if (t.maxY < s.minY || t.minY > s.maxY) continue;
            if (s.a == t.a || s.a == t.b || s.b == t.a || s.b == t.b) continue;
            const Point &p = centre[s.a], &q = centre[s.b], &u = centre[t.a], &v = centre[t.b];
            double d1 = Cross(p, q, u), d2 = Cross(p, q, v), d3 = Cross(u, v, p), d4 = Cross(u, v, q);
            if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
                ++crossings;
        }
    }
    return crossings;
}

// A link as drawn: its boxes and its line through the points.
struct Drawn {
    int a, b;
    std::vector<Point> points;
};

// Pairs of drawn links, pairs sharing a box left out, whose lines properly
// cross at least once. The segments are swept by their left end as above.
long long CountDrawnCrossings(const std::vector<Drawn>& links) {
    struct Segment {
        int link;
        Point p, q;
        double minX, maxX, minY, maxY;
    };
    std::vector<Segment> segs;
    for (int k = 0; k < static_cast<int>(links.size()); ++k) {
        const Drawn& d = links[k];
        if (d.a == d.b) continue;
        for (std::size_t i = 1; i < d.points.size(); ++i) {
            const Point &p = d.points[i - 1], &q = d.points[i];
            segs.push_back({k, p, q, std::min(p.x, q.x), std::max(p.x, q.x), std::min(p.y, q.y), std::max(p.y, q.y)});
        }
    }
    std::sort(segs.begin(), segs.end(), [](const Segment& s, const Segment& t) { return s.minX < t.minX; });
    std::unordered_set<std::uint64_t> pairs;
    for (std::size_t i = 0; i < segs.size(); ++i) {
        const Segment& s = segs[i];
        for (std::size_t j = i + 1; j < segs.size() && segs[j].minX <= s.maxX; ++j) {
            const Segment& t = segs[j];
            if (t.maxY < s.minY || t.minY > s.maxY || s.link == t.link) continue;
            const Drawn &x = links[s.link], &y = links[t.link];
            if (x.a == y.a || x.a == y.b || x.b == y.a || x.b == y.b) continue;
            double d1 = Cross(s.p, s.q, t.p), d2 = Cross(s.p, s.q, t.q), d3 = Cross(t.p, t.q, s.p),
                   d4 = Cross(t.p, t.q, s.q);
            if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
                pairs.insert(static_cast<std::uint64_t>(std::min(s.link, t.link)) * links.size() +
                             static_cast<std::uint64_t>(std::max(s.link, t.link)));
        }
    }
    return static_cast<long long>(pairs.size());
}

struct Result {
    double seconds = 0;
    long long crossings = -1;
    long long drawnCrossings = -1;  // along the lines as drawn
    double width = 0, height = 0;
    std::string note;
    platform::diagram::DrawingFaults faults;
};

void Extent(const std::vector<Point>& centre, Result& r) {
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const Point& p : centre) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    r.width = maxX - minX + kBoxWidth;
    r.height = maxY - minY + kBoxHeight;
}

Result RunOurs(const Graph& g, int runs) {
    DiagramModel model;
    std::vector<platform::diagram::Shape*> box;
    for (int v = 0; v < g.boxes; ++v)
        box.push_back(&model.AddShape("", 0, 0, kBoxWidth, kBoxHeight, "n" + std::to_string(v)));
    for (auto [a, b] : g.links) model.AddLink(*box[a], *box[b], "", "");
    Result r;
    r.seconds = 1e300;
    LayeredLayout layout;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        layout.Layout(model);
        r.seconds = std::min(r.seconds, Seconds(start));
    }
    std::vector<Point> centre;
    for (auto* s : box) centre.push_back({s->left + s->width / 2, s->top + s->height / 2});
    r.crossings = CountCrossings(g, centre);
    // A link the layout did not route is painted straight.
    std::vector<Drawn> drawn;
    for (std::size_t k = 0; k < g.links.size(); ++k) {
        const auto& route = model.Links()[k]->route;
        auto [a, b] = g.links[k];
        Drawn d{a, b, {}};
        for (const auto& p : route) d.points.push_back({p.x, p.y});
        if (d.points.empty()) d.points = {centre[a], centre[b]};
        drawn.push_back(std::move(d));
    }
    r.drawnCrossings = CountDrawnCrossings(drawn);
    Extent(centre, r);
    r.faults = platform::diagram::CheckDrawing(model);
    return r;
}

Result RunDot(const Graph& g, const fs::path& dir, const std::string& name) {
    Result r;
    const fs::path in = dir / (name + ".dot");
    const fs::path out = dir / (name + ".plain");
    const fs::path time = dir / (name + ".seconds");
    std::ostringstream text;
    text << "digraph G {\n  rankdir=TB;\n  node [shape=box, fixedsize=true, label=\"\", width=" << kBoxWidth / 72
         << ", height=" << kBoxHeight / 72 << "];\n";
    for (int v = 0; v < g.boxes; ++v) text << "  n" << v << ";\n";
    for (auto [a, b] : g.links) text << "  n" << a << " -> n" << b << ";\n";
    text << "}\n";
    // A cached drawing of the very same graph is read instead of running
    // dot again.
    std::ostringstream cached;
    if (std::ifstream old(in); old) cached << old.rdbuf();
    if (std::ifstream t(time); g_dotCached && cached.str() == text.str() && fs::exists(out) && t >> r.seconds) {
    } else {
        std::ofstream(in) << text.str();
        fs::remove(time);
        const std::string cmd = "timeout " + std::to_string(g_dotTimeoutSeconds) + " dot -Tplain '" + in.string() +
                                "' -o '" + out.string() + "'";
        auto start = Clock::now();
        const int rc = std::system(cmd.c_str());
        r.seconds = Seconds(start);
        if (WIFEXITED(rc) && WEXITSTATUS(rc) == 124) {
            r.note = "dot timed out after " + std::to_string(g_dotTimeoutSeconds) + " s";
            return r;
        }
        if (rc != 0) {
            r.note = "dot failed (status " + std::to_string(rc) + ")";
            return r;
        }
        if (g_dotCached) std::ofstream(time) << r.seconds << "\n";
    }
    std::vector<Point> centre(g.boxes, Point{0, 0});
    std::vector<char> found(g.boxes, 0);
    std::vector<Drawn> drawn;
    std::ifstream f(out);
    std::string line;
    auto box = [&](const std::string& name) { return name.size() < 2 ? -1 : std::atoi(name.c_str() + 1); };
    while (std::getline(f, line)) {
        std::istringstream s(line);
        std::string kind, name;
        double x, y;
        if (!(s >> kind)) continue;
        if (kind == "edge") {
            // The spline's control points, taken as a polyline.
            std::string tail, head;
            int n = 0;
            if (!(s >> tail >> head >> n)) continue;
            Drawn d{box(tail), box(head), {}};
            for (int i = 0; i < n && s >> x >> y; ++i) d.points.push_back({x * 72, y * 72});
            drawn.push_back(std::move(d));
            continue;
        }
        if (kind != "node" || !(s >> name >> x >> y)) continue;
        int v = box(name);
        if (v < 0 || v >= g.boxes) continue;
        centre[v] = {x * 72, y * 72};
        found[v] = 1;
    }
    if (std::count(found.begin(), found.end(), 1) != g.boxes) {
        r.note = "dot's output lacks some nodes";
        return r;
    }
    r.crossings = CountCrossings(g, centre);
    r.drawnCrossings = CountDrawnCrossings(drawn);
    Extent(centre, r);
    return r;
}

// One graph of a class: ours, dot's, and the line comparing them.
void RunGraph(const char* kind, const Graph& g, bool haveDot, const fs::path& dir) {
    Result ours = RunOurs(g, g.boxes <= 500 ? 5 : g.boxes <= 2000 ? 3 : 1);
    Result dot;
    char name[64];
    std::snprintf(name, sizeof name, "%s-%d-%zu", kind, g.boxes, g.links.size());
    if (haveDot) dot = RunDot(g, dir, name);
    auto size = [](const Result& r) {
        char b[32];
        std::snprintf(b, sizeof b, "%.0f x %.0f", r.width, r.height);
        return std::string(r.crossings >= 0 ? b : "-");
    };
    char dotTime[32] = "-", speed[32] = "-", dotCross[32] = "-", ratio[32] = "-", dotDrawn[32] = "-",
         drawnRatio[32] = "-";
    if (haveDot && dot.note.empty()) {
        std::snprintf(dotTime, sizeof dotTime, "%.3f", dot.seconds);
        std::snprintf(speed, sizeof speed, "%.1f", dot.seconds / ours.seconds);
        std::snprintf(dotCross, sizeof dotCross, "%lld", dot.crossings);
        std::snprintf(ratio, sizeof ratio, "%.2f",
                      dot.crossings > 0 ? static_cast<double>(ours.crossings) / dot.crossings : 0.0);
        std::snprintf(dotDrawn, sizeof dotDrawn, "%lld", dot.drawnCrossings);
        std::snprintf(drawnRatio, sizeof drawnRatio, "%.2f",
                      dot.drawnCrossings > 0 ? static_cast<double>(ours.drawnCrossings) / dot.drawnCrossings : 0.0);
    } else if (haveDot) {
        std::snprintf(dotTime, sizeof dotTime, ">%.0f", dot.seconds);
    }
    std::printf("%-8s %6d %6zu %8.3f %9s %8s %9lld %9s %8s %9lld %9s %8s   %-13s %-13s %5lld %5lld\n", kind,
                g.boxes, g.links.size(), ours.seconds, dotTime, speed, ours.crossings, dotCross, ratio,
                ours.drawnCrossings, dotDrawn, drawnRatio, size(ours).c_str(), size(dot).c_str(),
                ours.faults.labelOverlaps, ours.faults.linksUnderBoxes);
    if (!dot.note.empty()) std::printf("         %s\n", dot.note.c_str());
    std::fflush(stdout);
}

// Flow contexts of a generated workspace: the programs of two applications,
// each laid out as the window and the report draw it, with the drawing
// check.
int RunFlowContexts(int programs, const fs::path& work) {
    bench::generator::Options options;
    options.programs = programs;
    auto opened = bench::generator::GenerateAndImportWorkspace(options, work);
    if (!opened.db) return 1;
    auto& session = *opened.session;
    auto& db = opened.db;
    db->Execute("ANALYZE");
    std::printf("\nflow contexts (both sides) on a generated workspace of %d programs\n", programs);
    std::printf("%-8s %6s %6s %8s %8s %5s %5s\n", "program", "boxes", "links", "layout s", "check s", "ovl", "under");
    long long drawn = 0, overlaps = 0, under = 0, boxes = 0, maxBoxes = 0;
    double slowest = 0, total = 0;
    views::FlowContextSource source(*db, session.GetEntityStore());
    for (int app : {3, 7}) {
        for (int k = 0; k < 50; ++k) {
            const std::string program = "A" + std::to_string(app) + "P" + std::to_string(k);
            const auto id = db->Scalar("SELECT ID FROM Ents WHERE Name = ? AND EntName = 'PROGRAM'", {program});
            if (id.IsNull()) continue;
            platform::diagram::DiagramModel model;
            fs::path none;
            Globals::BuildFlowContext(model, source, views::kFlowBothSides, id.AsText(), none, 4);
            // The layout again, timed alone (the build reads the database).
            auto start = Clock::now();
            platform::diagram::AutoLayout(model);
            const double seconds = Seconds(start);
            start = Clock::now();
            const auto faults = platform::diagram::CheckDrawing(model);
            const double checkSeconds = Seconds(start);
            ++drawn;
            boxes += static_cast<long long>(model.ShapeCount());
            maxBoxes = std::max(maxBoxes, static_cast<long long>(model.ShapeCount()));
            overlaps += faults.labelOverlaps;
            under += faults.linksUnderBoxes;
            slowest = std::max(slowest, seconds);
            total += seconds;
            if (program == "A3P10" || !faults.None())
                std::printf("%-8s %6zu %6zu %8.4f %8.4f %5lld %5lld\n", program.c_str(), model.ShapeCount(),
                            model.LinkCount(), seconds, checkSeconds, faults.labelOverlaps, faults.linksUnderBoxes);
            for (const auto& e : faults.examples) std::printf("         %s\n", e.c_str());
        }
    }
    std::printf("%lld flow contexts: %.1f boxes on average, at most %lld; layout %.4f s on average, at most %.4f s; "
                "%lld label overlaps, %lld links under boxes\n",
                drawn, drawn ? static_cast<double>(boxes) / drawn : 0.0, maxBoxes, drawn ? total / drawn : 0.0,
                slowest, overlaps, under);
    session.Close();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Captions are measured in the diagram font.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::vector<int> sizes;
    bool keep = false;
    int backPercent = 8;
    double linksPerBox = 5;
    bool noDot = false;
    std::string dotCache;
    std::string only;
    int programs = 20000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keep") {
            keep = true;
        } else if (arg == "--dot-cache" && i + 1 < argc) {
            dotCache = argv[++i];
            g_dotCached = true;
        } else if (arg == "--no-dot") {
            noDot = true;
        } else if (arg == "--dot-timeout" && i + 1 < argc) {
            g_dotTimeoutSeconds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--links" && i + 1 < argc) {
            linksPerBox = std::max(1.0, std::atof(argv[++i]));
        } else if (arg == "--back" && i + 1 < argc) {
            backPercent = std::atoi(argv[++i]);
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (arg == "--programs" && i + 1 < argc) {
            programs = std::max(0, std::atoi(argv[++i]));
        } else {
            char* end = nullptr;
            long v = std::strtol(argv[i], &end, 10);
            if (!end || *end || v < 1 || v > 1000000) only = "?";
            sizes.push_back(static_cast<int>(v));
        }
    }
    if (!(only.empty() || only == "layered" || only == "dag" || only == "cyclic" || only == "flow")) {
        std::fprintf(stderr,
                     "usage: layout_bench [--keep] [--no-dot] [--dot-cache DIR] [--dot-timeout SECONDS] "
                     "[--back PERCENT] [--links PER_BOX] [--only layered|dag|cyclic|flow] [--programs N] [boxes ...]\n");
        return 2;
    }
    auto runs = [&](const char* kind) { return only.empty() || only == kind; };

    const bool haveDot = !noDot && std::system("command -v dot >/dev/null 2>&1") == 0;
    if (!noDot && !haveDot) std::printf("dot not found: Graphviz columns skipped\n");
    const fs::path dir =
        !dotCache.empty() ? fs::path(dotCache) : fs::temp_directory_path() / ("layout_bench." + std::to_string(getpid()));
    fs::create_directories(dir);

    std::printf("%-8s %6s %6s %8s %9s %8s %9s %9s %8s %9s %9s %8s   %-13s %-13s %5s %5s\n", "class", "boxes", "links",
                "ours s", "dot s", "dot/ours", "ours crs", "dot crs", "ours/dot", "ours drn", "dot drn", "ours/dot",
                "ours w x h", "dot w x h", "ovl", "under");
    if (runs("layered"))
        for (int boxes : sizes.empty() ? std::vector<int>{200, 2000, 5000} : sizes)
            RunGraph("layered", Generate(boxes, linksPerBox, backPercent, 20240601u + static_cast<unsigned>(boxes)),
                     haveDot, dir);
    for (const char* kind : {"dag", "cyclic"}) {
        if (!runs(kind)) continue;
        for (int boxes : sizes.empty() ? std::vector<int>{500, 1000, 2000} : sizes)
            for (double perBox : {1.5, 3.0})
                RunGraph(kind,
                         GenerateRandom(boxes, perBox, kind[0] == 'd',
                                        20240701u + static_cast<unsigned>(boxes) + (perBox > 2 ? 1 : 0)),
                         haveDot, dir);
    }
    int status = 0;
    if (runs("flow") && programs > 0) status = RunFlowContexts(programs, dir / "flow");
    if (keep || g_dotCached) {
        std::printf("files kept in %s\n", dir.c_str());
    } else {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    return status;
}
