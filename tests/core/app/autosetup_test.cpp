// Auto set-up against a modelled module: each record it is sent comes back
// confirmed and captured (window time plus transfer on the fake clock), with
// the converter clipping at the range's ends, so the runs meet what a live
// tester gives: clipping, too short windows, a wheel's gap only in a wide look.

#include "core/analysis/channelscale.h"
#include "core/app/autosetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace wavix {
namespace {

using Volts = std::function<double(double)>;

Volts Sine(double amplitude, double hz) {
    return [=](double t) { return amplitude * std::sin(2 * std::numbers::pi * hz * t); };
}
Volts Square(double low, double high, double hz, double duty) {
    return [=](double t) { return std::fmod(t * hz, 1.0) < duty ? high : low; };
}
// A 60-2 wheel: teeth of ±amplitude, two missing per revolution.
Volts Crank(double amplitude, double rpm) {
    return [=](double t) {
        const double pitch = std::fmod(t * rpm / 60.0, 1.0) * 60.0;
        if (pitch >= 58.0)
            return 0.0;
        return std::fmod(pitch, 1.0) < 0.5 ? amplitude : -amplitude;
    };
}
// Lean and rich in turn, slower than a window: successive captures see one or the other.
Volts Lambda() {
    return [](double t) { return std::fmod((t - 0.3) / 1.0222, 1.0) < 0.5 ? 0.9 : 0.1; };
}
Volts Flat(double v) {
    return [=](double) { return v; };
}

struct Module {
    std::vector<Volts> inputs; // channel 1..n
    tOscilExchange rec = DefaultOscilExchange();
    CFakeTickSource clock{1000};
    std::vector<std::vector<std::int32_t>> counts;
    double start = 0.0137; // free-running captures start anywhere
    unsigned noise = 12345;

    std::vector<AutoSetupChannel> Capture() {
        const int step = static_cast<int>(rec.time_base_ENUM);
        const std::uint32_t n = SamplesPerStep(step);
        const double dt = SamplePeriod(step);
        counts.assign(inputs.size(), {});
        std::vector<AutoSetupChannel> out;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const int ch = static_cast<int>(i) + 1;
            counts[i].resize(n);
            for (std::uint32_t k = 0; k < n; ++k) {
                noise = noise * 1103515245u + 12345u;
                const double c = VoltsToCounts(inputs[i](start + k * dt), rec.mux(ch)) +
                                 static_cast<int>((noise >> 16) % 5) - 2;
                counts[i][k] = std::clamp<std::int32_t>(static_cast<std::int32_t>(std::lround(c)), -512, 512);
            }
            out.push_back({ch, {counts[i], dt, 1.0}});
        }
        start += n * dt + 0.3111; // the next capture starts after this one went out
        clock.advance(static_cast<std::uint32_t>(n * dt * 1000.0) + 60);
        return out;
    }

    // Runs to the end; answers the capture rounds taken.
    int Run(CAutoSetup& setup) {
        setup.Start(rec);
        int captures = 0;
        while (setup.IsRunning() && captures < 50) {
            const std::vector<AutoSetupChannel> ch = Capture();
            ++captures;
            if (const auto next = setup.OnCapture(rec, false, ch))
                rec = *next;
        }
        return captures;
    }
};

tOscilExchange Start(int channels, int trigger = 1) {
    tOscilExchange r = DefaultOscilExchange(); // 1 V/div, 1 ms/div
    r.chann_num = static_cast<std::uint16_t>(channels);
    r.TR_channel = static_cast<std::uint16_t>(trigger);
    return r;
}

struct Case {
    const char* name;
    std::vector<Volts> inputs;
    int trigger;
    std::vector<int> ranges; // expected per channel
    int step;                // expected
    double levelVolts;       // expected middle of the trigger channel, on its range
    unsigned missing;
    unsigned missingChannels;
};

