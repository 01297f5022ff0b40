#include "core/display/columnreduce.h"
#include "core/display/comparison.h"
#include "core/display/displaygeometry.h"
#include "core/display/tracebuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace wavix {
namespace {

TEST(DisplayLayout, RectanglesFollowMarginsWithAndWithoutZoomBar) {
    const Rect client{0, 0, 600, 400};
    const ScopeLayout plain = ComputeLayout(client, false);
    EXPECT_EQ(plain.strip, (Rect{0, 0, 600, 12}));
    EXPECT_EQ(plain.plot, (Rect{10, 16, 582, 398}));
    EXPECT_TRUE(plain.zoomBar.IsEmpty());

    const ScopeLayout bar = ComputeLayout(client, true);
    EXPECT_EQ(bar.plot.bottom, 400 - 2 - 13);
    EXPECT_EQ(bar.zoomBar, (Rect{11, bar.plot.bottom + 3, 581, 397}));
    EXPECT_EQ(bar.button1, (Rect{492, 56, 572, 81}));
    EXPECT_EQ(bar.button2, (Rect{492, 86, 572, 111}));
}

TEST(DisplayMapping, VerticalMapPutsRangeEndsAndCentreWhereTheCorrectionSays) {
    const Rect plot{10, 16, 510, 316}; // H = 300
    const VerticalMap full = MakeVerticalMap(plot, 2, 0.0, 1023.0, false);
    EXPECT_EQ(full.h, 312.0); // trunc(300 * 1.04)
    EXPECT_EQ(full.CentreY(), 16 - 2 - 6 + 156);
    // Half a swing each way spans half the stretched height.
    EXPECT_NEAR(full.Y(511.5 + 512.0), full.CentreY() - 156, 1);
    EXPECT_NEAR(full.Y(511.5 - 512.0), full.CentreY() + 156, 1);

    const VerticalMap half = MakeVerticalMap(plot, 2, 0.0, 1023.0, true);
    EXPECT_EQ(half.AxisY(), plot.bottom - 2); // zero counts sit on the bottom
    EXPECT_NEAR(half.Y(2.0 * 512), half.AxisY() - 312, 1);

    const VerticalMap flat = MakeVerticalMap(plot, 2, 5.0, 5.0, false);
    EXPECT_EQ(flat.k, 0.0); // an empty value range draws flat, no division by zero
}

TEST(DisplayMapping, HorizontalMapSurvivesAWindowOfOneOrNoSample) {
    const Rect plot{10, 0, 510, 100};
    const HorizontalMap m = MakeHorizontalMap(plot, 1000, 2000);
    EXPECT_EQ(m.X(1000), 10);
    EXPECT_EQ(m.X(2000), 510);
    EXPECT_EQ(m.Column(1999), 499);
    EXPECT_EQ(m.Column(1002), 1); // two samples per column

    for (auto [first, last] : {std::pair{7, 7}, std::pair{7, 6}}) {
        const HorizontalMap z = MakeHorizontalMap(plot, first, last);
        EXPECT_EQ(z.X(first), 10);
        EXPECT_EQ(z.Column(first), 0);
    }
}

TEST(DisplayGrid, RowsColumnsAndTicks) {
    const Rect plot{10, 16, 510, 316};
    const VerticalMap vm = MakeVerticalMap(plot, 8, 0.0, 1023.0, false); // correction 1.0938
    const auto rows = GridRows(plot, vm, 6);
    const int c = vm.CentreY();
    const int d = Nearest(vm.h / 6.0);
    EXPECT_NE(std::find(rows.begin(), rows.end(), c - d), rows.end());
    EXPECT_NE(std::find(rows.begin(), rows.end(), c + d - 1), rows.end());
    for (int y : rows)
        EXPECT_TRUE(y >= plot.top && y < plot.bottom) << y; // stretched outer lines are dropped

    const VerticalMap half = MakeVerticalMap(plot, 2, 0.0, 1023.0, true);
    const auto halfRows = GridRows(plot, half, 3);
    ASSERT_FALSE(halfRows.empty());
    EXPECT_EQ(halfRows.front(), half.AxisY() - Nearest(half.h / 3.0));

    EXPECT_EQ(GridColumns(plot, 10), (std::vector<int>{60, 110, 160, 210, 260, 310, 360, 410, 460}));
    EXPECT_EQ(AxisTicksX(plot, 10).size(), 49u);
    EXPECT_EQ(DotPositions(10, 24), (std::vector<int>{12, 16, 20}));
    EXPECT_TRUE(GridColumns(plot, 0).empty());
}

TEST(DisplayColours, LabelRotationAndHighlight) {
    EXPECT_EQ(RotateLabelColour(0x00112233), 0x00223311u); // R33 G22 B11 -> R11 G33 B22
    EXPECT_EQ(RotateLabelColour(RotateLabelColour(RotateLabelColour(0x001F8FDA))), 0x001F8FDAu);
    EXPECT_EQ(HighlightColour(0x00B4B4B4), 0x00B4B404u);
    EXPECT_EQ(HighlightColour(0x00000010), 0x00000060u);
}

TEST(DisplayLabels, BoxesStackPerChannel) {
    const Rect plot{10, 16, 510, 316};
    EXPECT_EQ(VoltageLabelTop(plot, 1), (Rect{262, 38, 342, 56}));
    EXPECT_EQ(VoltageLabelBottom(plot, 0), (Rect{178, 294, 258, 312}));
    const VerticalMap half = MakeVerticalMap(plot, 2, 0, 1023, true);
    EXPECT_EQ(TimeLabelLeft(plot, half).top, 316 - 2 - 18);
    EXPECT_EQ(TimeLabelRight(plot, half).left, 510 - 2 - 80);
}

// Plain per-sample reference for the one-pass column reduction.
std::vector<ColumnStats> ReduceSlowly(const std::vector<float>& b, std::int64_t first, std::int64_t last,
                                      int w) {
    std::vector<ColumnStats> out(w, ColumnStats{1023.0f, 0.0f, 0.0f, 0});
    std::vector<double> sums(w, 0.0);
    for (std::int64_t i = first; i < last && i < static_cast<std::int64_t>(b.size()); ++i) {
        const auto c = static_cast<std::size_t>((i - first) * w / (last - first));
        ColumnStats& s = out[c];
        s.min = s.count ? std::min(s.min, b[i]) : b[i];
        s.max = s.count ? std::max(s.max, b[i]) : b[i];
        sums[c] += b[i];
        ++s.count;
    }
    for (int c = 0; c < w; ++c)
        if (out[c].count)
            out[c].avg = static_cast<float>(sums[c] / out[c].count);
    return out;
}

TEST(ColumnReduction, MatchesAPlainPerSampleReduction) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> value(0.0f, 1023.0f);
    std::vector<float> buf(20011);
    for (float& v : buf)
        v = value(rng);
    struct Case {
        std::int64_t first, last;
        int width;
    };
    for (const Case& c : {Case{0, 20011, 500}, Case{0, 1000, 500}, Case{137, 9000, 1913}, Case{5, 20011, 7},
                          Case{0, 30000, 400}}) {
        std::vector<ColumnStats> fast;
        ReduceColumns(buf, c.first, c.last, c.width, 0.0f, 1023.0f, fast);
        const auto slow = ReduceSlowly(buf, c.first, c.last, c.width);
        ASSERT_EQ(fast.size(), slow.size());
        for (std::size_t k = 0; k < fast.size(); ++k) {
            ASSERT_EQ(fast[k].count, slow[k].count) << c.first << ".." << c.last << " column " << k;
            EXPECT_EQ(fast[k].min, slow[k].min);
            EXPECT_EQ(fast[k].max, slow[k].max);
            EXPECT_NEAR(fast[k].avg, slow[k].avg, 1e-3);
        }
    }
}

