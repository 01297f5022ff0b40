#include "platform/qttick.h"

#include "qtsupport.h"

namespace wavix {
namespace {

using test::waitUntil;

class QtTickTest : public test::QtFixture {};

TEST_F(QtTickTest, StepRunsAtTheDeadlineThenIdlesUntilTheNext) {
    CQtTickSource ticks;
    const std::uint32_t deadline = ticks.tickMs() + 80;
    std::vector<std::uint32_t> stepsAt;
    CDeadlineTimer timer([&] { stepsAt.push_back(ticks.tickMs()); },
                         [&] {
                             const auto left = static_cast<std::int32_t>(deadline - ticks.tickMs());
                             return stepsAt.empty() && left > 0 ? static_cast<std::uint32_t>(left) : 5000u;
                         });
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return !stepsAt.empty(); }));
    EXPECT_GE(static_cast<std::int32_t>(stepsAt[0] - deadline), 0);
    EXPECT_LT(ticksSince(stepsAt[0], deadline), 2000u); // loose: CI machines are busy
    test::settle(200);                                  // 5000 is clamped to a second away
    EXPECT_EQ(stepsAt.size(), 1u);
}

TEST_F(QtTickTest, PokeBringsAnEarlierDeadlineForwardAndStopInsideTheStepHolds) {
    CQtTickSource ticks;
    std::uint32_t wanted = 1000;
    int steps = 0;
    std::unique_ptr<CDeadlineTimer> timer;
    timer = std::make_unique<CDeadlineTimer>(
        [&] {
            ++steps;
            timer->stop();
        },
        [&] { return wanted; });
    timer->start();
    const std::uint32_t pokedAt = ticks.tickMs();
    wanted = 0; // outside activity made the step due now
    timer->poke();
    ASSERT_TRUE(waitUntil([&] { return steps == 1; }));
    EXPECT_LT(ticksSince(ticks.tickMs(), pokedAt), 900u);
    test::settle(50);
    EXPECT_EQ(steps, 1);
    EXPECT_FALSE(timer->isActive());
}

} // namespace
} // namespace wavix
