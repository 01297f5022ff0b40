#include "core/export/csvexporter.h"

#include "core/analysis/channelscale.h"
#include "core/support/numberlocale.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

namespace wavix {
namespace {

// Waveforms carry the module's own divider; logs only the step, so the table rate applies.
double SampleSeconds(const CScopeFile& file, const CChannelData& first) {
    if (!file.IsLog() && first.GetTimeBase() > 0)
        return SamplesToSeconds(1.0, first.GetTimeBase());
    return SamplePeriod(first.GetTimeBaseStep());
}

void append(std::string& line, const char* format, double value) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, value);
    if (n > 0)
        line.append(text, static_cast<std::size_t>(std::min<int>(n, sizeof text - 1)));
}

} // namespace

ExportResult CCsvExporter::Write(const ExportCapture& capture, std::ostream& out) const {
    // A decimal comma would split every value into two fields.
    const CNumberLocale c;
    CScopeFile& file = capture.file;
    const ExportChannels chosen = ChannelsToExport(capture);
    const std::vector<const CChannelData*>& channels = chosen.list;
    const bool log = chosen.log;
    if (channels.empty())
        return ExportResult::Fail("no channels to write");
    const std::size_t n = channels.size();
    const double period = SampleSeconds(file, *channels.front());
    std::vector<CChannelScale> scales;
    std::string line = "time [s]";
    for (const CChannelData* ch : channels) {
        scales.emplace_back(*ch);
        line += ",CH" + std::to_string(ch->GetChannel()) + " [" + scales.back().Unit() + "]";
    }
    line += '\n';
    out << line;

    auto row = [&](std::uint32_t instant, auto&& countsOf) {
        line.clear();
        append(line, "%.9g", instant * period);
        for (std::size_t i = 0; i < n; ++i)
            append(line, ",%.6g", scales[i].Value(countsOf(i)));
        line += '\n';
        out << line;
    };

    const std::uint32_t from = capture.from;
    const std::uint32_t count = capture.count;
    if (!log) {
        std::uint32_t total = 0;
        for (const CChannelData* ch : channels)
            total = std::max(total, ch->GetSampleCount());
        const std::uint32_t end = from < total ? from + std::min(count, total - from) : from;
        for (std::uint32_t k = from; k < end; ++k)
            row(k, [&](std::size_t i) { return static_cast<int>(channels[i]->GetSample(k)); });
        return {};
    }

    constexpr std::uint32_t kSlice = 65536;
    const std::uint32_t total = file.GetLogSamplesPerChannel();
    const std::uint32_t end = from < total ? from + std::min(count, total - from) : from;
    std::vector<std::uint16_t> words;
    for (std::uint32_t at = from; at < end; at += kSlice) {
        const std::uint32_t take = std::min(kSlice, end - at);
        if (!file.ReadLogWords(at, take, words) || words.size() != std::size_t{take} * n)
            return ExportResult::Fail("cannot read the samples of the log");
        for (std::uint32_t k = 0; k < take; ++k)
            row(at + k, [&](std::size_t i) { return LogWordValue(words[std::size_t{k} * n + i]); });
    }
    return {};
}

} // namespace wavix
