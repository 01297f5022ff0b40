#include "sim/simmodule.h"

#include "core/protocol/modulecommands.h"
#include "core/scope/oscileeprom.h"
#include "simtestutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <span>

namespace wavix {
namespace {

using simtest::recordBytes;
using simtest::request;
using simtest::word;

CSimModule::Response ask(CSimModule& m, std::uint16_t cmd, const std::vector<std::uint8_t>& payload = {},
                         std::uint64_t nowUs = 0, SimDate today = {}) {
    const auto r = request(cmd, payload);
    return m.handle(r, nowUs, today);
}

void expectHeader(const Packet& p, std::uint16_t command, std::uint16_t module, std::uint16_t status) {
    ASSERT_GE(p.size, kPacketHeaderSize);
    EXPECT_EQ(p.data[0], 0x10);
    EXPECT_EQ(p.data[1], 0x02);
    EXPECT_EQ(word(p, 2), command);
    EXPECT_EQ(word(p, 4), module);
    EXPECT_EQ(word(p, 6), status);
}

std::vector<std::uint8_t> calibrationHeader(std::uint16_t password) {
    std::vector<std::uint8_t> h(12, 0);
    writeBE16(&h[0], 1);
    writeBE16(&h[2], 204);
    writeBE16(&h[6], password);
    return h;
}

enum class Unit { Plain, NoScope, Uncalibrated, Old };

struct HeaderOnlyCase {
    Unit unit;
    std::uint16_t cmd;
    std::vector<std::uint8_t> payload;
    std::uint16_t status;
};

class SimModuleHeaderOnly : public ::testing::TestWithParam<HeaderOnlyCase> {};

// Answers, refusals among them, that carry no payload and leave the settings alone.
TEST_P(SimModuleHeaderOnly, ReplyCodeModuleAndStatus) {
    const HeaderOnlyCase& c = GetParam();
    SimModuleOptions o;
    o.moduleNum = 0x0123;
    o.password = 4321;
    o.noScope = c.unit == Unit::NoScope;
    o.uncalibrated = c.unit == Unit::Uncalibrated;
    o.oldModule = c.unit == Unit::Old;
    CSimModule m(o);
    const tOscilExchange before = m.record();
    const auto r = ask(m, c.cmd, c.payload);
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0].size, 8u);
    expectHeader(r.packets[0], c.cmd | 0x8000, 0x0123, c.status);
    EXPECT_EQ(m.record(), before);
    if (c.unit == Unit::Uncalibrated) {
        EXPECT_FALSE(m.calibration().has_value());
    }
}

const std::vector<std::uint8_t> kRecord = recordBytes(DefaultOscilExchange());

INSTANTIATE_TEST_SUITE_P(
    Commands, SimModuleHeaderOnly,
    ::testing::Values(
        HeaderOnlyCase{Unit::Plain, 0x0000, {}, 0}, HeaderOnlyCase{Unit::Plain, 0x0043, {}, 0},
        HeaderOnlyCase{Unit::Plain, 0x0083, {}, 0}, HeaderOnlyCase{Unit::Plain, 0x0001, {}, 0},
        HeaderOnlyCase{Unit::Plain, 0x0055, {}, 0x0080}, HeaderOnlyCase{Unit::Plain, 0x00FF, {}, 0x0080},
        HeaderOnlyCase{Unit::Plain, 0x0042, {}, 0x0080},
        HeaderOnlyCase{Unit::Plain, 0x0080, {}, 0x0001}, // scope not started
        HeaderOnlyCase{Unit::Plain, 0x0081, std::vector<std::uint8_t>(39, 0), 0x0080},
        HeaderOnlyCase{Unit::NoScope, 0x0000, {}, 0}, HeaderOnlyCase{Unit::NoScope, 0x0043, {}, 0x0080},
        HeaderOnlyCase{Unit::NoScope, 0x0081, kRecord, 0x0080},
        HeaderOnlyCase{Unit::NoScope, 0x0082, {}, 0x0080}, HeaderOnlyCase{Unit::NoScope, 0x0080, {}, 0x0080},
        HeaderOnlyCase{Unit::Uncalibrated, 0x0084, {}, 0x0080},
        HeaderOnlyCase{Unit::Uncalibrated, 0x0085, calibrationHeader(1234), 0x0001},
        HeaderOnlyCase{Unit::Uncalibrated, 0x0085, std::vector<std::uint8_t>(7, 0), 0x0080},
        HeaderOnlyCase{Unit::Old, 0x0084, {}, 0x0080},
        HeaderOnlyCase{Unit::Old, 0x0085, calibrationHeader(4321), 0x0080}));

