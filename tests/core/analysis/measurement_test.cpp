// The measurements on signals whose answers are known: frequency and engine
// speed within 0.1 % over ten or more periods, pulse widths within a sample
// period, levels within a count, and the reason when a value cannot be had.

#include "core/analysis/measurement.h"
#include "core/analysis/measurementtable.h"
#include "core/scope/channeldata.h"
#include "core/settings/builtintexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <set>
#include <string>
#include <vector>

namespace wavix {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Repeatable converter noise of up to `amplitude` counts either way.
int noise(std::size_t i, int amplitude) {
    if (amplitude == 0)
        return 0;
    std::uint64_t x = i * 0x9E3779B97F4A7C15ULL + 12345;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<int>((x ^ (x >> 31)) % static_cast<std::uint64_t>(2 * amplitude + 1)) - amplitude;
}

// `n` samples of f(seconds) in units, as counts of `unitsPerCount`, clamped to the converter.
std::vector<std::int32_t> sampled(std::size_t n, double dt, double unitsPerCount, int noiseCounts,
                                  const std::function<double(double)>& f) {
    std::vector<std::int32_t> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const long c = std::lround(f(static_cast<double>(i) * dt) / unitsPerCount) + noise(i, noiseCounts);
        out[i] = static_cast<std::int32_t>(std::clamp(c, -512L, 512L));
    }
    return out;
}

// A square wave between two levels with linear edges of `ramp` seconds, starting mid-period.
double square(double t, double period, double duty, double low, double high, double ramp) {
    const double p = std::fmod(t + 0.37 * period, period);
    const double on = duty * period;
    if (p < ramp)
        return low + (high - low) * p / ramp;
    if (p < on)
        return high;
    if (p < on + ramp)
        return high - (high - low) * (p - on) / ramp;
    return low;
}

// An inductive crankshaft sensor: one sine per tooth pitch, a larger slower
// swing over the gap, the amplitude sagging over the span.
double crank(double t, double rpm, int pitches, int missing, double amplitude, double sag, double span) {
    const double pitch = std::fmod(t * rpm / 60.0 + 0.67, 1.0) * pitches;
    const double a = amplitude * (1.0 - sag * t / span);
    const int teeth = pitches - missing - 1;
    if (pitch < teeth)
        return a * std::sin(kTwoPi * pitch);
    return 1.6 * a * std::sin(kTwoPi * (pitch - teeth) / (missing + 1));
}

// Saturated injector low side: battery, near 0 V while open, clamped closing spike, decay.
double injector(double t, double cycle, double open, double battery) {
    const double s = std::fmod(t + 0.3 * cycle, cycle) - 0.02;
    if (s < 0.0)
        return battery;
    if (s < open)
        return 0.15 + 0.25 * s / open;
    const double r = s - open;
    if (r < 180e-6)
        return 70.0 - 5.0 * r / 180e-6;
    return battery + (65.0 - battery) * std::exp(-(r - 180e-6) / 60e-6);
}

// Ignition primary: dwell near 0 V, a clamped spike at switch-off, a burn line
// falling from 42 to 34 V, then a ring-down to battery.
double ignition(double t, double cycle, double dwell, double burn, double battery) {
    const double s = std::fmod(t + 0.4 * cycle, cycle);
    if (s < dwell)
        return 0.4 + 0.9 * s / dwell;
    const double r = s - dwell;
    if (r < 25e-6)
        return 350.0;
    if (r < 90e-6)
        return 42.0 + 308.0 * std::exp(-(r - 25e-6) / 12e-6);
    if (r < burn)
        return 42.0 - 8.0 * r / burn + 1.5 * std::sin(kTwoPi * 23e3 * r);
    const double q = r - burn;
    return battery - 15.0 * std::exp(-q / 0.3e-3) * std::sin(kTwoPi * 8e3 * q);
}

struct Expect {
    const char* key;
    double value;     // NaN: not measurable
    double tolerance; // absolute, in the value's unit
    MeasureWhy why = MeasureWhy::None;
};

struct Case {
    const char* name;
    std::size_t samples;
    double dt;
    double unitsPerCount;
    int noise;
    std::function<double(double)> signal;
    std::vector<Expect> expect;
};

Expect rel(const char* key, double value, double fraction) {
    return {key, value, value * fraction};
}
Expect none(const char* key, MeasureWhy why) {
    return {key, kNaN, 0.0, why};
}

