// Layered layout speed, edge crossings and drawing faults, beside Graphviz
// dot on the same graphs.
//
//   layout_bench [--keep] [--no-dot] [--digests] [--dot-cache DIR] [--dot-timeout SECONDS]
//                [--seeds N] [--first-seed K] [--back PERCENT] [--links PER_BOX]
//                [--only layered|dag|cyclic|callgraph|hub|flow] [--programs N]
//                [--contexts N] [boxes ...]
//
// Six families of graph, each run unless --only names one, each size and
// density of a family (a class) with --seeds seeds (default 5, from seed
// --first-seed on, default 0):
//   layered: synthetic, several connected components, each of boxes in
//     levels with five links per box on average (or --links), most of them
//     to the next level, some skipping levels and some going one or two
//     levels back (--back percent, default 8: short cycles, as recursion
//     in a call graph tends to be); 200 boxes.
//   dag: random acyclic graphs, each link between two boxes drawn at random
//     and pointing along a random order of the boxes: 500 boxes with 1.5
//     and 3 links per box, 1000 with 1.5.
//   cyclic: the same with each link pointing either way, so cycles of any
//     length: 200 boxes with 1.5 and 3 links per box, 500 with 1.5.
//   callgraph: programs calling mostly programs a little further down a
//     random order, a few hubs (utilities) called by many, and short
//     cycles (two programs calling each other, triangles); 200 and 300
//     boxes, about 2.5 links per box.
// (Larger and denser graphs take dot minutes each on a busy machine.)
//   hub: one program called by 2,000, 4,000, 8,000 and 16,000 others (or
//     the sizes given) that nothing calls, its flow context's client side
//     built and laid out as the window does it: all callers in one column.
//     Beside the layout's CPU time, the growth of the peak resident memory
//     during the layout over the resident memory before it, and how both
//     grew from the size before; then the CPU time and peak memory of the
//     pictures a report's diagram page makes of it (the full image, at the
//     zoom it is written at, and its preview); beside them, the floor of
//     the full image's lines: the same pixels of line drawn by Qt the
//     cheapest way it has, one antialiased drawLines call per colour (see
//     LinesFloor). Each size is measured in a process of its own, so that
//     its peak is its own.
//   flow: every program's three flow contexts (client side, data side,
//     both) on a generated workspace of --programs programs (default
//     20,000; 0 leaves the class out; --contexts N draws only the first N
//     programs'), drawn as the window draws them, with the drawing check,
//     its screen interaction plot, and the busiest 30 flow contexts beside
//     dot (the same boxes and links without labels, left to right), and
//     again with dot held to our columns (rows marked "c"): free, dot
//     ranks the boxes as it likes, where ours keep each box at least as
//     far out as its distance from the centre.
// Sizes given on the command line replace the default classes: each size
// in every family, at 1.5 and 3 links per box for the random ones. Every
// box is 80 x 30 in the first four. Times are CPU seconds, taken in the
// same run for both: ours the layout thread's while LayeredLayout::Layout
// runs, the median of a few runs for the smaller graphs; dot's the user
// and system time of one `dot -Tplain` run (given the same graph as a DOT
// file, fixed node sizes in inches, rankdir=TB) under a timeout
// (--dot-timeout, default 300 s per graph), which includes reading and
// writing the files, small beside its layout. Crossings are
// counted the same way for both drawings: pairs of straight segments
// between the centres of linked boxes that properly cross, pairs sharing a
// box left out ("crs"); and again along the lines as drawn ("drn": pairs of
// links whose lines cross at least once, ours as the painter draws them,
// dot's along the control points of its splines). The drawing check
// (CheckDrawing) counts, on our drawing as painted, labels over labels or
// boxes ("ovl"), links under a box they do not join ("und"), overlapping
// boxes ("box"), labels nearer another link's line than their own ("ast"),
// pairs of links drawn on top of each other ("top"), labels whose nearest
// other line is less than twice as far as their own ("tight") and pairs of
// links whose parallel lines leave less than 3 px of white between them
// ("3px"); "area" is our page's area over dot's. After the graphs, each
// class's worst ratio of our crossings to dot's, straight and drawn, its
// least and median speed-up over dot, and its median ratio of areas, over
// its seeds. --keep leaves the DOT files and dot's output in the temporary
// folder it names; --dot-cache keeps them in DIR instead (dot still runs
// for every graph: its times are never read back). --digests prints a
// digest of every drawing's geometry (every flow context's too), so that
// two builds' drawings can be compared. --hub-pictures N DIR writes the
// pictures of a hub of N callers into DIR instead (see WriteHubPictures).

#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include "bench/generator/GeneratedWorkspace.h"
#include "bench/ProcessFigures.h"
#include "bench/layout/HubContext.h"
#include "bench/generator/SyntheticRepository.h"
#include "common/Progress.h"
#include "platform/db/Database.h"
#include "platform/diagram/DiagramCheck.h"
#include "platform/diagram/DiagramLayout.h"
#include "platform/diagram/DiagramPainter.h"
#include "platform/diagram/PixelGrid.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "views/FlowContext.h"
#include "views/ScreenFlowPlot.h"
#include "workspace/RepositoryImport.h"

namespace fs = std::filesystem;
using platform::diagram::DiagramModel;
using platform::diagram::DrawingFaults;
using platform::diagram::DrawnLine;
using platform::diagram::LayeredLayout;
using platform::diagram::Point;

