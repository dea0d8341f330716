#pragma once
// The COMMAREA size analysis. For every program that is not a stub it
// takes the USING ports of the program's code model, and for each VAR of
// such a port the first of its declarations, looks the declaration's size
// up in the model database (Constructs.size, in bits; 0 without a row) and
// keeps one Commarea row per item (RemedyType "C"). The page "COMMAREA Size
// Report" lists, per program by name, the captions of its items and their
// sizes in bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "reports/AnalysisRun.h"

namespace platform::db {
class Value;
}

namespace mdlReports {

// Rebuilds Commarea and writes paths.g_CommareaReportPath under a progress
// level "Compute I/O size" of one step per program plus two (one step when
// there is no program). Cancel is honoured after each program ("0": the
// rows so far stay, no page) and once more after the page is saved.
// Database errors are raised; Commarea then keeps what it held before. A
// workspace that may not be written through run.output is refused before
// anything is touched (RefuseUnlessWritable).
AnalysisResult GetCOMMAREASizeReport(const AnalysisRun& run);

// A size in bits as bytes in the shortest decimal form: 24 gives "3", 100
// gives "12.5" (with separator "."), 4 gives "0.5".
std::string SizeInBytes(int64_t bits, std::string_view decimalSeparator);

}  // namespace mdlReports