std::vector<Case> cases() {
    using W = MeasureWhy;
    const double dt = 5e-6; // 200 kHz
    std::vector<Case> out;
    {
        const double f = 120.0, a = 300.0; // 12 whole periods: the mean is the offset
        out.push_back({"sine, 12 periods",
                       20000,
                       dt,
                       1.0,
                       0,
                       [=](double t) { return a * std::sin(kTwoPi * f * t + 0.3) + 20.0; },
                       {rel("frequency_hz", f, 1e-3),
                        rel("period_s", 1 / f, 1e-3),
                        {"duty_percent", 50.0, 100.0 * dt * f},
                        {"vmax", 320.0, 1.0},
                        {"vmin", -280.0, 1.0},
                        {"vpp", 600.0, 1.0},
                        {"mean", 20.0, 1.0},
                        {"rms", std::sqrt(400.0 + a * a / 2), 1.0},
                        // 10 to 90 % of the levels at the crests: asin(0.8) / pi of a period.
                        {"rise_s", std::asin(0.8) / std::numbers::pi / f, 0.01 / f},
                        none("rpm", W::NoMissingTooth),
                        none("injector_ms", W::NoInjection),
                        none("dwell_ms", W::NoSpark)}});
    }
    {
        // Small and slow against the noise: every crossing is a long walk through it.
        const double f = 52.5, a = 40.0;
        out.push_back(
            {"slow sine of 40 counts in noise",
             200000,
             dt,
             0.01,
             3,
             [=](double t) { return a * 0.01 * std::sin(kTwoPi * f * t); },
             {rel("frequency_hz", f, 1e-3), {"mean", 0.0, 0.01}, {"rms", a * 0.01 / std::sqrt(2.0), 0.01}}});
    }
    {
        // A 10:1 probe reading: units per count 0.5; levels -75 and 125 units.
        const double f = 1234.5, duty = 0.3, ramp = 30e-6, T = 1 / f;
        const double lo = -75.0, hi = 125.0, u = 0.5;
        const auto sq = [=](double t) { return square(t, T, duty, lo, hi, ramp); };
        // The time-weighted mean, ramps included.
        const double mean = lo + (hi - lo) * duty;
        out.push_back({"square 30 % with ramps in noise",
                       20000,
                       dt,
                       u,
                       3,
                       sq,
                       {rel("frequency_hz", f, 1e-3),
                        {"duty_percent", 30.0, 100.0 * dt / T},
                        {"width_positive_s", duty * T, dt},
                        {"width_negative_s", (1 - duty) * T, dt},
                        {"rise_s", 0.8 * ramp, dt},
                        {"fall_s", 0.8 * ramp, dt},
                        {"mean", mean, u}}});
        out.push_back({"square 30 % without noise",
                       20000,
                       dt,
                       u,
                       0,
                       sq,
                       {{"vmax", hi, u},
                        {"vmin", lo, u},
                        {"vpp", hi - lo, u},
                        {"duty_percent", 30.0, 100.0 * dt / T},
                        {"width_positive_s", duty * T, dt}}});
    }
    {
        // 60-2 at 800 rpm: ten turns, the amplitude sagging to 40 %.
        const double span = 0.76, v = 10.0, u = 25.0 / 512;
        out.push_back({"60-2 wheel at 800 rpm, ten turns",
                       static_cast<std::size_t>(span / 10e-6),
                       10e-6,
                       u,
                       3,
                       [=](double t) { return crank(t, 800.0, 60, 2, v, 0.6, span); },
                       {rel("rpm", 800.0, 1e-3),
                        {"teeth", 58, 0},
                        {"missing_teeth", 2, 0},
                        none("injector_ms", W::NoInjection)}});
        // One screen of 5 ms/div: less than a turn, one gap; the wheel is taken as 60-2.
        out.push_back({"60-2 wheel at 700 rpm, one gap",
                       5000,
                       10e-6,
                       u,
                       3,
                       [=](double t) { return crank(t, 700.0, 60, 2, v, 0.2, 0.05); },
                       {rel("rpm", 700.0, 1e-3), {"teeth", 58, 0}, {"missing_teeth", 2, 0}}});
        out.push_back({"36-1 wheel at 3000 rpm",
                       50000,
                       10e-6,
                       u,
                       3,
                       [=](double t) { return crank(t, 3000.0, 36, 1, v, 0.3, 0.5); },
                       {rel("rpm", 3000.0, 1e-3), {"teeth", 35, 0}, {"missing_teeth", 1, 0}}});
    }
    {
        const double u = 80.0 / 512;
        out.push_back(
            {"injector 3.2 ms, two injections",
             60000,
             dt,
             u,
             2,
             [=](double t) { return injector(t, 0.15, 3.2e-3, 13.8); },
             {{"injector_ms", 3.2e-3, dt}, none("dwell_ms", W::NoSpark), none("rpm", W::NoMissingTooth)}});
    }
    {
        const double u = 400.0 / 512;
        const auto coil = [](double t) { return ignition(t, 0.15, 4e-3, 1.5e-3, 13.8); };
        out.push_back({"ignition: dwell 4 ms, burn 1.5 ms",
                       60000,
                       dt,
                       u,
                       2,
                       coil,
                       {{"dwell_ms", 4e-3, dt},
                        {"burn_ms", 1.5e-3, dt},
                        {"peak_v", 350.0, 3 * u},
                        none("injector_ms", W::NoInjection)}});
        // Through a 10:1 probe on 20 V/div: the dwell lies only ten counts below the battery.
        out.push_back(
            {"ignition on a coarse range",
             60000,
             dt,
             1.282,
             2,
             coil,
             {{"dwell_ms", 4e-3, dt}, {"burn_ms", 1.5e-3, dt}, none("injector_ms", W::NoInjection)}});
        // On a range the spike runs off: the peak is not known, the times are.
        out.push_back({"ignition clipped at 200 V",
                       60000,
                       dt,
                       200.0 / 512,
                       2,
                       coil,
                       {{"dwell_ms", 4e-3, dt},
                        none("peak_v", W::Clipped),
                        none("vmax", W::Clipped),
                        none("vpp", W::Clipped)}});
    }
    out.push_back({"one pulse",
                   2000,
                   dt,
                   1.0,
                   1,
                   [](double t) { return t > 2e-3 && t < 5e-3 ? 200.0 : 0.0; },
                   {none("frequency_hz", W::NoFullPeriod),
                    none("duty_percent", W::NoFullPeriod),
                    {"width_positive_s", 3e-3, dt},
                    none("width_negative_s", W::NoFullPulse),
                    {"vmax", 200.0, 1.0}}});
    out.push_back({"flat line in noise",
                   2000,
                   dt,
                   1.0,
                   3,
                   [](double) { return 100.0; },
                   {none("frequency_hz", W::NoSwing),
                    none("rise_s", W::NoSwing),
                    none("rpm", W::NoSwing),
                    {"mean", 100.0, 1.0}}});
    out.push_back({"no samples",
                   0,
                   dt,
                   1.0,
                   0,
                   [](double) { return 0.0; },
                   {none("vmax", W::NoSamples), none("frequency_hz", W::NoSamples),
                    none("injector_ms", W::NoSamples)}});
    return out;
}