namespace {

constexpr double kBoxWidth = 80, kBoxHeight = 30;
int g_dotTimeoutSeconds = 300;

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The CPU time of this thread so far: the layout runs on one thread.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

using bench::PeakMemoryMb;
using bench::ResetPeakMemory;
using bench::ResidentMemoryMb;

// A command run to its end: its exit status (-1 where it could not run or
// was killed) and the CPU time, user and system, of it and the processes
// it waited for.
struct TimedRun {
    int status = -1;
    double cpuSeconds = 0;
};

TimedRun RunTimed(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    TimedRun run;
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0)
        if (errno != EINTR) return run;
    auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

struct Graph {
    int boxes = 0;
    std::vector<std::pair<int, int>> links;
    // Empty: every box kBoxWidth x kBoxHeight.
    std::vector<std::pair<double, double>> sizes;
    bool leftToRight = false;
    // Empty, or each box's rank (0 first) that dot must keep.
    std::vector<int> rank;
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

// The boxes in a random order.
std::vector<int> Shuffled(int boxes, std::mt19937& rng) {
    std::vector<int> order(boxes);
    for (int v = 0; v < boxes; ++v) order[v] = v;
    std::shuffle(order.begin(), order.end(), rng);
    return order;
}

// Random graphs: links between two different boxes drawn at random, no
// pair twice; acyclic ones point along a random order of the boxes.
Graph GenerateRandom(int boxes, double linksPerBox, bool acyclic, unsigned seed) {
    std::mt19937 rng(seed);
    Graph g;
    g.boxes = boxes;
    const std::vector<int> order = Shuffled(boxes, rng);
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

// Call graphs: each program calls one to four others, most a little further
// down a random order of the programs (callers above callees, calls kept
// near), about a third a hub (a utility called from everywhere); some calls
// are answered by a call back (mutual recursion) and some close a triangle.
Graph GenerateCallGraph(int boxes, unsigned seed) {
    std::mt19937 rng(seed);
    Graph g;
    g.boxes = boxes;
    const std::vector<int> order = Shuffled(boxes, rng);
    const int hubs = std::max(3, boxes / 50);
    const int window = std::max(4, boxes / 8);
    std::unordered_set<std::uint64_t> seen;
    auto add = [&](int a, int b) {
        if (a == b || !seen.insert(static_cast<std::uint64_t>(a) * boxes + b).second) return false;
        g.links.emplace_back(a, b);
        return true;
    };
    // The hubs stand last in the order: they call nothing but one another.
    for (int i = 0; i + hubs < boxes; ++i) {
        const int calls = Pick(rng, 1, 4);
        for (int c = 0; c < calls; ++c) {
            int j = Pick(rng, 0, 99) < 30 ? Pick(rng, boxes - hubs, boxes - 1)
                                          : std::min(boxes - hubs - 1, i + Pick(rng, 1, window));
            if (j == i) continue;
            const int a = order[i], b = order[j];
            if (!add(a, b)) continue;
            const int r = Pick(rng, 0, 99);
            if (r < 6) {
                add(b, a);
            } else if (r < 10 && j + 1 < boxes) {
                const int k = order[std::min(boxes - 1, j + Pick(rng, 1, window))];
                if (k != a && k != b && add(b, k)) add(k, a);
            }
        }
    }
    for (int h = boxes - hubs; h + 1 < boxes; ++h)
        if (Pick(rng, 0, 2) == 0) add(order[h], order[h + 1]);
    return g;
}

// Proper crossings among the straight links between box centres, each pair
// of boxes once, pairs sharing a box left out.
long long StraightCrossings(int boxes, const std::vector<std::pair<int, int>>& links, const std::vector<Point>& centre) {
    std::vector<DrawnLine> lines;
    std::unordered_set<std::uint64_t> seen;
    for (auto [a, b] : links) {
        if (a == b) continue;
        if (a > b) std::swap(a, b);
        if (!seen.insert(static_cast<std::uint64_t>(a) * boxes + b).second) continue;
        lines.push_back({a, b, {centre[a], centre[b]}});
    }
    return platform::diagram::CrossingPairs(lines, false);
}

struct Result {
    double seconds = 0;
    long long crossings = -1;
    long long drawnCrossings = -1;  // along the lines as drawn
    double width = 0, height = 0;
    std::string note;
    DrawingFaults faults;
    std::uint64_t digest = 0;
};

// Page size from the boxes' centres and sizes.
void Extent(const std::vector<Point>& centre, const Graph& g, Result& r) {
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (std::size_t v = 0; v < centre.size(); ++v) {
        const auto [w, h] = g.sizes.empty() ? std::pair{kBoxWidth, kBoxHeight} : g.sizes[v];
        const Point& p = centre[v];
        minX = std::min(minX, p.x - w / 2);
        maxX = std::max(maxX, p.x + w / 2);
        minY = std::min(minY, p.y - h / 2);
        maxY = std::max(maxY, p.y + h / 2);
    }
    r.width = maxX - minX;
    r.height = maxY - minY;
}

// A digest of a laid-out model's geometry (every box's place and size,
// every link's route and label rectangles), to tell whether two builds
// draw the same.
std::uint64_t Digest(const DiagramModel& model) {
    std::uint64_t h = 14695981039346656037ull;
    auto add = [&](double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int k = 0; k < 8; ++k) h = (h ^ ((bits >> (8 * k)) & 0xff)) * 1099511628211ull;
    };
    auto rect = [&](const platform::diagram::Rect& r) {
        for (double v : {r.left, r.top, r.width, r.height}) add(v);
    };
    for (const auto& s : model.Shapes())
        for (double v : {s->left, s->top, s->width, s->height}) add(v);
    for (const auto& l : model.Links()) {
        for (const Point& p : l->route) add(p.x), add(p.y);
        rect(l->textRect);
        rect(l->fromRect);
        rect(l->toRect);
    }
    return h;
}
bool g_digests = false;

// The graph of a laid-out model, with its boxes' sizes.
Graph GraphOf(const DiagramModel& model) {
    Graph g;
    g.boxes = static_cast<int>(model.ShapeCount());
    for (const auto& s : model.Shapes()) g.sizes.emplace_back(s->width, s->height);
    for (const auto& l : model.Links()) g.links.emplace_back(model.IndexOf(*l->from), model.IndexOf(*l->to));
    return g;
}

// Crossings, page and faults of a laid-out model.
void MeasureOurs(const DiagramModel& model, Result& r) {
    const Graph g = GraphOf(model);
    std::vector<Point> centre;
    for (const auto& s : model.Shapes()) centre.push_back({s->left + s->width / 2, s->top + s->height / 2});
    r.crossings = StraightCrossings(g.boxes, g.links, centre);
    r.drawnCrossings = platform::diagram::CrossingPairs(platform::diagram::DrawnLines(model), false);
    Extent(centre, g, r);
    r.faults = platform::diagram::CheckDrawing(model);
    r.digest = Digest(model);
}

Result RunOurs(const Graph& g, int runs) {
    DiagramModel model;
    std::vector<platform::diagram::Shape*> box;
    for (int v = 0; v < g.boxes; ++v)
        box.push_back(&model.AddShape("", 0, 0, kBoxWidth, kBoxHeight, "n" + std::to_string(v)));
    for (auto [a, b] : g.links) model.AddLink(*box[a], *box[b], "", "");
    Result r;
    LayeredLayout layout;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        const double start = CpuSeconds();
        layout.Layout(model);
        cpu.push_back(CpuSeconds() - start);
    }
    r.seconds = Median(cpu);
    MeasureOurs(model, r);
    return r;
}

Result RunDot(const Graph& g, const fs::path& dir, const std::string& name) {
    Result r;
    const fs::path in = dir / (name + ".dot");
    const fs::path out = dir / (name + ".plain");
    std::ostringstream text;
    text << "digraph G {\n  rankdir=" << (g.leftToRight ? "LR" : "TB")
         << ";\n  node [shape=box, fixedsize=true, label=\"\", width=" << kBoxWidth / 72
         << ", height=" << kBoxHeight / 72 << "];\n";
    for (int v = 0; v < g.boxes; ++v) {
        text << "  n" << v;
        if (!g.sizes.empty()) text << " [width=" << g.sizes[v].first / 72 << ", height=" << g.sizes[v].second / 72 << "]";
        text << ";\n";
    }
    for (auto [a, b] : g.links) text << "  n" << a << " -> n" << b << ";\n";
    if (!g.rank.empty()) {
        // Each rank's boxes in one rank, the ranks kept in order by a chain
        // of invisible points (not boxes: the counts below skip them).
        const int ranks = *std::max_element(g.rank.begin(), g.rank.end()) + 1;
        text << "  node [style=invis, width=0.01, height=0.01];\n";
        for (int r = 0; r + 1 < ranks; ++r) text << "  r" << r << " -> r" << r + 1 << " [style=invis];\n";
        for (int r = 0; r < ranks; ++r) {
            text << "  {rank=same; r" << r << ";";
            for (int v = 0; v < g.boxes; ++v)
                if (g.rank[v] == r) text << " n" << v << ";";
            text << "}\n";
        }
    }
    text << "}\n";
    // dot runs every time, whatever the folder holds, so that its CPU time
    // is taken beside ours in the same run.
    std::ofstream(in) << text.str();
    const auto run = RunTimed({"timeout", std::to_string(g_dotTimeoutSeconds), "dot", "-Tplain", in.string(), "-o",
                               out.string()});
    r.seconds = run.cpuSeconds;
    if (run.status == 124) {
        r.note = "dot timed out after " + std::to_string(g_dotTimeoutSeconds) + " s";
        return r;
    }
    if (run.status != 0) {
        r.note = "dot failed (status " + std::to_string(run.status) + ")";
        return r;
    }
    std::vector<Point> centre(g.boxes, Point{0, 0});
    std::vector<char> found(g.boxes, 0);
    std::vector<DrawnLine> drawn;
    std::ifstream f(out);
    std::string line;
    auto box = [&](const std::string& name) {
        return name.size() < 2 || name[0] != 'n' ? -1 : std::atoi(name.c_str() + 1);
    };
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
            DrawnLine d{box(tail), box(head), {}};
            if (d.from < 0 || d.to < 0) continue;
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
    r.crossings = StraightCrossings(g.boxes, g.links, centre);
    r.drawnCrossings = platform::diagram::CrossingPairs(drawn, false);
    Extent(centre, g, r);
    return r;
}

// Ours over dot's; 0 over 0 is 1, anything over 0 counts as that many.
double Ratio(long long ours, long long dot) {
    if (dot > 0) return static_cast<double>(ours) / static_cast<double>(dot);
    return ours == 0 ? 1.0 : static_cast<double>(ours);
}

double AreaRatio(const Result& ours, const Result& dot) {
    return ours.width * ours.height / std::max(1.0, dot.width * dot.height);
}

// A class's worst figures over its seeds.
struct ClassSummary {
    int graphs = 0, compared = 0;
    double worstStraight = 0, worstDrawn = 0, slowestRatio = 1e300;
    std::vector<double> areaRatios, speedUps;
    long long overlaps = 0, under = 0, boxes = 0, astray = 0, onTop = 0, tight = 0, close = 0, labels = 0;
};

void PrintHeader() {
    std::printf("%-14s %6s %6s %8s %9s %8s %9s %9s %8s %9s %9s %8s   %-13s %-13s %5s %4s %4s %4s %4s %4s %5s %5s\n",
                "class", "boxes", "links", "ours s", "dot s", "dot/ours", "ours crs", "dot crs", "ours/dot", "ours drn",
                "dot drn", "ours/dot", "ours w x h", "dot w x h", "area", "ovl", "und", "box", "ast", "top", "tight",
                "3px");
}

void PrintLine(const std::string& kind, const Graph& g, const Result& ours, const Result& dot, bool haveDot) {
    auto size = [](const Result& r) {
        char b[32];
        std::snprintf(b, sizeof b, "%.0f x %.0f", r.width, r.height);
        return std::string(r.crossings >= 0 ? b : "-");
    };
    char dotTime[32] = "-", speed[32] = "-", dotCross[32] = "-", ratio[32] = "-", dotDrawn[32] = "-",
         drawnRatio[32] = "-", area[32] = "-";
    if (haveDot && dot.note.empty()) {
        std::snprintf(dotTime, sizeof dotTime, "%.3f", dot.seconds);
        std::snprintf(speed, sizeof speed, "%.1f", dot.seconds / ours.seconds);
        std::snprintf(dotCross, sizeof dotCross, "%lld", dot.crossings);
        std::snprintf(ratio, sizeof ratio, "%.2f", Ratio(ours.crossings, dot.crossings));
        std::snprintf(dotDrawn, sizeof dotDrawn, "%lld", dot.drawnCrossings);
        std::snprintf(drawnRatio, sizeof drawnRatio, "%.2f", Ratio(ours.drawnCrossings, dot.drawnCrossings));
        std::snprintf(area, sizeof area, "%.2f", AreaRatio(ours, dot));
    } else if (haveDot) {
        std::snprintf(dotTime, sizeof dotTime, ">%.0f", dot.seconds);
    }
    const DrawingFaults& f = ours.faults;
    std::printf("%-14s %6d %6zu %8.3f %9s %8s %9lld %9s %8s %9lld %9s %8s   %-13s %-13s %5s %4lld %4lld %4lld %4lld %4lld "
                "%5lld %5lld\n",
                kind.c_str(), g.boxes, g.links.size(), ours.seconds, dotTime, speed, ours.crossings, dotCross, ratio,
                ours.drawnCrossings, dotDrawn, drawnRatio, size(ours).c_str(), size(dot).c_str(), area, f.labelOverlaps,
                f.linksUnderBoxes, f.boxOverlaps, f.labelsAstray, f.linksOnTop, f.labelsTight, f.runsClose);
    if (!dot.note.empty()) std::printf("         %s\n", dot.note.c_str());
    for (std::size_t k = 0; k < f.examples.size() && k < 3; ++k) std::printf("         %s\n", f.examples[k].c_str());
    if (g_digests) std::printf("         digest %016llx\n", static_cast<unsigned long long>(ours.digest));
    std::fflush(stdout);
}

void Tally(ClassSummary& c, const Result& ours, const Result& dot, bool haveDot) {
    ++c.graphs;
    const DrawingFaults& f = ours.faults;
    c.overlaps += f.labelOverlaps;
    c.under += f.linksUnderBoxes;
    c.boxes += f.boxOverlaps;
    c.astray += f.labelsAstray;
    c.onTop += f.linksOnTop;
    c.tight += f.labelsTight;
    c.close += f.runsClose;
    c.labels += f.labels;
    if (!haveDot || !dot.note.empty()) return;
    ++c.compared;
    c.worstStraight = std::max(c.worstStraight, Ratio(ours.crossings, dot.crossings));
    c.worstDrawn = std::max(c.worstDrawn, Ratio(ours.drawnCrossings, dot.drawnCrossings));
    c.slowestRatio = std::min(c.slowestRatio, dot.seconds / ours.seconds);
    c.speedUps.push_back(dot.seconds / ours.seconds);
    c.areaRatios.push_back(AreaRatio(ours, dot));
}

// One graph of a class: ours, dot's, the line comparing them, and the tally.
void RunGraph(const std::string& kind, const std::string& name, const Graph& g, bool haveDot, const fs::path& dir,
              ClassSummary& summary) {
    Result ours = RunOurs(g, g.boxes <= 500 ? 5 : g.boxes <= 2000 ? 3 : 1);
    Result dot;
    if (haveDot) dot = RunDot(g, dir, name);
    PrintLine(kind, g, ours, dot, haveDot);
    Tally(summary, ours, dot, haveDot);
}

void PrintSummaries(const std::vector<std::pair<std::string, ClassSummary>>& classes) {
    std::printf("\nper class, over its seeds: the worst ratio of our crossings to dot's (straight, drawn), the least "
                "and the median speed-up over dot (CPU), the median ratio of our area to dot's, and the drawing "
                "check's totals\n");
    std::printf("%-22s %6s %9s %9s %9s %9s %6s %6s %6s %6s %6s %6s %6s %6s %7s\n", "class", "graphs", "crs <=",
                "drn <=", "dot/ours", "median", "area", "ovl", "und", "box", "ast", "top", "tight", "3px", "labels");
    for (const auto& [name, c] : classes) {
        char straight[16] = "-", drawn[16] = "-", speed[16] = "-", medianSpeed[16] = "-", area[16] = "-";
        if (c.compared > 0) {
            std::snprintf(straight, sizeof straight, "%.2f", c.worstStraight);
            std::snprintf(drawn, sizeof drawn, "%.2f", c.worstDrawn);
            std::snprintf(speed, sizeof speed, "%.1f", c.slowestRatio);
            std::snprintf(medianSpeed, sizeof medianSpeed, "%.1f", Median(c.speedUps));
            std::snprintf(area, sizeof area, "%.2f", Median(c.areaRatios));
        }
        std::printf("%-22s %6d %9s %9s %9s %9s %6s %6lld %6lld %6lld %6lld %6lld %6lld %6lld %7lld\n", name.c_str(),
                    c.graphs, straight, drawn, speed, medianSpeed, area, c.overlaps, c.under, c.boxes, c.astray,
                    c.onTop, c.tight, c.close, c.labels);
    }
    std::fflush(stdout);
}


// Totals of the drawing check over many drawings.
struct CheckTotals {
    long long drawings = 0, labels = 0, overlaps = 0, under = 0, boxes = 0, astray = 0, onTop = 0, tight = 0, close = 0;
    std::vector<double> areas;
    long long crossings = 0, drawnCrossings = 0;
    void Add(const Result& r) {
        ++drawings;
        labels += r.faults.labels;
        overlaps += r.faults.labelOverlaps;
        under += r.faults.linksUnderBoxes;
        boxes += r.faults.boxOverlaps;
        astray += r.faults.labelsAstray;
        onTop += r.faults.linksOnTop;
        tight += r.faults.labelsTight;
        close += r.faults.runsClose;
        areas.push_back(r.width * r.height);
        crossings += r.crossings;
        drawnCrossings += r.drawnCrossings;
    }
    void Print(const char* what) const {
        std::printf("%s: %lld drawings, %lld labels; %lld label overlaps, %lld links under boxes, %lld overlapping "
                    "boxes, %lld labels nearer another link's line (%.3f%%), %lld pairs of links on top of each "
                    "other; %lld labels tight (nearest other line not twice as far as their own), %lld pairs of "
                    "lines with under 3 px of white between them; crossings %lld straight, %lld drawn; median area "
                    "%.0f\n",
                    what, drawings, labels, overlaps, under, boxes, astray,
                    labels ? 100.0 * static_cast<double>(astray) / static_cast<double>(labels) : 0.0, onTop, tight,
                    close, crossings, drawnCrossings, Median(areas));
    }
};

// Flow contexts of a generated workspace: every program's three, each
// laid out as the window and the report draw it, with the drawing check;
// the workspace's screen interaction plot; the busiest flow contexts
// beside dot.
int RunFlowContexts(int programs, int contexts, bool haveDot, const fs::path& work,
                    std::vector<std::pair<std::string, ClassSummary>>& classes) {
    bench::generator::Options options;
    options.programs = programs;
    auto opened = bench::generator::GenerateAndImportWorkspace(options, work);
    if (!opened.db) return 1;
    auto& session = *opened.session;
    auto& db = opened.db;
    db->Execute("ANALYZE");
    std::printf("\nflow contexts (each side and both) on a generated workspace of %d programs\n", programs);
    std::vector<std::pair<std::string, std::string>> ids;  // (ID, Name)
    for (auto rs = db->OpenRecordset("SELECT ID, Name FROM Ents WHERE EntName = 'PROGRAM' ORDER BY SerialID");
         !rs.IsEOF() && (contexts <= 0 || static_cast<int>(ids.size()) < contexts); rs.MoveNext())
        ids.emplace_back(rs.Text("ID"), rs.Text("Name"));
    views::FlowContextSource source(*db, session.GetEntityStore());
    source.KeepAnswers();
    const int modes[] = {views::kFlowClientSide, views::kFlowDataSide, views::kFlowBothSides};
    auto build = [&](const std::string& id, int mode, DiagramModel& model) {
        fs::path none;
        Globals::BuildFlowContext(model, source, mode, id, none, 4, false);
    };
    CheckTotals totals;
    double slowest = 0, total = 0, checking = 0;
    long long boxes = 0, maxBoxes = 0, printed = 0;
    // The busiest drawings by links: (links, index into ids, mode).
    std::vector<std::tuple<std::size_t, std::size_t, int>> busiest;
    for (std::size_t i = 0; i < ids.size(); ++i)
        for (int mode : modes) {
            DiagramModel model;
            build(ids[i].first, mode, model);
            const double cpu = CpuSeconds();
            platform::diagram::AutoLayout(model);
            const double seconds = CpuSeconds() - cpu;
            const auto start = Clock::now();
            Result r;
            MeasureOurs(model, r);
            checking += Seconds(start);
            totals.Add(r);
            if (g_digests)
                std::printf("digest %s %d %016llx\n", ids[i].second.c_str(), mode,
                            static_cast<unsigned long long>(r.digest));
            boxes += static_cast<long long>(model.ShapeCount());
            maxBoxes = std::max(maxBoxes, static_cast<long long>(model.ShapeCount()));
            slowest = std::max(slowest, seconds);
            total += seconds;
            busiest.emplace_back(model.LinkCount(), i, mode);
            if (!r.faults.None() && printed++ < 10) {
                std::printf("%s mode %d: %zu boxes, %zu links\n", ids[i].second.c_str(), mode, model.ShapeCount(),
                            model.LinkCount());
                for (std::size_t k = 0; k < r.faults.examples.size() && k < 3; ++k)
                    std::printf("         %s\n", r.faults.examples[k].c_str());
            }
        }
    const double drawn = static_cast<double>(std::max(1LL, totals.drawings));
    std::printf("%lld flow contexts: %.1f boxes on average, at most %lld; layout %.4f s on average, at most %.4f s; "
                "check %.4f s on average\n",
                totals.drawings, static_cast<double>(boxes) / drawn, maxBoxes, total / drawn, slowest,
                checking / drawn);
    totals.Print("flow contexts");

    for (bool stubs : {false, true}) {
        DiagramModel plot;
        auto start = Clock::now();
        views::BuildScreenFlow(plot, *db, stubs);
        const double seconds = Seconds(start);
        Result r;
        MeasureOurs(plot, r);
        CheckTotals one;
        one.Add(r);
        std::printf("screen interaction plot %s stub screens: %zu boxes, %zu links, table and layout %.3f s\n",
                    stubs ? "with" : "without", plot.ShapeCount(), plot.LinkCount(), seconds);
        one.Print("  its drawing");
        for (std::size_t k = 0; k < r.faults.examples.size() && k < 3; ++k)
            std::printf("         %s\n", r.faults.examples[k].c_str());
    }

    // The busiest 30 beside dot, given the same boxes and links without
    // labels, left to right as ours; and again with dot held to our
    // columns (ours put a box at least as far out as its distance from the
    // centre, callers left and callees right; free, dot ranks them as it
    // likes).
    std::sort(busiest.begin(), busiest.end(), [](const auto& a, const auto& b) {
        return std::get<0>(a) != std::get<0>(b) ? std::get<0>(a) > std::get<0>(b) : a < b;
    });
    busiest.resize(std::min<std::size_t>(busiest.size(), 30));
    std::printf("\nthe %zu busiest flow contexts beside dot\n", busiest.size());
    PrintHeader();
    ClassSummary summary, columnsSummary;
    for (const auto& [links, i, mode] : busiest) {
        // The median of a few runs, as for the smaller graphs above: one
        // layout takes about a millisecond.
        DiagramModel model;
        Result ours;
        std::vector<double> cpu;
        for (int run = 0; run < 3; ++run) {
            model.Clear();
            build(ids[i].first, mode, model);
            const double start = CpuSeconds();
            platform::diagram::AutoLayout(model);
            cpu.push_back(CpuSeconds() - start);
        }
        ours.seconds = Median(cpu);
        MeasureOurs(model, ours);
        Graph g = GraphOf(model);
        g.leftToRight = true;
        const std::string name = ids[i].second + "-" + std::to_string(mode);
        Result dot;
        if (haveDot) dot = RunDot(g, work, "flow-" + name);
        PrintLine(ids[i].second + " " + std::to_string(mode), g, ours, dot, haveDot);
        Tally(summary, ours, dot, haveDot);
        // Our columns, by the boxes' centres left to right.
        std::vector<double> column;
        for (const auto& shape : model.Shapes()) column.push_back(std::round(shape->left + shape->width / 2));
        std::vector<double> columns(column);
        std::sort(columns.begin(), columns.end());
        columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
        for (double x : column)
            g.rank.push_back(static_cast<int>(std::lower_bound(columns.begin(), columns.end(), x) - columns.begin()));
        Result held;
        if (haveDot) held = RunDot(g, work, "flowcolumns-" + name);
        PrintLine(ids[i].second + " " + std::to_string(mode) + " c", g, ours, held, haveDot);
        Tally(columnsSummary, ours, held, haveDot);
    }
    classes.emplace_back("flow (30 busiest)", summary);
    classes.emplace_back("flow, dot on our columns", columnsSummary);
    session.Close();
    return 0;
}

// A hub's flow context as the window builds it: its client side, not laid
// out yet.
void BuildHub(int callers, DiagramModel& model) {
    auto db = platform::db::Database::OpenCopyInMemory(fs::path(QA_APP_DIR) / "QuarvelAnalyzer.mdb");
    const std::string hub = bench::layout::AddHubProgram(*db, callers);
    views::FlowContextSource source(*db);
    fs::path none;
    Globals::BuildFlowContext(model, source, views::kFlowClientSide, hub, none, 4, false);
}

// What a hub's layout and the report's pictures of it cost.
struct HubFigures {
    double seconds = 0, peakMb = 0;          // the layout's CPU, the growth of the peak resident memory
    double pictures = 0, picturesPeakMb = 0;  // the same for the full image and its preview
    double linesFloor = 0;  // the full image's lines alone, drawn the cheapest way Qt has (LinesFloor)
    int fullZoom = 100;
    bool pictured = false;  // whether the full image could be made
};

// The CPU time of the full image's lines and nothing else, as Qt draws the
// same pixels at the least cost it offers: every straight piece on the
// image's pixels as the painter puts it there, one antialiased drawLines
// call per colour on a white image of the picture's size. Boxes, captions,
// arrowheads and the JPEG left out.
double LinesFloor(const DiagramModel& model, const platform::diagram::DrawingGeometry& drawing, int zoom) {
    const double z = zoom / 100.0;
    QImage image(static_cast<int>(std::llround(drawing.bounds.width() * z)) + 2 * platform::diagram::kImageMargin,
                 static_cast<int>(std::llround(drawing.bounds.height() * z)) + 2 * platform::diagram::kImageMargin,
                 QImage::Format_RGB32);
    QTransform toImage;
    toImage.translate(platform::diagram::kImageMargin, platform::diagram::kImageMargin);
    toImage.scale(z, z);
    toImage.translate(-drawing.bounds.left(), -drawing.bounds.top());
    std::map<platform::diagram::Colour, std::vector<QLineF>> byColour;
    const platform::diagram::PixelGrid grid;   // the image's own pixels, once mapped
    for (std::size_t i = 0; i < model.Links().size() && i < drawing.links.size(); ++i) {
        const QPainterPath path = grid.Snap(toImage.map(drawing.links[i].path), 1);
        for (int k = 1; k < path.elementCount(); ++k)
            if (path.elementAt(k).type == QPainterPath::LineToElement)
                byColour[model.Links()[i]->color].emplace_back(QPointF(path.elementAt(k - 1)), QPointF(path.elementAt(k)));
    }
    image.fill(Qt::white);
    const double start = CpuSeconds();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (const auto& [colour, lines] : byColour) {
        p.setPen(QPen(QColor(platform::diagram::Red(colour), platform::diagram::Green(colour), platform::diagram::Blue(colour)), 1));
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    p.end();
    return CpuSeconds() - start;
}

HubFigures MeasureHub(DiagramModel& model) {
    HubFigures f;
    // The peak of the first layout; the median time of five, each on a
    // thread of its own, as a window lays a drawing out: its captions are
    // measured afresh.
    ResetPeakMemory();
    const double before = ResidentMemoryMb();
    std::vector<double> cpu;
    for (int run = 0; run < 5; ++run) {
        std::thread([&] {
            const double start = CpuSeconds();
            platform::diagram::AutoLayout(model);
            cpu.push_back(CpuSeconds() - start);
        }).join();
        if (run == 0) f.peakMb = std::max(0.0, PeakMemoryMb() - before);
    }
    f.seconds = Median(cpu);
    ResetPeakMemory();
    const double beforePictures = ResidentMemoryMb();
    const double start = CpuSeconds();
    const auto drawing = platform::diagram::MeasureDrawing(model);
    f.fullZoom = views::FullImageZoom(drawing.bounds.width(), drawing.bounds.height());
    f.pictured = platform::diagram::EncodeImage(model, drawing, "full.jpg", f.fullZoom).has_value();
    if (const auto previewZoom = views::PreviewZoom(views::ImageWidthPixels(platform::diagram::DrawingWidth(drawing))))
        platform::diagram::EncodeImage(model, drawing, "full_preview.jpg", *previewZoom);
    f.pictures = CpuSeconds() - start;
    f.picturesPeakMb = std::max(0.0, PeakMemoryMb() - beforePictures);
    f.linesFloor = LinesFloor(model, drawing, f.fullZoom);
    return f;
}

// A hub's two pictures (laid out once) written into dir: the pixels as
// painted ("full.rgb32", "preview.rgb32", each with its width and height
// in the name's ".txt") and the JPEG files, so that two builds' pictures
// can be compared byte for byte.
void WriteHubPictures(DiagramModel& model, const fs::path& dir) {
    platform::diagram::AutoLayout(model);
    const auto drawing = platform::diagram::MeasureDrawing(model);
    const int fullZoom = views::FullImageZoom(drawing.bounds.width(), drawing.bounds.height());
    const auto previewZoom = views::PreviewZoom(views::ImageWidthPixels(platform::diagram::DrawingWidth(drawing)));
    fs::create_directories(dir);
    auto write = [&](const std::string& name, int zoom) {
        const QImage image = platform::diagram::RenderImage(model, drawing, zoom);
        std::ofstream(dir / (name + ".rgb32"), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.constBits()), static_cast<std::streamsize>(image.sizeInBytes()));
        std::ofstream(dir / (name + ".txt")) << image.width() << " " << image.height() << " zoom " << zoom << "\n";
        if (const auto jpeg = platform::diagram::EncodeImage(model, drawing, dir / (name + ".jpg"), zoom))
            std::ofstream(dir / (name + ".jpg"), std::ios::binary) << *jpeg;
    };
    write("full", fullZoom);
    if (previewZoom) write("preview", *previewZoom);
}

// The hub measured in a process of its own (this program, told
// --hub-figures N), so that memory the allocator kept from a larger hub
// before does not hide part of this one's peak; here where that fails.
HubFigures MeasureHubApart(int callers, DiagramModel& model) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    const std::string command = "'" + self.string() + "' --hub-figures " + std::to_string(callers) + " 2>/dev/null";
    HubFigures f;
    int pictured = 0;
    if (FILE* child = ec ? nullptr : popen(command.c_str(), "r")) {
        const int read = std::fscanf(child, "%lf %lf %lf %lf %lf %d %d", &f.seconds, &f.peakMb, &f.pictures,
                                     &f.picturesPeakMb, &f.linesFloor, &f.fullZoom, &pictured);
        if (pclose(child) == 0 && read == 7) {
            f.pictured = pictured != 0;
            platform::diagram::AutoLayout(model);  // for dot, the boxes' sizes
            return f;
        }
    }
    return MeasureHub(model);
}

