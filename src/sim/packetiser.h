#pragma once
// Replies as the tester frames them, and a sample group cut into datagrams.
//
// A group is a run of 0x8080 packets: status 0x0040 on every packet but the
// last, 0x0000 on the last. The program's read buffer holds 2047 bytes of a
// packet, so a packet carries at most 2039 bytes of samples, whole sets only.

#include "core/comm/packet.h"
#include "core/scope/scopedata.h" // SetsPerPacket

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace wavix {

inline constexpr std::size_t kMaxReplyBytes = kMaxPacketSize;

// A reply with the full eight-byte header; a payload that would not fit gives an empty packet.
Packet MakeReply(std::uint16_t command, std::uint16_t moduleNum, std::uint16_t status,
                 std::span<const std::uint8_t> payload = {});

struct SampleGroup {
    std::vector<Packet> packets;
    std::size_t setsSent = 0;
    std::size_t setsDropped = 0; // the oldest sets, when the capture did not fit
};

// `samples` holds interleaved converter values, channel 1..n, set after set; a
// trailing partial set is ignored. No samples at all gives one header-only packet.
// maxPackets > 0 sends only the newest sets that fit into that many packets, as
// a tester with a short send buffer does.
SampleGroup SplitSampleGroup(std::uint16_t moduleNum, int channels, std::span<const std::uint16_t> samples,
                             std::size_t maxPackets = 0);

} // namespace wavix
