// The whole sample path over loopback UDP against vexor-sim: start-up, settings,
// calibration, converted groups in volts, recovery from a silent tester, and
// the refusals that end the program.

#include "integration/captureclient.h"
#include "integration/simulator.h"
#include "platform/qtsupport.h"

#include <QNetworkDatagram>
#include <QUdpSocket>


#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>

namespace wavix::test {
namespace {

constexpr int kTimeoutMs = 15000;

// Ch1 crankshaft 10 V/div, ch2 ignition primary 100 V/div, ch3 injector
// 20 V/div, ch4 lambda 0.5 V/div; 20 ms/div holds more than two turns at idle.
tOscilExchange workshopRecord(int step = 8) {
    tOscilExchange r = DefaultOscilExchange();
    r.chann_num = 4;
    const std::array<std::uint16_t, 4> ranges{5, 8, 6, 1};
    for (int ch = 1; ch <= 4; ++ch) {
        r.mux(ch) = ranges[static_cast<std::size_t>(ch - 1)];
        r.dcOn(ch) = CPL_DC;
    }
    r.time_base_ENUM = static_cast<std::uint32_t>(step);
    r.TR_channel = 1;
    r.TR_level = kTriggerLevelCentre;
    r.TR_mode = TM_AUTO;
    r.TR_rising = 1;
    r.TR_position = 0;
    return r;
}

std::vector<double> volts(const CChannelData& ch) {
    const int range = ch.GetRange();
    const double perCount = RangeVoltPerDiv(range) * 3.0 * RangeCorrection(range) / 512.0;
    std::vector<double> v;
    for (std::int32_t c : ch.GetSamples())
        v.push_back(c * perCount);
    return v;
}

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Indexes of rising zero crossings, with hysteresis against noise and glitches.
std::vector<std::size_t> risingCrossings(const std::vector<double>& v, double hysteresis) {
    std::vector<std::size_t> at;
    bool low = false;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] < -hysteresis)
            low = true;
        else if (low && v[i] > hysteresis) {
            low = false;
            at.push_back(i);
        }
    }
    return at;
}

class Capture : public QtFixture {
protected:
    void startSim(const QStringList& args = {}) {
        port = Simulator::freePort();
        ASSERT_NE(port, 0);
        ASSERT_TRUE(sim.start(port, args)) << sim.output().toStdString();
    }
    std::string simLog() { return sim.output().toStdString(); }

    std::uint16_t port = 0;
    Simulator sim;
};

TEST_F(Capture, StartsCalibratesAndConvertsTheWorkshopSignals) {
    startSim();
    CaptureClient client(workshopRecord());
    std::array<std::vector<double>, 4> last;
    client.onGroup = [&](const CScopeData& data) {
        for (int ch = 1; ch <= 4; ++ch)
            last[static_cast<std::size_t>(ch - 1)] = volts(data.GetChannel(ch));
    };
    ASSERT_TRUE(client.open(port));
    ASSERT_TRUE(waitUntil([&] { return client.groups >= 2 || client.ended; }, kTimeoutMs)) << simLog();
    ASSERT_TRUE(client.faults.empty()) << std::hex << client.faults.front() << "\n" << simLog();

    EXPECT_EQ(client.linkUps, 1);
    EXPECT_EQ(client.calibrationReads, 1);
    // The module's own calibration, not the nominal one, converts the samples.
    EXPECT_EQ(client.data().GetCalibration().state, 1);
    EXPECT_NE(client.data().GetCalibration(), DefaultCalibration());
    const tOscilExchange& inForce = client.data().GetSettings();
    EXPECT_EQ(inForce.chann_num, 4);
    EXPECT_EQ(inForce.CH2_mux, 8);
    EXPECT_EQ(inForce.samples_all, SamplesPerStep(8));
    for (const auto& v : last)
        ASSERT_EQ(v.size(), inForce.samples_all);

    const auto& crank = last[0];
    EXPECT_GT(*std::max_element(crank.begin(), crank.end()), 5.0);
    EXPECT_LT(*std::max_element(crank.begin(), crank.end()), 30.0);
    EXPECT_LT(*std::min_element(crank.begin(), crank.end()), -5.0);
    EXPECT_GT(*std::min_element(crank.begin(), crank.end()), -30.0);
    // 60-2 wheel: the long interval of the gap comes back every 58 crossings.
    const auto rising = risingCrossings(crank, 2.0);
    ASSERT_GT(rising.size(), 100u);
    std::vector<std::size_t> gaps;
    for (std::size_t i = 1; i + 1 < rising.size(); ++i)
        if (rising[i + 1] - rising[i] > 2 * (rising[i] - rising[i - 1]))
            gaps.push_back(i);
    ASSERT_GE(gaps.size(), 2u);
    for (std::size_t g = 1; g < gaps.size(); ++g)
        EXPECT_EQ(gaps[g] - gaps[g - 1], 58u);

    const auto& ignition = last[1];
    EXPECT_GT(*std::max_element(ignition.begin(), ignition.end()), 200.0);
    EXPECT_NEAR(median(ignition), 13.8, 3.0);
    const auto& injector = last[2];
    EXPECT_NEAR(median(injector), 13.8, 3.0);
    EXPECT_GT(*std::max_element(injector.begin(), injector.end()), 40.0);
    const auto& lambda = last[3];
    EXPECT_GE(*std::min_element(lambda.begin(), lambda.end()), 0.0);
    EXPECT_LE(*std::max_element(lambda.begin(), lambda.end()), 1.0);
}

