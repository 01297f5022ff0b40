#pragma once
// A reader of the tester's big-endian log layout written from the file format
// alone, to check what the simulator writes and what a download brings home.

#include "core/support/bytes.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace wavix::simtest {

struct CheckedLog {
    std::string error; // empty when the layout holds
    std::string text;
    std::uint32_t channels = 0;
    std::vector<std::string> names;
    std::vector<std::uint16_t> ranges;
    std::uint32_t step = 0;
    std::uint16_t mode = 0;
    std::uint64_t instants = 0;
    std::uint64_t marksFirst = 0;  // words with bit 15
    std::uint64_t marksSecond = 0; // words with bit 14
    bool samplesInRange = true;    // bits 0..10 within 0..1024, bits 11..13 clear
};

inline std::string zeroTerminated(const std::uint8_t* p, std::size_t width) {
    const void* end = std::memchr(p, 0, width);
    return {reinterpret_cast<const char*>(p),
            end ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - p) : width};
}

inline CheckedLog checkTesterLog(const std::vector<std::uint8_t>& b) {
    CheckedLog r;
    if (b.size() < 288 || std::memcmp(b.data(), "OSC1", 4) != 0)
        return r.error = "no OSC1 header", r;
    if (readBE32(&b[284]) != 0x33)
        return r.error = "version is not 0x33", r;
    r.channels = readBE32(&b[4]);
    if (r.channels < 1 || r.channels > 4)
        return r.error = "block count " + std::to_string(r.channels), r;
    r.text = zeroTerminated(&b[8], 256);
    const std::size_t stream = 288 + 632 * std::size_t{r.channels};
    if (b.size() < stream)
        return r.error = "cut inside the blocks", r;
    for (std::size_t i = 0; i < r.channels; ++i) {
        const std::uint8_t* blk = &b[288 + 632 * i];
        if (std::memcmp(blk, "-CHx", 4) != 0 || std::memcmp(blk + 624, "-123", 4) != 0)
            return r.error = "block markers of channel " + std::to_string(i + 1), r;
        if (readBE32(blk + 4) != 0xFFFFFFFF)
            return r.error = "block claims samples", r;
        r.names.push_back(zeroTerminated(blk + 268, 256));
        r.ranges.push_back(readBE16(blk + 524 + 4));
        r.step = readBE32(blk + 524 + 8);
        r.mode = readBE16(blk + 524 + 28);
    }
    const std::size_t words = (b.size() - stream) / 2;
    if ((b.size() - stream) % 2 != 0 || words % r.channels != 0)
        return r.error = "stream is not whole instants", r;
    r.instants = words / r.channels;
    for (std::size_t i = 0; i < words; ++i) {
        const std::uint16_t w = readBE16(&b[stream + 2 * i]);
        r.marksFirst += (w & 0x8000) != 0;
        r.marksSecond += (w & 0x4000) != 0;
        if ((w & 0x7FF) > 1024 || (w & 0x3800) != 0)
            r.samplesInRange = false;
    }
    return r;
}

} // namespace wavix::simtest
