#pragma once
// The four rule sets that turn a program's facts into its SOA code. Each one
// at most sets the record's code; the classification applies them in order,
// one pass per rule set.

#include <functional>
#include <string>

#include "classify/ClsRecord.h"

namespace mdlReports {

// Codes 1 to 4 for a program that talks to a screen.
void ApplyClientFacingRules(clsRecord& record);

// Codes 10 and 11 for a program that lies between client programs along
// transfers of control. The question is asked at most once, and only when
// the record's flags already qualify.
void ApplyTransitionalRules(clsRecord& record,
                            const std::function<bool(const std::string& programId)>& isBetweenClientXctls);

// Frontier codes 20 to 23 (first look, before the callers' final codes are known).
void ApplyFrontierRules(clsRecord& record);

// Frontier 20 to 23, Server 30 to 33, else No Category 60.
void ApplyFrontierServerRules(clsRecord& record);

}  // namespace mdlReports
