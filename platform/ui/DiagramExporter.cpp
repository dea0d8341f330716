#include "platform/ui/DiagramExporter.h"

#include "platform/diagram/DiagramPainter.h"
#include "platform/ui/TDiagram.h"

namespace platform::ui {

DiagramExporter& DiagramExporter::Instance() {
    static DiagramExporter exporter;
    return exporter;
}

TDiagram& DiagramExporter::ExportImage(TDiagram& diagram, const std::filesystem::path& file) {
    if (!platform::diagram::ExportImage(diagram.Model(), file, diagram.Zoom()))
        throw ExportFailed("The diagram picture could not be written to " + file.string() + ".");
    return diagram;
}

}  // namespace platform::ui
