// Timing from the edges through the middle of the signal's two levels.
#include "core/analysis/measures/measures.h"

#include <algorithm>
#include <cmath>

namespace wavix::measures {
namespace {

constexpr std::size_t kMaxTransitions = 64;

// Why no edge-based value can be had at all, or None.
MeasureWhy NoEdges(CSignalAnalysis& a) {
    if (a.Size() == 0)
        return MeasureWhy::NoSamples;
    if (!a.Levels().swing)
        return MeasureWhy::NoSwing;
    return MeasureWhy::None;
}

// Whole periods between the first and the last edge of one direction (rising
// where there are two); first and last index into the edges.
struct Periods {
    std::size_t first = 0, last = 0, count = 0;
};

Periods FullPeriods(std::span<const SignalEdge> e) {
    for (const bool rising : {true, false}) {
        Periods p;
        bool seen = false;
        for (std::size_t i = 0; i < e.size(); ++i) {
            if (e[i].rising != rising)
                continue;
            if (!seen)
                p.first = i;
            else
                ++p.count;
            seen = true;
            p.last = i;
        }
        if (p.count > 0)
            return p;
    }
    return {};
}

MeasureResult PeriodSamples(CSignalAnalysis& a) {
    if (const MeasureWhy why = NoEdges(a); why != MeasureWhy::None)
        return MeasureResult::Not(why);
    const auto e = a.Edges();
    const Periods p = FullPeriods(e);
    if (p.count == 0)
        return MeasureResult::Not(MeasureWhy::NoFullPeriod);
    return MeasureResult::Of((e[p.last].at - e[p.first].at) / static_cast<double>(p.count));
}

// Mean width of the pulses that start with an edge of `rising` and end with the next.
MeasureResult Width(CSignalAnalysis& a, bool rising) {
    if (const MeasureWhy why = NoEdges(a); why != MeasureWhy::None)
        return MeasureResult::Not(why);
    const auto e = a.Edges();
    double sum = 0.0;
    int n = 0;
    for (std::size_t i = 0; i + 1 < e.size(); ++i)
        if (e[i].rising == rising) {
            sum += e[i + 1].at - e[i].at;
            ++n;
        }
    if (n == 0)
        return MeasureResult::Not(MeasureWhy::NoFullPulse);
    return MeasureResult::Of(a.Seconds(sum / n));
}

// Mean 10-90 % time of the edges of one direction that run their whole way
// between their neighbours.
MeasureResult Transition(CSignalAnalysis& a, bool rising) {
    if (const MeasureWhy why = NoEdges(a); why != MeasureWhy::None)
        return MeasureResult::Not(why);
    const SignalLevels& l = a.Levels();
    const auto e = a.Edges();
    const auto p = a.Input().counts;
    // Walking from the start level towards the end level: "before" and "after" the edge.
    const double from = rising ? l.base + 0.1 * (l.top - l.base) : l.top - 0.1 * (l.top - l.base);
    const double to = rising ? l.base + 0.9 * (l.top - l.base) : l.top - 0.9 * (l.top - l.base);
    const auto short_of = [rising](double v, double level) { return rising ? v < level : v > level; };
    const auto cross = [](double a0, double a1, double level) {
        return a0 == a1 ? 0.0 : std::clamp((level - a0) / (a1 - a0), 0.0, 1.0);
    };
    double sum = 0.0;
    int n = 0;
    // Edges alternate. A mean over kMaxTransitions of them spread over the span
    // is as good as over all, and a long capture of teeth has thousands.
    const std::size_t first = !e.empty() && e[0].rising != rising ? 1 : 0;
    const std::size_t step = 2 * std::max<std::size_t>(1, e.size() / (2 * kMaxTransitions));
    for (std::size_t i = first; i < e.size(); i += step) {
        const std::size_t low = i > 0 ? e[i - 1].index : 0;
        const std::size_t high = i + 1 < e.size() ? e[i + 1].index : p.size();
        std::size_t j = static_cast<std::size_t>(e[i].at);
        while (j > low && !short_of(p[j], from))
            --j;
        // From the middle on to 90 %.
        std::size_t k = static_cast<std::size_t>(e[i].at) + 1;
        while (k < high && short_of(p[k], to))
            ++k;
        if (!short_of(p[j], from) || k >= high || j + 1 >= p.size())
            continue;
        // The last sample short of 10 % before the edge, the first past 90 % after it.
        std::size_t j1 = j;
        while (j1 + 1 < k && short_of(p[j1 + 1], from))
            ++j1;
        const double start = static_cast<double>(j1) + cross(p[j1], p[j1 + 1], from);
        const double end = static_cast<double>(k - 1) + cross(p[k - 1], p[k], to);
        sum += end - start;
        ++n;
    }
    if (n == 0)
        return MeasureResult::Not(MeasureWhy::NoFullEdge);
    return MeasureResult::Of(a.Seconds(sum / n));
}

} // namespace

MeasureResult Period(CSignalAnalysis& a) {
    const MeasureResult r = PeriodSamples(a);
    return r.ok() ? MeasureResult::Of(a.Seconds(r.value)) : r;
}

MeasureResult Frequency(CSignalAnalysis& a) {
    const MeasureResult r = Period(a);
    return r.ok() ? MeasureResult::Of(1.0 / r.value) : r;
}

// High time over whole periods.
MeasureResult Duty(CSignalAnalysis& a) {
    const MeasureResult r = PeriodSamples(a);
    if (!r.ok())
        return r;
    const auto e = a.Edges();
    const Periods p = FullPeriods(e);
    double high = 0.0;
    for (std::size_t i = p.first; i < p.last; ++i)
        if (e[i].rising)
            high += e[i + 1].at - e[i].at;
    return MeasureResult::Of(100.0 * high / (e[p.last].at - e[p.first].at));
}

MeasureResult PositiveWidth(CSignalAnalysis& a) {
    return Width(a, true);
}

MeasureResult NegativeWidth(CSignalAnalysis& a) {
    return Width(a, false);
}

MeasureResult RiseTime(CSignalAnalysis& a) {
    return Transition(a, true);
}

MeasureResult FallTime(CSignalAnalysis& a) {
    return Transition(a, false);
}

} // namespace wavix::measures
