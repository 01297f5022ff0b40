#pragma once
// Scope data files put together byte by byte from the layout, so the readers are
// checked against the format and not against the writer of the same code base.

#include "core/support/bytes.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace wavix::test {

struct SdfChannel {
    std::string name = "Kanal";
    std::string description = "popis";
    std::uint16_t coupling = 1;
    std::uint32_t step = 14;
};

// year, month, day of week, day, hour, minute, second, ms
using SdfTime = std::array<std::uint16_t, 8>;

// A log: version 0x33 is written high byte first with "-123" block ends, 0x44 low byte first.
inline std::string buildLog(std::uint32_t version, const std::vector<SdfChannel>& channels,
                            const std::vector<std::uint16_t>& words, const std::string& text = "log",
                            SdfTime time = {2023, 5, 2, 16, 14, 7, 9, 0}) {
    const bool big = version == 0x33;
    std::vector<std::uint8_t> out(288 + 632 * channels.size() + 2 * words.size(), 0);
    const auto put16 = [&](std::size_t at, std::uint16_t v) {
        big ? writeBE16(&out[at], v) : writeLE16(&out[at], v);
    };
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        big ? writeBE32(&out[at], v) : writeLE32(&out[at], v);
    };
    const auto text0 = [&](std::size_t at, const std::string& s) {
        std::memcpy(&out[at], s.data(), s.size());
    };
    text0(0, "OSC1");
    put32(4, static_cast<std::uint32_t>(channels.size()));
    text0(8, text);
    for (std::size_t i = 0; i < time.size(); ++i)
        put16(264 + 2 * i, time[i]);
    put32(284, version);
    for (std::size_t c = 0; c < channels.size(); ++c) {
        const std::size_t b = 288 + 632 * c;
        text0(b, "-CHx");
        put32(b + 4, 0xFFFFFFFFu);
        text0(b + 12, channels[c].description);
        text0(b + 268, channels[c].name);
        put16(b + 524, static_cast<std::uint16_t>(c + 1));
        put16(b + 526, 2); // record version
        put16(b + 528, 4); // range
        put16(b + 530, channels[c].coupling);
        put32(b + 532, channels[c].step);
        put32(b + 540, 10000);            // capacity
        put16(b + 544, 1);                // trigger channel
        put32(b + 548, 511);              // trigger level
        put16(b + 552, 3);                // FREE
        put16(b + 554, 1);                // rising
        put32(b + 556 + 64, 0x3F800000u); // probe ratio 1.0f
        text0(b + 624, big ? "-123" : "-CHx");
    }
    for (std::size_t i = 0; i < words.size(); ++i)
        put16(288 + 632 * channels.size() + 2 * i, words[i]);
    return std::string(out.begin(), out.end());
}

} // namespace wavix::test
