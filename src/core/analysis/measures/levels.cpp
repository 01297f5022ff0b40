// Levels of the whole span, from the histogram.
#include "core/analysis/measures/measures.h"

namespace wavix::measures {
namespace {

MeasureResult Level(CSignalAnalysis& a, double counts, bool clipped) {
    if (a.Size() == 0)
        return MeasureResult::Not(MeasureWhy::NoSamples);
    // A clipped extreme is the converter's end, not the signal's.
    if (clipped)
        return MeasureResult::Not(MeasureWhy::Clipped);
    return MeasureResult::Of(a.Units(counts));
}

} // namespace

MeasureResult Maximum(CSignalAnalysis& a) {
    const SignalStats& s = a.Stats();
    return Level(a, s.max, s.max >= 512);
}

MeasureResult Minimum(CSignalAnalysis& a) {
    const SignalStats& s = a.Stats();
    return Level(a, s.min, s.min <= -512);
}

MeasureResult PeakToPeak(CSignalAnalysis& a) {
    const SignalStats& s = a.Stats();
    return Level(a, s.max - s.min, s.clipped);
}

MeasureResult Mean(CSignalAnalysis& a) {
    return Level(a, a.Stats().mean, false);
}

MeasureResult Rms(CSignalAnalysis& a) {
    return Level(a, a.Stats().rms, false);
}

} // namespace wavix::measures
