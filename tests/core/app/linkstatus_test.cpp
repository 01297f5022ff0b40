#include "core/app/linkstatus.h"

#include "core/app/controllerharness.h"
#include "core/app/maintexts.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace wavix::test {
namespace {

// The link pane and its trace against a tester that answers, falls silent or is not there.
class LinkStatus : public ::testing::Test, public ControllerHarness {
protected:
    LinkStatus() {
        controller.WatchLink(clock, "127.0.0.9", 10320, [](std::uint32_t ageMs) {
            return "age " + std::to_string(ageMs);
        });
    }
    // Timer steps of `step` ms until `total` has passed; a feeding tester has
    // one group ready at every step and answers empty in between.
    void run(std::uint32_t total, std::uint32_t step = 100) {
        for (std::uint32_t t = 0; t < total; t += step) {
            clock.advance(step);
            if (feeding)
                module.groupsLeft = 1;
            controller.OnTimer(CWavixController::kRetryTimerId);
            protocol.OnTimer();
            settle();
        }
    }
    bool feeding = false;
};

TEST_F(LinkStatus, NoTesterAtTheAddressIsSaidWithinThreeSecondsAndTheKeepAliveGoesOn) {
    module.silent = true;
    start();
    EXPECT_EQ(view.pane(Pane::Link), "127.0.0.9:10320: připojuji ...");
    run(3000);
    const std::string said = "Tester na adrese 127.0.0.9:10320 neodpovídá, zkouším to znovu ...";
    EXPECT_EQ(view.pane(Pane::ModuleStatus), said);
    ASSERT_FALSE(view.viewMessages.empty());
    EXPECT_EQ(view.viewMessages.back(), said);
    EXPECT_EQ(view.pane(Pane::Link), "127.0.0.9:10320: neodpovídá");
    EXPECT_TRUE(view.boxes.empty());

    // Still asking: a tester that finishes booting is found without a click.
    const std::size_t asked = module.count(c_ivrECHO);
    run(5000);
    EXPECT_GE(module.count(c_ivrECHO), asked + 4);
    module.silent = false;
    run(1000);
    EXPECT_EQ(controller.Link().State(), LinkState::Running);
    EXPECT_EQ(view.links, (std::vector<std::string>{"connecting 127.0.0.9:10320", "no-answer 127.0.0.9:10320",
                                                    "connecting 127.0.0.9:10320", "running 127.0.0.9:10320"}));
}

TEST_F(LinkStatus, ALossMarksTheLastCaptureAndReconnects) {
    feeding = true;
    module.emptyWhenIdle = true;
    start();
    run(3000, 250); // a group every 250 ms: four a second
    ASSERT_EQ(controller.Link().State(), LinkState::Running);
    EXPECT_EQ(view.pane(Pane::Link), "127.0.0.9:10320: běží, 4 záznamy/s");

    module.silent = true;
    run(3500);
    ASSERT_FALSE(view.viewMessages.empty());
    // Taken when the tester fell silent, 3 s and a timer step before the loss was seen.
    EXPECT_NE(view.viewMessages.back().find("Poslední záznam age 3"), std::string::npos) << view.viewMessages.back();
    EXPECT_NE(view.links.end(), std::find(view.links.begin(), view.links.end(), "lost 127.0.0.9:10320"));
    EXPECT_EQ(view.pane(Pane::Link), "127.0.0.9:10320: spojení ztraceno, připojuji znovu ...");
    // Still silent: "no answer", and the trace keeps its mark.
    run(3000);
    EXPECT_EQ(view.pane(Pane::Link), "127.0.0.9:10320: neodpovídá");
    EXPECT_EQ(view.viewMessages.back().rfind("Tester na adrese 127.0.0.9:10320 neodpovídá", 0), 0u);
    EXPECT_NE(view.viewMessages.back().find("  Poslední záznam age "), std::string::npos) << view.viewMessages.back();

    module.silent = false;
    run(2000, 50);
    EXPECT_EQ(controller.Link().State(), LinkState::Running);
}

TEST(LinkStatusTexts, TheRateTakesTheFormOfItsNumberInBothLanguages) {
    const auto lang = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() /
                      "data" / "Lang";
    CMainTexts czech, english;
    ASSERT_TRUE(czech.Load(lang / "Cestina.lng"));
    ASSERT_TRUE(english.Load(lang / "English.lng"));
    struct Case {
        int rate;
        const char* czech;
        const char* english;
    };
    const Case cases[] = {
        {0, "%d záznamů/s", "%d captures/s"}, {1, "%d záznam/s", "%d capture/s"},
        {2, "%d záznamy/s", "%d captures/s"}, {4, "%d záznamy/s", "%d captures/s"},
        {5, "%d záznamů/s", "%d captures/s"}, {11, "%d záznamů/s", "%d captures/s"},
        {21, "%d záznamů/s", "%d captures/s"}, {22, "%d záznamů/s", "%d captures/s"},
        {101, "%d záznamů/s", "%d captures/s"}, {-1, "%d záznamů/s", "%d captures/s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        const std::string_view key = RunningTextKey(c.rate);
        EXPECT_TRUE(czech.Get(key).ends_with(std::string(": běží, ") + c.czech)) << czech.Get(key);
        EXPECT_TRUE(english.Get(key).ends_with(std::string(": running, ") + c.english)) << english.Get(key);
    }
}

TEST(LinkStatusStates, StateFollowsTheSession) {
    struct Step {
        const char* what;
        std::uint32_t at;
        LinkState expected;
    };
    const std::vector<Step> steps = {
        {"start", 0, LinkState::Connecting},     {"tick", 2499, LinkState::Connecting},
        {"up", 2499, LinkState::Connecting},     {"tick", 9000, LinkState::Connecting},
        {"running", 9000, LinkState::Running},   {"timeout", 12000, LinkState::Lost},
        {"start", 12000, LinkState::Lost},       {"tick", 14500, LinkState::NoAnswer},
        {"timeout", 15000, LinkState::NoAnswer}, {"up", 16000, LinkState::Connecting},
        {"running", 16100, LinkState::Running},  {"stopped", 17000, LinkState::Stopped},
        {"start", 18000, LinkState::Connecting}, {"timeout", 19000, LinkState::Connecting},
    };
    CLinkStatus link;
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.what) + " at " + std::to_string(s.at));
        const std::string_view what = s.what;
        if (what == "start")
            link.OnSessionStart(s.at);
        else if (what == "up")
            link.OnLinkUp();
        else if (what == "running")
            link.OnScopeRunning(s.at);
        else if (what == "stopped")
            link.OnStopped();
        else if (what == "timeout")
            link.OnReplyTimeout(s.at);
        link.OnTick(s.at);
        EXPECT_EQ(link.State(), s.expected);
    }
}

TEST(LinkStatusStates, CapturesPerSecondOverEachSecond) {
    CLinkStatus link;
    link.OnScopeRunning(0);
    for (std::uint32_t t = 50; t < 1000; t += 50)
        EXPECT_FALSE(link.OnCapture(t));
    EXPECT_TRUE(link.OnCapture(1000)); // 20 in the first second
    EXPECT_EQ(link.CapturesPerSecond(), 20);
    for (std::uint32_t t = 1250; t <= 2000; t += 250)
        link.OnCapture(t);
    EXPECT_EQ(link.CapturesPerSecond(), 4);
    EXPECT_EQ(link.LastCaptureTick(), 2000u);
}

} // namespace
} // namespace wavix::test
