#include "core/analysis/signalanalysis.h"

#include <algorithm>
#include <cmath>

namespace wavix {
namespace {

// A few counts of converter noise must never make an edge: the hysteresis is
// at least this either side of the middle, and a signal needs four times it to
// have edges at all.
constexpr int kNoiseCounts = 4;
constexpr int kMinSwingCounts = 4 * kNoiseCounts;
// Samples either side of a histogram bin that count as the same level: noise
// spreads a steady level over about this many.
constexpr int kLevelSpread = 3;
// A spike: the rising end of a low pulse overshoots the high level by at
// least this many swings (an injector's 60-80 V or a coil's 300 V over 14 V).
constexpr double kSpikeSwings = 2.0;
constexpr double kSpikeSearchSeconds = 3e-3;
constexpr double kBurnLevelSeconds = 0.25e-3;

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
    // Four histograms side by side: a steady level hits one bin over and over,
    // and one counter would wait for its own last increment each time.
    std::array<std::array<std::uint32_t, kBins>, 4> part{};
    const std::int32_t* p = in_.counts.data();
    const std::size_t n = in_.counts.size();
    const auto bin = [](std::int32_t v) {
        return static_cast<std::size_t>(std::clamp<std::int32_t>(v - kLowest, 0, kBins - 1));
    };
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        ++part[0][bin(p[i])];
        ++part[1][bin(p[i + 1])];
        ++part[2][bin(p[i + 2])];
        ++part[3][bin(p[i + 3])];
    }
    for (; i < n; ++i)
        ++part[0][bin(p[i])];
    double sum = 0.0, squares = 0.0;
    int lo = -1, hi = -1;
    for (std::size_t b = 0; b < kBins; ++b) {
        hist_[b] = part[0][b] + part[1][b] + part[2][b] + part[3][b];
        if (hist_[b] == 0)
            continue;
        const double v = static_cast<double>(b) + kLowest;
        sum += v * hist_[b];
        squares += v * v * hist_[b];
        if (lo < 0)
            lo = static_cast<int>(b);
        hi = static_cast<int>(b);
    }
    stats_ = {};
    if (n == 0)
        return;
    stats_.min = lo + kLowest;
    stats_.max = hi + kLowest;
    stats_.mean = sum / static_cast<double>(n);
    stats_.rms = std::sqrt(squares / static_cast<double>(n));
    stats_.clipped = stats_.min <= -512 || stats_.max >= 512;
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
    const std::uint64_t n = in_.counts.size();
    int p1 = lo, p99 = hi;
    while (p1 < hi && below(p1 + 1) * 100 < n)
        ++p1;
    while (p99 > lo && (n - below(p99)) * 100 < n)
        --p99;
    const int apart = std::max(kMinSwingCounts, (p99 - p1) / 4);
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
