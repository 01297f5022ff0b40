#include "sim/rawconversion.h"

#include "core/scope/oscilexchange.h"

#include <algorithm>
#include <cmath>

namespace wavix {

double NominalVolts(int range) {
    return RangeVoltPerDiv(range) * RangeCorrection(range) * 3.0;
}

int DisplayCounts(int raw, const SOscilCalEntry& cal, int range) {
    const double nominal = NominalVolts(range);
    const int zero = cal.zero;
    double d = raw - zero;
    if (d > 0)
        d = std::trunc(d * ((kRawMax - zero) * (2.0 * cal.gainPos) / 100000.0) / nominal);
    else if (d < 0)
        d = std::trunc(d * (zero * (2.0 * cal.gainNeg) / 100000.0) / nominal);
    return static_cast<int>(std::clamp(d, -512.0, 512.0));
}

std::uint16_t VoltsToRaw(double volts, const SOscilCalEntry& cal, int range) {
    const double nominal = NominalVolts(range);
    const double target = volts * 512.0 / nominal;
    const int zero = cal.zero;
    const double gain = volts >= 0 ? (kRawMax - zero) * (2.0 * cal.gainPos) / 100000.0
                                   : zero * (2.0 * cal.gainNeg) / 100000.0;
    if (gain <= 0.0 || !std::isfinite(target))
        return static_cast<std::uint16_t>(std::clamp(zero, 0, kRawMax));
    // Invert the linear part, then let the truncation of the forward path pick
    // among the neighbours: the nearest display count wins.
    const double guess = zero + target * nominal / gain;
    if (guess <= 0.0)
        return 0;
    if (guess >= kRawMax)
        return kRawMax;
    const int g = static_cast<int>(std::lround(guess));
    int best = std::clamp(g, 0, kRawMax);
    double bestErr = std::abs(DisplayCounts(best, cal, range) - target);
    for (int cand : {g - 2, g - 1, g + 1, g + 2}) {
        if (cand < 0 || cand > kRawMax)
            continue;
        const double err = std::abs(DisplayCounts(cand, cal, range) - target);
        if (err < bestErr) {
            best = cand;
            bestErr = err;
        }
    }
    return static_cast<std::uint16_t>(best);
}

} // namespace wavix