// A column's average decides the row of its pixel, so it must not move by one
// rounding however the scan is vectorised: eight float lanes (sample k into lane
// k mod 8, in order), the lanes and the tail then summed in double.
TEST(ColumnReduction, AverageKeepsItsEightLaneSumToTheLastBit) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> value(-3.0f, 1100.0f);
    std::vector<float> buf(61237);
    for (float& v : buf)
        v = value(rng) / 3.0f; // no exact sums
    std::vector<ColumnStats> out;
    ReduceColumns(buf, 11, 61237, 97, 0.0f, 1023.0f, out);
    const std::int64_t span = 61237 - 11;
    std::int64_t begin = 11;
    for (int c = 0; c < 97; ++c) {
        const std::int64_t end = 11 + ((c + 1) * span + 96) / 97;
        float lane[8] = {};
        std::int64_t i = begin;
        for (; i + 8 <= end; i += 8)
            for (int k = 0; k < 8; ++k)
                lane[k] += buf[static_cast<std::size_t>(i + k)];
        double total = 0.0;
        for (float l : lane)
            total += l;
        for (; i < end; ++i)
            total += buf[static_cast<std::size_t>(i)];
        ASSERT_EQ(out[static_cast<std::size_t>(c)].avg,
                  static_cast<float>(total / static_cast<double>(end - begin)))
            << "column " << c;
        begin = end;
    }
}

TEST(ColumnReduction, ChoosesLinesBelowOneSamplePerColumnAndStylesPickTheirValue) {
    EXPECT_TRUE(DrawsSampleLines(0, 400, 500));
    EXPECT_FALSE(DrawsSampleLines(0, 1000, 500));
    std::vector<float> buf{1, 5, 3, 9};
    std::vector<ColumnStats> out;
    ReduceColumns(buf, 0, 4, 2, 0.0f, 1023.0f, out);
    EXPECT_EQ(ColumnValue(out[0], DrawStyleFromCode(3025)), 3.0f);
    EXPECT_EQ(ColumnValue(out[0], DrawStyleFromCode(3026)), 1.0f);
    EXPECT_EQ(ColumnValue(out[1], DrawStyleFromCode(3027)), 9.0f);
    EXPECT_EQ(DrawStyleFromCode(42), DrawStyle::Envelope);
    // A window past the buffer's end leaves the missing columns empty, at the range ends.
    ReduceColumns(buf, 0, 8, 4, 0.0f, 1023.0f, out);
    EXPECT_EQ(out[3].count, 0u);
    EXPECT_EQ(out[3].min, 1023.0f);
    EXPECT_EQ(out[3].max, 0.0f);
}

