#include "sim/simmodule.h"

#include "core/protocol/modulecommands.h"
#include "core/protocol/modulenumbers.h"
#include "core/support/bytes.h"
#include "core/support/strformat.h"
#include "sim/packetiser.h"

#include <array>
#include <cstdio>

namespace wavix {

std::string DescribeSettings(const tOscilExchange& rec) {
    const double ms = TimePerDivMs(static_cast<int>(rec.time_base_ENUM));
    std::string mode{TriggerModeText(rec.TR_mode & ~kStopBit)};
    if (rec.TR_mode & kStopBit)
        mode += " stopped";
    return StrFormat("settings applied: %u ch, %g ms/div, %s", unsigned{rec.chann_num}, ms, mode.c_str());
}

CSimModule::CSimModule(const SimModuleOptions& options)
    : opt_(options), hardware_(UnitCalibration(options.moduleNum, options.calibratedOn)),
      scope_(CSignalGenerator(options.seed, options.rpm), hardware_),
      running_(IsScopeRunningModule(options.moduleNum)) {
    if (!opt_.uncalibrated && !opt_.oldModule)
        calibration_ = hardware_;
    scope_.setInstant(opt_.instant);
}

Packet CSimModule::reply(std::uint16_t command, std::uint16_t status,
                         std::span<const std::uint8_t> payload) const {
    return MakeReply(static_cast<std::uint16_t>(command | c_vxrREPLY_MASK), opt_.moduleNum, status, payload);
}

Packet CSimModule::recordReply(std::uint16_t command) const {
    tOscilExchange rec = scope_.record();
    if (opt_.oldModule) {
        // The first generation knows only the 40-byte layout.
        rec.version = 1;
        rec.ext_version = 0;
        rec.TR_position = 0;
    }
    std::array<std::uint8_t, kOscilExchangeV2Size> bytes{};
    const std::size_t n = SerializeOscilExchange(rec, bytes);
    return reply(command, kStatusOk, std::span(bytes).first(n));
}

Packet CSimModule::calibrationReply(std::uint16_t command) const {
    std::array<std::uint8_t, kOscilEepromSize> bytes{};
    SerializeOscilEeprom(*calibration_, bytes, ByteOrder::Big);
    return reply(command, kStatusOk, bytes);
}

CSimModule::Response CSimModule::handle(std::span<const std::uint8_t> request, std::uint64_t nowUs,
                                        SimDate today) {
    Response out;
    if (request.size() < kRequestHeaderSize || !hasStartBytes(request.data(), request.size())) {
        out.log.push_back("bad request dropped: " + std::to_string(request.size()) + " bytes");
        return out;
    }
    const std::uint16_t cmd = readBE16(&request[2]);
    const auto payload = request.subspan(kRequestHeaderSize);
    const ModuleCommand* row = FindModuleCommand(cmd);
    if (opt_.noScope && row != nullptr && row->scope) {
        out.packets.push_back(reply(cmd, kStatusUnknown));
        out.log.push_back("no scope module: refused");
        return out;
    }
    switch (cmd) {
    case c_ivrECHO:
        out.packets.push_back(reply(cmd, kStatusOk));
        break;
    case c_ivrRUN_OSCIL:
        running_ = true;
        out.packets.push_back(reply(cmd, kStatusOk));
        out.log.push_back("scope module started");
        break;
    case c_ivrSET_OSCIL_EXCHANGE:
        setSettings(payload, nowUs, out);
        break;
    case c_ivrASK_OSCIL_EXCHANGE:
        out.packets.push_back(recordReply(cmd));
        out.log.push_back("settings sent");
        break;
    case c_ivrASK_SCOPE_DATA:
        scopeData(nowUs, out);
        break;
    case c_ivrSCOPE_SAFE_DISCONNECT:
        running_ = false;
        out.packets.push_back(reply(cmd, kStatusOk));
        out.log.push_back("safe disconnect");
        break;
    case c_ivrSTOP_MODULE:
    case c_ivrSTOP_MODULE2:
        running_ = false;
        out.packets.push_back(reply(cmd, kStatusOk));
        out.log.push_back("module stopped");
        break;
    case c_ivrASK_OSCIL_EEPROM:
        if (calibration_) {
            out.packets.push_back(calibrationReply(cmd));
            out.log.push_back("calibration record sent");
        } else {
            out.packets.push_back(reply(cmd, kStatusUnknown));
            out.log.push_back("no calibration record");
        }
        break;
    case c_ivrSET_OSCIL_EEPROM:
        calibrate(payload, today, out);
        break;
    default: {
        out.packets.push_back(reply(cmd, kStatusUnknown));
        char line[64];
        std::snprintf(line, sizeof line, "unknown command 0x%04X", unsigned{cmd});
        out.log.emplace_back(line);
    }
    }
    return out;
}

void CSimModule::setSettings(std::span<const std::uint8_t> payload, std::uint64_t nowUs, Response& out) {
    tOscilExchange requested;
    if (!DeserializeOscilExchange(payload, requested)) {
        out.packets.push_back(reply(c_ivrSET_OSCIL_EXCHANGE, kStatusUnknown));
        out.log.push_back("settings refused: " + std::to_string(payload.size()) + " bytes");
        return;
    }
    scope_.apply(CSimScope::SettleRecord(requested), nowUs);
    // Whoever sets up the scope expects it to run.
    running_ = true;
    out.packets.push_back(recordReply(c_ivrSET_OSCIL_EXCHANGE));
    out.log.push_back(DescribeSettings(scope_.record()));
}

void CSimModule::scopeData(std::uint64_t nowUs, Response& out) {
    if (!running_) {
        out.packets.push_back(reply(c_ivrASK_SCOPE_DATA, kStatusNotServed));
        out.log.push_back("scope data asked before the module runs");
        return;
    }
    const bool wasStopped = scope_.record().TR_mode & kStopBit;
    auto capture = scope_.poll(nowUs);
    const bool roll = (scope_.record().TR_mode & ~kStopBit) == TM_FREE;
    if (!capture) {
        out.packets.push_back(reply(c_ivrASK_SCOPE_DATA, kStatusOk));
        return;
    }
    SampleGroup group =
        SplitSampleGroup(opt_.moduleNum, capture->channels, capture->samples, opt_.maxGroupPackets);
    if (group.setsDropped > 0)
        out.log.push_back("capture too long: sent the newest " + std::to_string(group.setsSent) + " of " +
                          std::to_string(capture->sets) + " samples/ch");
    out.log.push_back("group sent: " + std::to_string(group.packets.size()) + " packets, " +
                      std::to_string(group.setsSent) + " samples/ch" +
                      (capture->triggered || roll ? "" : ", untriggered"));
    if (!wasStopped && (scope_.record().TR_mode & kStopBit))
        out.log.push_back("single capture done: stopped");
    out.packets = std::move(group.packets);
}

void CSimModule::calibrate(std::span<const std::uint8_t> payload, SimDate today, Response& out) {
    constexpr std::size_t kHeaderBytes = 12;
    if (opt_.oldModule) {
        out.packets.push_back(reply(c_ivrSET_OSCIL_EEPROM, kStatusUnknown));
        out.log.push_back("calibration not supported by this module");
        return;
    }
    if (payload.size() < kHeaderBytes) {
        out.packets.push_back(reply(c_ivrSET_OSCIL_EEPROM, kStatusUnknown));
        out.log.push_back("calibration header too short: " + std::to_string(payload.size()) + " bytes");
        return;
    }
    const std::uint16_t password = readBE16(&payload[6]);
    if (password != opt_.password) {
        out.packets.push_back(reply(c_ivrSET_OSCIL_EEPROM, kStatusNotServed));
        out.log.push_back("calibration password wrong");
        return;
    }
    // The run measures the board again: its true zeros and gains, dated today.
    SOscil_EEPROM rec = UnitCalibration(opt_.moduleNum, today);
    calibration_ = rec;
    out.packets.push_back(calibrationReply(c_ivrSET_OSCIL_EEPROM));
    char line[64];
    std::snprintf(line, sizeof line, "calibration done: %02d.%02d.%04d", today.day, today.month, today.year);
    out.log.emplace_back(line);
}

} // namespace wavix
