#pragma once
// Samples as comma-separated values: a header "time [s],CH1 [V],..." and one
// row per instant with the time and each channel's value in its probe's units.
// Always with a decimal point, whatever the desktop's locale. Logs are read a
// slice at a time, so they may be far larger than memory.

#include "core/export/exporter.h"

namespace wavix {

class CCsvExporter : public IExporter {
public:
    std::string_view Name() const override { return "csv"; }
    std::string_view Extension() const override { return ".csv"; }
    // The rows before a failed log read are already written.
    ExportResult Write(const ExportCapture& capture, std::ostream& out) const override;
    using IExporter::Write;
};

} // namespace wavix
