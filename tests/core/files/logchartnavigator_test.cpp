#include "core/files/logchartnavigator.h"

#include "core/scope/channeldata.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace wavix {
namespace {

struct HmsCase {
    double seconds;
    const char* text;
};

class HoursMinutesSeconds : public ::testing::TestWithParam<HmsCase> {};

TEST_P(HoursMinutesSeconds, SplitsWholeSecondsAndRoundsTheRest) {
    EXPECT_EQ(FormatHoursMinutesSeconds(GetParam().seconds), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Times, HoursMinutesSeconds,
                         ::testing::Values(HmsCase{3725.4, "01:02:05"}, HmsCase{59.6, "00:00:60"},
                                           HmsCase{0.0, "00:00:00"}, HmsCase{3600.0, "01:00:00"},
                                           HmsCase{90061.0, "25:01:01"}, HmsCase{-3.0, "00:00:00"},
                                           HmsCase{std::nan(""), "00:00:00"}));

LogMark mark(int number, std::uint32_t position, int kind) {
    return LogMark{number, position, kind};
}

CLogChartNavigator loaded(std::int64_t total, int factor = CLogChartNavigator::kFactorDefault) {
    CLogChartNavigator nav;
    nav.Reset();
    nav.SetFactor(factor);
    nav.SetLog(total);
    return nav;
}

TEST(LogChartNavigator, FactorStepsStopAtTheirEnds) {
    auto nav = loaded(1'000'000, 1);
    EXPECT_FALSE(nav.FactorDown());
    EXPECT_EQ(nav.Factor(), 1);
    EXPECT_TRUE(nav.FactorUp());
    EXPECT_EQ(nav.Window(), 20000);

    nav.SetFactor(15);
    EXPECT_FALSE(nav.FactorUp());
    EXPECT_EQ(nav.Factor(), 15);
    EXPECT_EQ(nav.Window(), 150000);
}

TEST(LogChartNavigator, WithoutALogNothingAsksForARead) {
    CLogChartNavigator nav;
    nav.Reset();
    EXPECT_FALSE(nav.SetFactor(7));
    EXPECT_EQ(nav.Window(), 70000);
    EXPECT_FALSE(nav.SetPosition(100));
    EXPECT_FALSE(nav.PositionForward());
}

struct ShortLogCase {
    std::int64_t total;
    int factor;
    std::int64_t window;
    std::int64_t position;
};

class ShortLog : public ::testing::TestWithParam<ShortLogCase> {};

// A log shorter than the window lowers the factor until it fits, and below one
// unit shows the whole log instead of a window of nothing or less.
TEST_P(ShortLog, WindowFitsTheLog) {
    const auto& c = GetParam();
    auto nav = loaded(c.total);
    EXPECT_EQ(nav.Factor(), c.factor);
    EXPECT_EQ(nav.Window(), c.window);
    EXPECT_EQ(nav.Position(), c.position);
    EXPECT_GE(nav.MaxPosition(), 0);
    EXPECT_EQ(nav.PositionText().find("nan"), std::string::npos);
    EXPECT_FALSE(nav.FactorUp());
}

INSTANTIATE_TEST_SUITE_P(Totals, ShortLog,
                         ::testing::Values(ShortLogCase{25000, 2, 20000, 5000}, ShortLogCase{50000, 5, 50000, 0},
                                           ShortLogCase{10000, 1, 10000, 0}, ShortLogCase{3000, 1, 3000, 0},
                                           ShortLogCase{0, 1, 0, 0}));

TEST(LogChartNavigator, TinyLogNeitherStepsNorDividesByZero) {
    auto nav = loaded(3000);
    EXPECT_FALSE(nav.PositionForward());
    EXPECT_FALSE(nav.PositionBack());
    EXPECT_FALSE(nav.SetPosition(500));
    EXPECT_EQ(nav.Position(), 0);
    EXPECT_EQ(nav.PositionText(), "Pozice v souboru: 0.00 %, Čas : 00:00:00 (h:m:s)");
}

struct StepCase {
    std::int64_t total;
    int factor;
    std::int64_t from;
    bool forward;
    bool moved;
    std::int64_t to;
};

class PositionStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(PositionStep, MovesHalfAWindowOnlyWhenItFits) {
    const auto& c = GetParam();
    auto nav = loaded(c.total, c.factor);
    nav.SetPosition(c.from);
    ASSERT_EQ(nav.Position(), c.from);
    EXPECT_EQ(c.forward ? nav.PositionForward() : nav.PositionBack(), c.moved);
    EXPECT_EQ(nav.Position(), c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PositionStep,
    ::testing::Values(StepCase{100000, 5, 0, true, true, 25000}, StepCase{100000, 5, 25000, true, true, 50000},
                      StepCase{100000, 5, 30000, true, false, 30000},
                      StepCase{100000, 5, 25000, false, true, 0}, StepCase{100000, 5, 20000, false, false, 20000},
                      // total - window - window / 2 is negative here; it must not wrap to a huge limit.
                      StepCase{40000, 3, 0, true, false, 0}));

TEST(LogChartNavigator, SliderReleaseIsClampedIntoTheLog) {
    auto nav = loaded(100000);
    EXPECT_TRUE(nav.SetPosition(999999));
    EXPECT_EQ(nav.Position(), 50000);
    EXPECT_FALSE(nav.SetPosition(50000));
    EXPECT_TRUE(nav.SetPosition(-7));
    EXPECT_EQ(nav.Position(), 0);
}

TEST(LogChartNavigator, WiderWindowAtTheEndPullsThePositionBack) {
    auto nav = loaded(200000, 5);
    nav.SetPosition(150000);
    EXPECT_TRUE(nav.SetFactor(10));
    EXPECT_EQ(nav.Position(), 100000);
    // A reload keeps the position and applies the factor again.
    EXPECT_TRUE(nav.SetLog(120000));
    EXPECT_EQ(nav.Position(), 20000);
    EXPECT_EQ(nav.Window(), 100000);
}

TEST(LogChartNavigator, MarkSteppingCentresAndClamps) {
    auto nav = loaded(1'000'000);
    nav.Marks() = {mark(1, 10000, 1), mark(2, 500000, 2), mark(3, 990000, 1)};

    EXPECT_FALSE(nav.PreviousMark()); // none active yet
    EXPECT_EQ(nav.ActiveMark(), 0);
    EXPECT_FALSE(nav.NextMark()); // centring on 10000 clamps to 0, where the window already is
    EXPECT_EQ(nav.ActiveMark(), 1);
    EXPECT_TRUE(nav.NextMark());
    EXPECT_EQ(nav.Position(), 475000);
    EXPECT_TRUE(nav.NextMark());
    EXPECT_EQ(nav.Position(), 950000); // clamped to total - window
    EXPECT_FALSE(nav.NextMark());
    EXPECT_EQ(nav.ActiveMark(), 3);
    EXPECT_TRUE(nav.PreviousMark());
    EXPECT_EQ(nav.ActiveMark(), 2);
    EXPECT_TRUE(nav.PreviousMark());
    EXPECT_EQ(nav.Position(), 0);
    EXPECT_FALSE(nav.PreviousMark()); // below the first: none active, the window stays
    EXPECT_EQ(nav.ActiveMark(), 0);
    EXPECT_EQ(nav.Position(), 0);
}

TEST(LogChartNavigator, MarksInWindowAreStrictlyInsideAndRelative) {
    auto nav = loaded(1'000'000);
    nav.SetPosition(10000);
    nav.Marks() = {mark(1, 10000, 1), mark(2, 10001, 2), mark(3, 59999, 1), mark(4, 60000, 1),
                   mark(5, 5, 1)};
    const auto inside = nav.MarksInWindow();
    ASSERT_EQ(inside.size(), 2u);
    EXPECT_EQ(inside[0].number, 2);
    EXPECT_EQ(inside[0].position, 1u);
    EXPECT_EQ(inside[0].kind, 2);
    EXPECT_EQ(inside[1].number, 3);
    EXPECT_EQ(inside[1].position, 49999u);
}

TEST(LogChartNavigator, LabelTexts) {
    auto nav = loaded(100000);
    nav.SetSamplePeriod(0.001f);
    nav.SetPosition(25000);
    EXPECT_EQ(nav.PositionText(), "Pozice v souboru: 50.00 %, Čas : 00:00:25 (h:m:s)");
    EXPECT_EQ(nav.WindowText(), "Okno: 50000 , Čas : 00:00:50 (h:m:s)");

    nav.Marks() = {mark(1, 100, 1), mark(2, 200, 2)};
    EXPECT_EQ(nav.MarkCountText(), "Počet značek: 2");
    EXPECT_EQ(nav.ActiveMarkText(), "Aktivní značka: ---, Ch: --- ");
    nav.GoToMark(2);
    EXPECT_EQ(nav.ActiveMarkText(), "Aktivní značka: 2, Ch: 2");
}

struct MeasureCase {
    float percent;
    float divisor;
    const char* text;
};

class Measurement : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(Measurement, TruncatesToWholeSeconds) {
    auto nav = loaded(1'000'000);
    nav.SetSamplePeriod(0.5f);
    nav.SetMeasurementPercentage(GetParam().percent);
    nav.SetMeasurementDivisor(GetParam().divisor);
    EXPECT_EQ(nav.MeasurementText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, Measurement,
                         ::testing::Values(MeasureCase{1.0f, 1.0f, "Měření : 4:10.00 (m:s)"},
                                           MeasureCase{0.502f, 2.0f, "Měření : 1:2.00 (m:s)"},
                                           MeasureCase{-1.0f, 1.0f, "--"}, MeasureCase{50.0f, 0.0f, "--"},
                                           MeasureCase{std::numeric_limits<float>::infinity(), 1.0f, "--"}));

TEST(LogChartNavigator, ChannelListTakesTheFirstChannelsTriggerAndTimebase) {
    tOscilExchange rec = DefaultOscilExchange();
    rec.chann_num = 2;
    rec.CH1_mux = 4;
    rec.CH1_dc_on = CPL_DC;
    rec.CH2_mux = 4;
    rec.CH2_dc_on = CPL_AC;
    rec.time_base_ENUM = 1;
    rec.TR_mode = TM_FREE;
    CChannelData a;
    CChannelData b;
    a.ApplySettings(rec, 1);
    b.ApplySettings(rec, 2);
    a.SetName("A");
    b.SetName("B");
    CChannelData* channels[] = {&a, nullptr, &b};

    CLogChartNavigator nav;
    const auto lines = nav.ChannelListLines(channels);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "A: " + a.RangeText() + ", DC");
    EXPECT_EQ(lines[1], "B: " + b.RangeText() + ", AC");
    EXPECT_EQ(lines[2], "Časová základna: 100.00 us/dílek");
    EXPECT_EQ(lines[3], "Režim spouštění: FREE");
    EXPECT_EQ(lines[4], "Hrana spouštění: " + a.EdgeText());
    EXPECT_EQ(lines[5].rfind("Úroveň spouštění: ", 0), 0u);
    EXPECT_FLOAT_EQ(nav.GetSamplePeriod(), static_cast<float>(SamplePeriod(1)));
}

} // namespace
} // namespace wavix
