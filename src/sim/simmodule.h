#pragma once
// The tester's side of the module protocol: one request in, the reply packets
// out. No sockets and no clock of its own; the caller passes the time.
//
// Requests carry a four-byte header (0x10 0x02, BE16 command) and their payload
// from byte 4; every reply carries the full eight-byte header (command | 0x8000,
// module number, status) and its payload from byte 8.

#include "core/comm/packet.h"
#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"
#include "sim/signalgenerator.h"
#include "sim/simscope.h"
#include "sim/unitcalibration.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/protocol/modulemessages.h"

namespace wavix {

struct SimModuleOptions {
    std::uint16_t moduleNum = 0x0010;
    std::uint16_t password = 1234;
    bool uncalibrated = false; // no calibration record until a calibration run
    bool oldModule = false;    // first generation: 40-byte record, no calibration
    bool noScope = false;      // a tester without the Scope module
    bool instant = false;      // captures complete at once
    std::size_t maxGroupPackets = 0; // 0: whole groups; else only the newest packets that fit
    std::uint64_t seed = 1;
    double rpm = 800.0;
    SimDate calibratedOn{2023, 11, 7};
};

class CSimModule {
public:
    explicit CSimModule(const SimModuleOptions& options);

    struct Response {
        std::vector<Packet> packets;
        std::vector<std::string> log; // notable events, one line each
    };

    // `today` dates a calibration run.
    Response handle(std::span<const std::uint8_t> request, std::uint64_t nowUs, SimDate today = {});

    const tOscilExchange& record() const { return scope_.record(); }
    bool scopeRunning() const { return running_; }
    const std::optional<SOscil_EEPROM>& calibration() const { return calibration_; }

private:
    Packet reply(std::uint16_t command, std::uint16_t status,
                 std::span<const std::uint8_t> payload = {}) const;
    Packet recordReply(std::uint16_t command) const;
    Packet calibrationReply(std::uint16_t command) const;
    void setSettings(std::span<const std::uint8_t> payload, std::uint64_t nowUs, Response& out);
    void scopeData(std::uint64_t nowUs, Response& out);
    void calibrate(std::span<const std::uint8_t> payload, SimDate today, Response& out);

    SimModuleOptions opt_;
    SOscil_EEPROM hardware_;                   // what the board really is
    std::optional<SOscil_EEPROM> calibration_; // what it reports
    CSimScope scope_;
    bool running_ = false;
};

std::string DescribeSettings(const tOscilExchange& rec);

} // namespace wavix
