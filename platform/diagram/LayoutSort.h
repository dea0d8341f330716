#pragma once
// The sort under the median sweeps of the layered layout, which reorder
// every layer many times over by keys that are positions in the layer
// beside it (or lie between two of them).

#include <vector>

namespace platform::diagram::layout {

struct KeyedNode {
    double key = 0;
    int index = 0;  // distinct: breaks ties between equal keys
    int node = 0;
};

// Sorts nodes by key, then index. Where every key lies in [0, size) and
// the indices come ascending as given (descending where descendingIndices
// is set), a counting sort by the keys' whole parts and then by the few
// fractions sharing one does it at a fraction of a general sort's work;
// otherwise a general sort. scratch and counts are working space kept
// between calls.
void SortByKey(std::vector<KeyedNode>& nodes, int size, bool descendingIndices, std::vector<KeyedNode>& scratch,
               std::vector<int>& counts);

}  // namespace platform::diagram::layout
