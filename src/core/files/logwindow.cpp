#include "core/files/logwindow.h"

#include "core/support/bytes.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace wavix {

bool ReadLogWindow(CScopeFile& file, std::int64_t first, std::int64_t count, std::uint32_t* instantsRead) {
    const std::uint32_t version = file.GetVersion();
    if (version != kFileVersionTesterLog && version != kFileVersionLog)
        return false;
    const int n = file.GetChannelCount();
    if (n < 1 || n > kMaxFileChannels || first < 0)
        return false;
    std::vector<CChannelData*> channels;
    for (int i = 0; i < n; ++i) {
        CChannelData* ch = file.GetChannel(i);
        if (ch == nullptr)
            return false;
        channels.push_back(ch);
    }

    std::ifstream in(file.GetPath(), std::ios::binary);
    if (!in)
        return false;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file.GetPath(), ec);
    if (ec)
        return false;

    // Only what the file really holds, in whole instants and within a channel.
    const auto bytesPerInstant = static_cast<std::uint64_t>(2 * n);
    const std::uint64_t start = file.GetStreamOffset();
    const std::uint64_t available = size > start ? (size - start) / bytesPerInstant : 0;
    const auto from = static_cast<std::uint64_t>(first);
    std::uint64_t instants = 0;
    if (count > 0 && from < available)
        instants =
            std::min({static_cast<std::uint64_t>(count), available - from, std::uint64_t{kMaxSamples}});

    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(instants * bytesPerInstant));
    if (!buffer.empty()) {
        in.seekg(static_cast<std::streamoff>(start + from * bytesPerInstant));
        in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        if (!in || static_cast<std::size_t>(in.gcount()) != buffer.size())
            return false;
    }

    const bool bigEndian = version == kFileVersionTesterLog;
    const auto count32 = static_cast<std::uint32_t>(instants);
    for (int c = 0; c < n; ++c) {
        auto samples = channels[static_cast<std::size_t>(c)]->WritableSamples(count32);
        const std::uint8_t* p = buffer.data() + 2 * c;
        for (std::uint32_t i = 0; i < count32; ++i, p += bytesPerInstant)
            samples[i] = LogWordValue(bigEndian ? readBE16(p) : readLE16(p));
    }
    for (CChannelData* ch : channels) {
        ch->SetSampleCount(count32);
        ch->SetCapacity(count32);
    }
    if (instantsRead != nullptr)
        *instantsRead = count32;
    return true;
}

std::vector<LogDisplayAssignment> LogWindowDisplays(int channelCount, int displayCount, bool onePerChannel) {
    std::vector<LogDisplayAssignment> plan;
    if (channelCount < 1 || displayCount < 1)
        return plan;
    if (!onePerChannel) {
        LogDisplayAssignment all;
        for (int c = 0; c < channelCount; ++c)
            all.channels.push_back(c);
        plan.push_back(std::move(all));
        return plan;
    }
    for (int c = 0; c < std::min(channelCount, displayCount); ++c)
        plan.push_back(LogDisplayAssignment{c, {c}});
    return plan;
}

} // namespace wavix
