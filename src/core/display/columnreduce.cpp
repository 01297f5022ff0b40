#include "core/display/columnreduce.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// Eight independent lanes let the sums run in vector registers without
// reordering a single floating-point addition: lane k always gathers the
// samples k, k + 8, k + 16 ... of the run, whichever path computes it, so both
// paths give the same bits. Counts are x.5 values below 2^10 and a column holds
// at most a few hundred, so the float sums stay exact.
constexpr int kLanes = 8;

ColumnStats Finish(const float* lo, const float* hi, const float* sum, const float* p, std::int64_t i,
                   std::int64_t n) {
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

#if defined(__SSE2__)
// The compiler keeps the plain lane arrays in memory at -O2; two explicit
// registers of four lanes do the same operations in the same order.
// minps/maxps return their first operand exactly when v < lo (v > hi) holds, as below.
ColumnStats ScanRun(const float* p, std::int64_t n) {
    __m128 lo0 = _mm_set1_ps(p[0]), lo1 = lo0, hi0 = lo0, hi1 = lo0;
    __m128 sum0 = _mm_setzero_ps(), sum1 = sum0;
    std::int64_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const __m128 a = _mm_loadu_ps(p + i);
        const __m128 b = _mm_loadu_ps(p + i + 4);
        lo0 = _mm_min_ps(a, lo0);
        lo1 = _mm_min_ps(b, lo1);
        hi0 = _mm_max_ps(a, hi0);
        hi1 = _mm_max_ps(b, hi1);
        sum0 = _mm_add_ps(sum0, a);
        sum1 = _mm_add_ps(sum1, b);
    }
    alignas(16) float lo[kLanes], hi[kLanes], sum[kLanes];
    _mm_store_ps(lo, lo0);
    _mm_store_ps(lo + 4, lo1);
    _mm_store_ps(hi, hi0);
    _mm_store_ps(hi + 4, hi1);
    _mm_store_ps(sum, sum0);
    _mm_store_ps(sum + 4, sum1);
    return Finish(lo, hi, sum, p, i, n);
}
#else
ColumnStats ScanRun(const float* p, std::int64_t n) {
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
    return Finish(lo, hi, sum, p, i, n);
}
#endif
} // namespace

bool DrawsSampleLines(std::int64_t first, std::int64_t last, int width) {
    return last - first < width;
}

void ReduceColumns(std::span<const float> buffer, std::int64_t first, std::int64_t last, int width,
                   float rangeMin, float rangeMax, std::vector<ColumnStats>& out, std::int64_t from) {
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
        const std::int64_t start = std::max(begin, from);
        if (stop > start) {
            ColumnStats& s = out[static_cast<std::size_t>(c)];
            s = ScanRun(buffer.data() + start, stop - start);
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
