#include "sim/packetiser.h"

#include "core/scope/oscilexchange.h"
#include "core/support/bytes.h"

#include <algorithm>
#include <cstring>

namespace wavix {

namespace {
constexpr std::uint16_t kScopeDataReply = 0x8080;
}

Packet MakeReply(std::uint16_t command, std::uint16_t moduleNum, std::uint16_t status,
                 std::span<const std::uint8_t> payload) {
    if (payload.size() > kMaxPayloadSize)
        return {};
    Packet p{allocatePacketBuffer(), kPacketHeaderSize + payload.size()};
    p.data[0] = kStartByte1;
    p.data[1] = kStartByte2;
    writeBE16(&p.data[2], command);
    writeBE16(&p.data[4], moduleNum);
    writeBE16(&p.data[6], status);
    if (!payload.empty())
        std::memcpy(&p.data[kPacketHeaderSize], payload.data(), payload.size());
    return p;
}

SampleGroup SplitSampleGroup(std::uint16_t moduleNum, int channels, std::span<const std::uint16_t> samples,
                             std::size_t maxPackets) {
    SampleGroup group;
    const auto n = static_cast<std::size_t>(std::clamp(channels, 1, kChannelCount));
    std::size_t sets = samples.size() / n;
    std::size_t first = 0;
    if (const std::size_t maxSets = SetsPerPacket(channels) * maxPackets; maxPackets > 0 && sets > maxSets) {
        group.setsDropped = sets - maxSets;
        first = group.setsDropped;
        sets = maxSets;
    }
    if (sets == 0) {
        group.packets.push_back(MakeReply(kScopeDataReply, moduleNum, kStatusOk));
        return group;
    }
    const std::size_t perPacket = SetsPerPacket(channels);
    for (std::size_t at = 0; at < sets; at += perPacket) {
        const std::size_t count = std::min(perPacket, sets - at);
        const bool last = at + count == sets;
        Packet p = MakeReply(kScopeDataReply, moduleNum, last ? kStatusOk : kStatusMore);
        std::uint8_t* out = &p.data[kPacketHeaderSize];
        const std::uint16_t* in = samples.data() + (first + at) * n;
        for (std::size_t i = 0; i < count * n; ++i)
            writeBE16(out + 2 * i, in[i]);
        p.size += count * n * 2;
        group.packets.push_back(std::move(p));
    }
    group.setsSent = sets;
    return group;
}

} // namespace wavix
