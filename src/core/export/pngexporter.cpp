#include "core/export/pngexporter.h"

#include <fstream>
#include <ostream>

namespace wavix {
namespace {

bool put(std::ostream& out, const std::vector<std::uint8_t>& bytes) {
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

ExportResult CPngExporter::Write(const ExportCapture& capture, std::ostream& out) const {
    std::vector<std::uint8_t> png;
    if (ExportResult r = renderer_.RenderPng(capture, png); !r)
        return r;
    if (!put(out, png))
        return ExportResult::Fail("cannot write the picture");
    return {};
}

ExportResult CPngExporter::Write(const ExportCapture& capture, const std::filesystem::path& path) const {
    std::vector<std::uint8_t> png;
    if (ExportResult r = renderer_.RenderPng(capture, png); !r)
        return r;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !put(out, png) || (out.close(), !out))
        return ExportResult::Fail(path.string() + ": cannot write the picture");
    return {};
}

} // namespace wavix
