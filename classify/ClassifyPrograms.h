#pragma once
// Gives every program of a freshly imported workspace database its SOA code
// and its facts, from the relationships in Rels alone.

#include <cstddef>

namespace platform::db { class Database; }

namespace mdlReports {

struct ClassificationCounts {
    size_t online = 0;  // programs reached from a screen-conversing program (records written)
    size_t batch = 0;   // program rows given code 90
};

// Programs that no screen-conversing program reaches over calls and
// transfers get code 90 (Batch) and keep their flags; every online program
// gets its seven facts and a code. All writes happen in one transaction
// (a savepoint when the caller already holds one); an error rolls them back and
// passes to the caller. Ids and names compare without regard to case.
ClassificationCounts ClassifyPrograms(platform::db::Database& db);

}  // namespace mdlReports
