// Layered layout speed and edge crossings, beside Graphviz dot on the same
// graphs.
//
//   layout_bench [--keep] [--no-dot] [--dot-timeout SECONDS] [--back PERCENT]
//                [--links PER_BOX] [boxes ...]
//
// Sizes default to 200 2000 5000. --back sets the share of links that go
// back (default 8), --links the links per box (default 5), --no-dot leaves dot out, --dot-timeout gives dot more or
// less than 300 s per graph, --keep leaves the DOT files and dot's output in
// the temporary folder it names.
//
// Each graph is synthetic and seeded: several connected components, each of
// boxes in levels with five links per box on average (or as asked), most of them to the
// next level, some skipping levels and some going one or two levels back
// (short cycles, as recursion in a call graph tends to be). Every box is
// 80 x 30. Our time is the wall time of LayeredLayout::Layout, the best of a
// few runs for the smaller graphs. dot gets the same graph as a DOT file
// (fixed node sizes in inches, rankdir=TB) and runs as `dot -Tplain` under a
// timeout; its time includes reading and writing the files, which is small
// beside its layout. Crossings are counted the same way for both drawings:
// pairs of straight segments between the centres of linked boxes that
// properly cross, pairs sharing a box left out.

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

#include "platform/diagram/DiagramLayout.h"

namespace fs = std::filesystem;
using platform::diagram::DiagramModel;
using platform::diagram::LayeredLayout;

namespace {

constexpr double kBoxWidth = 80, kBoxHeight = 30;
int g_dotTimeoutSeconds = 300;

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

struct Result {
    double seconds = 0;
    long long crossings = -1;
    double width = 0, height = 0;
    std::string note;
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
    Extent(centre, r);
    return r;
}

Result RunDot(const Graph& g, const fs::path& dir) {
    Result r;
    const fs::path in = dir / ("graph" + std::to_string(g.boxes) + ".dot");
    const fs::path out = dir / ("graph" + std::to_string(g.boxes) + ".plain");
    {
        std::ofstream f(in);
        f << "digraph G {\n  rankdir=TB;\n  node [shape=box, fixedsize=true, label=\"\", width=" << kBoxWidth / 72
          << ", height=" << kBoxHeight / 72 << "];\n";
        for (int v = 0; v < g.boxes; ++v) f << "  n" << v << ";\n";
        for (auto [a, b] : g.links) f << "  n" << a << " -> n" << b << ";\n";
        f << "}\n";
    }
    const std::string cmd = "timeout " + std::to_string(g_dotTimeoutSeconds) + " dot -Tplain '" + in.string() +
                            "' -o '" + out.string() + "'";
    auto start = Clock::now();
    int rc = std::system(cmd.c_str());
    r.seconds = Seconds(start);
    if (WIFEXITED(rc) && WEXITSTATUS(rc) == 124) {
        r.note = "dot timed out after " + std::to_string(g_dotTimeoutSeconds) + " s";
        return r;
    }
    if (rc != 0) {
        r.note = "dot failed (status " + std::to_string(rc) + ")";
        return r;
    }
    std::vector<Point> centre(g.boxes, Point{0, 0});
    std::vector<char> found(g.boxes, 0);
    std::ifstream f(out);
    std::string line;
    while (std::getline(f, line)) {
        std::istringstream s(line);
        std::string kind, name;
        double x, y;
        if (!(s >> kind) || kind != "node" || !(s >> name >> x >> y) || name.size() < 2) continue;
        int v = std::atoi(name.c_str() + 1);
        if (v < 0 || v >= g.boxes) continue;
        centre[v] = {x * 72, y * 72};
        found[v] = 1;
    }
    if (std::count(found.begin(), found.end(), 1) != g.boxes) {
        r.note = "dot's output lacks some nodes";
        return r;
    }
    r.crossings = CountCrossings(g, centre);
    Extent(centre, r);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    bool keep = false;
    int backPercent = 8;
    double linksPerBox = 5;
    bool noDot = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--keep") {
            keep = true;
            continue;
        }
        if (std::string(argv[i]) == "--no-dot") {
            noDot = true;
            continue;
        }
        if (std::string(argv[i]) == "--dot-timeout" && i + 1 < argc) {
            g_dotTimeoutSeconds = std::max(1, std::atoi(argv[++i]));
            continue;
        }
        if (std::string(argv[i]) == "--links" && i + 1 < argc) {
            linksPerBox = std::max(1.0, std::atof(argv[++i]));
            continue;
        }
        if (std::string(argv[i]) == "--back" && i + 1 < argc) {
            backPercent = std::atoi(argv[++i]);
            continue;
        }
        char* end = nullptr;
        long v = std::strtol(argv[i], &end, 10);
        if (!end || *end || v < 1 || v > 1000000) {
            std::fprintf(stderr, "usage: layout_bench [--keep] [--no-dot] [--dot-timeout SECONDS] [--back PERCENT] [--links PER_BOX] [boxes ...]\n");
            return 2;
        }
        sizes.push_back(static_cast<int>(v));
    }
    if (sizes.empty()) sizes = {200, 2000, 5000};

    const bool haveDot = !noDot && std::system("command -v dot >/dev/null 2>&1") == 0;
    if (!noDot && !haveDot) std::printf("dot not found: Graphviz columns skipped\n");
    const fs::path dir = fs::temp_directory_path() / ("layout_bench." + std::to_string(getpid()));
    fs::create_directories(dir);

    std::printf("%7s %7s %10s %10s %8s %10s %10s %8s   %-13s %-13s\n", "boxes", "links", "ours s", "dot s",
                "dot/ours", "ours cross", "dot cross", "ours/dot", "ours w x h", "dot w x h");
    for (int boxes : sizes) {
        Graph g = Generate(boxes, linksPerBox, backPercent, 20240601u + static_cast<unsigned>(boxes));
        Result ours = RunOurs(g, boxes <= 500 ? 5 : boxes <= 2000 ? 3 : 1);
        Result dot;
        if (haveDot) dot = RunDot(g, dir);
        auto size = [](const Result& r) {
            char b[32];
            std::snprintf(b, sizeof b, "%.0f x %.0f", r.width, r.height);
            return std::string(r.crossings >= 0 ? b : "-");
        };
        char dotTime[32] = "-", speed[32] = "-", dotCross[32] = "-", ratio[32] = "-";
        if (haveDot && dot.note.empty()) {
            std::snprintf(dotTime, sizeof dotTime, "%.3f", dot.seconds);
            std::snprintf(speed, sizeof speed, "%.1f", dot.seconds / ours.seconds);
            std::snprintf(dotCross, sizeof dotCross, "%lld", dot.crossings);
            std::snprintf(ratio, sizeof ratio, "%.2f",
                          dot.crossings > 0 ? static_cast<double>(ours.crossings) / dot.crossings : 0.0);
        } else if (haveDot) {
            std::snprintf(dotTime, sizeof dotTime, ">%.0f", dot.seconds);
        }
        std::printf("%7d %7zu %10.3f %10s %8s %10lld %10s %8s   %-13s %-13s\n", boxes, g.links.size(), ours.seconds,
                    dotTime, speed, ours.crossings, dotCross, ratio, size(ours).c_str(), size(dot).c_str());
        if (!dot.note.empty()) std::printf("        %s\n", dot.note.c_str());
        std::fflush(stdout);
    }
    if (keep) {
        std::printf("files kept in %s\n", dir.c_str());
    } else {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    return 0;
}
