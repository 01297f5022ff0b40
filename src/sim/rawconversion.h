#pragma once
// The module's converter seen through the program's own conversion: the
// program turns a raw count into display counts with the calibration entry of
// the range, so the simulator picks the raw count that the program turns back
// into the volts it means to show.

#include "core/scope/oscileeprom.h"

#include <cstdint>

namespace wavix {

inline constexpr int kRawMax = 1023;

// The raw value 0..1023 whose display counts lie nearest to `volts`; beyond the
// range it clips at 0 or 1023 as the converter does.
std::uint16_t VoltsToRaw(double volts, const SOscilCalEntry& cal, int range);

} // namespace wavix
