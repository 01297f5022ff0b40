// What a link that loses datagrams teaches: how long an answer may take, and
// whether a group that ended came whole. The protocol's use of both is tested
// with the session (LossyLink in ivoraprotocol_test.cpp).

#include "core/protocol/answerwait.h"
#include "core/protocol/groupcheck.h"

#include <gtest/gtest.h>

#include <vector>

namespace wavix {
namespace {

TEST(AnswerWait, LearnsFromAnswerTimesWithinItsBounds) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> samples;
        std::uint32_t low, high;
    };
    const Case cases[] = {
        {"nothing known yet", {}, 500, 500},
        {"a fast wired link", {1, 1, 2, 1, 1, 1, 2, 1}, 30, 30},
        {"a steady 100 ms link", std::vector<std::uint32_t>(30, 100), 200, 230},
        {"a jittery Wi-Fi", {5, 60, 8, 90, 4, 70, 6, 80, 5, 75}, 120, 500},
        {"a link that stalls for seconds", {4000, 5000, 6000}, 500, 500},
    };
    for (const Case& c : cases) {
        CAnswerWait wait;
        for (const std::uint32_t ms : c.samples)
            wait.Sample(ms);
        EXPECT_GE(wait.WaitMs(), c.low) << c.what;
        EXPECT_LE(wait.WaitMs(), c.high) << c.what;
    }
}

TEST(GroupCheck, WholeGroupsShortBuffersAndLinksThatNeverCarryOne) {
    // Each step: sets of one group, whether it is shown.
    struct Case {
        const char* what;
        std::uint32_t expected;
        std::vector<std::pair<std::uint64_t, bool>> groups;
    };
    const Case cases[] = {
        {"roll mode takes any group", 0, {{17, true}, {4000, true}}},
        {"a packet lost mid-group", 2000, {{2000, true}, {1488, false}, {2000, true}}},
        {"doubled packets make a group too long", 2000, {{2512, false}, {2000, true}}},
        {"a short send buffer: the same size twice is the tester's",
         20000,
         {{5110, false}, {5110, true}, {5110, true}, {4599, false}}},
        {"after a whole group a repeated short size is still a loss",
         2000,
         {{2000, true}, {1488, false}, {1488, false}}},
        {"a link that carries no group whole shows them as they come until one is",
         20000,
         {{100, false}, {200, false}, {300, false}, {400, true}, {500, true}, {20000, true}, {600, false}}},
    };
    for (const Case& c : cases) {
        CGroupCheck check;
        check.Reset(c.expected);
        int n = 0;
        for (const auto& [sets, shown] : c.groups) {
            check.Add(sets / 2);
            check.Add(sets - sets / 2);
            EXPECT_EQ(check.Whole(), shown) << c.what << ", group " << n++;
        }
    }
}

} // namespace
} // namespace wavix
