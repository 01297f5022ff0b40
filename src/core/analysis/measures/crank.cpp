// Engine speed from a crankshaft sensor on a wheel with missing teeth: the
// gap is a tooth interval several times its neighbours; the teeth between two
// gaps make the wheel; every tooth edge in the span then counts for the speed.
#include "core/analysis/measures/measures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace wavix {
namespace {

constexpr double kGapRatio = 1.6;     // a gap of one missing tooth is twice a tooth interval
constexpr double kToothSpread = 1.35; // neighbouring teeth differ less than this (acceleration)
constexpr int kMinTeethIntervals = 8;

// The usual wheel for a gap, when the span holds one gap only.
int UsualPitches(int missing) {
    return missing == 2 ? 60 : missing == 1 ? 36 : 0;
}

} // namespace

CrankWheel FindCrankWheel(CSignalAnalysis& a) {
    CrankWheel w;
    if (a.Size() == 0 || !a.Levels().swing) {
        w.why = a.Size() == 0 ? MeasureWhy::NoSamples : MeasureWhy::NoSwing;
        return w;
    }
    std::vector<double> at;
    for (const SignalEdge& e : a.Edges())
        if (e.rising)
            at.push_back(e.at);
    w.why = MeasureWhy::NoMissingTooth;
    if (at.size() < 4)
        return w;
    std::vector<double> d(at.size() - 1);
    for (std::size_t i = 0; i + 1 < at.size(); ++i)
        d[i] = at[i + 1] - at[i];
    std::vector<std::size_t> gaps;
    std::vector<char> isGap(d.size(), 0);
    int missing = 0;
    for (std::size_t i = 0; i < d.size(); ++i) {
        const bool overBefore = i == 0 || d[i] > kGapRatio * d[i - 1];
        const bool overAfter = i + 1 == d.size() || d[i] > kGapRatio * d[i + 1];
        if (!overBefore || !overAfter || d.size() < 2)
            continue;
        const double tooth = i == 0 ? d[1] : i + 1 == d.size() ? d[i - 1] : (d[i - 1] + d[i + 1]) / 2.0;
        if (!(tooth > 0.0))
            continue;
        const int m = static_cast<int>(std::lround(d[i] / tooth)) - 1;
        if (m < 1 || m > 3)
            continue;
        if (gaps.empty())
            missing = m;
        gaps.push_back(i);
        isGap[i] = 1;
    }
    if (gaps.empty())
        return w;
    // Teeth must come at an even pace, or this is some other signal with pauses.
    int teethIntervals = 0, uneven = 0;
    for (std::size_t i = 1; i < d.size(); ++i) {
        if (isGap[i] != 0 || isGap[i - 1] != 0)
            continue;
        ++teethIntervals;
        if (d[i] > kToothSpread * d[i - 1] || d[i - 1] > kToothSpread * d[i])
            ++uneven;
    }
    if (teethIntervals < kMinTeethIntervals || uneven * 10 > teethIntervals)
        return w;
    int pitches = 0;
    if (gaps.size() >= 2) {
        w.teeth = static_cast<int>(gaps[1] - gaps[0]);
        pitches = w.teeth + missing;
    } else {
        pitches = UsualPitches(missing);
        w.teeth = pitches - missing;
        w.assumed = true;
        if (pitches == 0) {
            w.why = MeasureWhy::NoFullRevolution;
            return w;
        }
    }
    w.missing = missing;
    const double turned =
        static_cast<double>(d.size() + gaps.size() * static_cast<std::size_t>(missing)) / pitches;
    w.rpm = 60.0 * turned / a.Seconds(at.back() - at.front());
    w.why = MeasureWhy::None;
    return w;
}

namespace measures {

MeasureResult EngineRpm(CSignalAnalysis& a) {
    const CrankWheel w = FindCrankWheel(a);
    return w.why == MeasureWhy::None ? MeasureResult::Of(w.rpm) : MeasureResult::Not(w.why);
}

MeasureResult WheelTeeth(CSignalAnalysis& a) {
    const CrankWheel w = FindCrankWheel(a);
    return w.why == MeasureWhy::None ? MeasureResult::Of(w.teeth) : MeasureResult::Not(w.why);
}

MeasureResult MissingTeeth(CSignalAnalysis& a) {
    const CrankWheel w = FindCrankWheel(a);
    return w.why == MeasureWhy::None ? MeasureResult::Of(w.missing) : MeasureResult::Not(w.why);
}

} // namespace measures
} // namespace wavix
