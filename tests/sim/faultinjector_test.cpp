#include "sim/faultinjector.h"

#include "sim/packetiser.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

std::vector<Datagram> answer(int n) {
    std::vector<Datagram> out;
    for (int i = 0; i < n; ++i)
        out.push_back(
            {std::vector<std::uint8_t>(static_cast<std::size_t>(10 + i), static_cast<std::uint8_t>(i))});
    return out;
}

TEST(FaultInjector, CertainFaultsDoWhatTheySay) {
    std::vector<std::string> log;
    EXPECT_TRUE(CFaultInjector({.loss = 1.0}, 1).apply(answer(5), log).empty());
    EXPECT_EQ(log.size(), 5u);
    EXPECT_EQ(CFaultInjector({.duplicate = 1.0}, 1).apply(answer(5), log).size(), 10u);
    const auto swapped = CFaultInjector({.reorder = 1.0}, 1).apply(answer(4), log);
    ASSERT_EQ(swapped.size(), 4u);
    EXPECT_EQ(swapped[0].bytes[0], 1);
    EXPECT_EQ(swapped[1].bytes[0], 0);
    EXPECT_EQ(swapped[2].bytes[0], 3);
    const auto clean = CFaultInjector({}, 1).apply(answer(4), log);
    ASSERT_EQ(clean.size(), 4u);
    EXPECT_EQ(clean[3].bytes.size(), 13u);
}

TEST(FaultInjector, JunkIsNeverAValidPacket) {
    CFaultInjector f({.garbage = 1.0}, 42);
    int shortOnes = 0, oversize = 0;
    for (int i = 0; i < 300; ++i) {
        const Datagram d = f.garbage();
        ASSERT_FALSE(d.bytes.empty());
        if (d.bytes.size() >= 2) {
            EXPECT_FALSE(d.bytes[0] == 0x10 && d.bytes[1] == 0x02);
        }
        shortOnes += d.bytes.size() < 8;
        oversize += d.bytes.size() > kMaxReplyBytes;
        if (d.bytes.size() >= 8 && d.bytes.size() <= kMaxReplyBytes) {
            EXPECT_EQ(d.bytes.size() % 2, 1u);
        }
    }
    EXPECT_GT(shortOnes, 50);
    EXPECT_GT(oversize, 50);
}

TEST(FaultInjector, SameSeedSameFaults) {
    const FaultRates rates{.loss = 0.3, .duplicate = 0.2, .reorder = 0.2, .garbage = 0.5};
    std::vector<std::string> logA, logB;
    CFaultInjector a(rates, 9), b(rates, 9);
    for (int i = 0; i < 20; ++i) {
        const auto x = a.apply(answer(6), logA);
        const auto y = b.apply(answer(6), logB);
        ASSERT_EQ(x.size(), y.size());
        for (std::size_t k = 0; k < x.size(); ++k)
            EXPECT_EQ(x[k].bytes, y[k].bytes);
    }
    EXPECT_EQ(logA, logB);
}

} // namespace
} // namespace wavix
