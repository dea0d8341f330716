// The workspace file: any bytes are read as a workspace file without crash;
// a project folder that was read is written and read back unchanged.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/workbench/WorkbenchError.h"
#include "platform/workbench/WorkspaceFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace fs = std::filesystem;
namespace wb = platform::workbench;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fs::path folder = fs::temp_directory_path() / ("qa-fuzz-workspace-" + std::to_string(::getpid()));
    static const bool made = fs::create_directories(folder) || true;
    (void)made;
    const fs::path file = folder / "W.hxp";
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
    wb::WorkspaceFileReader reader;
    try {
        reader.Load(file);
    } catch (const wb::WorkbenchError&) {
        return 0;
    }
    std::string project, repository;
    try {
        project = reader.GetElement("Project").GetList("Folder").GetText();
        repository = reader.RepositoryFile().string();
    } catch (const wb::WorkbenchError&) {
        return 0;
    }
    const fs::path copy = folder / "Copy.hxp";
    wb::WriteWorkspaceFile(copy, project, repository);
    wb::WorkspaceFileReader again;
    again.Load(copy);
    if (again.GetElement("Project").GetList("Folder").GetText() != project)
        fuzzsupport::Fail("the project folder changes when written and read again", project);
    return 0;
}
