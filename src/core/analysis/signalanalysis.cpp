#include "core/analysis/signalanalysis.h"

#include <algorithm>
#include <cmath>

namespace wavix {
namespace {

// A few counts of converter noise must never make an edge: the hysteresis is
// at least this either side of the middle, and two levels must lie further
// apart than the band (a coil on a 10:1 probe keeps its dwell some ten counts
// below the battery).
constexpr int kNoiseCounts = 4;
constexpr int kMinSwingCounts = 2 * kNoiseCounts + 2;
// Samples either side of a histogram bin that count as the same level: noise
// spreads a steady level over about this many.
constexpr int kLevelSpread = 3;
// A spike: the rising end of a low pulse overshoots the high level by at
// least this many swings (an injector's 60-80 V or a coil's 300 V over 14 V).
constexpr double kSpikeSwings = 2.0;
constexpr double kSpikeSearchSeconds = 3e-3;
constexpr double kBurnLevelSeconds = 0.25e-3;

// Sums wrap without harm: exact while every value is within -2048..2047, and
// runs holding others are summed again with clamped values.
struct RunSums {
    std::int32_t lo, hi;
    std::uint32_t sum; // two's complement of the signed sum
    std::uint32_t squares;
};

// The hot loops, built once more for AVX2 where the processor has it (the
// baseline has no 32-bit vector minimum or product).
#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define WAVIX_VECTOR_CLONES __attribute__((target_clones("default", "avx2")))
#endif
#endif
#ifndef WAVIX_VECTOR_CLONES
#define WAVIX_VECTOR_CLONES
#endif

constexpr std::size_t kRun = 512;

WAVIX_VECTOR_CLONES RunSums SumRun(const std::int32_t* p) {
    RunSums r{p[0], p[0], 0, 0};
    for (std::size_t k = 0; k < kRun; ++k) {
        const std::int32_t v = p[k];
        r.lo = std::min(r.lo, v);
        r.hi = std::max(r.hi, v);
        r.sum += static_cast<std::uint32_t>(v);
        r.squares += static_cast<std::uint32_t>(v) * static_cast<std::uint32_t>(v);
    }
    return r;
}

// The first of `blocks` blocks of 32 samples that holds a sample below `low`
// (or above `high`), or `blocks`.
WAVIX_VECTOR_CLONES std::size_t FirstBlockBelow(const std::int32_t* p, std::size_t blocks, std::int32_t low) {
    for (std::size_t b = 0; b < blocks; ++b, p += 32) {
        int beyond = 0;
        for (std::size_t k = 0; k < 32; ++k)
            beyond += p[k] < low ? 1 : 0;
        if (beyond != 0)
            return b;
    }
    return blocks;
}

WAVIX_VECTOR_CLONES std::size_t FirstBlockAbove(const std::int32_t* p, std::size_t blocks,
                                                std::int32_t high) {
    for (std::size_t b = 0; b < blocks; ++b, p += 32) {
        int beyond = 0;
        for (std::size_t k = 0; k < 32; ++k)
            beyond += p[k] > high ? 1 : 0;
        if (beyond != 0)
            return b;
    }
    return blocks;
}

// Where a straight line from (0, a) to (1, b) crosses `level`.
double fraction(double a, double b, double level) {
    return a == b ? 0.0 : std::clamp((a - level) / (a - b), 0.0, 1.0);
}

} // namespace

void CSignalAnalysis::Reset(const SignalInput& input) {
    in_ = input;
    haveStats_ = haveLevels_ = haveEdges_ = haveFirings_ = false;
}

const SignalStats& CSignalAnalysis::Stats() {
    if (!haveStats_)
        FindStats();
    return stats_;
}

const SignalLevels& CSignalAnalysis::Levels() {
    if (!haveLevels_)
        FindLevels();
    return levels_;
}

std::span<const SignalEdge> CSignalAnalysis::Edges() {
    if (!haveEdges_)
        FindEdges();
    return edges_;
}

std::span<const Firing> CSignalAnalysis::Firings() {
    if (!haveFirings_)
        FindFirings();
    return firings_;
}

void CSignalAnalysis::FindStats() {
    haveStats_ = true;
    stats_ = {};
    hist_.fill(0);
    histCount_ = 0;
    const std::int32_t* p = in_.counts.data();
    const std::size_t n = in_.counts.size();
    if (n == 0)
        return;
    // Extremes and sums of every sample, in runs short enough for 32-bit sums
    // (512 × 1535², once clamped), so that the compiler vectorises the loop.
    // The levels need only the shape of the histogram: of a long span a share
    // of each run, taken while the run is in the cache, at scattered places
    // so that no period of the signal lines up with the choice.
    const std::size_t stride = std::max<std::size_t>(1, n / kHistogramSamples);
    std::uint32_t scatter = 0x2545F491u;
    std::int32_t lo = kHighest, hi = kLowest;
    std::int64_t sum = 0, squares = 0;
    const auto clamped = [](std::int32_t v) { return std::clamp<std::int32_t>(v, kLowest, kHighest); };
    const auto count = [&](std::int32_t v) {
        ++hist_[static_cast<std::size_t>(clamped(v) - kLowest)];
        ++histCount_;
    };
    std::size_t i = 0;
    for (; i + kRun <= n; i += kRun) {
        RunSums r = SumRun(p + i);
        if (r.lo < kLowest || r.hi > kHighest) {
            // Values no converter gives: counted at the ends, the slow way.
            r = {kHighest, kLowest, 0, 0};
            for (std::size_t k = 0; k < kRun; ++k) {
                const std::int32_t v = clamped(p[i + k]);
                r = {std::min(r.lo, v), std::max(r.hi, v), r.sum + static_cast<std::uint32_t>(v),
                     r.squares + static_cast<std::uint32_t>(v * v)};
            }
        }
        lo = std::min(lo, r.lo);
        hi = std::max(hi, r.hi);
        sum += static_cast<std::int32_t>(r.sum);
        squares += r.squares;
        if (stride == 1) {
            for (std::size_t k = 0; k < kRun; ++k)
                count(p[i + k]);
        } else {
            for (std::size_t k = 0; k + stride <= kRun; k += stride) {
                scatter = scatter * 1664525u + 1013904223u;
                count(p[i + k + ((scatter >> 8) * std::uint64_t{stride} >> 24)]);
            }
        }
    }
    for (; i < n; ++i) {
        const std::int32_t v = clamped(p[i]);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        sum += v;
        squares += std::int64_t{v} * v;
        count(v);
    }
    stats_.min = lo;
    stats_.max = hi;
    stats_.mean = static_cast<double>(sum) / static_cast<double>(n);
    stats_.rms = std::sqrt(static_cast<double>(squares) / static_cast<double>(n));
    stats_.clipped = lo <= -512 || hi >= 512;
}

void CSignalAnalysis::FindLevels() {
    haveLevels_ = true;
    levels_ = {};
    const SignalStats& s = Stats();
    if (in_.counts.empty())
        return;
    const int lo = s.min - kLowest;
    const int hi = s.max - kLowest;
    // Samples within the spread of each bin, from running sums: below(b) counts bins < b.
    const auto bin = [](int b) { return static_cast<std::size_t>(b); };
    cumulative_[0] = 0;
    for (std::size_t b = 0; b < kBins; ++b)
        cumulative_[b + 1] = cumulative_[b] + hist_[b];
    const auto below = [&](int b) { return cumulative_[bin(b)]; };
    const auto near = [&](int b) {
        return below(std::min(hi, b + kLevelSpread) + 1) - below(std::max(lo, b - kLevelSpread));
    };
    // The range of all but the rarest 1 % either side (spikes), for the distance between levels.
    const std::uint64_t n = histCount_;
    int p1 = lo, p99 = hi;
    while (p1 < hi && below(p1 + 1) * 100 < n)
        ++p1;
    while (p99 > lo && (n - below(p99)) * 100 < n)
        --p99;
    const int apart = std::max(kMinSwingCounts, (p99 - p1) / 8);
    int first = lo;
    for (int b = lo; b <= hi; ++b)
        if (near(b) > near(first))
            first = b;
    int second = -1;
    for (int b = lo; b <= hi; ++b)
        if (std::abs(b - first) >= apart && (second < 0 || near(b) > near(second)))
            second = b;
    if (second < 0 || near(second) == 0)
        return;
    // A level is the mean of the samples around its busiest bin.
    const auto level = [&](int b) {
        double sum = 0.0, count = 0.0;
        for (int k = std::max(lo, b - kLevelSpread - 1); k <= std::min(hi, b + kLevelSpread + 1); ++k) {
            sum += static_cast<double>(k + kLowest) * hist_[bin(k)];
            count += hist_[bin(k)];
        }
        return sum / count;
    };
    SignalLevels& l = levels_;
    l.base = level(std::min(first, second));
    l.top = level(std::max(first, second));
    if (l.top - l.base < kMinSwingCounts)
        return;
    l.swing = true;
    l.mid = (l.base + l.top) / 2.0;
    const double h = std::max<double>(kNoiseCounts, (l.top - l.base) / 10.0);
    l.riseAbove = static_cast<int>(std::floor(l.mid + h));
    l.fallBelow = static_cast<int>(std::ceil(l.mid - h));
}

void CSignalAnalysis::FindEdges() {
    haveEdges_ = true;
    edges_.clear();
    const SignalLevels& l = Levels();
    if (!l.swing)
        return;
    const std::int32_t* p = in_.counts.data();
    const std::size_t n = in_.counts.size();
    const int above = l.riseAbove, below = l.fallBelow;
    const double mid = l.mid;
    std::size_t i = 0;
    // Until the signal leaves the band it is on no side: its first crossing is no edge.
    while (i < n && p[i] <= above && p[i] >= below)
        ++i;
    bool high = i < n && p[i] > above;
    std::size_t floor = i; // an edge's middle crossing is looked for back to here
    for (;;) {
        // Whole blocks that stay on this side go by in a few vector steps.
        const std::size_t blocks = (n - i) / 32;
        i += 32 * (high ? FirstBlockBelow(p + i, blocks, below) : FirstBlockAbove(p + i, blocks, above));
        if (high)
            while (i < n && p[i] >= below)
                ++i;
        else
            while (i < n && p[i] <= above)
                ++i;
        if (i == n)
            break;
        // Back to the last crossing of the middle: the edge's instant.
        std::size_t j = i;
        if (high)
            while (j > floor && p[j - 1] < mid)
                --j;
        else
            while (j > floor && p[j - 1] > mid)
                --j;
        const double at = j == 0 ? 0.0 : static_cast<double>(j - 1) + fraction(p[j - 1], p[j], mid);
        high = !high;
        edges_.push_back({at, static_cast<std::uint32_t>(i), high});
        floor = i;
    }
}

void CSignalAnalysis::FindFirings() {
    haveFirings_ = true;
    firings_.clear();
    const auto edges = Edges();
    const SignalLevels& l = Levels();
    if (edges.size() < 2 || in_.secondsPerSample <= 0.0)
        return;
    const std::int32_t* p = in_.counts.data();
    const std::size_t n = in_.counts.size();
    const double spike = l.top + kSpikeSwings * (l.top - l.base);
    if (Stats().max <= spike)
        return;
    const auto search =
        static_cast<std::size_t>(std::min(kSpikeSearchSeconds / in_.secondsPerSample, double(n))) + 1;
    for (std::size_t e = 0; e + 1 < edges.size(); ++e) {
        if (edges[e].rising || !edges[e + 1].rising)
            continue;
        const SignalEdge& off = edges[e + 1];
        const std::size_t end = e + 2 < edges.size() ? edges[e + 2].index : n;
        const auto from = static_cast<std::size_t>(off.at);
        const std::size_t to = std::min(end, from + search);
        const std::int32_t* top = std::max_element(p + from, p + to);
        if (*top <= spike)
            continue;
        // A clamped spike is flat on top, its highest sample anywhere in the noise:
        // the peak comes where the flat top begins.
        const std::int32_t* first =
            std::find_if(p + from, top, [&](std::int32_t v) { return v >= *top - kNoiseCounts; });
        const auto peakIndex = static_cast<std::size_t>(first - p);
        Firing f{edges[e].at, off.at, static_cast<double>(peakIndex), *top, *top >= 512};
        f.burnEnd = FindBurnEnd(peakIndex, *top, end);
        firings_.push_back(f);
    }
}

// After a coil's spike the spark burns at a line well above the battery, then
// drops to it: the end is where the signal falls halfway from that line to
// the high level. An injector has no such line; its clamp decays within a
// few tenths of a millisecond, which the callers tell apart by the duration.
double CSignalAnalysis::FindBurnEnd(std::size_t peakIndex, int peak, std::size_t end) {
    const std::int32_t* p = in_.counts.data();
    const SignalLevels& l = levels_;
    const double half = (peak + l.top) / 2.0;
    std::size_t i = peakIndex;
    while (i < end && p[i] >= half)
        ++i;
    if (i >= end)
        return kNoBurn;
    const std::size_t width =
        static_cast<std::size_t>(std::min(kBurnLevelSeconds / in_.secondsPerSample, double(end - i))) + 1;
    const std::size_t stop = std::min(end, i + width);
    scratch_.assign(p + i, p + stop);
    auto middle = scratch_.begin() + static_cast<std::ptrdiff_t>(scratch_.size() / 2);
    std::nth_element(scratch_.begin(), middle, scratch_.end());
    const double line = *middle;
    if (line - l.top < (l.top - l.base) / 2.0)
        return kNoBurn;
    const double level = (line + l.top) / 2.0;
    while (i < end && p[i] >= level)
        ++i;
    if (i >= end)
        return kBurnPastSpan;
    return static_cast<double>(i - 1) + fraction(p[i - 1], p[i], level);
}

} // namespace wavix