TEST_F(Capture, RecoversWhenTheTesterFallsSilentAndComesBack) {
    startSim({"--silent-after", "8"});
    CaptureClient client(workshopRecord(4));
    ASSERT_TRUE(client.open(port));
    ASSERT_TRUE(waitUntil([&] { return client.timeouts >= 1 || client.ended; }, kTimeoutMs)) << simLog();
    EXPECT_GT(client.groups, 0);
    EXPECT_GE(client.lastTimeoutAfterMs, 2500u); // measured from when the last answer was handled
    EXPECT_LT(client.lastTimeoutAfterMs, 5000u);

    // The tester is switched off and on again at the same address.
    sim.stop();
    ASSERT_TRUE(sim.start(port)) << simLog();
    const int before = client.groups;
    ASSERT_TRUE(waitUntil([&] { return client.groups >= before + 3 || client.ended; }, kTimeoutMs))
        << simLog();
    EXPECT_EQ(client.faults, std::vector{static_cast<std::uint32_t>(ModuleEvent::ReplyTimeout)});
    EXPECT_EQ(client.timeouts, 1);
    EXPECT_EQ(client.linkUps, 2);
    EXPECT_EQ(client.calibrationReads, 1); // once per run
}

// Four channels at 5 s/div (500 000 samples per channel, 1 969 packets of 254
// sets) and at 2 s/div (200 000, 788 packets).
struct LongGroup {
    const char* name;
    int step;
    QStringList args;
    std::uint32_t received; // samples per channel that arrive of each capture
    int groups;             // the second shows what the first left behind
    friend void PrintTo(const LongGroup& g, std::ostream* os) { *os << g.name; }
};

class LongGroups : public Capture, public ::testing::WithParamInterface<LongGroup> {};

TEST_P(LongGroups, ArriveWithoutOverflowAndNothingOfAnEarlierCaptureShows) {
    const LongGroup& c = GetParam();
    QStringList args{"--instant-captures"};
    args << c.args;
    startSim(args);
    CaptureClient client(workshopRecord(c.step));
    const std::uint32_t cap = SamplesPerStep(c.step);
    std::vector<std::string> wrong;
    client.onGroup = [&](const CScopeData& data) {
        for (int ch = 1; ch <= 4; ++ch) {
            const CChannelData& channel = data.GetChannel(ch);
            const auto v = volts(channel);
            const std::uint32_t absent = cap - c.received;
            if (v.size() != cap || channel.GetAbsentCount() != absent) {
                wrong.push_back("ch" + std::to_string(ch) + ": " + std::to_string(v.size()) + " samples, " +
                                std::to_string(channel.GetAbsentCount()) + " absent");
                continue;
            }
            // Absent positions hold nothing of the capture before; the crankshaft
            // signal swings through the part that arrived, up to its newest sample.
            if (std::any_of(v.begin(), v.begin() + absent, [](double x) { return x != 0.0; }))
                wrong.push_back("ch" + std::to_string(ch) + ": an earlier capture shows");
            if (ch == 1 && *std::max_element(v.end() - 10000, v.end()) < 5.0)
                wrong.push_back("ch1: no signal at the end of the axis");
        }
    };
    ASSERT_TRUE(client.open(port));
    ASSERT_TRUE(waitUntil([&] { return client.groups >= c.groups || client.ended; }, 30000)) << simLog();
    EXPECT_TRUE(client.faults.empty()) << std::hex << client.faults.front() << "\n" << simLog();
    EXPECT_EQ(client.badGroups, 0);
    EXPECT_TRUE(wrong.empty()) << wrong.front();
}

