#pragma once
// The module's calibration record (204 bytes).
//   0 state  2 size(204)  4 reserved  6 reserved  8 year (BCD)  10 month (BCD)  11 day (BCD)
//  12 entries[channel 0..3][entry 0..7] = {zero, negative gain, positive gain}
// Entry j calibrates input range j + 1; range 0 is measured on range 1.

#include "core/support/bytes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace wavix {

inline constexpr std::size_t kOscilEepromSize = 204;
inline constexpr int kCalibrationEntries = 8;

struct SOscilCalEntry {
    std::uint16_t zero = 0;
    std::uint16_t gainNeg = 0;
    std::uint16_t gainPos = 0;
    bool operator==(const SOscilCalEntry&) const = default;
};

struct SOscil_EEPROM {
    std::uint16_t state = 0;
    std::uint16_t size = static_cast<std::uint16_t>(kOscilEepromSize);
    std::uint16_t reserved1 = 0;
    std::uint16_t reserved2 = 0;
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::array<std::array<SOscilCalEntry, kCalibrationEntries>, 4> entries{};

    bool operator==(const SOscil_EEPROM&) const = default;

    // Calibration entry used for range index m (0..8) of channel ch (1..4).
    const SOscilCalEntry& entryForRange(int ch, int range) const;
};

// State 0, size 204, no date; zero 512 and both gains from the nominal range.
SOscil_EEPROM DefaultCalibration();

// The 204-byte image with every field in the given byte order.
void SerializeOscilEeprom(const SOscil_EEPROM& rec, std::span<std::uint8_t, kOscilEepromSize> out,
                          ByteOrder order);
SOscil_EEPROM DeserializeOscilEeprom(std::span<const std::uint8_t, kOscilEepromSize> in, ByteOrder order);

} // namespace wavix
