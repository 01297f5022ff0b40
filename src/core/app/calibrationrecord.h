#pragma once
// The record a calibration run sends: the default calibration marked as
// calibrated and dated today, with the password the service user types.
// The module checks the password; the program only keeps it within a u16.

#include "core/scope/oscileeprom.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace wavix {

struct CalendarDate {
    int year = 2000;
    int month = 1;
    int day = 1;
};

// Today on the local clock.
CalendarDate LocalToday();

// Default calibration, state 1, the date as BCD: year 0x2008, month 0x10, day 0x15.
SOscil_EEPROM PrepareCalibrationRecord(const CalendarDate& today);

// Bytes 8..11 as one word (day, month, century, year from the top), so that
// "%08X" reads DDMMYYYY.
std::uint32_t CalibrationDateWord(const SOscil_EEPROM& rec);

// The password field's text: a whole number 0..65535, blanks around it allowed.
// Anything else (empty, not a number, out of range) answers nothing.
std::optional<std::uint16_t> ParseCalibrationPassword(std::string_view text);

} // namespace wavix
