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
            const float* p = buffer.data() + begin;
            const std::int64_t n = stop - begin;
            float lo = p[0];
            float hi = p[0];
            double sum = 0.0;
            for (std::int64_t i = 0; i < n; ++i) {
                const float v = p[i];
                lo = v < lo ? v : lo;
                hi = v > hi ? v : hi;
                sum += v;
            }
            ColumnStats& s = out[static_cast<std::size_t>(c)];
            s.min = lo;
            s.max = hi;
            s.avg = static_cast<float>(sum / static_cast<double>(n));
            s.count = static_cast<std::uint32_t>(n);
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