// Hubs: one program that n others call, its flow context's client side
// laid out as the window lays it out, with the CPU time and the peak
// resident memory of the layout, and dot's CPU time beside.
void RunHubs(const std::vector<int>& sizes, bool haveDot, const fs::path& dir) {
    std::printf("\nhubs: one program called by n others, its client side as the window draws it\n");
    std::printf("%7s %8s %8s %10s %8s %9s %8s %11s %9s %11s %12s\n", "callers", "ours s", "growth", "peak MB", "growth",
                "dot s", "dot/ours", "pictures s", "peak MB", "full zoom", "lines floor");
    double lastSeconds = 0, lastPeak = 0;
    for (int callers : sizes) {
        DiagramModel model;
        BuildHub(callers, model);
        const HubFigures f = MeasureHubApart(callers, model);
        Result dot;
        Graph g = GraphOf(model);
        g.leftToRight = true;
        if (haveDot) dot = RunDot(g, dir, "hub-" + std::to_string(callers));
        char growth[16] = "-", peakGrowth[16] = "-", dotTime[32] = "-", speed[16] = "-";
        if (lastSeconds > 0) {
            std::snprintf(growth, sizeof growth, "%.2fx", f.seconds / lastSeconds);
            std::snprintf(peakGrowth, sizeof peakGrowth, "%.2fx", f.peakMb / std::max(lastPeak, 1e-9));
        }
        if (haveDot && dot.note.empty()) {
            std::snprintf(dotTime, sizeof dotTime, "%.3f", dot.seconds);
            std::snprintf(speed, sizeof speed, "%.1f", dot.seconds / f.seconds);
        } else if (haveDot) {
            std::snprintf(dotTime, sizeof dotTime, ">%.0f", dot.seconds);
        }
        std::printf("%7d %8.3f %8s %10.1f %8s %9s %8s %11.3f %9.0f %8d%s %12.3f\n", callers, f.seconds, growth,
                    f.peakMb, peakGrowth, dotTime, speed, f.pictures, f.picturesPeakMb, f.fullZoom,
                    f.pictured ? "   " : " (none)", f.linesFloor);
        if (!dot.note.empty()) std::printf("         %s\n", dot.note.c_str());
        std::fflush(stdout);
        lastSeconds = f.seconds;
        lastPeak = f.peakMb;
    }
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
    int programs = 20000, contexts = 0, seeds = 5, firstSeed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--hub-figures" && i + 1 < argc) {
            // One hub, its figures as numbers: see MeasureHubApart.
            DiagramModel model;
            BuildHub(std::max(1, std::atoi(argv[i + 1])), model);
            const HubFigures f = MeasureHub(model);
            std::printf("%.6f %.3f %.6f %.3f %.6f %d %d\n", f.seconds, f.peakMb, f.pictures, f.picturesPeakMb,
                        f.linesFloor, f.fullZoom, f.pictured ? 1 : 0);
            return 0;
        }
        if (arg == "--hub-pictures" && i + 2 < argc) {
            DiagramModel model;
            BuildHub(std::max(1, std::atoi(argv[i + 1])), model);
            WriteHubPictures(model, argv[i + 2]);
            return 0;
        }
        if (arg == "--keep") {
            keep = true;
        } else if (arg == "--dot-cache" && i + 1 < argc) {
            dotCache = argv[++i];
        } else if (arg == "--digests") {
            g_digests = true;
        } else if (arg == "--no-dot") {
            noDot = true;
        } else if (arg == "--dot-timeout" && i + 1 < argc) {
            g_dotTimeoutSeconds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--links" && i + 1 < argc) {
            linksPerBox = std::max(1.0, std::atof(argv[++i]));
        } else if (arg == "--back" && i + 1 < argc) {
            backPercent = std::atoi(argv[++i]);
        } else if (arg == "--first-seed" && i + 1 < argc) {
            firstSeed = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--seeds" && i + 1 < argc) {
            seeds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (arg == "--programs" && i + 1 < argc) {
            programs = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--contexts" && i + 1 < argc) {
            contexts = std::max(0, std::atoi(argv[++i]));
        } else {
            char* end = nullptr;
            long v = std::strtol(argv[i], &end, 10);
            if (!end || *end || v < 1 || v > 1000000) only = "?";
            sizes.push_back(static_cast<int>(v));
        }
    }
    const std::vector<std::string> families{"layered", "dag", "cyclic", "callgraph", "hub", "flow"};
    if (!only.empty() && std::find(families.begin(), families.end(), only) == families.end()) {
        std::fprintf(stderr,
                     "usage: layout_bench [--keep] [--no-dot] [--digests] [--dot-cache DIR] [--dot-timeout SECONDS] [--seeds N] "
                     "[--first-seed K] [--back PERCENT] [--links PER_BOX] "
                     "[--only layered|dag|cyclic|callgraph|hub|flow] [--programs N] [--contexts N] [boxes ...]\n");
        return 2;
    }
    auto runs = [&](const std::string& kind) { return only.empty() || only == kind; };

    const bool haveDot = !noDot && std::system("command -v dot >/dev/null 2>&1") == 0;
    if (!noDot && !haveDot) std::printf("dot not found: Graphviz columns skipped\n");
    const fs::path dir =
        !dotCache.empty() ? fs::path(dotCache) : fs::temp_directory_path() / ("layout_bench." + std::to_string(getpid()));
    fs::create_directories(dir);

    // The classes: (family, boxes, links per box).
    struct Spec {
        std::string family;
        int boxes;
        double perBox;
    };
    std::vector<Spec> specs;
    if (sizes.empty()) {
        specs = {{"layered", 200, linksPerBox}, {"dag", 500, 1.5},   {"dag", 500, 3.0},       {"dag", 1000, 1.5},
                 {"cyclic", 200, 1.5},          {"cyclic", 200, 3.0}, {"cyclic", 500, 1.5},    {"callgraph", 200, 2.5},
                 {"callgraph", 300, 2.5}};
    } else {
        for (int boxes : sizes) {
            specs.push_back({"layered", boxes, linksPerBox});
            for (const char* family : {"dag", "cyclic"})
                for (double perBox : {1.5, 3.0}) specs.push_back({family, boxes, perBox});
            specs.push_back({"callgraph", boxes, 2.5});
        }
    }

    std::vector<std::pair<std::string, ClassSummary>> classes;
    bool header = false;
    for (const Spec& spec : specs) {
        if (!runs(spec.family)) continue;
        if (!header) PrintHeader();
        header = true;
        char name[64];
        std::snprintf(name, sizeof name, "%s %d x%.1f", spec.family.c_str(), spec.boxes, spec.perBox);
        ClassSummary summary;
        for (int k = firstSeed; k < firstSeed + seeds; ++k) {
            const unsigned seed = 20240601u + static_cast<unsigned>(spec.boxes) + 7919u * static_cast<unsigned>(k) +
                                  (spec.perBox > 2 ? 1u : 0u);
            Graph g = spec.family == "layered"     ? Generate(spec.boxes, spec.perBox, backPercent, seed)
                      : spec.family == "callgraph" ? GenerateCallGraph(spec.boxes, seed)
                                                   : GenerateRandom(spec.boxes, spec.perBox, spec.family == "dag", seed);
            char file[96];
            std::snprintf(file, sizeof file, "%s-%d-%zu-s%d", spec.family.c_str(), g.boxes, g.links.size(), k);
            RunGraph(spec.family, file, g, haveDot, dir, summary);
        }
        classes.emplace_back(name, summary);
    }
    if (runs("hub")) RunHubs(sizes.empty() ? std::vector<int>{2000, 4000, 8000, 16000} : sizes, haveDot, dir);
    int status = 0;
    if (runs("flow") && programs > 0) status = RunFlowContexts(programs, contexts, haveDot, dir / "flow", classes);
    PrintSummaries(classes);
    if (keep || !dotCache.empty()) {
        std::printf("files kept in %s\n", dir.c_str());
    } else {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    return status;
}
