#include "core/comm/trafficstats.h"

#include <gtest/gtest.h>

#include <limits>

namespace wavix {
namespace {

PostedMessage comm(std::intptr_t wParam, TrafficNotice notice) {
    return {Msg::UWM_COMMUNICATION, wParam, Encode(notice)};
}

TEST(TrafficStats, IdleLinkReportsZerosOnlyAfterMoreThanEachPeriod) {
    CTrafficStats stats(0);
    CRecordingTarget target;
    stats.step(100, &target); // exactly one tenth is not yet "more than"
    EXPECT_TRUE(target.messages.empty());
    // Step the way the deadline timer does: exactly at each next deadline.
    std::uint32_t now = 100;
    while (now + stats.msUntilNext(now) <= 2010) {
        now += stats.msUntilNext(now);
        stats.step(now, &target);
    }
    int seconds = 0, tenths = 0;
    for (const auto& m : target.messages) {
        EXPECT_EQ(m.wParam, 0);
        seconds += m.lParam == Encode(TrafficNotice::SentPerSecond) ? 1 : 0;
        tenths += m.lParam == Encode(TrafficNotice::ReceivedPerTenth) ? 1 : 0;
    }
    EXPECT_EQ(seconds, 2);
    EXPECT_EQ(tenths, 19); // every 101 ms
}

TEST(TrafficStats, SecondReportSendsSentThenReceivedAndEachCounterResetsOnItsOwnPeriod) {
    CTrafficStats stats(5000);
    CRecordingTarget target;
    stats.addSent(30);
    stats.addReceived(200);
    stats.step(5150, &target); // tenth only
    stats.addReceived(11);
    stats.addSent(2);
    stats.step(6001, &target); // both
    EXPECT_EQ(target.messages, (std::vector<PostedMessage>{comm(200, TrafficNotice::ReceivedPerTenth),
                                                           comm(32, TrafficNotice::SentPerSecond),
                                                           comm(211, TrafficNotice::ReceivedPerSecond),
                                                           comm(11, TrafficNotice::ReceivedPerTenth)}));
    EXPECT_EQ(stats.msUntilNext(6001), 101u);
}

TEST(TrafficStats, TickWrapNeitherStallsNorFloodsReports) {
    const std::uint32_t start = std::numeric_limits<std::uint32_t>::max() - 50;
    CTrafficStats stats(start);
    CRecordingTarget target;
    stats.step(start + 60, &target); // wrapped, only 60 ms later
    EXPECT_TRUE(target.messages.empty());
    EXPECT_EQ(stats.msUntilNext(start + 60), 41u);
    stats.step(start + 1001, &target);
    EXPECT_EQ(target.messages.size(), 3u);
}

} // namespace
} // namespace wavix
