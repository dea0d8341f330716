#pragma once
// The data stores inventory: every entity of kind "store", whatever its
// store type, by business name, each with the data store image and the
// category text "Data Store". No links and no stub marks.

#include <cstdint>

#include "reports/ReportContext.h"

namespace mdlReports {

// Writes inventory/datastores.html and returns the number of data stores
// listed; 0 and no page when the workspace has none.
int64_t GenerateDataStoresReport(ReportContext& ctx);

}  // namespace mdlReports
