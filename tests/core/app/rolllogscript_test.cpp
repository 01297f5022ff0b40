// The unattended roll log across a tester restart, step by step in simulated time.

#include "core/app/rolllogscript.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

using Action = RollScriptAction;

struct ScriptRun {
    CRollLogScript script{"/logs/soak.sdf", 60000};
    std::uint32_t now = 0;
    RollScriptView view;

    RollScriptStep step(std::uint32_t advanceMs = 50) {
        now += advanceMs;
        RollScriptStep s = script.Step(now, view);
        if (s.action == Action::StartLog) {
            view.logOpen = true;
            const RollScriptStep started = script.LogStarted(now, true);
            if (started.action != Action::None)
                return started;
        }
        return s;
    }
};

TEST(RollLogScript, RecordsOnIntoTheNextFileAfterTheTesterRestarted) {
    ScriptRun r;
    EXPECT_EQ(r.step().action, Action::None) << "no samples yet";
    r.view.rollMode = r.view.recordFree = true;
    r.view.groups = 1;
    const RollScriptStep first = r.step();
    ASSERT_EQ(first.action, Action::StartLog);
    EXPECT_EQ(first.path, "/logs/soak.sdf");

    // The tester restarts: its own record ends the log and the roll mode.
    r.step(20000);
    r.view.logOpen = r.view.rollMode = r.view.recordFree = false;
    const RollScriptStep ended = r.step();
    EXPECT_TRUE(ended.partEnded);
    EXPECT_FALSE(ended.message.empty());
    // No key while the link is still down: the tester's record would undo it.
    EXPECT_EQ(r.step(2000).action, Action::None);
    r.view.groups = 5;
    EXPECT_EQ(r.step().action, Action::PressModeKey);
    EXPECT_EQ(r.step(100).action, Action::None) << "one key a second";
    EXPECT_EQ(r.step(1000).action, Action::PressModeKey) << "the record is not at roll yet";
    r.view.recordFree = true;
    EXPECT_EQ(r.step(1000).action, Action::None) << "roll asked for: wait for the tester";

    // Roll mode back: the group under way at the change does not open the log.
    r.view.rollMode = true;
    EXPECT_EQ(r.step().action, Action::None);
    r.view.groups = 6;
    const RollScriptStep second = r.step();
    ASSERT_EQ(second.action, Action::StartLog);
    EXPECT_EQ(second.path, "/logs/soak-2.sdf");
    EXPECT_EQ(r.script.PartPath(3), "/logs/soak-3.sdf");

    // The time counts from the first part: the second ends it.
    EXPECT_EQ(r.step(30000).action, Action::None);
    EXPECT_EQ(r.step(10000).action, Action::StopLog);
    EXPECT_EQ(r.script.Parts(), 2);
}

TEST(RollLogScript, TheTimeRunningOutWhileWaitingForRollModeEndsTheRunWell) {
    ScriptRun r;
    r.view.rollMode = r.view.recordFree = true;
    r.view.groups = 1;
    ASSERT_EQ(r.step().action, Action::StartLog);
    r.view.logOpen = r.view.rollMode = r.view.recordFree = false;
    r.step();
    const RollScriptStep end = r.step(60000);
    EXPECT_EQ(end.action, Action::Finish);
    EXPECT_EQ(end.exitCode, 0);
}

TEST(RollLogScript, FailuresEndWithTheirCodes) {
    {
        ScriptRun r;
        r.step(); // the wait counts from here
        const RollScriptStep s = r.step(CRollLogScript::kFirstSamplesMs + 100);
        EXPECT_EQ(s.action, Action::Finish);
        EXPECT_EQ(s.exitCode, 3) << "roll-mode samples never came";
    }
    {
        ScriptRun r;
        r.view.rollMode = true;
        r.view.groups = 1;
        ASSERT_EQ(r.script.Step(10, r.view).action, Action::StartLog);
        const RollScriptStep s = r.script.LogStarted(10, false);
        EXPECT_EQ(s.action, Action::Finish);
        EXPECT_EQ(s.exitCode, 3) << "the log did not open";
    }
    {
        ScriptRun r;
        r.view.rollMode = true;
        r.view.groups = 1;
        ASSERT_EQ(r.step().action, Action::StartLog);
        r.view.logOpen = false; // a write failure, the tester still in roll mode
        const RollScriptStep s = r.step();
        EXPECT_EQ(s.action, Action::Finish);
        EXPECT_EQ(s.exitCode, 4);
    }
}

} // namespace
} // namespace wavix
