#pragma once
// The few relationship names the analysis works with. The workbench names a
// program's relations after the object in between ("ReadsTable",
// "CallsDecision"); the classification, diagrams and reports only care about
// the kind of link, so the recorded name is folded to "converse", "access",
// "Xctls" or "Calls".

#include <string>
#include <string_view>

namespace workspace {

// Removes "Decision", "DataPort", "Table" and "AdabasFile" anywhere in the
// name (case ignored), then maps the rest as a whole (case ignored); a name
// outside the table comes back as what is left after the removal.
std::string NormalizeRelName(std::string_view name);

}  // namespace workspace
