#include "core/display/tracebuffer.h"

#include "core/analysis/channelscale.h"

#include <algorithm>
#include <cmath>

namespace wavix {

void FillTraceBuffer(std::span<float> out, std::span<const std::int32_t> samples, int offset,
                     const BufferScale& scale) {
    const std::size_t n = std::min(out.size(), samples.size());
    if (scale.half) {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<float>(2.0 * (samples[i] + offset));
    } else {
        const double mid = (scale.valueMax - scale.valueMin) / 2.0;
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<float>(mid + (samples[i] + offset));
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(n), out.end(), static_cast<float>(scale.Value(0)));
}

double TraceSpanSeconds(std::uint64_t samples, std::uint32_t timeBaseDivider) {
    return SamplesToSeconds(static_cast<double>(samples), timeBaseDivider);
}

TraceExtent ResampleReference(std::span<float> out, std::span<const std::int32_t> reference, int offset,
                              const BufferScale& scale, double ratio) {
    const std::size_t n = out.size();
    if (n == 0)
        return {};
    if (!(ratio > 0.0) || !std::isfinite(ratio))
        ratio = 1.0;
    const std::size_t m = reference.size();
    auto value = [&](std::size_t j) {
        const double counts =
            m == 0 ? 0.0 : reference[static_cast<std::size_t>(j * static_cast<double>(m) / n)];
        return static_cast<float>(scale.Value(counts + offset));
    };

    const auto length = static_cast<std::int64_t>(ratio * static_cast<double>(n));
    const std::int64_t start = std::max<std::int64_t>(0, static_cast<std::int64_t>(n / 2) - length / 2);

    // Outside the stretched trace the buffer keeps its first and last values.
    const float head = std::trunc(value(0));
    const float tail = std::trunc(value(n - 1));
    std::fill(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n / 2), head);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(n / 2), out.end(), tail);

    const auto size = static_cast<std::int64_t>(n);
    TraceExtent extent{start, std::min(size, start + std::max<std::int64_t>(length, 1))};
    std::int64_t previous = -1;
    for (std::size_t j = 0; j < n; ++j) {
        const float v = value(j);
        const auto pos = static_cast<std::int64_t>(ratio * static_cast<double>(j)) + start;
        const std::int64_t from = previous < 0 || previous >= pos ? pos : previous + 1;
        if (pos >= static_cast<std::int64_t>(n)) {
            std::fill(out.begin() + static_cast<std::ptrdiff_t>(std::min<std::int64_t>(from, n)), out.end(),
                      v);
            break;
        }
        for (std::int64_t q = from; q <= pos; ++q)
            out[static_cast<std::size_t>(q)] = v;
        previous = pos;
    }
    return m == 0 ? TraceExtent{} : extent;
}

} // namespace wavix
