// The sort under the median sweeps gives exactly the order of a general
// sort by key and index: ties of whole and of fractional keys, indices
// given ascending or descending, and keys or indices outside what the
// counting sort takes.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/diagram/LayoutSort.h"

namespace {

using platform::diagram::layout::KeyedNode;

std::vector<int> Nodes(const std::vector<KeyedNode>& nodes) {
    std::vector<int> out;
    for (const KeyedNode& k : nodes) out.push_back(k.node);
    return out;
}

TEST(LayoutSort, OrdersAsAGeneralSortByKeyThenIndex) {
    std::mt19937 rng(7);
    std::vector<KeyedNode> scratch;
    std::vector<int> counts;
    for (int round = 0; round < 400; ++round) {
        const int n = static_cast<int>(rng() % 40), size = 1 + static_cast<int>(rng() % 30);
        const bool descending = rng() % 2 == 0;
        // Whole keys with many ties, halves and other fractions; now and
        // then one out of range or an index out of its order.
        const int odd = static_cast<int>(rng() % 8);
        std::vector<KeyedNode> nodes;
        for (int i = 0; i < n; ++i) {
            double key = static_cast<double>(rng() % size);
            if (rng() % 3 == 0 && key + 1 < size) key += rng() % 2 == 0 ? 0.5 : static_cast<double>(rng() % 100) / 100;
            nodes.push_back({key, descending ? -i : i, 100 + i});
        }
        if (odd == 0 && n > 0) nodes[rng() % n].key = size;
        if (odd == 1 && n > 0) nodes[rng() % n].key = -0.5;
        if (odd == 2 && n > 1) std::swap(nodes[0].index, nodes[n - 1].index);
        std::vector<KeyedNode> expected(nodes);
        std::sort(expected.begin(), expected.end(), [](const KeyedNode& a, const KeyedNode& b) {
            return a.key != b.key ? a.key < b.key : a.index < b.index;
        });
        platform::diagram::layout::SortByKey(nodes, size, descending, scratch, counts);
        ASSERT_EQ(Nodes(nodes), Nodes(expected)) << "round " << round;
    }
}

}  // namespace
