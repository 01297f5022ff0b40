#pragma once
// Builds scope data files byte by byte, independently of the writer under test,
// so that files of any version, byte order or damage can be made in a test.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace wavix::test {

// year, month, day of week, day, hour, minute, second, ms
using SdfTime = std::array<std::uint16_t, 8>;

class SdfBuilder {
public:
    explicit SdfBuilder(bool bigEndian = false) : big_(bigEndian) {}

    SdfBuilder& u16(std::uint32_t v) {
        put(v, 2);
        return *this;
    }
    SdfBuilder& u32(std::uint32_t v) {
        put(v, 4);
        return *this;
    }
    SdfBuilder& raw(const std::string& s) {
        bytes_ += s;
        return *this;
    }
    // s, then zeros up to size bytes (s is not cut: a test may want no terminator).
    SdfBuilder& field(const std::string& s, std::size_t size) {
        bytes_ += s;
        if (s.size() < size)
            bytes_.append(size - s.size(), '\0');
        return *this;
    }

    SdfBuilder& header(std::uint32_t version, std::uint32_t blocks, const std::string& text = "header",
                       const char* magic = "OSC1", const SdfTime& time = {2024, 5, 3, 15, 13, 45, 30, 250}) {
        raw(std::string(magic, 4)).u32(blocks).field(text, 256);
        for (std::uint16_t v : time)
            u16(v);
        return u32(0).u32(version);
    }

    struct Block {
        std::uint32_t count = 0xFFFFFFFF;
        std::uint32_t colour = 0x00123456;
        std::string description = "desc";
        std::string name = "name";
        std::uint32_t channel = 1;
        std::uint32_t version = 2;
        std::uint32_t range = 4;
        std::uint32_t coupling = 1;
        std::uint32_t step = 4;
        std::uint32_t divider = 320;
        std::uint32_t capacity = 2000;
        std::uint32_t trChannel = 1;
        std::uint32_t trLevel = 600;
        std::uint32_t trMode = 0;
        std::uint32_t trEdge = 1;
        std::uint32_t probeLoaded = 1;
        std::string probeName = "clamp";
        std::string probeUnits = "A";
        std::uint32_t probeRatioBits = 0x3C23D70A; // 0.01f
        std::string startMarker = "-CHx";
        std::string endMarker = "-CHx";
        std::uint32_t trPosition = 0;
        bool withTrigger = true; // false: the 628-byte layout
    };

    SdfBuilder& block(const Block& b) {
        raw(b.startMarker).u32(b.count).u32(b.colour).field(b.description, 256).field(b.name, 256);
        u16(b.channel).u16(b.version).u16(b.range).u16(b.coupling).u32(b.step).u32(b.divider).u32(b.capacity);
        u16(b.trChannel).u16(0).u32(b.trLevel).u16(b.trMode).u16(b.trEdge);
        u32(b.probeLoaded).field(b.probeName, 30).field(b.probeUnits, 30).u32(b.probeRatioBits);
        raw(b.endMarker);
        if (b.withTrigger)
            u32(b.trPosition);
        return *this;
    }

    SdfBuilder& samples(const std::vector<std::int32_t>& values) {
        for (std::int32_t v : values)
            u32(static_cast<std::uint32_t>(v));
        return *this;
    }
    SdfBuilder& words(const std::vector<std::uint16_t>& values) {
        for (std::uint16_t v : values)
            u16(v);
        return *this;
    }

    const std::string& bytes() const { return bytes_; }

private:
    void put(std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            const int shift = big_ ? 8 * (n - 1 - i) : 8 * i;
            bytes_.push_back(static_cast<char>((v >> shift) & 0xFF));
        }
    }

    bool big_;
    std::string bytes_;
};

struct SdfChannel {
    std::string name = "Kanal";
    std::string description = "popis";
    std::uint16_t coupling = 1;
    std::uint32_t step = 14;
};

// A log as a tester (version 0x33: high byte first, "-123" block ends) or this
// program (0x44) writes it: FREE mode, no probe, 10 000 samples per channel.
inline std::string buildLog(std::uint32_t version, const std::vector<SdfChannel>& channels,
                            const std::vector<std::uint16_t>& words, const std::string& text = "log",
                            const SdfTime& time = {2023, 5, 2, 16, 14, 7, 9, 0}) {
    const bool big = version == 0x33;
    SdfBuilder f(big);
    f.header(version, static_cast<std::uint32_t>(channels.size()), text, "OSC1", time);
    for (std::size_t c = 0; c < channels.size(); ++c) {
        SdfBuilder::Block b;
        b.colour = 0;
        b.description = channels[c].description;
        b.name = channels[c].name;
        b.channel = static_cast<std::uint32_t>(c + 1);
        b.coupling = channels[c].coupling;
        b.step = channels[c].step;
        b.divider = 0;
        b.capacity = 10000;
        b.trLevel = 511;
        b.trMode = 3;
        b.probeLoaded = 0;
        b.probeName = b.probeUnits = "";
        b.probeRatioBits = 0x3F800000u; // 1.0f
        b.endMarker = big ? "-123" : "-CHx";
        f.block(b);
    }
    return f.words(words).bytes();
}

} // namespace wavix::test
