// The ordering of a proper layered graph on its own: crossings counted
// exactly (against every pair of links) whatever the order, the order it
// leaves a true order of each level with the places to match, no worse
// after finishing than after its start, the same on a second run, and a tree
// drawn without crossings.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

#include "platform/diagram/LayoutCrossings.h"

namespace {

using namespace platform::diagram::layout;

// A proper graph and an order of it, owned here as the layout owns its own.
struct Graph {
    int levels = 0;
    std::vector<int> layer;
    std::vector<std::pair<int, int>> edges;  // upper node, lower node
    Adjacency down, up;
    std::vector<std::vector<int>> order;
    std::vector<int> pos;

    void Index() {
        const int nodes = static_cast<int>(layer.size());
        down = BuildAdjacency(nodes, edges, true);
        up = BuildAdjacency(nodes, edges, false);
        order.assign(levels, {});
        pos.assign(nodes, 0);
        for (int v = 0; v < nodes; ++v) {
            pos[v] = static_cast<int>(order[layer[v]].size());
            order[layer[v]].push_back(v);
        }
    }
    LayerGraph View() { return {levels, layer, edges, down, up, order, pos}; }
};

// Nodes on levels of random sizes, each linked to a few random nodes of
// the next level (repeats included).
Graph RandomGraph(std::mt19937& rng, int levels, int perLevel, int linksPerNode) {
    Graph g;
    g.levels = levels;
    std::vector<std::vector<int>> at(levels);
    for (int l = 0; l < levels; ++l)
        for (int k = 1 + static_cast<int>(rng() % perLevel); k > 0; --k) {
            at[l].push_back(static_cast<int>(g.layer.size()));
            g.layer.push_back(l);
        }
    for (int l = 0; l + 1 < levels; ++l)
        for (int u : at[l])
            for (int k = static_cast<int>(rng() % (linksPerNode + 1)); k > 0; --k)
                g.edges.emplace_back(u, at[l + 1][rng() % at[l + 1].size()]);
    g.Index();
    return g;
}

// Every pair of links between the same two levels whose ends come in
// opposite orders.
long long PairsCrossing(const Graph& g) {
    long long crossings = 0;
    for (std::size_t i = 0; i < g.edges.size(); ++i)
        for (std::size_t j = i + 1; j < g.edges.size(); ++j) {
            const auto [a, b] = g.edges[i];
            const auto [c, d] = g.edges[j];
            if (g.layer[a] != g.layer[c]) continue;
            const long long upper = g.pos[a] - g.pos[c], lower = g.pos[b] - g.pos[d];
            crossings += upper * lower < 0;
        }
    return crossings;
}

void ExpectTrueOrder(const Graph& g) {
    std::vector<int> seen(g.layer.size(), 0);
    for (int l = 0; l < g.levels; ++l)
        for (int i = 0; i < static_cast<int>(g.order[l].size()); ++i) {
            const int v = g.order[l][i];
            ASSERT_EQ(g.layer[v], l);
            ASSERT_EQ(g.pos[v], i);
            ++seen[v];
        }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(seen.size()));
}

TEST(LayoutCrossings, CountsEveryPairThatCrossesInAnyOrder) {
    std::mt19937 rng(11);
    for (int round = 0; round < 80; ++round) {
        // Every fourth graph has levels of hundreds of links, most pairs
        // crossing: the count changes its way of counting part way.
        const bool crowded = round % 4 == 3;
        Graph g = RandomGraph(rng, 2 + static_cast<int>(rng() % 5), crowded ? 80 : 12, crowded ? 6 : 3);
        for (auto& level : g.order) {
            std::shuffle(level.begin(), level.end(), rng);
            for (int i = 0; i < static_cast<int>(level.size()); ++i) g.pos[level[i]] = i;
        }
        ASSERT_EQ(CountCrossings(g.View()), PairsCrossing(g)) << "round " << round;
    }
}

TEST(LayoutCrossings, FinishesNoWorseThanItStartsAndTheSameEachTime) {
    std::mt19937 rng(5);
    for (int round = 0; round < 40; ++round) {
        const Graph given = RandomGraph(rng, 3 + static_cast<int>(rng() % 6), 15, 1 + static_cast<int>(rng() % 3));
        const bool quick = round % 2 == 0;
        std::vector<std::vector<int>> first;
        for (int run = 0; run < 2; ++run) {
            Graph g = given;
            CrossingReduction ordering;
            const long long started = ordering.Start(g.View(), quick);
            ASSERT_EQ(started, PairsCrossing(g)) << "round " << round;
            ordering.Finish(g.View(), static_cast<int>(g.layer.size()), g.edges.size());
            ExpectTrueOrder(g);
            const long long finished = PairsCrossing(g);
            EXPECT_LE(finished, started) << "round " << round;
            EXPECT_EQ(CountCrossings(g.View()), finished);
            if (run == 0)
                first = g.order;
            else
                EXPECT_EQ(g.order, first) << "round " << round;
        }
    }
}

TEST(LayoutCrossings, DrawsATreeWithoutCrossings) {
    // A tree fanning out over five levels, its nodes numbered at random so
    // that the walks meet them in no helpful order.
    std::mt19937 rng(3);
    for (int round = 0; round < 20; ++round) {
        std::vector<std::vector<int>> built(5);
        std::vector<std::pair<int, int>> links;
        int count = 0;
        built[0] = {count++};
        for (int l = 1; l < 5; ++l)
            for (int parent : built[l - 1])
                for (int k = static_cast<int>(rng() % 4); k > 0; --k) {
                    built[l].push_back(count++);
                    links.emplace_back(parent, built[l].back());
                }
        std::vector<int> number(count);
        std::iota(number.begin(), number.end(), 0);
        std::shuffle(number.begin(), number.end(), rng);
        Graph g;
        g.levels = 5;
        g.layer.resize(count);
        for (int l = 0; l < 5; ++l)
            for (int v : built[l]) g.layer[number[v]] = l;
        for (auto [u, v] : links) g.edges.emplace_back(number[u], number[v]);
        g.Index();
        CrossingReduction ordering;
        ordering.Start(g.View(), false);
        ordering.Finish(g.View(), count, g.edges.size());
        ExpectTrueOrder(g);
        EXPECT_EQ(PairsCrossing(g), 0) << "round " << round;
    }
}

}  // namespace
