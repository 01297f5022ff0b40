#pragma once
// Everything vexor-sim can be told on its command line.

#include "sim/faultinjector.h"
#include "sim/simmodule.h"

#include <cstdint>
#include <optional>
#include <string>

namespace wavix {

struct SimOptions {
    std::string address = "127.0.0.2";
    std::uint16_t port = 10000;
    std::optional<std::uint16_t> replyPort; // source port of the answers; --port without it
    SimModuleOptions module;
    FaultRates faults;
    std::uint64_t seed = 1;
    double linkRateBitsPerSecond = 100e6;
    bool noPacing = false;
    std::optional<std::uint64_t> silentAfter; // requests answered before going quiet
    double restartEverySeconds = 0.0;         // 0: never power-cycles
    std::optional<std::string> filesDir;      // log files to serve; generated ones without it
};

} // namespace wavix
