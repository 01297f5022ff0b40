#pragma once
// Module numbers that change how a session starts the Scope function. The
// tester names its module in every reply; the program and the simulator both
// read these lists.

#include <algorithm>
#include <array>
#include <cstdint>

namespace wavix {

// Testers whose Scope module is already running: asking them to start it
// again is answered at once instead of sent.
inline constexpr std::array<std::uint16_t, 6> kScopeRunningModules{0x4F, 0x61, 0x62, 0x69, 0x6A, 0x6B};
// Modules whose Scope function runs without being started.
inline constexpr std::array<std::uint16_t, 6> kSelfStartingModules{0x61, 0x62, 0x63, 0x8C, 0x8D, 0x8E};

constexpr bool IsScopeRunningModule(std::uint16_t moduleNum) {
    return std::find(kScopeRunningModules.begin(), kScopeRunningModules.end(), moduleNum) !=
           kScopeRunningModules.end();
}

constexpr bool IsSelfStartingModule(std::uint16_t moduleNum) {
    return std::find(kSelfStartingModules.begin(), kSelfStartingModules.end(), moduleNum) !=
           kSelfStartingModules.end();
}

} // namespace wavix
