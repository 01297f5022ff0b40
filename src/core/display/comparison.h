#pragma once
// A loaded chart shown with live captures: its own, paler and dashed, style in
// the colour of its channel, and the legend that tells the two apart.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wavix {

// Columns drawn, then columns left out, along a loaded trace.
inline constexpr int kLoadedDashOn = 6;
inline constexpr int kLoadedDashOff = 4;
// Longer chart names are cut in the legend, so it never covers the plot.
inline constexpr std::size_t kLegendNameMax = 24;

inline bool LoadedDashColumn(int column) {
    return column % (kLoadedDashOn + kLoadedDashOff) < kLoadedDashOn;
}

// Two thirds of the channel's colour over the background (0x00BBGGRR both).
std::uint32_t LoadedTraceColour(std::uint32_t colour, std::uint32_t background);

struct LegendTrace {
    int channel = 0; // 1..4
    std::uint32_t colour = 0;
    std::string chart; // empty for a live trace
};

struct LegendRow {
    std::string text; // "CH1 live", "CH1 <chart name>"
    std::uint32_t colour = 0;
    bool dashed = false;
    bool operator==(const LegendRow&) const = default;
};

// Rows only while a chart is compared: the live traces, then the loaded ones.
std::vector<LegendRow> ComparisonLegend(const std::vector<LegendTrace>& live,
                                        const std::vector<LegendTrace>& loaded, std::uint32_t background,
                                        std::string_view liveWord);

} // namespace wavix
