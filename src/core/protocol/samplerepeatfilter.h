#pragma once
// Sample packets carry no sequence number: a datagram the network delivered
// twice looks like fresh samples. A packet whose samples vary is taken for a
// repeat when it matches, byte for byte, one of the last packets taken: real
// signals do not repeat a varying stretch exactly. A flat or very short packet
// repeats legitimately (a clipped or steady input) and always passes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace wavix {

class CSampleRepeatFilter {
public:
    // Fewer sample values than this never count as a repeat.
    static constexpr std::size_t kMinValues = 64;
    // A duplicate overtaken by one other packet is still caught.
    static constexpr std::size_t kRemembered = 2;

    // `packet` is the whole datagram, header included; `channels` the values per set.
    bool IsRepeat(std::span<const std::uint8_t> packet, int channels) const;
    void Taken(std::span<const std::uint8_t> packet);
    void Clear();

private:
    std::array<std::vector<std::uint8_t>, kRemembered> last_;
    std::size_t next_ = 0;
};

} // namespace wavix
