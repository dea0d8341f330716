#include "platform/diagram/LayoutSort.h"

#include <algorithm>

namespace platform::diagram::layout {

void SortByKey(std::vector<KeyedNode>& nodes, int size, bool descendingIndices, std::vector<KeyedNode>& scratch,
               std::vector<int>& counts) {
    const int n = static_cast<int>(nodes.size());
    auto before = [](const KeyedNode& a, const KeyedNode& b) {
        return a.key != b.key ? a.key < b.key : a.index < b.index;
    };
    bool countable = true;
    for (int i = 0; i < n && countable; ++i)
        countable = nodes[i].key >= 0 && nodes[i].key < size &&
                    (i == 0 || (descendingIndices ? nodes[i].index < nodes[i - 1].index
                                                  : nodes[i].index > nodes[i - 1].index));
    if (!countable) {
        std::sort(nodes.begin(), nodes.end(), before);
        return;
    }
    counts.assign(size + 1, 0);
    for (const KeyedNode& k : nodes) ++counts[static_cast<int>(k.key) + 1];
    for (int b = 0; b < size; ++b) counts[b + 1] += counts[b];
    // Taken in index order, so that each whole part holds its ties in
    // index order.
    scratch.resize(n);
    for (int t = 0; t < n; ++t) {
        const KeyedNode& k = nodes[descendingIndices ? n - 1 - t : t];
        scratch[counts[static_cast<int>(k.key)]++] = k;
    }
    // The fractions in order within each whole part (a key never moves
    // past a smaller whole part), ties staying as they came.
    for (int i = 1; i < n; ++i) {
        const KeyedNode k = scratch[i];
        int j = i;
        for (; j > 0 && scratch[j - 1].key > k.key; --j) scratch[j] = scratch[j - 1];
        scratch[j] = k;
    }
    nodes.swap(scratch);
}

}  // namespace platform::diagram::layout