// What the simulator serves, the session's check of the answer takes.
TEST(SimModule, AnswersTheTablesRequestsAsTheSessionChecksThem) {
    int served = 0;
    for (const ModuleCommand& row : kModuleCommands) {
        if (row.build == nullptr || row.accepts == nullptr)
            continue;
        CSimModule m({});
        const Packet p = row.build();
        const auto r = m.handle(std::span<const std::uint8_t>(p.data.get(), p.size), 0);
        ASSERT_EQ(r.packets.size(), 1u) << row.name;
        const Packet& answer = r.packets[0];
        if (word(answer, 6) == kStatusUnknown)
            continue; // not served by the Scope module
        ++served;
        EXPECT_TRUE(row.accepts(std::span<const std::uint8_t>(answer.data.get(), answer.size))) << row.name;
    }
    EXPECT_EQ(served, 4); // echo, start, settings, calibration
}

TEST(SimModule, DropsDatagramsThatAreNoRequest) {
    CSimModule m({});
    for (const std::vector<std::uint8_t>& bad : {std::vector<std::uint8_t>{},
                                                 {0x10, 0x02, 0x00},
                                                 {0x11, 0x02, 0x00, 0x00},
                                                 {0x10, 0x03, 0, 0, 0, 0}}) {
        const auto r = m.handle(bad, 0);
        EXPECT_TRUE(r.packets.empty()) << bad.size();
        EXPECT_EQ(r.log.size(), 1u);
    }
}

struct StepCase {
    int step;
    std::uint32_t samples;
    std::uint32_t divider;
};

class SimModuleSettings : public ::testing::TestWithParam<StepCase> {};

TEST_P(SimModuleSettings, AnswerTheRecordInForceWithTheStepsDividerAndLength) {
    CSimModule m({});
    tOscilExchange want = simtest::record(3, GetParam().step, TM_NORM, 100);
    want.time_base = 7;          // the module sets these itself
    want.samples_all = 12345678; // whatever the program sent
    const auto r = ask(m, 0x0081, recordBytes(want));
    ASSERT_EQ(r.packets.size(), 1u);
    expectHeader(r.packets[0], 0x8081, 0x0010, 0);
    ASSERT_EQ(r.packets[0].size, 8u + 46u);
    tOscilExchange got;
    ASSERT_TRUE(DeserializeOscilExchange(std::span(&r.packets[0].data[8], 46), got));
    EXPECT_EQ(got.version, 2);
    EXPECT_EQ(got.ext_version, 2);
    EXPECT_EQ(got.chann_num, 3);
    EXPECT_EQ(got.time_base_ENUM, static_cast<std::uint32_t>(GetParam().step));
    EXPECT_EQ(got.samples_all, GetParam().samples);
    EXPECT_EQ(got.time_base, GetParam().divider);
    EXPECT_EQ(got.TR_mode, TM_NORM);
    EXPECT_EQ(got.TR_position, 100u);
    EXPECT_EQ(m.record(), got);

    // Asking afterwards gives the same record.
    const auto again = ask(m, 0x0082);
    ASSERT_EQ(again.packets[0].size, 54u);
    expectHeader(again.packets[0], 0x8082, 0x0010, 0);
    EXPECT_EQ(0, std::memcmp(&again.packets[0].data[8], &r.packets[0].data[8], 46));
}

INSTANTIATE_TEST_SUITE_P(Steps, SimModuleSettings,
                         ::testing::Values(StepCase{1, 2000, 32}, StepCase{9, 50000, 640},
                                           StepCase{14, 500000, 6400}));

TEST(SimModule, ClampsSillySettings) {
    CSimModule m({});
    tOscilExchange silly = simtest::record(9, 40, 77, 999999);
    silly.CH1_mux = 30;
    silly.CH2_dc_on = 9;
    silly.TR_channel = 7;
    silly.TR_level = 5000;
    silly.TR_rising = 5;
    ask(m, 0x0081, recordBytes(silly));
    const tOscilExchange& r = m.record();
    EXPECT_EQ(r.chann_num, 4);
    EXPECT_EQ(r.CH1_mux, 8);
    EXPECT_EQ(r.CH2_dc_on, CPL_DC);
    EXPECT_EQ(r.time_base_ENUM, 14u);
    EXPECT_EQ(r.samples_all, 500000u);
    EXPECT_LT(r.TR_position, r.samples_all);
    EXPECT_LE(r.TR_channel, 4);
    EXPECT_LE(r.TR_level, 1023);
    EXPECT_EQ(r.TR_mode, TM_AUTO);
    EXPECT_EQ(r.TR_rising, 1);
}

