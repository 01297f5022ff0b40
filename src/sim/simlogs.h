#pragma once
// The roll-mode recordings a tester has on its card when no folder is given:
// osclog01, osclog02 and osclog04 (the third was deleted on the tester), a
// couple of minutes each of the simulator's own engine signals at 10 kHz, with
// marks of both kinds where the mechanic pressed the mark keys.

#include "sim/simfileserver.h"

#include <cstdint>

namespace wavix {

// Same seed and speed, same bytes.
SimFileMap GenerateTesterLogs(std::uint64_t seed, double idleRpm = 800.0);

} // namespace wavix