INSTANTIATE_TEST_SUITE_P(
    Integration, LongGroups,
    ::testing::Values(LongGroup{"Whole", 14, {}, 500000, 1},
                      LongGroup{"NewestPacketsOnly", 13, {"--max-group-packets", "511"}, 254 * 511, 2}),
    [](const auto& p) { return std::string(p.param.name); });

// A Wi-Fi link that loses, doubles and swaps datagrams: a lost request, answer or
// packet costs a repeated request, never the session, and no group is shown
// with a packet missing or with one of another group in it. One channel at step
// 4, as the tester powers up: two packets a group, so a swap always moves the
// group's last packet and shows in its count.
TEST_F(Capture, ALossyLinkCostsRepeatedRequestsNeverTheSessionNorAHalfGroup) {
    startSim({"--loss", "0.05", "--duplicate", "0.02", "--reorder", "0.02", "--seed", "7"});
    tOscilExchange record = workshopRecord(4);
    record.chann_num = 1;
    CaptureClient client(record);
    const std::uint32_t cap = SamplesPerStep(4);
    int wrong = 0;
    client.onGroup = [&](const CScopeData& data) {
        const CChannelData& ch = data.GetChannel(1);
        if (ch.GetPresentSamples().size() != cap || ch.GetAbsentCount() != 0)
            ++wrong;
    };
    ASSERT_TRUE(client.open(port));
    waitUntil([&] { return client.ended; }, 60000);
    EXPECT_FALSE(client.ended) << simLog();
    EXPECT_EQ(client.timeouts, 0) << "a session restart";
    EXPECT_EQ(client.linkUps, 1);
    EXPECT_EQ(wrong, 0) << "groups shown incomplete";
    EXPECT_GT(client.groups, 300);
    EXPECT_GT(client.session().protocol().GetAskedAgain(), 0u);
}

// A tester may answer from another port than it listens on (the echo shows the
// simulator does): every request still goes to the port it listens on, so
// polling never stalls; SIGINT ends the simulator cleanly.
TEST_F(Capture, ATesterAnsweringFromAnotherPortIsPolledAtItsOwn) {
    port = Simulator::freePort();
    std::uint16_t replyPort = Simulator::freePort();
    while (replyPort == port)
        replyPort = Simulator::freePort();
    ASSERT_TRUE(sim.start(port, {"--reply-port", QString::number(replyPort)})) << simLog();
    {
        QUdpSocket us; // where the program listens
        ASSERT_TRUE(us.bind(QHostAddress("127.0.0.1"), port, QAbstractSocket::ShareAddress));
        us.writeDatagram(QByteArray("\x10\x02\x00\x00", 4), QHostAddress(Simulator::kAddress), port);
        ASSERT_TRUE(waitUntil([&] { return us.hasPendingDatagrams(); }, kTimeoutMs)) << simLog();
        EXPECT_EQ(us.receiveDatagram().senderPort(), replyPort);
    }
    CaptureClient client(workshopRecord(4));
    ASSERT_TRUE(client.open(port));
    ASSERT_TRUE(
        waitUntil([&] { return client.groups >= 3 || client.ended || client.timeouts > 0; }, kTimeoutMs))
        << simLog();
    EXPECT_TRUE(client.faults.empty()) << simLog();
    EXPECT_EQ(client.linkUps, 1);
    EXPECT_EQ(client.session().link().peer(), (Endpoint{0x7F000002, port}));
    EXPECT_TRUE(sim.stop()) << "no clean end on SIGINT\n" << simLog();
}

// Status 0x0001: scope data asked before the scope module runs ends the session.
// The refusals of testers whose Scope module cannot be driven are checked with the window.
TEST_F(Capture, DataAskedBeforeTheScopeRunsEndsWithTheFaultAndNoSamples) {
    startSim();
    CaptureClient client(workshopRecord(4), CaptureClient::Start::DataBeforeRun);
    ASSERT_TRUE(client.open(port));
    ASSERT_TRUE(waitUntil([&] { return client.ended; }, kTimeoutMs)) << simLog();
    // Let whatever else the answer provokes arrive.
    settle(200);
    EXPECT_EQ(client.faults, std::vector{static_cast<std::uint32_t>(ModuleEvent::StatusNotServed)})
        << simLog();
    EXPECT_EQ(client.groups, 0);
}

} // namespace
} // namespace wavix::test