TEST(TraceBuffers, LiveValuesAroundTheCentreOrDoubledInHalfMode) {
    const std::vector<std::int32_t> samples{-512, 0, 512};
    std::vector<float> out(4);
    FillTraceBuffer(out, samples, 0, BufferScale{0, 1023, false});
    EXPECT_EQ(out, (std::vector<float>{-0.5f, 511.5f, 1023.5f, 511.5f}));
    FillTraceBuffer(out, samples, 10, BufferScale{0, 1023, true});
    EXPECT_EQ(out, (std::vector<float>{-1004.0f, 20.0f, 1044.0f, 0.0f}));
}

TEST(TraceBuffers, ReferenceOfHalfTheSpanIsHalfAsLongAndCentred) {
    // The reference holds one ramp over its whole span; at half the live span
    // it covers the live screen from n/4 to 3n/4.
    std::vector<std::int32_t> ramp(1000);
    std::iota(ramp.begin(), ramp.end(), -500);
    const BufferScale scale{0, 1023, false};
    std::vector<float> out(800);
    // Only the stretched part holds samples; the rest must stay undrawn.
    EXPECT_EQ(ResampleReference(out, ramp, 0, scale, 0.5), (TraceExtent{200, 600}));
    EXPECT_FLOAT_EQ(out[0], std::trunc(511.5f - 500)); // held first value
    EXPECT_FLOAT_EQ(out[199], out[0]);
    EXPECT_NEAR(out[200], 511.5f - 500, 1.5f);
    EXPECT_NEAR(out[400], 511.5f, 1.0f);
    EXPECT_NEAR(out[599], 511.5f + 499, 1.5f);
    EXPECT_FLOAT_EQ(out[799], std::trunc(out[599]));

    // Same span: a plain resample.
    EXPECT_EQ(ResampleReference(out, ramp, 0, scale, 1.0), (TraceExtent{0, 800}));
    EXPECT_FLOAT_EQ(out[0], 11.5f);
    EXPECT_FLOAT_EQ(out[400], 511.5f);

    // Three times the live span: starts at 0, cut at the end, never beyond the buffer.
    std::vector<float> guarded(801, -7.0f);
    EXPECT_EQ(ResampleReference(std::span<float>(guarded).first(800), ramp, 0, scale, 3.0),
              (TraceExtent{0, 800}));
    EXPECT_EQ(guarded[800], -7.0f);
    EXPECT_FLOAT_EQ(guarded[0], 11.5f);

    // Nonsense ratios and an empty reference stay inside the buffer and finite.
    for (double r : {0.0, -1.0, std::numeric_limits<double>::infinity()}) {
        ResampleReference(out, ramp, 0, scale, r);
        EXPECT_FLOAT_EQ(out[0], 11.5f);
    }
    EXPECT_EQ(ResampleReference(out, {}, 0, scale, 1.0), TraceExtent{});
    EXPECT_FLOAT_EQ(out[5], 511.5f);
    EXPECT_DOUBLE_EQ(TraceSpanSeconds(2000, 32), 0.001);
}

TEST(Comparison, LegendNamesLiveAndLoadedTracesApart) {
    // Without a loaded chart there is nothing to tell apart.
    EXPECT_TRUE(ComparisonLegend({{1, 0x0000FFFF, {}}}, {}, 0, "live").empty());
    // Paler over either background, never the live colour itself.
    EXPECT_EQ(LoadedTraceColour(0x000000FF, 0x00000000), 0x000000AAu);
    EXPECT_EQ(LoadedTraceColour(0x000000FF, 0x00FFFFFF), 0x005555FFu);
    // A long name is cut on a character, not inside "á".
    const std::string name = "Průběh zapalování válce č. 1";
    const auto rows = ComparisonLegend({{1, 0x0000FFFF, {}}, {2, 0x0000FF00, {}}}, {{1, 0x0000FFFF, name}},
                                       0x00000000, "živě");
    const std::vector<LegendRow> expected{
        {"CH1 živě", 0x0000FFFF, false},
        {"CH2 živě", 0x0000FF00, false},
        {"CH1 Průběh zapalování v…", LoadedTraceColour(0x0000FFFF, 0), true},
    };
    EXPECT_EQ(rows, expected);
    // The dash leaves gaps, but draws most of the trace.
    int drawn = 0;
    for (int c = 0; c < 100; ++c)
        drawn += LoadedDashColumn(c) ? 1 : 0;
    EXPECT_EQ(drawn, 60);
}

} // namespace
} // namespace wavix
