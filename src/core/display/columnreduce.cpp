#include "core/display/columnreduce.h"

#include <algorithm>

namespace wavix {

DrawStyle DrawStyleFromCode(int code) {
    switch (code) {
    case 3025:
        return DrawStyle::Average;
    case 3026:
        return DrawStyle::Minimum;
    case 3027:
        return DrawStyle::Maximum;
    default:
        return DrawStyle::Envelope;
    }
}

namespace {
// Eight independent lanes let the compiler use vector registers without
// reordering a single floating-point sum. Counts are x.5 values below 2^10 and
// a column holds at most a few hundred, so the float sums stay exact.
ColumnStats ScanRun(const float* p, std::int64_t n) {
    constexpr int kLanes = 8;
    float lo[kLanes], hi[kLanes], sum[kLanes];
    for (int k = 0; k < kLanes; ++k) {
        lo[k] = hi[k] = p[0];
        sum[k] = 0.0f;
    }
    std::int64_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        for (int k = 0; k < kLanes; ++k) {
            const float v = p[i + k];
            lo[k] = v < lo[k] ? v : lo[k];
            hi[k] = v > hi[k] ? v : hi[k];
            sum[k] += v;
        }
    }
    double total = 0.0;
    float mn = lo[0], mx = hi[0];
    for (int k = 0; k < kLanes; ++k) {
        mn = std::min(mn, lo[k]);
        mx = std::max(mx, hi[k]);
        total += sum[k];
    }
    for (; i < n; ++i) {
        mn = std::min(mn, p[i]);
        mx = std::max(mx, p[i]);
        total += p[i];
    }
    return {mn, mx, static_cast<float>(total / static_cast<double>(n)), static_cast<std::uint32_t>(n)};
}
} // namespace

bool DrawsSampleLines(std::int64_t first, std::int64_t last, int width) {
    return last - first < width;
}

void ReduceColumns(std::span<const float> buffer, std::int64_t first, std::int64_t last, int width,
                   float rangeMin, float rangeMax, std::vector<ColumnStats>& out) {
    out.assign(width > 0 ? static_cast<std::size_t>(width) : 0, ColumnStats{rangeMax, rangeMin, 0.0f, 0});
    if (width <= 0 || last <= first || first < 0)
        return;
    const std::int64_t span = last - first;
    const auto end = std::min<std::int64_t>(last, static_cast<std::int64_t>(buffer.size()));
    // Column c starts at the first i with (i - first) * width >= c * span, so each
    // column is one contiguous run and the inner loop is a plain scan.
    std::int64_t begin = first;
    for (int c = 0; c < width && begin < end; ++c) {
        const std::int64_t next = first + ((static_cast<std::int64_t>(c) + 1) * span + width - 1) / width;
        const std::int64_t stop = std::min(next, end);
        if (stop > begin) {
            ColumnStats& s = out[static_cast<std::size_t>(c)];
            s = ScanRun(buffer.data() + begin, stop - begin);
        }
        begin = std::max(begin, next);
    }
}

float ColumnValue(const ColumnStats& c, DrawStyle style) {
    switch (style) {
    case DrawStyle::Minimum:
        return c.min;
    case DrawStyle::Maximum:
        return c.max;
    default:
        return c.avg;
    }
}

} // namespace wavix
