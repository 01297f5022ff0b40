#include "sim/rawconversion.h"
#include "sim/signalgenerator.h"
#include "sim/unitcalibration.h"

#include "core/scope/oscileeprom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace wavix {
namespace {

const double kVoltPerDiv[9] = {0.25, 0.5, 1.0, 2.5, 5.0, 10.0, 20.0, 50.0, 100.0};
const double kCorrection[9] = {1.04, 1.04, 1.04, 1.044, 1.044, 1.094, 1.094, 1.0938, 1.0938};

// The program's conversion of one raw value, written out independently.
int programCounts(int raw, const SOscil_EEPROM& cal, int ch, int m) {
    const int e = m > 0 ? m - 1 : 0;
    const SOscilCalEntry& c = cal.entries[static_cast<std::size_t>(ch - 1)][static_cast<std::size_t>(e)];
    double d = raw - c.zero;
    const double nominal = kVoltPerDiv[m] * kCorrection[m] * 3.0;
    if (d > 0)
        d = std::trunc(d * ((1023 - c.zero) * (2.0 * c.gainPos) / 100000.0) / nominal);
    if (d < 0)
        d = std::trunc(d * (c.zero * (2.0 * c.gainNeg) / 100000.0) / nominal);
    return static_cast<int>(std::clamp(d, -512.0, 512.0));
}

TEST(InverseCalibration, ProgramSeesTheIntendedVoltsWithinOneCount) {
    for (const SOscil_EEPROM& cal : {UnitCalibration(16, {}), UnitCalibration(99, {}), DefaultCalibration()})
        for (int ch = 1; ch <= 4; ++ch)
            for (int m = 0; m <= 8; ++m) {
                const double nominal = kVoltPerDiv[m] * kCorrection[m] * 3.0;
                // Range 0 doubles the counts, so its step is two counts.
                const double tolerance = m == 0 ? 2.0 : 1.0;
                for (double f = -0.97; f <= 0.97; f += 0.0137) {
                    const double volts = f * nominal;
                    const int raw = VoltsToRaw(volts, cal.entryForRange(ch, m), m);
                    const double want = volts * 512.0 / nominal;
                    EXPECT_LE(std::abs(programCounts(raw, cal, ch, m) - want), tolerance)
                        << "ch " << ch << " range " << m << " volts " << volts;
                }
            }
}

TEST(InverseCalibration, BeyondTheRangeTheConverterClips) {
    const SOscil_EEPROM cal = UnitCalibration(16, {});
    EXPECT_EQ(VoltsToRaw(350.0, cal.entryForRange(2, 4), 4), 1023);
    EXPECT_EQ(VoltsToRaw(-40.0, cal.entryForRange(2, 4), 4), 0);
    EXPECT_EQ(VoltsToRaw(0.0, cal.entryForRange(2, 4), 4), cal.entryForRange(2, 4).zero);
}

TEST(SignalGenerator, NoiseIsAFewCounts) {
    const CSignalGenerator g(11);
    int nonZero = 0;
    for (std::int64_t i = 0; i < 10000; ++i) {
        const int n = g.noiseCounts(1, i);
        ASSERT_LE(std::abs(n), 3);
        nonZero += n != 0;
    }
    EXPECT_GT(nonZero, 2000);
}

// Extremes of each signal over one engine cycle at idle, sampled at 1 MHz.
struct Extremes {
    double lo = 1e9, hi = -1e9;
};
Extremes extremes(const CSignalGenerator& g, int ch, double from, double span) {
    Extremes e;
    for (double t = from; t < from + span; t += 1e-6) {
        const double v = g.volts(ch, t);
        e.lo = std::min(e.lo, v);
        e.hi = std::max(e.hi, v);
    }
    return e;
}

TEST(SignalGenerator, LooksLikeTheWorkshopSignals) {
    const CSignalGenerator g(1, 800.0);
    const double cycle = 0.15; // two turns at 800 rpm
    const Extremes crank = extremes(g, 1, 1.0, cycle);
    EXPECT_GT(crank.hi, 9.0);
    EXPECT_LT(crank.lo, -9.0);
    EXPECT_LT(crank.hi, 22.0); // the gap swings larger, but not wildly
    const Extremes coil = extremes(g, 2, 1.0, cycle);
    EXPECT_NEAR(coil.hi, 350.0, 1.0); // clipped spike
    EXPECT_LT(coil.lo, 1.5);          // dwell
    const Extremes inj = extremes(g, 3, 1.0, cycle);
    EXPECT_GT(inj.hi, 60.0);
    EXPECT_LT(inj.hi, 80.0);
    EXPECT_LT(inj.lo, 0.5);
    const Extremes lambda = extremes(g, 4, 0.0, 3.0);
    EXPECT_GT(lambda.lo, 0.1);
    EXPECT_LT(lambda.lo, 0.2);
    EXPECT_GT(lambda.hi, 0.7);
    EXPECT_LT(lambda.hi, 0.9);
    // Battery between events.
    EXPECT_NEAR(g.dcLevel(2), 13.8, 0.01);
}

} // namespace
} // namespace wavix
