#pragma once
// Reduction of a trace's visible window to pixel columns: minimum, maximum and
// average of every column in one pass over the samples, so that drawing costs
// one point or one line per column however long the trace is.

#include <cstdint>
#include <span>
#include <vector>

namespace wavix {

enum class DrawStyle : int {
    Average = 3025,
    Minimum = 3026,
    Maximum = 3027,
    Envelope = 3028, // average plus a minimum-to-maximum line per column
};

// Unknown codes fall back to the envelope style the owner starts with.
DrawStyle DrawStyleFromCode(int code);

struct ColumnStats {
    float min = 0.0f;
    float max = 0.0f;
    float avg = 0.0f;
    std::uint32_t count = 0;
};

// True when the window holds fewer samples than columns: then the samples are
// joined one to the next instead of being reduced.
bool DrawsSampleLines(std::int64_t first, std::int64_t last, int width);

// Column c gathers the samples i of first..last-1 with trunc((i - first) * width / (last - first)) == c.
// Samples past the end of the buffer, and before `from` (positions that received
// none), are ignored. Columns without samples keep count 0, average 0 and the
// range ends as minimum and maximum.
void ReduceColumns(std::span<const float> buffer, std::int64_t first, std::int64_t last, int width,
                   float rangeMin, float rangeMax, std::vector<ColumnStats>& out, std::int64_t from = 0);

// The value one column shows in a single-value style.
float ColumnValue(const ColumnStats& c, DrawStyle style);

} // namespace wavix
