#include "sim/unitcalibration.h"

#include <cstdlib>

namespace wavix {

std::uint8_t ToBcd(int twoDigits) {
    const int v = std::abs(twoDigits) % 100;
    return static_cast<std::uint8_t>(((v / 10) << 4) | (v % 10));
}

SOscil_EEPROM UnitCalibration(std::uint32_t serial, SimDate date) {
    SOscil_EEPROM rec = DefaultCalibration();
    rec.state = 1;
    rec.year = static_cast<std::uint16_t>((ToBcd(date.year / 100) << 8) | ToBcd(date.year % 100));
    rec.month = ToBcd(date.month);
    rec.day = ToBcd(date.day);
    std::uint32_t x = serial * 2654435761U + 12345U;
    auto next = [&x](int span) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return static_cast<int>(x % static_cast<std::uint32_t>(2 * span + 1)) - span;
    };
    for (auto& channel : rec.entries) {
        const int boardZero = 512 + next(4); // converter offset is shared by the ranges of a channel
        for (auto& e : channel) {
            e.zero = static_cast<std::uint16_t>(boardZero + next(1));
            // Dividers within about 1.5 %.
            e.gainNeg = static_cast<std::uint16_t>(e.gainNeg + e.gainNeg * next(15) / 1000);
            e.gainPos = static_cast<std::uint16_t>(e.gainPos + e.gainPos * next(15) / 1000);
        }
    }
    return rec;
}

} // namespace wavix