TEST(AutoSetup, SettlesRangesTimebaseAndLevelWithinTheLimit) {
    const std::vector<Case> cases = {
        // Clips at 1 V/div; 10 ms show half a period, so it looks wider first.
        {"sine 5 V 50 Hz", {Sine(5.0, 50.0)}, 1, {3}, 6, 0.0, kMissNone, 0},
        // Two to five periods after one wide look that finds no wheel; level in the middle.
        {"square 0-12 V 800 Hz", {Square(0.0, 12.0, 800.0, 0.3)}, 1, {4}, 3, 6.0, kMissNone, 0},
        // A wheel: one engine cycle (150 ms) in view.
        {"crank 60-2 at 800 rpm", {Crank(4.0, 800.0)}, 1, {3}, 8, 0.0, kMissNone, 0},
        // Each channel its own range; the trigger on channel 2.
        {"small and large",
         {Sine(0.3, 200.0), Square(-40.0, 40.0, 100.0, 0.5)},
         2,
         {0, 6},
         6,
         0.0,
         kMissNone,
         0},
        // Nothing to time on a flat trigger channel; its range still goes down.
        {"flat", {Flat(0.0)}, 1, {0}, 4, 0.0, kMissTimebase | kMissTrigger, 0},
        // A slow swing that one window shows only in part: the range that
        // clipped once is not taken again when a capture misses the top.
        {"lambda beside a wheel", {Crank(4.0, 800.0), Lambda()}, 1, {3, 1}, 8, 0.0, kMissNone, 0},
        // Beyond the largest range: said, not hidden.
        {"too large", {Square(-400.0, 400.0, 100.0, 0.5), Sine(1.0, 100.0)}, 2, {8, 1}, 6, 0.0, kMissRange, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Module m;
        m.inputs = c.inputs;
        m.rec = Start(static_cast<int>(c.inputs.size()), c.trigger);
        CAutoSetup setup(m.clock);
        const std::uint32_t began = m.clock.tickMs();
        m.Run(setup);
        EXPECT_FALSE(setup.IsRunning());
        EXPECT_LE(m.clock.tickMs() - began, CAutoSetup::kLimitMs);
        EXPECT_EQ(setup.Missing(), c.missing);
        EXPECT_EQ(setup.MissingChannels(), c.missingChannels);
        for (std::size_t i = 0; i < c.ranges.size(); ++i)
            EXPECT_EQ(m.rec.mux(static_cast<int>(i) + 1), c.ranges[i]) << "channel " << i + 1;
        EXPECT_EQ(static_cast<int>(m.rec.time_base_ENUM), c.step);
        if ((c.missing & kMissTrigger) == 0) {
            const double level = CountsToVolts(m.rec.TR_level - kTriggerLevelCentre, m.rec.mux(c.trigger));
            EXPECT_NEAR(level, c.levelVolts, 0.05 * RangeVoltPerDiv(m.rec.mux(c.trigger)) * 3);
        }
    }
}

TEST(AutoSetup, EndsAtTheLimitSayingWhatWasLeft) {
    // No capture at all.
    {
        Module m;
        CAutoSetup setup(m.clock);
        setup.Start(m.rec);
        m.clock.advance(CAutoSetup::kLimitMs - 1);
        EXPECT_FALSE(setup.OnTick());
        m.clock.advance(1);
        EXPECT_TRUE(setup.OnTick());
        EXPECT_EQ(setup.Missing(), kMissCapture);
    }
    // The module never confirms the record sent: captures at the old one and
    // dirty ones do not count as the answer.
    {
        Module m;
        m.inputs = {Sine(5.0, 50.0)};
        CAutoSetup setup(m.clock);
        setup.Start(m.rec);
        const auto sent = setup.OnCapture(m.rec, false, m.Capture());
        ASSERT_TRUE(sent.has_value());
        while (setup.IsRunning()) {
            EXPECT_FALSE(setup.OnCapture(m.rec, false, m.Capture()).has_value());
            EXPECT_FALSE(setup.OnCapture(*sent, true, m.Capture()).has_value());
        }
        EXPECT_EQ(setup.Rounds(), 1);
        EXPECT_EQ(setup.Missing() & (kMissRange | kMissCapture), kMissRange);
        EXPECT_EQ(setup.MissingChannels(), 1u);
    }
}

TEST(AutoSetup, UndoGivesTheRecordBeforeOnce) {
    Module m;
    m.inputs = {Square(0.0, 12.0, 1000.0, 0.3)};
    const tOscilExchange before = m.rec;
    CAutoSetup setup(m.clock);
    EXPECT_FALSE(setup.TakeUndo().has_value());
    m.Run(setup);
    ASSERT_NE(m.rec, before);
    EXPECT_EQ(setup.TakeUndo(), before);
    EXPECT_FALSE(setup.TakeUndo().has_value());
}

TEST(AutoSetup, VerdictNamesEachUnsettledPart) {
    const auto key = [](std::string_view k) { return std::string(k.substr(4)); };
    const struct {
        unsigned missing, channels;
        const char* line;
    } cases[] = {
        {kMissNone, 0, "1743"},
        {kMissCapture, 0, "1744 1748"},
        {kMissRange | kMissTrigger, 0b1010, "1744 1745 2, 4, 1747"},
        {kMissTimebase | kMissTrigger, 0, "1744 1746, 1747"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AutoSetupVerdict(c.missing, c.channels, key), c.line);
}

TEST(AutoSetup, StepShowingPicksTheShortestWindowThatHolds) {
    EXPECT_EQ(StepShowing(0.0), kStepMin);
    EXPECT_EQ(StepShowing(0.001), 1);   // 0.1 ms/div exactly
    EXPECT_EQ(StepShowing(0.0011), 2);
    EXPECT_EQ(StepShowing(0.15), 8);    // 20 ms/div
    EXPECT_EQ(StepShowing(1e6), kStepMax);
}

} // namespace
} // namespace wavix
