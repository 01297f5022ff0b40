#include "core/protocol/samplerepeatfilter.h"

#include "core/comm/packet.h"

#include <algorithm>

namespace wavix {
namespace {

// At least two different sets among enough values.
bool varies(std::span<const std::uint8_t> packet, int channels) {
    if (packet.size() <= kPacketHeaderSize)
        return false;
    const auto samples = packet.subspan(kPacketHeaderSize);
    if (samples.size() / 2 < CSampleRepeatFilter::kMinValues)
        return false;
    const std::size_t setBytes = 2 * static_cast<std::size_t>(std::clamp(channels, 1, 4));
    const std::size_t whole = samples.size() / setBytes * setBytes;
    for (std::size_t at = setBytes; at + setBytes <= whole; at += setBytes)
        if (!std::equal(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(setBytes),
                        samples.begin() + static_cast<std::ptrdiff_t>(at)))
            return true;
    return false;
}

} // namespace

bool CSampleRepeatFilter::IsRepeat(std::span<const std::uint8_t> packet, int channels) const {
    if (!varies(packet, channels))
        return false;
    return std::any_of(last_.begin(), last_.end(), [&](const std::vector<std::uint8_t>& seen) {
        return std::equal(packet.begin(), packet.end(), seen.begin(), seen.end());
    });
}

void CSampleRepeatFilter::Taken(std::span<const std::uint8_t> packet) {
    last_[next_].assign(packet.begin(), packet.end());
    next_ = (next_ + 1) % kRemembered;
}

void CSampleRepeatFilter::Clear() {
    for (auto& seen : last_)
        seen.clear();
    next_ = 0;
}

} // namespace wavix
