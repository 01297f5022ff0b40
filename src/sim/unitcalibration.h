#pragma once
// The calibration a real unit carries: gains a little off nominal and zeros a
// few counts off mid-scale, as each board's converter and dividers come out.

#include "core/scope/oscileeprom.h"

#include <cstdint>

namespace wavix {

struct SimDate {
    int year = 2024;
    int month = 1;
    int day = 1;
};

// Two decimal digits packed into one byte (42 -> 0x42).
std::uint8_t ToBcd(int twoDigits);

// The true characteristics of the board with this serial, calibrated on `date`.
SOscil_EEPROM UnitCalibration(std::uint32_t serial, SimDate date);

} // namespace wavix
