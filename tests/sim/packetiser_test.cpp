#include "sim/packetiser.h"

#include "simtestutil.h"

#include <gtest/gtest.h>

#include <numeric>

namespace wavix {
namespace {

using simtest::word;

struct GroupCase {
    int channels;
    std::size_t sets;
};

class SampleGroupSplit : public ::testing::TestWithParam<GroupCase> {};

TEST_P(SampleGroupSplit, CarriesEverySetInOrderWithinTheLimits) {
    const int n = GetParam().channels;
    std::vector<std::uint16_t> samples(GetParam().sets * static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint16_t>(i % 1024);
    const SampleGroup g = SplitSampleGroup(0x0010, n, samples);
    ASSERT_FALSE(g.packets.empty());
    EXPECT_EQ(g.setsSent, GetParam().sets);
    EXPECT_EQ(g.setsDropped, 0u);
    std::vector<std::uint16_t> back;
    for (std::size_t i = 0; i < g.packets.size(); ++i) {
        const Packet& p = g.packets[i];
        ASSERT_LE(p.size, 2047u);
        EXPECT_EQ(word(p, 2), 0x8080);
        EXPECT_EQ(word(p, 4), 0x0010);
        EXPECT_EQ(word(p, 6), i + 1 == g.packets.size() ? 0x0000 : 0x0040);
        EXPECT_EQ((p.size - 8) % (2 * static_cast<std::size_t>(n)), 0u) << "whole sets only";
        for (std::size_t at = 8; at < p.size; at += 2)
            back.push_back(readBE16(&p.data[at]));
    }
    EXPECT_EQ(back, samples);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SampleGroupSplit,
                         ::testing::Values(GroupCase{1, 1}, GroupCase{1, 1019}, GroupCase{1, 1020},
                                           GroupCase{3, 2000}, GroupCase{4, 5000}, GroupCase{1, 500000},
                                           GroupCase{4, 500000})); // 5 s/div: 1 969 packets

TEST(SampleGroupSplitLimits, PacketLimitSendsTheNewestPartThatFits) {
    const int n = 4;
    const std::size_t sets = 200000; // 4 channels at 2 s/div
    std::vector<std::uint16_t> samples(sets * n);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint16_t>((i / n) % 1000);
    const SampleGroup g = SplitSampleGroup(0x0010, n, samples, 511);
    EXPECT_EQ(g.packets.size(), 511u);
    EXPECT_EQ(g.setsSent, SetsPerPacket(n) * 511);
    EXPECT_EQ(g.setsSent + g.setsDropped, sets);
    const Packet& last = g.packets.back();
    EXPECT_EQ(word(last, 6), 0);
    EXPECT_EQ(readBE16(&last.data[last.size - 2]), (sets - 1) % 1000); // the newest set is there
    EXPECT_EQ(readBE16(&g.packets.front().data[8]), g.setsDropped % 1000);
}

TEST(SampleGroupSplitLimits, PartialSetsAndEmptyCaptures) {
    const std::vector<std::uint16_t> ragged{1, 2, 3, 4, 5}; // two sets of two and a stray value
    const SampleGroup g = SplitSampleGroup(0x0010, 2, ragged);
    ASSERT_EQ(g.packets.size(), 1u);
    EXPECT_EQ(g.packets[0].size, 8u + 8u);
    const SampleGroup none = SplitSampleGroup(0x0010, 2, {});
    ASSERT_EQ(none.packets.size(), 1u);
    EXPECT_EQ(none.packets[0].size, 8u);
    EXPECT_EQ(word(none.packets[0], 6), 0);
}

TEST(SampleGroupSplitLimits, ReplyRefusesAPayloadBeyondOneDatagram) {
    std::vector<std::uint8_t> big(2040, 0xAA);
    EXPECT_FALSE(MakeReply(0x8081, 1, 0, big).data);
    big.pop_back();
    const Packet p = MakeReply(0x8081, 1, 0, big);
    ASSERT_TRUE(p.data);
    EXPECT_EQ(p.size, 2047u);
}

} // namespace
} // namespace wavix
