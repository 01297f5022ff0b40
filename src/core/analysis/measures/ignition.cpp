// Ignition primary: dwell (the coil switched on), the firing peak and the
// spark's burn time after it.
#include "core/analysis/measures/firing.h"
#include "core/analysis/measures/measures.h"

namespace wavix::measures {
namespace {

// Mean of `value` over the sparks; `value` answers false for a spark it cannot
// use, which spoils the mean when `every` one must count.
template <typename F> MeasureResult OverSparks(CSignalAnalysis& a, MeasureWhy unusable, bool every, F value) {
    double sum = 0.0;
    int n = 0, sparks = 0;
    for (const Firing& f : a.Firings()) {
        if (!IsSpark(a, f))
            continue;
        ++sparks;
        double v = 0.0;
        if (value(f, v)) {
            sum += v;
            ++n;
        }
    }
    if (sparks == 0)
        return MeasureResult::Not(a.Size() == 0 ? MeasureWhy::NoSamples : MeasureWhy::NoSpark);
    if (n == 0 || (every && n < sparks))
        return MeasureResult::Not(unusable);
    return MeasureResult::Of(sum / n);
}

} // namespace

MeasureResult Dwell(CSignalAnalysis& a) {
    return OverSparks(a, MeasureWhy::NoSpark, true, [&](const Firing& f, double& v) {
        v = a.Seconds(f.off - f.on);
        return true;
    });
}

MeasureResult BurnTime(CSignalAnalysis& a) {
    return OverSparks(a, MeasureWhy::NoFullBurn, false, [&](const Firing& f, double& v) {
        v = a.Seconds(f.burnEnd - f.peakAt);
        return f.burnEnd >= 0;
    });
}

MeasureResult PeakFiring(CSignalAnalysis& a) {
    return OverSparks(a, MeasureWhy::Clipped, true, [&](const Firing& f, double& v) {
        v = a.Units(f.peak);
        return !f.clipped;
    });
}

} // namespace wavix::measures
