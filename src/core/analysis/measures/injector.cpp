// Injector opening time: from the driver switching on to the closing spike.
#include "core/analysis/measures/firing.h"
#include "core/analysis/measures/measures.h"

namespace wavix::measures {

MeasureResult InjectorTime(CSignalAnalysis& a) {
    double sum = 0.0;
    int n = 0;
    for (const Firing& f : a.Firings())
        if (!IsSpark(a, f)) {
            sum += f.off - f.on;
            ++n;
        }
    if (n == 0)
        return MeasureResult::Not(a.Size() == 0 ? MeasureWhy::NoSamples : MeasureWhy::NoInjection);
    return MeasureResult::Of(a.Seconds(sum / n));
}

} // namespace wavix::measures
