#pragma once
// A file's header, channels, probes and marks as indented JSON. Written with
// Qt's JSON writer (the core has no JSON of its own): its key order and number
// form are what readers of this output already get.

#include "core/export/exporter.h"

namespace wavix {

class CJsonInfoExporter : public IExporter {
public:
    std::string_view Name() const override { return "info"; }
    std::string_view Extension() const override { return ".json"; }
    ExportResult Write(const ExportCapture& capture, std::ostream& out) const override;
    using IExporter::Write;
};

} // namespace wavix
