#pragma once
// The classification as the workspace load runs it after a fresh import:
// one progress step, then the Summary tree built anew from the codes.

#include "common/Tree.h"

namespace common { class IProgress; }
namespace platform::db { class Database; }

namespace classify {

// Reports one step under "Classify objects". The classification asks no
// question of Cancel and runs to its end (it is short and all-or-nothing).
// Returns the Summary tree for the pane to show.
common::Tree ClassifyObjects(platform::db::Database& db, common::IProgress& progress);

}  // namespace classify
