#include "core/comm/trafficstats.h"

#include <gtest/gtest.h>

#include <limits>

namespace wavix {
namespace {

PostedMessage comm(std::intptr_t wParam, std::intptr_t lParam) {
    return {Msg::UWM_COMMUNICATION, wParam, lParam};
}

} // namespace

TEST(TrafficStats, ReportsOnlyAfterMoreThanThePeriodHasPassed) {
    TrafficStats stats(0);
    RecordingTarget target;
    stats.step(100, &target); // exactly one tenth is not yet "more than"
    EXPECT_TRUE(target.messages.empty());
    EXPECT_EQ(stats.msUntilNext(100), 1u);

    stats.addReceived(7);
    stats.step(101, &target);
    EXPECT_EQ(target.messages, (std::vector<PostedMessage>{comm(7, 4)}));
    EXPECT_EQ(stats.msUntilNext(101), 101u);
}

TEST(TrafficStats, IdleLinkStillReportsZerosEverySecondAndTenth) {
    TrafficStats stats(0);
    RecordingTarget target;
    // Step the way the deadline timer does: always exactly at the next deadline.
    std::uint32_t now = 0;
    while (now + stats.msUntilNext(now) <= 2010) {
        now += stats.msUntilNext(now);
        stats.step(now, &target);
    }
    int seconds = 0, tenths = 0;
    for (const auto& m : target.messages) {
        EXPECT_EQ(m.wParam, 0);
        seconds += m.lParam == 2 ? 1 : 0;
        tenths += m.lParam == 4 ? 1 : 0;
    }
    EXPECT_EQ(seconds, 2);
    EXPECT_EQ(tenths, 19); // every 101 ms
}

TEST(TrafficStats, SecondReportSendsSentThenReceivedAndResetsEachCounterItsOwnWay) {
    TrafficStats stats(5000);
    RecordingTarget target;
    stats.addSent(30);
    stats.addReceived(200);
    stats.step(5150, &target); // tenth only
    stats.addReceived(11);
    stats.addSent(2);
    stats.step(6001, &target); // both
    EXPECT_EQ(target.messages,
              (std::vector<PostedMessage>{comm(200, 4), comm(32, 2), comm(211, 3), comm(11, 4)}));
    EXPECT_EQ(stats.bytesSent(), 0u);
    EXPECT_EQ(stats.bytesReceivedSecond(), 0u);
    EXPECT_EQ(stats.bytesReceivedTenth(), 0u);
}

TEST(TrafficStats, TickWrapDoesNotStallOrFloodReports) {
    const std::uint32_t start = std::numeric_limits<std::uint32_t>::max() - 50;
    TrafficStats stats(start);
    RecordingTarget target;
    stats.step(start + 60, &target); // wrapped, only 60 ms later
    EXPECT_TRUE(target.messages.empty());
    EXPECT_EQ(stats.msUntilNext(start + 60), 41u);
    stats.step(start + 1001, &target);
    EXPECT_EQ(target.messages.size(), 3u);
}

TEST(TrafficStats, NullWindowSwallowsReportsButStillResets) {
    TrafficStats stats(0);
    stats.addReceived(9);
    stats.step(2000, nullptr);
    EXPECT_EQ(stats.bytesReceivedTenth(), 0u);
    EXPECT_EQ(stats.msUntilNext(2000), 101u);
}

} // namespace wavix
