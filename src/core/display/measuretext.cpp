#include "core/display/measuretext.h"

#include "core/scope/engprefix.h"
#include "core/scope/oscilexchange.h"

#include <cmath>
#include <cstdio>

namespace wavix {

namespace {
template <typename... Args> std::string format(const char* fmt, Args... args) {
    char buf[96];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}
} // namespace

double MeasureDtMs(double msPerDiv, double distancePercent, double zoomFactor, bool zoomed) {
    const double screen = msPerDiv * kHorizontalDivisions;
    double dt = screen * distancePercent / 100.0;
    if (zoomed && zoomFactor > 0.0)
        dt /= zoomFactor;
    return dt;
}

std::string MeasureDtText(double dtMs, double distancePercent) {
    if (const auto eng = EngineeringPrefix(dtMs / 1000.0))
        return format("dt %0.2f %ss", eng->value, std::string(eng->prefix).c_str());
    return format("%0.2f %%", distancePercent);
}

std::string MeasureFrequencyText(double dtMs) {
    if (dtMs == 0.0)
        return "---";
    const double f = std::abs(1000.0 / dtMs);
    if (const auto eng = EngineeringPrefix(f))
        return format("f %0.2f %sHz", eng->value, std::string(eng->prefix).c_str());
    return format("T %0.2f ms", dtMs);
}

} // namespace wavix
