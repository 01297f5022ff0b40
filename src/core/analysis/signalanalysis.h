#pragma once
// What every measurement of one channel's span shares, found once and kept:
// the histogram (extremes, mean, RMS), the two levels the signal dwells at, its
// edges through the middle with a hysteresis taken from those levels, and the
// firings (a low pulse ended by an inductive spike) of injectors and coils.
// A table of measurements on the same span therefore reads each sample about
// twice, however many rows it has. Reset() keeps the buffers for the next span.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace wavix {

// One channel between two instants: converter counts, the seconds one sample
// lasts and the channel's units (volts after the probe) of one count.
struct SignalInput {
    std::span<const std::int32_t> counts;
    double secondsPerSample = 0.0;
    double unitsPerCount = 1.0;
};

struct SignalStats {
    int min = 0;
    int max = 0;
    double mean = 0.0;    // counts
    double rms = 0.0;     // counts
    bool clipped = false; // touched an end of the converter: the extremes are not the signal's
};

struct SignalLevels {
    bool swing = false; // false: flat or noise only, no edges
    double base = 0.0;  // counts
    double top = 0.0;
    double mid = 0.0;
    int fallBelow = 0; // a falling edge once a sample is below this
    int riseAbove = 0; // a rising edge once a sample is above this
};

// An edge: where it crossed the middle (in samples from the span's start,
// interpolated) and the first sample beyond the hysteresis.
struct SignalEdge {
    double at;
    std::uint32_t index;
    bool rising;
};

// A low pulse whose rising end shoots up into a spike, in samples.
struct Firing {
    double on;  // the driver switched on: falling edge
    double off; // switched off: rising edge into the spike
    double peakAt;
    int peak; // counts
    bool clipped;
    double burnEnd = -1; // the spark's burn line ends, or one of:
};
inline constexpr double kNoBurn = -1.0;       // no line above the high level after the spike
inline constexpr double kBurnPastSpan = -2.0; // a burn line that outlasts the span

class CSignalAnalysis {
public:
    void Reset(const SignalInput& input);

    const SignalInput& Input() const { return in_; }
    std::size_t Size() const { return in_.counts.size(); }
    double Seconds(double samples) const { return samples * in_.secondsPerSample; }
    double Units(double counts) const { return counts * in_.unitsPerCount; }

    const SignalStats& Stats();
    const SignalLevels& Levels();
    std::span<const SignalEdge> Edges();
    std::span<const Firing> Firings();

private:
    void FindStats();
    void FindLevels();
    void FindEdges();
    void FindFirings();
    double FindBurnEnd(std::size_t peakIndex, int peak, std::size_t end);

    static constexpr int kLowest = -512;
    static constexpr int kHighest = 1535; // -512..1535: the values a log word can hold
    static constexpr std::size_t kBins = 2048;
    static constexpr std::size_t kHistogramSamples = 16384;

    SignalInput in_;
    bool haveStats_ = false, haveLevels_ = false, haveEdges_ = false, haveFirings_ = false;
    std::array<std::uint32_t, kBins> hist_{};
    std::array<std::uint64_t, kBins + 1> cumulative_{};
    std::uint64_t histCount_ = 0;
    SignalStats stats_;
    SignalLevels levels_;
    std::vector<SignalEdge> edges_;
    std::vector<Firing> firings_;
    std::vector<std::int32_t> scratch_;
};

} // namespace wavix
