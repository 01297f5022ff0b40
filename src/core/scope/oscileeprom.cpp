#include "core/scope/oscileeprom.h"

#include "core/analysis/channelscale.h"
#include "core/scope/oscilexchange.h"
#include "core/support/bytes.h"

#include <algorithm>

namespace wavix {

const SOscilCalEntry& SOscil_EEPROM::entryForRange(int ch, int range) const {
    const int c = std::clamp(ch, 1, 4) - 1;
    const int m = std::clamp(range, kRangeMin, kRangeMax);
    const int e = m > 0 ? m - 1 : 0;
    return entries[static_cast<std::size_t>(c)][static_cast<std::size_t>(e)];
}

SOscil_EEPROM DefaultCalibration() {
    SOscil_EEPROM rec;
    for (auto& channel : rec.entries) {
        for (int j = 0; j < kCalibrationEntries; ++j) {
            const int m = j + 1;
            const auto gain =
                static_cast<std::uint16_t>(HalfSwingVolts(m) / kHalfSwingCounts / 2 * 100000);
            channel[static_cast<std::size_t>(j)] = {512, gain, gain};
        }
    }
    return rec;
}

// Bytes 8..11 (year, month, day) travel as one 32-bit word, as the module keeps them.
void SerializeOscilEeprom(const SOscil_EEPROM& rec, std::span<std::uint8_t, kOscilEepromSize> out,
                          ByteOrder order) {
    std::uint8_t* p = out.data();
    write16(p + 0, rec.state, order);
    write16(p + 2, rec.size, order);
    write16(p + 4, rec.reserved1, order);
    write16(p + 6, rec.reserved2, order);
    const std::uint32_t date =
        std::uint32_t{rec.year} | (std::uint32_t{rec.month} << 16) | (std::uint32_t{rec.day} << 24);
    write32(p + 8, date, order);
    std::size_t at = 12;
    for (const auto& channel : rec.entries)
        for (const auto& e : channel) {
            write16(p + at, e.zero, order);
            write16(p + at + 2, e.gainNeg, order);
            write16(p + at + 4, e.gainPos, order);
            at += 6;
        }
}

SOscil_EEPROM DeserializeOscilEeprom(std::span<const std::uint8_t, kOscilEepromSize> in, ByteOrder order) {
    const std::uint8_t* p = in.data();
    SOscil_EEPROM rec;
    rec.state = read16(p + 0, order);
    rec.size = read16(p + 2, order);
    rec.reserved1 = read16(p + 4, order);
    rec.reserved2 = read16(p + 6, order);
    const std::uint32_t date = read32(p + 8, order);
    rec.year = static_cast<std::uint16_t>(date & 0xFFFF);
    rec.month = static_cast<std::uint8_t>((date >> 16) & 0xFF);
    rec.day = static_cast<std::uint8_t>(date >> 24);
    std::size_t at = 12;
    for (auto& channel : rec.entries)
        for (auto& e : channel) {
            e = {read16(p + at, order), read16(p + at + 2, order), read16(p + at + 4, order)};
            at += 6;
        }
    return rec;
}

} // namespace wavix
