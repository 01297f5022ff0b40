#include "core/files/logwindow.h"

#include <algorithm>
#include <cstdint>

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

    // The file cuts the window to the whole instants its stream holds.
    const auto wanted = static_cast<std::uint32_t>(std::min<std::int64_t>(count, kMaxSamples));
    const auto from = static_cast<std::uint32_t>(std::min<std::int64_t>(first, UINT32_MAX));
    std::vector<std::uint16_t> words;
    if (count > 0 && !file.ReadLogWords(from, wanted, words))
        return false;
    const auto count32 = static_cast<std::uint32_t>(words.size() / static_cast<std::size_t>(n));
    // Indexes, not a moving pointer: an empty window has no data() to offset.
    const auto stride = static_cast<std::size_t>(n);
    for (std::size_t c = 0; c < stride; ++c) {
        auto samples = channels[c]->WritableSamples(count32);
        for (std::uint32_t i = 0; i < count32; ++i)
            samples[i] = LogWordValue(words[i * stride + c]);
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
