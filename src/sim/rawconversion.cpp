#include "sim/rawconversion.h"

#include "core/analysis/channelscale.h"
#include "core/scope/scopedata.h"

#include <algorithm>
#include <cmath>

namespace wavix {

std::uint16_t VoltsToRaw(double volts, const SOscilCalEntry& cal, int range) {
    const double nominal = HalfSwingVolts(range);
    const double target = VoltsToCounts(volts, range);
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
    double bestErr = std::abs(ConvertSample(static_cast<std::uint32_t>(best), cal, range) - target);
    for (int cand : {g - 2, g - 1, g + 1, g + 2}) {
        if (cand < 0 || cand > kRawMax)
            continue;
        const double err = std::abs(ConvertSample(static_cast<std::uint32_t>(cand), cal, range) - target);
        if (err < bestErr) {
            best = cand;
            bestErr = err;
        }
    }
    return static_cast<std::uint16_t>(best);
}

} // namespace wavix
