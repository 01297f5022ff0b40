#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace wavix;

namespace {

tOscilExchange sampleRecord() {
    tOscilExchange r = DefaultOscilExchange();
    r.chann_num = 3;
    r.CH1_mux = 1;
    r.CH2_mux = 5;
    r.CH3_dc_on = CPL_GND;
    r.CH4_mux = 8;
    r.time_base_ENUM = 9;
    r.time_base = 640;
    r.samples_all = 50000;
    r.TR_channel = 3;
    r.TR_level = 700;
    r.TR_mode = TM_FREE | kStopBit;
    r.TR_rising = 0;
    r.TR_position = 0x01020304;
    return r;
}

} // namespace

TEST(OscilExchangeWire, VersionTwoIs46BytesWithTriggerPositionBigEndianAtTheEnd) {
    const tOscilExchange r = sampleRecord();
    std::array<std::uint8_t, 48> buf{};
    ASSERT_EQ(SerializeOscilExchange(r, buf), kOscilExchangeV2Size);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[1], 2);
    EXPECT_EQ((std::vector<std::uint8_t>{buf.begin() + 42, buf.begin() + 46}),
              (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(buf[36], 0x80); // stop bit in the high byte of TR_mode
    EXPECT_EQ(buf[37], 0x03);

    tOscilExchange back;
    ASSERT_TRUE(DeserializeOscilExchange(std::span<const std::uint8_t>(buf.data(), 46), back));
    EXPECT_EQ(back, r);
}

TEST(OscilExchangeWire, OtherVersionsAre40BytesAndReadBackWithoutVersionTwoFields) {
    tOscilExchange r = sampleRecord();
    r.version = 1;
    std::array<std::uint8_t, 48> buf{};
    ASSERT_EQ(SerializeOscilExchange(r, buf), kOscilExchangeV1Size);
    EXPECT_EQ(SerializeOscilExchange(r, std::span<std::uint8_t>(buf.data(), 39)), 0u);

    tOscilExchange back;
    ASSERT_TRUE(DeserializeOscilExchange(std::span<const std::uint8_t>(buf.data(), 40), back));
    r.ext_version = 0;
    r.TR_position = 0;
    EXPECT_EQ(back, r);

    tOscilExchange untouched = sampleRecord();
    EXPECT_FALSE(DeserializeOscilExchange(std::span<const std::uint8_t>(buf.data(), 39), untouched));
    EXPECT_EQ(untouched, sampleRecord());
}

TEST(OscilExchangeTables, LookupsOutsideTheTablesAnswerTheNearestEnd) {
    EXPECT_DOUBLE_EQ(RangeVoltPerDiv(-1), 0.25);
    EXPECT_DOUBLE_EQ(RangeVoltPerDiv(9), 100.0);
    EXPECT_DOUBLE_EQ(RangeCorrection(9), 1.0);
    EXPECT_DOUBLE_EQ(TimePerDivMs(0), 0.1);
    EXPECT_DOUBLE_EQ(TimePerDivMs(15), 5000.0);
    EXPECT_DOUBLE_EQ(SamplePeriod(0), 0.0);
    EXPECT_DOUBLE_EQ(SamplePeriod(15), 0.0);
    // Ten divisions at the sample rate, for every step.
    for (int s = kStepMin; s <= kStepMax; ++s)
        EXPECT_NEAR(SamplesPerStep(s), TimePerDivMs(s) * 10 / 1000.0 * SampleRateHz(s), 1e-6) << s;
}

TEST(OscilExchangeClamp, RecordsFromOutsideAreMadeSafe) {
    struct Case {
        std::uint16_t channels;
        std::uint16_t trChannel;
        std::uint16_t mux;
        std::uint32_t step;
        std::uint32_t timeBase;
        std::uint16_t expChannels;
        std::uint16_t expTrChannel;
        std::uint16_t expMux;
        std::uint32_t expStep;
        bool untouched;
    };
    const Case cases[] = {
        {2, 2, 3, 4, 320, 2, 2, 3, 4, true},
        {0, 1, 3, 4, 320, 1, 1, 3, 4, false}, // no channel would loop forever
        {5, 5, 3, 4, 320, 4, 4, 3, 4, false}, // a fifth channel would overrun
        {2, 4, 3, 4, 320, 2, 2, 3, 4, false}, // trigger on an idle channel
        {2, 0, 9, 0, 320, 2, 1, 8, 1, false},
        {1, 1, 2, 20, 0, 1, 1, 2, 14, false},
    };
    for (const Case& c : cases) {
        tOscilExchange r = DefaultOscilExchange();
        r.chann_num = c.channels;
        r.TR_channel = c.trChannel;
        r.CH1_mux = c.mux;
        r.time_base_ENUM = c.step;
        r.time_base = c.timeBase;
        EXPECT_EQ(ClampOscilExchange(r), c.untouched);
        EXPECT_EQ(r.chann_num, c.expChannels);
        EXPECT_EQ(r.TR_channel, c.expTrChannel);
        EXPECT_EQ(r.CH1_mux, c.expMux);
        EXPECT_EQ(r.time_base_ENUM, c.expStep);
        EXPECT_NE(r.time_base, 0u);
    }
}

TEST(Calibration, RangeZeroSharesTheEntryOfRangeOne) {
    const SOscil_EEPROM cal = DefaultCalibration();
    EXPECT_EQ(&cal.entryForRange(2, 0), &cal.entryForRange(2, 1));
    EXPECT_EQ(&cal.entryForRange(2, 8), &cal.entries[1][7]);
}
