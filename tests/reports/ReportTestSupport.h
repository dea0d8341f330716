#pragma once
// Shared by the report tests: report paths in a temporary workspace with the
// build's real templates, and small file helpers.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "reports/ReportPaths.h"
#include "tests/support/TestSupport.h"

namespace reporttest {

// Report paths of a workspace folder "Bank" inside dir, templates from the build.
inline mdlReports::ReportPaths PathsIn(const testsupport::TempDir& dir) {
    return mdlReports::ComputeReportPaths(testsupport::AppDir(), dir.Path() / "Bank");
}

inline std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteText(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

}  // namespace reporttest
