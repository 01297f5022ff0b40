#pragma once
// Injectors and ignition coils both pull their low side down and spike when
// released; the coil's spike is followed by a burn line of a millisecond or
// more, the injector's clamp decays in a few tenths.

#include "core/analysis/signalanalysis.h"

namespace wavix::measures {

inline constexpr double kMinBurnSeconds = 0.6e-3;

inline bool IsSpark(CSignalAnalysis& a, const Firing& f) {
    return f.burnEnd == kBurnPastSpan ||
           (f.burnEnd >= 0 && a.Seconds(f.burnEnd - f.peakAt) >= kMinBurnSeconds);
}

} // namespace wavix::measures