TEST(Measurement, KnownSignalsGiveTheirValuesOrSayWhyNot) {
    CSignalAnalysis a; // one for all: a span's results must not leak into the next
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const auto samples = sampled(c.samples, c.dt, c.unitsPerCount, c.noise, c.signal);
        a.Reset({samples, c.dt, c.unitsPerCount});
        for (const Expect& e : c.expect) {
            const MeasureDef* def = FindMeasurement(e.key);
            ASSERT_NE(def, nullptr) << e.key;
            const MeasureResult r = Measure(*def, a);
            EXPECT_EQ(r.why, e.why) << e.key << ": " << MeasureWhyText(r.why);
            if (e.why == MeasureWhy::None)
                EXPECT_NEAR(r.value, e.value, e.tolerance) << e.key;
            else
                EXPECT_TRUE(std::isnan(r.value)) << e.key;
        }
    }
}

TEST(Measurement, RegistryKeysTextsAndReasonsAreComplete) {
    std::set<std::string_view> keys;
    for (const MeasureDef& d : Measurements()) {
        EXPECT_TRUE(keys.insert(d.key).second) << d.key;
        EXPECT_FALSE(BuiltinText(d.textKey).empty()) << d.key;
        EXPECT_EQ(FindMeasurement(d.key), &d);
    }
    EXPECT_EQ(FindMeasurement("nonsense"), nullptr);
    for (int w = static_cast<int>(MeasureWhy::NoSamples); w <= static_cast<int>(MeasureWhy::NoFullBurn);
         ++w) {
        const auto why = static_cast<MeasureWhy>(w);
        EXPECT_FALSE(MeasureWhyText(why).empty()) << w;
        EXPECT_FALSE(BuiltinText(MeasureWhyKey(why)).empty()) << w;
    }
}

