#pragma once
// Directory entry of a file kept by the tester, 32 bytes, big-endian:
//   0 Name[14] (zero-padded, may fill all 14)  14 size  18 Start_sec
//   22 end_sec  26 attrib (u16)  28 crc

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace wavix {

struct tsimple_FAT {
    std::array<std::uint8_t, 14> Name{};
    std::uint32_t size = 0;
    std::uint32_t Start_sec = 0;
    std::uint32_t end_sec = 0;
    std::uint16_t attrib = 0;
    std::uint32_t crc = 0;
    bool operator==(const tsimple_FAT&) const = default;
};
inline constexpr std::size_t kSimpleFatSize = 32;

// False unless the payload is exactly one entry; `rec` is untouched then.
bool DecodeSimpleFat(std::span<const std::uint8_t> payload, tsimple_FAT& rec);
void EncodeSimpleFat(const tsimple_FAT& rec, std::span<std::uint8_t, kSimpleFatSize> out);

// The name up to its first zero byte, or all 14 characters when none is there.
std::string SimpleFatName(const tsimple_FAT& rec);
// Names longer than 14 characters are cut.
void SetSimpleFatName(tsimple_FAT& rec, const std::string& name);

} // namespace wavix
