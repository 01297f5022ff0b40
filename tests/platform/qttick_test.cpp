#include "platform/qttick.h"

#include "qtsupport.h"

#include <limits>

namespace wavix {
namespace {

using test::waitUntil;

class QtTickTest : public test::QtFixture {};

TEST_F(QtTickTest, TickSourceAdvancesAndWrapsAsUnsigned32) {
    const std::uint32_t start = std::numeric_limits<std::uint32_t>::max() - 5;
    QtTickSource ticks(start);
    const std::uint32_t first = ticks.tickMs();
    ASSERT_TRUE(waitUntil([&] { return ticksSince(ticks.tickMs(), first) >= 20; }));
    EXPECT_LT(ticks.tickMs(), start); // wrapped past zero
    EXPECT_LT(ticksSince(ticks.tickMs(), first), 5000u);
}

TEST_F(QtTickTest, DelayIsClampedToOneMillisecondUpToOneSecond) {
    EXPECT_EQ(DeadlineTimer::clampDelay(0), 1u);
    EXPECT_EQ(DeadlineTimer::clampDelay(37), 37u);
    EXPECT_EQ(DeadlineTimer::clampDelay(5000), 1000u);
}

TEST_F(QtTickTest, StepRunsAtTheDeadlineAndNotBefore) {
    QtTickSource ticks;
    const std::uint32_t deadline = ticks.tickMs() + 80;
    std::vector<std::uint32_t> stepsAt;
    DeadlineTimer timer([&] { stepsAt.push_back(ticks.tickMs()); },
                        [&] {
                            const std::uint32_t now = ticks.tickMs();
                            return stepsAt.empty() && static_cast<std::int32_t>(deadline - now) > 0
                                       ? deadline - now
                                       : 1000u;
                        });
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return !stepsAt.empty(); }));
    EXPECT_GE(static_cast<std::int32_t>(stepsAt[0] - deadline), 0);
    EXPECT_LT(ticksSince(stepsAt[0], deadline), 2000u); // loose: CI machines are busy
    // Idle afterwards: the next deadline is a second away, so nothing runs meanwhile.
    test::settle(200);
    EXPECT_EQ(stepsAt.size(), 1u);
    timer.stop();
    EXPECT_FALSE(timer.isActive());
}

TEST_F(QtTickTest, PokeBringsAnEarlierDeadlineForward) {
    QtTickSource ticks;
    std::uint32_t wanted = 1000;
    int steps = 0;
    DeadlineTimer timer(
        [&] {
            ++steps;
            wanted = 1000;
        },
        [&] { return wanted; });
    timer.start();
    const std::uint32_t pokedAt = ticks.tickMs();
    wanted = 10; // outside activity moved the deadline
    timer.poke();
    ASSERT_TRUE(waitUntil([&] { return steps == 1; }));
    EXPECT_LT(ticksSince(ticks.tickMs(), pokedAt), 900u);
}

TEST_F(QtTickTest, StoppingInsideTheStepStopsForGood) {
    int steps = 0;
    std::unique_ptr<DeadlineTimer> timer;
    timer = std::make_unique<DeadlineTimer>(
        [&] {
            ++steps;
            timer->stop();
        },
        [] { return 1u; });
    timer->start();
    ASSERT_TRUE(waitUntil([&] { return steps == 1; }));
    test::settle(50);
    EXPECT_EQ(steps, 1);
    EXPECT_FALSE(timer->isActive());
}

} // namespace
} // namespace wavix
