#include "core/display/measuretext.h"

#include "core/scope/engprefix.h"
#include "core/scope/oscilexchange.h"
#include "core/support/strformat.h"

#include <cmath>
#include <cstdio>

namespace wavix {

double MeasureDtMs(double msPerDiv, double distancePercent, double zoomFactor, bool zoomed) {
    const double screen = msPerDiv * kHorizontalDivisions;
    double dt = screen * distancePercent / 100.0;
    if (zoomed && zoomFactor > 0.0)
        dt /= zoomFactor;
    return dt;
}

std::string MeasureDtText(double dtMs, double distancePercent) {
    if (const auto eng = EngineeringPrefix(dtMs / 1000.0))
        return StrFormat("dt %0.2f %ss", eng->value, std::string(eng->prefix).c_str());
    return StrFormat("%0.2f %%", distancePercent);
}

std::string MeasureFrequencyText(double dtMs) {
    // A time that is not a number has no frequency either.
    if (dtMs == 0.0 || !std::isfinite(dtMs))
        return "---";
    const double f = std::abs(1000.0 / dtMs);
    if (const auto eng = EngineeringPrefix(f))
        return StrFormat("f %0.2f %sHz", eng->value, std::string(eng->prefix).c_str());
    return StrFormat("T %0.2f ms", dtMs);
}

} // namespace wavix
