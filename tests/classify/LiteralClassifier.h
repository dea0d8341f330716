#pragma once
// The classification done the slow, literal way: record by record, with one
// query per program visited, codes read back from Ents as each record is
// written. The fast classifier must give the same database.

namespace platform::db { class Database; }

namespace literal {

void ClassifyPrograms(platform::db::Database& db);

}  // namespace literal
