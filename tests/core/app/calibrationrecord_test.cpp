#include "core/app/calibrationrecord.h"

#include "core/support/strformat.h"

#include <gtest/gtest.h>

#include <array>

namespace wavix {
namespace {

TEST(CalibrationRecord, PreparedRecordIsTheDefaultCalibratedTodayInBcd) {
    const SOscil_EEPROM rec = PrepareCalibrationRecord({2008, 10, 15});
    EXPECT_EQ(rec.state, 1);
    EXPECT_EQ(rec.size, kOscilEepromSize);
    EXPECT_EQ(rec.entries, DefaultCalibration().entries);
    EXPECT_EQ(StrFormat("%08X", CalibrationDateWord(rec)), "15102008");
    // On the wire the module reads the date word as it is shown.
    std::array<std::uint8_t, kOscilEepromSize> wire{};
    SerializeOscilEeprom(rec, wire, ByteOrder::Big);
    EXPECT_EQ((std::array<std::uint8_t, 4>{wire[8], wire[9], wire[10], wire[11]}),
              (std::array<std::uint8_t, 4>{0x15, 0x10, 0x20, 0x08}));

    EXPECT_EQ(StrFormat("%08X", CalibrationDateWord(PrepareCalibrationRecord({2031, 1, 9}))), "09012031");
}

TEST(CalibrationRecord, PasswordMustBeAWholeNumberWithinAWord) {
    struct Case {
        const char* text;
        std::optional<std::uint16_t> value;
    };
    const Case cases[] = {
        {"65535", 65535},
        {"0", 0},
        {" 42 ", 42},
        {"65536", std::nullopt},
        {"-1", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCalibrationPassword(c.text), c.value) << '"' << c.text << '"';
}

} // namespace
} // namespace wavix
