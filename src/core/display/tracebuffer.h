#pragma once
// Display buffers: converter counts (-512..512 around the trace centre) turned
// into values of the display's vertical range, and stored waveforms resampled
// onto the live trace's time span.

#include <cstdint>
#include <span>

namespace wavix {

struct BufferScale {
    double valueMin = 0.0;
    double valueMax = 1023.0;
    bool half = false;

    // Normally the centre of the range plus the counts; in half mode twice the
    // counts, so only the positive half shows, at double height.
    double Value(double counts) const { return half ? 2.0 * counts : (valueMax - valueMin) / 2.0 + counts; }
};

// out[i] = scale.Value(samples[i] + offset); positions past the samples take the value of 0 counts.
void FillTraceBuffer(std::span<float> out, std::span<const std::int32_t> samples, int offset,
                     const BufferScale& scale);

// Seconds covered by a trace of `samples` at the module's clock divider.
double TraceSpanSeconds(std::uint64_t samples, std::uint32_t timeBaseDivider);

// Positions [begin, end) of a resampled reference that hold its samples.
struct TraceExtent {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    bool operator==(const TraceExtent&) const = default;
};

// Resamples a stored trace of reference.size() samples onto out.size() positions and
// stretches it by ratio = reference span / live span, centred. Never writes
// outside out; a ratio that is not a positive finite number counts as 1. Outside
// the answered extent the reference has no samples: drawing there would invent a signal.
TraceExtent ResampleReference(std::span<float> out, std::span<const std::int32_t> reference, int offset,
                              const BufferScale& scale, double ratio);

} // namespace wavix
