#pragma once
// The automatic measurements of each channel of a file as indented JSON: one
// object per channel, SI values in the channel's units after the probe, null
// with the reason under "why" where a value cannot be had; the engine values
// only where the signal carries them. Of a log, the window of instants
// from..from+count, at most one full capture (kMaxSamples) long.

#include "core/export/exporter.h"

namespace wavix {

class CJsonMeasureExporter : public IExporter {
public:
    std::string_view Name() const override { return "measure"; }
    std::string_view Extension() const override { return ".json"; }
    ExportResult Write(const ExportCapture& capture, std::ostream& out) const override;
    using IExporter::Write;
};

} // namespace wavix
