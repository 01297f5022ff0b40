#include "core/analysis/channelscale.h"

#include "core/scope/oscilexchange.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace wavix {
namespace {

// Half swings written out by hand: V/div × correction × 3 per range.
TEST(ChannelScale, CountsVoltsAndSecondsOfEveryRange) {
    const double halfSwing[9] = {0.78, 1.56, 3.12, 7.83, 15.66, 32.82, 65.64, 164.07, 328.14};
    for (int m = kRangeMin; m <= kRangeMax; ++m) {
        SCOPED_TRACE(m);
        EXPECT_NEAR(HalfSwingVolts(m), halfSwing[m], 1e-9);
        EXPECT_EQ(CountsToVolts(512, m), HalfSwingVolts(m));
        EXPECT_EQ(CountsToVolts(-256, m), -HalfSwingVolts(m) / 2);
        EXPECT_NEAR(VoltsToCounts(HalfSwingVolts(m) / 4, m), 128.0, 1e-9);
        EXPECT_NEAR(CountsPerVolt(m) * halfSwing[m], 512.0, 1e-9);
    }
    // 64 MHz / 32 = 2 MHz: 2000 samples are a millisecond.
    EXPECT_DOUBLE_EQ(SamplesToSeconds(2000, 32), 0.001);
    EXPECT_EQ(DividerRateHz(32), 2000000u);
    EXPECT_EQ(DividerRateHz(0), 0u);
    EXPECT_EQ(DividerRateHz(TimeBaseDivider(14)), SampleRateHz(14));
}

TEST(ChannelScale, ReadoutInProbeUnitsOnlyWithALoadedProbe) {
    tOscilExchange rec = DefaultOscilExchange();
    rec.mux(1) = 4; // 5 V/div: 512 counts are 15.66 V
    // A file's probe record keeps its ratio even when no probe was loaded.
    const struct {
        std::uint8_t loaded;
        const char* unit;
        double value; // of -256 counts
    } cases[] = {{0, "V", -7.83}, {1, "A", -78.3}};
    for (const auto& c : cases) {
        std::array<std::uint8_t, kProbeRecordSize> record{};
        record[0] = c.loaded;
        record[34] = 'A';
        const float ratio = 0.1f;
        std::memcpy(record.data() + 64, &ratio, sizeof ratio);
        CChannelData ch;
        ch.ApplySettings(rec, 1);
        ASSERT_TRUE(ch.ImportProbeRecord(record, ByteOrder::Little));
        const CChannelScale scale(ch);
        EXPECT_EQ(scale.Unit(), c.unit);
        EXPECT_NEAR(scale.Value(-256), c.value, 1e-5) << c.unit;
    }
}

} // namespace
} // namespace wavix
