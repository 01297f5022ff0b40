#include "core/export/exporter.h"

#include <fstream>

namespace wavix {

ExportResult IExporter::Write(const ExportCapture& capture, const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return ExportResult::Fail(path.string() + ": cannot write the file");
    ExportResult r = Write(capture, out);
    out.close();
    if (r && !out)
        return ExportResult::Fail(path.string() + ": cannot write the file");
    return r;
}

} // namespace wavix
