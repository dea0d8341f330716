#pragma once
// Writes a diagram control's picture to a file. One exporter serves the
// whole run; it is made on first use.

#include <filesystem>
#include <stdexcept>

namespace platform::ui {

class TDiagram;

// The picture could not be written (missing folder, no room, a format Qt
// cannot write, a picture too large to hold).
class ExportFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class DiagramExporter {
public:
    static DiagramExporter& Instance();

    // Writes the diagram's drawing at its current zoom to file (a JPEG for
    // ".jpg" and ".jpeg") and hands the diagram back. Throws ExportFailed
    // when the file cannot be written; no folder is created.
    TDiagram& ExportImage(TDiagram& diagram, const std::filesystem::path& file);

private:
    DiagramExporter() = default;
};

}  // namespace platform::ui
