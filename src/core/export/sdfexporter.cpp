#include "core/export/sdfexporter.h"

namespace wavix {

ExportResult CSdfExporter::Write(const ExportCapture& /*capture*/, std::ostream& /*out*/) const {
    return ExportResult::Fail("a scope data file is written to a file only");
}

ExportResult CSdfExporter::Write(const ExportCapture& capture, const std::filesystem::path& path) const {
    const bool saved =
        capture.channels.empty() ? capture.file.Save(path) : capture.file.Save(path, capture.channels);
    if (!saved)
        return ExportResult::Fail(path.string() + ": cannot write the scope data file");
    return {};
}

} // namespace wavix
