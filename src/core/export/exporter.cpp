#include "core/export/exporter.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace wavix {

ExportChannels ChannelsToExport(const ExportCapture& capture) {
    ExportChannels out{{capture.channels.begin(), capture.channels.end()}, false};
    if (out.list.empty()) {
        out.log = capture.file.IsLog();
        for (int i = 0; i < capture.file.GetChannelCount(); ++i)
            out.list.push_back(capture.file.GetChannel(i));
    }
    if (std::find(out.list.begin(), out.list.end(), nullptr) != out.list.end())
        out.list.clear();
    return out;
}

SampleSpan ViewSpan(std::int64_t first, std::int64_t last, std::int64_t samples, bool whole) {
    constexpr std::int64_t kMax = std::numeric_limits<std::uint32_t>::max();
    const std::int64_t n = std::clamp<std::int64_t>(samples, 0, kMax);
    if (whole)
        return {0, static_cast<std::uint32_t>(n)};
    const std::int64_t a = std::clamp<std::int64_t>(first, 0, n);
    const std::int64_t b = std::clamp<std::int64_t>(last, a, n);
    return {static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b - a)};
}

std::filesystem::path WithExtension(std::filesystem::path path, std::string_view extension) {
    const std::string has = path.extension().string();
    const bool same =
        std::equal(has.begin(), has.end(), extension.begin(), extension.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
        });
    if (!same)
        path += std::string(extension);
    return path;
}

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
