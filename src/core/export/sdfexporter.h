#pragma once
// Scope data files (.sdf) as the program saves its captures. Written to a file
// only: the file is replaced whole or not at all.

#include "core/export/exporter.h"

namespace wavix {

class CSdfExporter : public IExporter {
public:
    std::string_view Name() const override { return "sdf"; }
    std::string_view Extension() const override { return ".sdf"; }
    ExportResult Write(const ExportCapture& capture, std::ostream& out) const override;
    ExportResult Write(const ExportCapture& capture, const std::filesystem::path& path) const override;
};

} // namespace wavix
