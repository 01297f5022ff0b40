#include "core/files/logchartnavigator.h"
#include "core/settings/builtintexts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace wavix {
namespace {

TEST(LogChartTime, SplitsWholeSecondsAndRoundsTheRest) {
    const std::pair<double, const char*> cases[] = {{3725.4, "01:02:05"},
                                                    {59.6, "00:00:60"},
                                                    {90061.0, "25:01:01"},
                                                    {-3.0, "00:00:00"},
                                                    {std::nan(""), "00:00:00"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(FormatHoursMinutesSeconds(seconds), text) << seconds;
}

// Time labels and mark times keep hundredths; from a minute on minutes and seconds.
TEST(LogChartTime, LogTimesToTheHundredth) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "0.00 s"},          {0.25, "250.00 ms"}, {0.0001, "100.00 us"},
        {3.5, "3.50 s"},          {59.994, "59.99 s"}, {59.999, "1:00.00 min"},
        {3725.4, "62:05.40 min"}, {-1.0, "0.00 s"},    {std::nan(""), "0.00 s"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(FormatLogTime(seconds), text) << seconds;
}

CLogChartNavigator loaded(std::int64_t total, int factor = CLogChartNavigator::kFactorDefault) {
    CLogChartNavigator nav;
    nav.Reset();
    nav.SetFactor(factor);
    nav.SetLog(total);
    return nav;
}

TEST(LogChartNavigator, FactorStepsStopAtTheirEndsAndNeedALog) {
    auto nav = loaded(1'000'000, 1);
    EXPECT_FALSE(nav.FactorDown());
    EXPECT_TRUE(nav.FactorUp());
    EXPECT_EQ(nav.Window(), 20000);
    nav.SetFactor(15);
    EXPECT_FALSE(nav.FactorUp());
    EXPECT_EQ(nav.Window(), 150000);

    nav.CloseLog();
    EXPECT_FALSE(nav.SetFactor(7)); // nothing to read again
    EXPECT_EQ(nav.Window(), 70000);
}

struct ShortLogCase {
    std::int64_t total;
    int factor;
    std::int64_t window, position;
};

class ShortLog : public ::testing::TestWithParam<ShortLogCase> {};

// The factor is lowered until the window fits; below one unit the whole log is
// the window, never a factor of 0 or a division by total - window = 0.
TEST_P(ShortLog, WindowFitsTheLog) {
    const auto& c = GetParam();
    auto nav = loaded(c.total);
    EXPECT_EQ(nav.Factor(), c.factor);
    EXPECT_EQ(nav.Window(), c.window);
    EXPECT_EQ(nav.Position(), c.position);
    EXPECT_FALSE(nav.FactorUp());
    EXPECT_EQ(nav.PositionText().find("nan"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Totals, ShortLog,
                         ::testing::Values(ShortLogCase{25000, 2, 20000, 5000},
                                           ShortLogCase{50000, 5, 50000, 0}, ShortLogCase{3000, 1, 3000, 0},
                                           ShortLogCase{0, 1, 0, 0}));

struct StepCase {
    std::int64_t total;
    int factor;
    std::int64_t from;
    int step; // +1 ">", -1 "<", 0 slider released at `from`
    bool moved;
    std::int64_t to;
};

class PositionStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(PositionStep, MovesOnlyWithinTheLog) {
    const auto& c = GetParam();
    auto nav = loaded(c.total, c.factor);
    if (c.step == 0) {
        EXPECT_EQ(nav.SetPosition(c.from), c.moved);
    } else {
        nav.SetPosition(c.from);
        EXPECT_EQ(c.step > 0 ? nav.PositionForward() : nav.PositionBack(), c.moved);
    }
    EXPECT_EQ(nav.Position(), c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PositionStep,
    ::testing::Values(StepCase{100000, 5, 25000, +1, true, 50000},
                      StepCase{100000, 5, 30000, +1, false, 30000}, StepCase{100000, 5, 25000, -1, true, 0},
                      StepCase{100000, 5, 20000, -1, false, 20000},
                      // total - window - window / 2 is negative: it must not wrap into a huge limit.
                      StepCase{40000, 3, 0, +1, false, 0}, StepCase{3000, 5, 0, +1, false, 0},
                      StepCase{100000, 5, 999999, 0, true, 50000}, StepCase{100000, 5, -7, 0, false, 0}));

TEST(LogChartNavigator, WiderWindowOrShorterReloadPullsThePositionBack) {
    auto nav = loaded(200000);
    nav.SetPosition(150000);
    EXPECT_TRUE(nav.SetFactor(10));
    EXPECT_EQ(nav.Position(), 100000);
    EXPECT_TRUE(nav.SetLog(120000));
    EXPECT_EQ(nav.Position(), 20000);
}

TEST(LogChartNavigator, MarkSteppingCentresAndClamps) {
    auto nav = loaded(1'000'000);
    nav.SetMarks({{1, 10000, 1}, {2, 500000, 2}, {3, 990000, 1}});
    EXPECT_FALSE(nav.PreviousMark());
    EXPECT_FALSE(nav.NextMark()); // centred on 10000 clamps to 0, where the window already is
    EXPECT_TRUE(nav.NextMark());
    EXPECT_EQ(nav.Position(), 475000);
    EXPECT_TRUE(nav.NextMark());
    EXPECT_EQ(nav.Position(), 950000);
    EXPECT_FALSE(nav.NextMark());
    EXPECT_EQ(nav.ActiveMark(), 3);
    EXPECT_TRUE(nav.PreviousMark());
    EXPECT_TRUE(nav.PreviousMark());
    EXPECT_FALSE(nav.PreviousMark()); // below the first: none active, the window stays
    EXPECT_EQ(nav.ActiveMark(), 0);
    EXPECT_EQ(nav.Position(), 0);
}

TEST(LogChartNavigator, LabelTexts) {
    auto nav = loaded(100000);
    nav.SetSamplePeriod(0.5f);
    nav.SetPosition(25000);
    EXPECT_EQ(nav.PositionText(), "Pozice v souboru: 50.00 %, Čas : 03:28:20 (h:m:s)");
    EXPECT_EQ(nav.WindowText(),
              std::string(BuiltinText("TXT_1202")) + ": 50000 , Čas : 06:56:40 (h:m:s) = 416:40.00 min");
    nav.SetMarks({{1, 100, 1}, {2, 200, 2}});
    EXPECT_EQ(nav.MarkCountText(), "Počet značek: 2");
    EXPECT_EQ(nav.ActiveMarkText(), "Aktivní značka: ---, Ch: --- ");
    nav.GoToMark(2);
    EXPECT_EQ(nav.ActiveMarkText(), "Aktivní značka: 2, Ch: 2");
    EXPECT_EQ(nav.MarkTimeText(nav.Marks()[1]), "1:40.00 min");

    EXPECT_EQ(nav.MeasurementText(), "--");
    // Hundredths kept: 0.0088 % of the window is 2.2 s.
    const std::tuple<float, float, const char*> measures[] = {{1.0f, 1.0f, "Naměřený čas : 4:10.00 (m:s)"},
                                                              {0.502f, 2.0f, "Naměřený čas : 1:02.75 (m:s)"},
                                                              {0.0088f, 1.0f, "Naměřený čas : 0:02.20 (m:s)"},
                                                              {1.0f, 0.0f, "--"}};
    for (const auto& [percent, divisor, text] : measures) {
        nav.SetMeasurementPercentage(percent);
        nav.SetMeasurementDivisor(divisor);
        EXPECT_EQ(nav.MeasurementText(), text);
    }
}

} // namespace
} // namespace wavix
