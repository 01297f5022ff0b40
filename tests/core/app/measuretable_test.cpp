// The measurement table window's span, stored rows and redraw pacing.

#include "core/app/measuretable.h"

#include "core/display/measurecursors.h"
#include "core/display/scopezoom.h"
#include "core/settings/ini.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

TEST(MeasureTableSpan, FollowsZoomAndCursorsInEitherOrder) {
    CScopeZoom zoom;
    zoom.SetGeometry(Rect{0, 0, 100, 100}, Rect{0, 100, 100, 110});
    CMeasureCursors cursors; // 25 % .. 75 %
    EXPECT_EQ(ShownSpan(1000, zoom, nullptr), (SampleSpan{0, 1000}));
    EXPECT_EQ(ShownSpan(1000, zoom, &cursors), (SampleSpan{250, 500}));
    cursors.SetPositions(90.0, 10.0);
    EXPECT_EQ(ShownSpan(1000, zoom, &cursors), (SampleSpan{100, 800}));
    cursors.SetPositions(-20.0, 140.0); // dragged past the plot
    EXPECT_EQ(ShownSpan(1000, zoom, &cursors), (SampleSpan{0, 1000}));

    zoom.ZoomToRange(Point{50, 0}, Point{75, 0}); // samples 500..750 shown
    EXPECT_EQ(ShownSpan(1000, zoom, nullptr), (SampleSpan{500, 250}));
    cursors.SetPositions(20.0, 60.0);
    EXPECT_EQ(ShownSpan(1000, zoom, &cursors), (SampleSpan{550, 100}));
    EXPECT_EQ(ShownSpan(0, zoom, &cursors), SampleSpan{});
    EXPECT_EQ(ShownSpan(-5, zoom, nullptr), SampleSpan{});
}

TEST(MeasureTableRows, KeptInTheIniAndReadBackSkippingWhatIsNotARow) {
    test::TempDir tmp;
    const CIni ini(tmp.path() / "Wavix.ini");
    CMeasurementTable table;
    ASSERT_TRUE(table.Add(1, "frequency_hz"));
    ASSERT_TRUE(table.Add(3, "rpm"));
    ASSERT_TRUE(SaveMeasureTable(ini, table, {true, true}));

    CMeasurementTable back;
    const MeasureTableSettings s = LoadMeasureTable(ini, back);
    EXPECT_TRUE(s.betweenCursors);
    EXPECT_TRUE(s.shown);
    EXPECT_EQ(FormatMeasureRows(back), "1:frequency_hz,3:rpm");

    struct Case {
        std::string_view text;
        std::string_view rows;
    };
    for (const Case& c : {
             Case{"", ""},
             Case{"2:vpp,,x,5:vpp,0:vpp,2:vpp,2:nothing,4:rms", "2:vpp,4:rms"},
             Case{"1x:vpp,:vpp,1:,99999999999:vpp,-1:vpp,3:mean", "3:mean"},
         }) {
        ParseMeasureRows(c.text, back);
        EXPECT_EQ(FormatMeasureRows(back), c.rows) << c.text;
    }

    std::string many;
    for (int i = 0; i < 40; ++i)
        for (const char* key : {"vmax", "vmin", "mean", "rms", "vpp", "period_s", "rpm", "teeth", "dwell_ms"})
            many += std::to_string(i % 4 + 1) + ':' + key + ',';
    ParseMeasureRows(many, back);
    EXPECT_EQ(back.Rows().size(), kMaxMeasureRows);
}

TEST(MeasureTableValue, ReadsWithItsUnitAndPrefixAndNothingWithoutAValue) {
    struct Case {
        std::string_view key;
        MeasureResult result;
        std::string_view text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Case& c : {
             Case{"injector_ms", MeasureResult::Of(0.0028134), "2.81 ms"},
             Case{"period_s", MeasureResult::Of(0.028134), "28.1 ms"},
             Case{"period_s", MeasureResult::Of(0.28134), "281 ms"},
             Case{"frequency_hz", MeasureResult::Of(1000.0), "1 kHz"},
             Case{"frequency_hz", MeasureResult::Of(999.96), "1000 Hz"},
             Case{"vmin", MeasureResult::Of(-12.5), "-12.5 bar"},
             Case{"vmax", MeasureResult::Of(0.0), "0 bar"},
             Case{"duty_percent", MeasureResult::Of(41.26), "41.3 %"},
             Case{"rpm", MeasureResult::Of(798.4), "798 rpm"},
             Case{"teeth", MeasureResult::Of(58.0), "58"},
             Case{"rpm", MeasureResult::Not(MeasureWhy::NoMissingTooth), ""},
             Case{"vpp", MeasureResult::Of(nan), ""},
         }) {
        const MeasureDef* def = FindMeasurement(c.key);
        ASSERT_NE(def, nullptr) << c.key;
        EXPECT_EQ(FormatMeasureValue(*def, c.result, "bar"), c.text) << c.key << " " << c.result.value;
    }
}

TEST(RefreshGate, DrawsAtMostOncePerIntervalAndLosesNoChange) {
    CRefreshGate gate(16);
    EXPECT_EQ(gate.Request(1000), 0U); // the first change draws at once
    EXPECT_EQ(gate.Request(1001), std::nullopt);
    gate.Drawn(1002);
    EXPECT_FALSE(gate.Pending());
    EXPECT_EQ(gate.Request(1010), 8U); // waits for the rest of the interval
    EXPECT_EQ(gate.Request(1011), std::nullopt);
    EXPECT_TRUE(gate.Pending());
    gate.Drawn(1018);
    EXPECT_EQ(gate.Request(1100), 0U);
    gate.Drawn(1100);
    EXPECT_EQ(gate.Request(0xFFFFFFF0U), 0U) << "a clock that wrapped back";
    gate.Drawn(0xFFFFFFF8U);
    EXPECT_EQ(gate.Request(2), 6U);

    // 117 groups a second for a second draw about 60 times.
    CRefreshGate paced(16);
    int draws = 0;
    constexpr std::uint32_t kNone = UINT32_MAX;
    std::uint32_t due = kNone;
    for (std::uint32_t t = 0; t < 1000; ++t) {
        if (due <= t) {
            paced.Drawn(t);
            ++draws;
            due = kNone;
        }
        if (t * 117 / 1000 != (t + 1) * 117 / 1000)
            if (const auto delay = paced.Request(t))
                due = t + *delay;
    }
    EXPECT_GE(draws, 55);
    EXPECT_LE(draws, 63);
}

} // namespace
} // namespace wavix
