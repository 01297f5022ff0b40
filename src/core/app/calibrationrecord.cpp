#include "core/app/calibrationrecord.h"

#include <algorithm>
#include <charconv>
#include <ctime>

namespace wavix {
namespace {

std::uint8_t bcd(int twoDigits) {
    const int v = std::clamp(twoDigits, 0, 99);
    return static_cast<std::uint8_t>(((v / 10) << 4) | (v % 10));
}

} // namespace

CalendarDate LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

SOscil_EEPROM PrepareCalibrationRecord(const CalendarDate& today) {
    SOscil_EEPROM rec = DefaultCalibration();
    rec.state = 1;
    const int year = std::clamp(today.year, 0, 9999);
    rec.year = static_cast<std::uint16_t>((bcd(year / 100) << 8) | bcd(year % 100));
    rec.month = bcd(today.month);
    rec.day = bcd(today.day);
    return rec;
}

std::uint32_t CalibrationDateWord(const SOscil_EEPROM& rec) {
    return std::uint32_t{rec.year} | (std::uint32_t{rec.month} << 16) | (std::uint32_t{rec.day} << 24);
}

std::optional<std::uint16_t> ParseCalibrationPassword(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    if (value < 0 || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace wavix