// Rows keep their results in step through removals, and every evaluation
// measures the spans it is given, not those of the last one.
TEST(Measurement, TableRowsFollowTheirChannelsSpans) {
    CMeasurementTable table;
    EXPECT_TRUE(table.Add(1, "vmax"));
    EXPECT_TRUE(table.Add(2, "vmax"));
    EXPECT_TRUE(table.Add(3, "mean"));
    EXPECT_TRUE(table.Add(1, "vmin"));
    EXPECT_FALSE(table.Add(1, "vmax")); // already there
    EXPECT_FALSE(table.Add(0, "vmax"));
    EXPECT_FALSE(table.Add(kChannelCount + 1, "vmax"));
    EXPECT_FALSE(table.Add(1, "nonsense"));
    ASSERT_EQ(table.Results().size(), 4u);
    EXPECT_EQ(table.Results()[0].why, MeasureWhy::NoSamples);

    const std::vector<std::int32_t> a{1, 5, -3}, b{7, 9, 2}, c{-1, -2, -4};
    const SignalInput two[] = {{a, 1e-3, 2.0}, {b, 1e-3, 1.0}};
    table.Evaluate(two);
    const double expected[] = {10.0, 9.0, kNaN, -6.0};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        if (std::isnan(expected[i]))
            EXPECT_EQ(table.Results()[i].why, MeasureWhy::NoSamples);
        else
            EXPECT_DOUBLE_EQ(table.Results()[i].value, expected[i]);
    }
    // A channel without time base or with a probe ratio of 0 has no finite values.
    EXPECT_TRUE(table.Add(2, "frequency_hz"));
    const std::vector<std::int32_t> square{0, 0, 100, 100, 0, 0, 100, 100, 0, 0, 100, 100};
    const SignalInput unscaled[] = {{a, 1e-3, std::numeric_limits<double>::infinity()}, {square, 0.0, 1.0}};
    table.Evaluate(unscaled);
    EXPECT_EQ(table.Results()[0].why, MeasureWhy::NoScale);
    EXPECT_EQ(table.Results()[4].why, MeasureWhy::NoScale);
    table.Remove(4);
    table.Remove(1);
    table.Remove(9);
    const SignalInput next[] = {{c, 1e-3, 1.0}, {b, 1e-3, 1.0}, {a, 1e-3, 1.0}};
    table.Evaluate(next);
    ASSERT_EQ(table.Rows().size(), 3u);
    EXPECT_EQ(table.Rows()[1].channel, 3);
    EXPECT_DOUBLE_EQ(table.Results()[0].value, -1.0);
    EXPECT_DOUBLE_EQ(table.Results()[1].value, 1.0);
    EXPECT_DOUBLE_EQ(table.Results()[2].value, -4.0);
}

// Values no converter gives (a damaged file) count at its ends, not as overflowing sums.
TEST(Measurement, ValuesBeyondTheConverterCountAtItsEnds) {
    std::vector<std::int32_t> wild(1030, 2'000'000'000);
    wild[5] = -2'000'000'000;
    CSignalAnalysis a;
    a.Reset({wild, 1e-3, 1.0});
    EXPECT_EQ(a.Stats().max, 1535);
    EXPECT_EQ(a.Stats().min, -512);
    EXPECT_NEAR(a.Stats().mean, (1029.0 * 1535 - 512) / 1030, 1e-9);
    EXPECT_NEAR(a.Stats().rms, std::sqrt((1029.0 * 1535 * 1535 + 512 * 512) / 1030), 1e-9);
}

TEST(Measurement, ChannelSpanStaysWithinTheReceivedSamples) {
    CChannelData ch;
    ch.ApplySettings(DefaultOscilExchange(), 1);
    ch.WritableSamples(100);
    ch.SetSampleCount(100);
    const struct {
        std::uint32_t from, count;
        std::size_t size;
    } spans[] = {{0, std::numeric_limits<std::uint32_t>::max(), 100},
                 {90, 50, 10},
                 {100, 5, 0},
                 {4000000000u, 4000000000u, 0},
                 {10, 0, 0},
                 {20, 30, 30}};
    for (const auto& s : spans) {
        SCOPED_TRACE(s.from);
        const SignalInput in = ChannelSignal(ch, s.from, s.count);
        EXPECT_EQ(in.counts.size(), s.size);
        EXPECT_NEAR(in.secondsPerSample, ch.GetSamplePeriod(), 1e-12);
    }
}

} // namespace
} // namespace wavix