TEST(SimModule, ScopeDataNeedsARunningModule) {
    CSimModule m({});
    ask(m, 0x0043);
    const auto r = ask(m, 0x0080);
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0].size, 8u); // nothing captured yet
    expectHeader(r.packets[0], 0x8080, 0x0010, 0);
    ask(m, 0x0083);
    expectHeader(ask(m, 0x0080).packets[0], 0x8080, 0x0010, 0x0001);

    SimModuleOptions pre;
    pre.moduleNum = 0x61; // the program never starts these
    CSimModule started(pre);
    EXPECT_TRUE(started.scopeRunning());
}

TEST(SimModule, CalibrationRecordIsBigEndianAndCalibrated) {
    CSimModule m({});
    const auto r = ask(m, 0x0084);
    ASSERT_EQ(r.packets[0].size, 8u + 204u);
    expectHeader(r.packets[0], 0x8084, 0x0010, 0);
    EXPECT_EQ(word(r.packets[0], 8), 1);       // calibrated
    EXPECT_EQ(word(r.packets[0], 10), 204);    // size
    EXPECT_EQ(r.packets[0].data[8 + 8], 0x07); // day 7, month 11, 2023
    EXPECT_EQ(r.packets[0].data[8 + 9], 0x11);
    EXPECT_EQ(word(r.packets[0], 8 + 10), 0x2023);
    const SOscil_EEPROM cal = DeserializeOscilEeprom(
        std::span<const std::uint8_t, 204>(&r.packets[0].data[8], 204), ByteOrder::Big);
    const SOscil_EEPROM nominal = DefaultCalibration();
    bool anyZeroOff = false;
    for (int c = 0; c < 4; ++c)
        for (int e = 0; e < 8; ++e) {
            const auto& got = cal.entries[c][e];
            const auto& nom = nominal.entries[c][e];
            EXPECT_NEAR(got.zero, 512, 6);
            EXPECT_NEAR(got.gainPos, nom.gainPos, nom.gainPos * 0.02 + 1);
            EXPECT_NEAR(got.gainNeg, nom.gainNeg, nom.gainNeg * 0.02 + 1);
            anyZeroOff = anyZeroOff || got.zero != 512;
        }
    EXPECT_TRUE(anyZeroOff);
}

TEST(SimModule, CalibrationRunWithTheRightPasswordCalibratesTheUnit) {
    SimModuleOptions o;
    o.password = 4321;
    o.uncalibrated = true;
    CSimModule m(o);
    const auto right = ask(m, 0x0085, calibrationHeader(4321), 0, SimDate{2008, 10, 15});
    ASSERT_EQ(right.packets[0].size, 212u);
    expectHeader(right.packets[0], 0x8085, 0x0010, 0);
    const SOscil_EEPROM cal = DeserializeOscilEeprom(
        std::span<const std::uint8_t, 204>(&right.packets[0].data[8], 204), ByteOrder::Big);
    EXPECT_EQ(cal.state, 1);
    EXPECT_EQ(cal.size, 204);
    EXPECT_EQ(cal.year, 0x2008);
    EXPECT_EQ(cal.month, 0x10);
    EXPECT_EQ(cal.day, 0x15);
    // Now calibrated, the record can be read.
    expectHeader(ask(m, 0x0084).packets[0], 0x8084, 0x0010, 0);
}

TEST(SimModule, OldModuleAnswersTheShortRecord) {
    SimModuleOptions o;
    o.oldModule = true;
    CSimModule m(o);
    const auto set = ask(m, 0x0081, recordBytes(simtest::record(2, 5, TM_AUTO, 50)));
    ASSERT_EQ(set.packets[0].size, 8u + 40u);
    EXPECT_EQ(word(set.packets[0], 8), 1);
    EXPECT_EQ(ask(m, 0x0082).packets[0].size, 48u);
}

} // namespace
} // namespace wavix
