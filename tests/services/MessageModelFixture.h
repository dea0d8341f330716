#pragma once
// A program's code model for the message tests: ORDPROG with a hidden
// "VNL_0SYS" list, a Working-Storage list with the record CUST-REC (groups,
// two FILLERs, COMP-3, binary items, an 88-level) and a Linkage list with
// RESP-AREA and a port that is not a declaration.

#include <filesystem>
#include <string>

namespace messagefixture {

struct Ids {
    std::string custRec, custNo, custName, firstName, seqNo, statusCode, statusActive;
    std::string respArea, respCode, port, sysArea;
};

// Writes the model database and returns the construct ids.
Ids WriteOrdProgModel(const std::filesystem::path& modelDatabase, const std::string& programKey);

// The message document of Set As Input on CUST-REC and Set As Output on
// RESP-AREA, written out by hand.
extern const char* const kOrdProgDocument;

}  // namespace messagefixture
