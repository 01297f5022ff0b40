#include "core/app/wavixcontroller.h"

#include "core/app/controllerharness.h"

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

using Cmds = std::vector<std::uint16_t>;

class Controller : public ::testing::Test, public ControllerHarness {};

TEST_F(Controller, CaptureLoopRunsToTheTenthGroupInEveryStartMode) {
    tOscilExchange pc = DefaultOscilExchange();
    pc.chann_num = 3;
    pc.time_base_ENUM = 5;
    struct Case {
        StartMode mode;
        Cmds head; // before the calibration read
        int channels;
        std::uint32_t step;
        std::uint16_t moduleType = 0x42;
    };
    const Case cases[] = {
        {StartMode::AskModule, {0x0000, 0x0043, 0x0082}, 4, 2},
        {StartMode::SendOwn, {0x0000, 0x0043, 0x0081}, 3, 5},
        {StartMode::Custom, {0x0000, 0x0043, 0x0082, 0x0081}, 2, 3},
        {StartMode::AskModule, {0x0000, 0x0082}, 4, 2, 0x8D}, // its Scope runs unasked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        ControllerHarness h;
        h.module.moduleNum = c.moduleType;
        h.data().SetSettings(pc, false);
        h.controller.SetStartMode(c.mode, 3, 2);
        h.start();

        Cmds expected = c.head;
        expected.push_back(c_ivrASK_OSCIL_EEPROM);
        expected.insert(expected.end(), 11, c_ivrASK_SCOPE_DATA); // the eleventh waits for an answer
        EXPECT_EQ(h.module.commands, expected);
        EXPECT_EQ(h.data().GetActiveChannelCount(), c.channels);
        EXPECT_EQ(h.data().GetSettings().time_base_ENUM, c.step);
        EXPECT_EQ(h.view.boxes.size(), 0u);
        EXPECT_EQ(h.view.pane(Pane::ModuleStatus), " Scope OK ");
        EXPECT_EQ(h.view.pane(Pane::ModuleName),
                  "Samples/CH=" + std::to_string(SamplesPerStep(static_cast<int>(c.step))) +
                      ", Sample rate = " + std::to_string(SampleRateHz(static_cast<int>(c.step))) +
                      ", CAL: 15.10.2008");
        EXPECT_EQ(h.view.viewMessages.back(), "<hidden>");
        // Custom mode puts two records in force: the module's, then the patched one.
        ASSERT_GE(h.view.calls.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(h.view.calls.end() - 4, h.view.calls.end()),
                  (std::vector<std::string>{"layout " + std::to_string(c.channels),
                                            "attach 0 " + std::to_string(c.channels) + " " +
                                                std::to_string(c.channels),
                                            "panels", "save"}));
        EXPECT_GE(h.view.redraws, 10);
    }
}

TEST_F(Controller, CustomSettingsArePatchedOnceOnly) {
    controller.SetStartMode(StartMode::Custom, 3, 2);
    module.groupsLeft = 1;
    start();
    ASSERT_EQ(module.sent.size(), 1u); // its fields: CaptureLoopRunsToTheTenthGroupInEveryStartMode

    // A later exchange sends the user's record as it stands.
    data().SetTimeBase(6);
    data().SetChannelCount(4);
    module.groupsLeft = 1;
    deliver(reply(0x8080, 0)); // answers the waiting request: header only, record dirty
    settle();
    ASSERT_EQ(module.sent.size(), 2u);
    EXPECT_EQ(module.sent[1].chann_num, 4);
    EXPECT_EQ(module.sent[1].time_base_ENUM, 6u);
    EXPECT_EQ(view.panes[Pane::ModuleStatus].end()[-2], " Sending settings ... ");
    EXPECT_EQ(view.pane(Pane::ModuleStatus), " Settings ok ");
    EXPECT_NE(std::find(view.viewMessages.begin(), view.viewMessages.end(), "Čekání na odpověď ..."),
              view.viewMessages.end());
    EXPECT_EQ(module.count(c_ivrASK_OSCIL_EEPROM), 1u) << "the calibration record is read once per run";
    EXPECT_EQ(module.commands.back(), c_ivrASK_SCOPE_DATA) << "polling resumed";
}

// In roll mode (or on a busy PC) every answer carries samples and none is
// header-only: the edit goes out after the next group instead, once.
TEST_F(Controller, AnEditReachesAModuleThatAlwaysHasSamples) {
    module.own.TR_mode = TM_FREE;
    module.own.chann_num = 2;
    module.groupsLeft = 3;
    start();
    const std::size_t before = module.commands.size();
    view.rollLogOpen = true;
    data().ToggleCoupling(1);
    const std::uint16_t edited = data().GetSettings().CH1_dc_on;
    module.groupsLeft = 3;
    deliver(reply(0x8080, 0x0040, std::vector<std::uint8_t>(4 * 16, 0)));
    deliver(reply(0x8080, 0, std::vector<std::uint8_t>(4 * 16, 0)));
    settle();

    EXPECT_EQ(Cmds(module.commands.begin() + static_cast<std::ptrdiff_t>(before), module.commands.end()),
              (Cmds{c_ivrSET_OSCIL_EXCHANGE, c_ivrASK_SCOPE_DATA, c_ivrASK_SCOPE_DATA, c_ivrASK_SCOPE_DATA,
                    c_ivrASK_SCOPE_DATA}));
    ASSERT_EQ(module.sent.size(), 1u);
    EXPECT_EQ(module.sent[0].CH1_dc_on, edited);
    EXPECT_EQ(module.inForce.CH1_dc_on, edited);
    EXPECT_FALSE(data().IsDirty());
    EXPECT_EQ(view.calls.back(), "save");
    EXPECT_EQ(view.pane(Pane::ModuleStatus), " Settings ok ");
    EXPECT_EQ(view.logged, std::vector<std::uint32_t>{32}) << "the group before the record, once";
    EXPECT_EQ(protocol.QueueSize(), 1u);
}

// A record sent at once (toolbar, trigger marker) while a data request is out:
// its answer resumes polling, and the finished group must not ask as well.
TEST_F(Controller, ARecordSentWhileAskingStartsNoSecondPollingChain) {
    module.groupsLeft = 2;
    start();
    ASSERT_EQ(module.count(c_ivrASK_SCOPE_DATA), 3u);
    post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::RunStop));
    module.groupsLeft = 3;
    deliver(reply(0x8080, 0x0040, std::vector<std::uint8_t>(8 * 16, 0)));
    deliver(reply(0x8080, 0, std::vector<std::uint8_t>(8 * 16, 0)));
    settle();
    EXPECT_EQ(module.count(c_ivrSET_OSCIL_EXCHANGE), 1u);
    EXPECT_EQ(module.count(c_ivrASK_SCOPE_DATA), 7u);
    EXPECT_EQ(protocol.QueueSize(), 1u) << "one request out, not one per chain";
}

// The toolbar is locked for a roll log: its keys and scripted presses arrive
// here too, and must change neither the record nor the window.
TEST_F(Controller, WhileARollLogIsOpenOnlyTheLogCommandPasses) {
    module.own.TR_mode = TM_FREE;
    module.groupsLeft = 1;
    module.emptyWhenIdle = true;
    start();
    view.rollLogOpen = true;
    const tOscilExchange before = data().GetSettings();
    const std::size_t sentBefore = module.sent.size();
    const std::size_t toolsBefore = view.tools.size();
    toolbar.calls.clear();
    for (int code = Encode(ToolbarCommand::ViewMode); code < Encode(ToolbarCommand::RollLog); ++code)
        post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, code);
    EXPECT_EQ(module.sent.size(), sentBefore);
    EXPECT_EQ(data().GetSettings(), before);
    EXPECT_TRUE(data().IsRunning());
    EXPECT_FALSE(controller.State().multiView);
    EXPECT_TRUE(toolbar.calls.empty());
    EXPECT_EQ(view.tools.size(), toolsBefore);
    EXPECT_TRUE(view.rollLogOpen);

    post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::RollLog));
    EXPECT_EQ(toolbar.calls, std::vector<std::string>{"roll log"});
    // The log over, run/stop works again.
    view.rollLogOpen = false;
    post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::RunStop));
    EXPECT_FALSE(data().IsRunning());
}

TEST_F(Controller, EmptyAnswerRetriesOnceAfterFiftyMilliseconds) {
    struct Case {
        std::uint16_t mode;
        std::string message;
    };
    const Case cases[] = {{TM_AUTO, ""},
                          {TM_NORM, "Čekání na hranu ..."},
                          {TM_SINGLE, "Jeden odměr"},
                          {TM_AUTO | kStopBit, "Scope zastaven"}};
    for (const Case& c : cases) {
        ControllerHarness h;
        h.module.own.TR_mode = c.mode;
        h.module.groupsLeft = 0;
        h.start();
        const std::size_t requests = h.module.count(c_ivrASK_SCOPE_DATA);
        h.view.timers.clear();
        h.deliver(reply(0x8080, 0));
        h.deliver(reply(0x8080, 0)); // a second empty answer while the timer runs
        h.settle();
        EXPECT_EQ(h.view.timers, std::vector<int>{50}) << c.mode;
        EXPECT_EQ(h.view.viewMessages.back(), c.message);
        EXPECT_EQ(h.view.pane(Pane::ModuleStatus), " Zero length ... ");
        EXPECT_EQ(h.module.count(c_ivrASK_SCOPE_DATA), requests) << "asked before the timer fired";

        EXPECT_FALSE(h.controller.OnTimer(1));
        h.clock.advance(50);
        EXPECT_TRUE(h.controller.OnTimer(CWavixController::kRetryTimerId));
        EXPECT_FALSE(h.controller.OnTimer(CWavixController::kRetryTimerId)) << "the timer is one-shot";
        h.settle();
        EXPECT_EQ(h.view.timers, (std::vector<int>{50, 0}));
        EXPECT_EQ(h.module.count(c_ivrASK_SCOPE_DATA), requests + 1);
    }
}

// The calibration record is read without waiting in the queue, and only its
// answer starts polling: a lost answer must not leave the capture waiting.
TEST_F(Controller, ALostCalibrationAnswerDelaysPollingOnly) {
    for (const bool lost : {false, true}) {
        ControllerHarness h;
        h.module.loseCalibrationRead = lost;
        h.module.groupsLeft = 1;
        h.start();
        EXPECT_EQ(h.view.timers.front(), static_cast<int>(kCalibrationReadMs)) << lost;
        if (!lost) {
            EXPECT_EQ(h.view.timers[1], 0) << "the answer stops the guard";
            EXPECT_GE(h.module.count(c_ivrASK_SCOPE_DATA), 1u);
            continue;
        }
        EXPECT_EQ(h.module.count(c_ivrASK_SCOPE_DATA), 0u);
        h.clock.advance(kCalibrationReadMs);
        EXPECT_TRUE(h.controller.OnTimer(CWavixController::kRetryTimerId));
        h.settle();
        EXPECT_GE(h.module.count(c_ivrASK_SCOPE_DATA), 1u) << "polling runs without the record";
        EXPECT_EQ(h.view.endResult, -1);
    }
}

// The link reopened (log viewer, log download) while a retry was due: the retry
// must wait for the new session's scope, or the tester, not yet running its
// Scope function, answers "not served" and the program ends.
TEST_F(Controller, ARetryDueWhenTheLinkReopensWaitsForTheScope) {
    ControllerHarness h;
    h.module.groupsLeft = 0;
    h.start();
    h.deliver(reply(0x8080, 0));
    h.settle();
    ASSERT_EQ(h.view.timers.back(), 50);
    h.protocol.Reinit();
    h.module.commands.clear();
    h.clock.advance(50);
    h.controller.OnTimer(CWavixController::kRetryTimerId);
    h.settle();
    EXPECT_EQ(h.module.count(c_ivrASK_SCOPE_DATA), 0u) << "asked before the scope runs";

    h.module.groupsLeft = 2;
    h.start();
    ASSERT_GE(h.module.commands.size(), 3u);
    EXPECT_EQ(h.module.commands.front(), c_ivrECHO);
    EXPECT_EQ(h.module.commands[1], c_ivrRUN_OSCIL);
    EXPECT_EQ(h.module.commands.back(), c_ivrASK_SCOPE_DATA) << "capturing again";
    EXPECT_EQ(h.view.endResult, -1);
}

TEST_F(Controller, LostLinkAndBadStartAnswerRestartTheSession) {
    for (const bool timeout : {true, false}) {
        ControllerHarness h;
        if (!timeout)
            h.module.runAnswerExtra = 2; // a start answer of ten bytes
        h.module.groupsLeft = 1;
        h.start();
        if (timeout) {
            h.module.silent = true;
            h.clock.advance(3001);
            h.protocol.OnTimer();
            h.settle();
            h.module.silent = false;
        }
        EXPECT_EQ(h.view.viewMessages.back(), "Komunikace se čtečkou ztracena ...") << timeout;
        EXPECT_TRUE(h.protocol.IsState(ModuleEvent::Initialised)) << "a fresh session after Reinit";
        EXPECT_EQ(h.view.boxes.size(), 0u);
        h.clock.advance(1000);
        h.start();
        EXPECT_EQ(h.module.commands.back(), c_ivrASK_SCOPE_DATA) << "capturing again after the restart";
        EXPECT_EQ(h.view.endResult, -1);
    }
}

// A tester that browns out comes back with its power-up record: after a lost
// link the record the user had in force goes back to it as an edit would; a
// reconnect the user asked for takes the tester's record as at start.
TEST_F(Controller, TheRecordInForceSurvivesATesterRestart) {
    for (const bool lost : {true, false}) {
        SCOPED_TRACE(lost);
        ControllerHarness h;
        h.module.groupsLeft = 1;
        h.start();
        h.data().SetTimeBase(6);
        h.data().SetChannelCount(2);
        h.deliver(reply(0x8080, 0)); // the waiting request answered header-only: the edit goes out
        h.settle();
        const tOscilExchange user = h.data().GetSettings();
        ASSERT_EQ(h.module.inForce, user);
        const std::size_t sent = h.module.sent.size();

        if (lost) {
            h.view.rollLogOpen = true;
            h.module.silent = true;
            h.clock.advance(CIvoraProtocol::kReplyTimeoutMs + 1);
            h.protocol.OnTimer();
            h.settle();
            h.module.silent = false;
        } else {
            h.post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::Connect));
            h.post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::Connect));
            h.protocol.Reinit(); // what the window's reopen does
        }
        h.module.groupsLeft = 1;
        h.clock.advance(1000);
        h.start();

        EXPECT_EQ(h.module.commands.back(), c_ivrASK_SCOPE_DATA) << "capturing again";
        EXPECT_EQ(h.view.calls.back(), "save");
        if (lost) {
            ASSERT_EQ(h.module.sent.size(), sent + 1);
            EXPECT_EQ(h.module.inForce, user);
            EXPECT_EQ(h.data().GetSettings(), user);
            EXPECT_EQ(h.view.pane(Pane::ModuleStatus), "Nastavení obnoveno po restartu čtečky");
            // The power-up record in between must not end a roll log: it goes on once ours is back.
            EXPECT_EQ(h.view.logChecks, std::vector<tOscilExchange>{user});
        } else {
            EXPECT_EQ(h.module.sent.size(), sent);
            EXPECT_EQ(h.data().GetActiveChannelCount(), h.module.own.chann_num);
            EXPECT_EQ(h.data().GetSettings().time_base_ENUM, h.module.own.time_base_ENUM);
        }
    }
}

TEST_F(Controller, RecoveryBoxOpensOnceAndRestartsTheSession) {
    start();
    int nested = 0;
    view.whileBoxOpen = [&] {
        if (nested++ == 0)
            controller.OnMessage(Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::GroupOverflow), 0);
    };
    controller.OnMessage(Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::GroupOverflow), 0);
    EXPECT_EQ(nested, 1);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].caption, " .: Error ... ");
    EXPECT_EQ(view.boxes[0].text,
              "Čtečka se pravděpodobně zbláznila. Odpojte prosím čtečku od napájení a pak jí "
              "opět připojte. Děkujeme");
    EXPECT_TRUE(protocol.IsState(ModuleEvent::Initialised)) << "restarted";
    view.whileBoxOpen = nullptr;
    controller.OnMessage(Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::GroupOverflow), 0);
    EXPECT_EQ(view.boxes.size(), 2u) << "the guard is released after the box";
}

TEST_F(Controller, FatalFaultsShowTheirBoxAndEndTheDialog) {
    struct Case {
        std::intptr_t word;
        std::string caption;
        std::string text;
        int result;
    };
    const Case cases[] = {
        // Status error, no Scope module and a bad calibration record come off the wire below.
        {Encode(ModuleEvent::QueueFull), " .: ERROR ... ", "FiFo full ... ", 2},
        {Encode(ModuleEvent::ConnectionFailed), " .: ERROR ... ", "Connection failec ... ", 2},
        {Encode(ModuleEvent::UnknownReply), " .: ERROR ... ", "Unexpected command ... ", 2},
        {Encode(ModuleEvent::SettingsRefused), " .: Error ... ",
         "Čtečka neobsahuje modul SCOPE. Kontaktujte svého dodavatele ....", 1},
    };
    for (const Case& c : cases) {
        ControllerHarness h;
        // The box runs a nested loop: a report handled meanwhile must start nothing.
        h.view.whileBoxOpen = [&h] {
            h.controller.OnMessage(Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::ScopeRunning), 0);
        };
        h.post(Msg::UWM_IVORA_PROTOCOL, c.word, 0);
        EXPECT_EQ(h.view.boxes, (std::vector<RecordingView::Box>{{c.caption, c.text, BoxIcon::Error}}));
        EXPECT_EQ(h.view.endResult, c.result);
        h.post(Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::GroupConverted), 0);
        EXPECT_EQ(h.module.commands.size(), 0u) << "a request after the end";
    }
}

TEST_F(Controller, RefusedAnswersOnTheWireEndWithTheRightBox) {
    struct Case {
        const char* what;
        std::function<void(FakeScopeModule&)> setup;
        std::string text;
        int result;
        int exitCode;
    };
    const Case cases[] = {
        {"no Scope module", [](FakeScopeModule& m) { m.askStatus = kStatusUnknown; },
         "Čtečka neobsahuje modul SCOPE. Kontaktujte svého dodavatele ....", 1, -1},
        {"status error", [](FakeScopeModule& m) { m.dataStatus = kStatusNotServed; }, "Status error ... ", 2,
         -1},
        {"record version 1", [](FakeScopeModule& m) { m.own.version = 1; },
         " Váš přístroj obsahuje starší verzi modulu scope (verze 1)\nDopručujeme abyste nainstalovali novou "
         "verzi programu scope!\n\nChcete pokračovat???",
         -1, 274},
        {"first generation", [](FakeScopeModule& m) { m.recordBytes = kOscilExchangeV1Size; },
         "Tato verze programu spolupracuje s modulem Scope verze 2 a vyšší!\nVáš přístroj Vexor obsahuje "
         "verzi "
         "Scope 1.x. Inovujte modul Scope, nebo použijte starší verzi programu Wavix.exe.",
         1, -1},
        {"calibration record fails its checks", [](FakeScopeModule& m) { m.calibration.state = 0; },
         "Nepodařilo se složit kalibrační strukturu SOscil_EEPROM!", 1, -1},
        {"record asks for too many samples", [](FakeScopeModule& m) { m.own.samples_all = kMaxSamples; },
         "Nastavení vyžaduje více vzorků, než modul dokáže přenést.", 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ControllerHarness h;
        c.setup(h.module);
        h.start();
        ASSERT_EQ(h.view.boxes.size(), 1u);
        EXPECT_EQ(h.view.boxes[0].text, c.text);
        EXPECT_EQ(h.view.endResult, c.result);
        EXPECT_EQ(h.view.exitCode, c.exitCode);
        EXPECT_EQ(h.module.count(c_ivrASK_SCOPE_DATA), c.exitCode == -1 && c.result == 2 ? 1u : 0u);
    }
}

TEST(ControllerInEnglish, FaultBoxesComeFromTheLanguageFile) {
    const auto english =
        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "data" /
        "Lang" / "English.lng";
    struct Case {
        Msg msg;
        std::intptr_t w, l;
        std::string box;
    };
    const Case cases[] = {
        {Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::FirstGeneration), 0,
         "This version of the program works with Scope module version 2 and higher!\nYour Vexor contains "
         "Scope "
         "version 1.x. Upgrade the Scope module or use an older version of Wavix.exe."},
        {Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::CalibrationReadFailed), 0,
         "The calibration record SOscil_EEPROM could not be composed!"},
        {Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::TooManySamples), 0,
         "The settings ask for more samples than the module can transfer."},
        {Msg::UWM_SCOPE_DATA, 1, Encode(ScopeDataNotice::OldModule),
         " Your instrument contains an older scope module (version 1)\nWe recommend installing a new version "
         "of "
         "the scope program!\n\nDo you want to continue???"},
        {Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::Disconnected), 0,
         " The connection to the reader could not be closed"},
        {Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::ConnectionFailed), 0, "Connection failed ... "},
    };
    for (const Case& c : cases) {
        ControllerHarness h;
        ASSERT_TRUE(h.texts.Load(english));
        h.view.closeLinkWorks = false;
        h.post(c.msg, c.w, c.l);
        ASSERT_EQ(h.view.boxes.size(), 1u);
        EXPECT_EQ(h.view.boxes[0].text, c.box);
    }
}

// The module's record in force before the run: gains off nominal, as a real unit's.
SOscil_EEPROM unitCalibration() {
    SOscil_EEPROM rec = FakeScopeModule().calibration;
    for (auto& channel : rec.entries)
        for (auto& e : channel) {
            e.zero = 505;
            e.gainPos = static_cast<std::uint16_t>(e.gainPos + 3);
        }
    return rec;
}

// Polling with the module's own record; the last data request stays unanswered.
// A box stays open 10 s, and the tester answers no data request from then on.
void startPolling(ControllerHarness& h) {
    h.view.whileBoxOpen = [&h] {
        h.module.groupsLeft = 0;
        h.clock.advance(10000);
        h.protocol.OnTimer();
    };
    h.module.calibration = unitCalibration();
    h.module.groupsLeft = 1;
    h.start();
}

// Then a calibration run whose header goes out with the next finished group.
void runCalibration(ControllerHarness& h, std::vector<std::uint8_t> answer) {
    startPolling(h);
    h.controller.StartCalibration(DefaultCalibration());
    EXPECT_EQ(h.view.viewMessages.back(), "Probíhá kalibrace ... ");
    h.module.calibrationAnswer = std::move(answer);
    h.module.groupsLeft = 2;
    h.deliver(reply(0x8080, 0x0040, std::vector<std::uint8_t>(8 * 4, 0)));
    h.deliver(reply(0x8080, 0, std::vector<std::uint8_t>(8 * 4, 0)));
    h.settle();
}

const std::string kRefused =
    "Chybné heslo, čtečka není nakalibrována nebo vznikla jiná HW chyba - kontaktujte výrobce!";

std::size_t linkLosses(const ControllerHarness& h) {
    return static_cast<std::size_t>(std::count(h.view.viewMessages.begin(), h.view.viewMessages.end(),
                                               std::string(h.texts.Get("TXT_102"))));
}

// The reply watch, back on after the box, counts its 3000 ms from the box's end.
void expectWatchCountsFromTheBox(ControllerHarness& h) {
    h.protocol.OnTimer();
    h.settle();
    EXPECT_EQ(linkLosses(h), 0u) << "the open box counted as silence";
    h.clock.advance(CIvoraProtocol::kReplyTimeoutMs + 1);
    h.protocol.OnTimer();
    h.settle();
    EXPECT_EQ(linkLosses(h), 1u) << "the watch is not back on";
}

// Every answer ends the run with its box and polling resumes with the reply watch on;
// only a record that passed its checks replaces the one in force, a refusal keeps
// its gains and clears its state.
TEST_F(Controller, CalibrationAnswers) {
    SOscil_EEPROM fresh = DefaultCalibration();
    fresh.state = 1;
    fresh.day = 0x01;
    fresh.month = 0x02;
    fresh.year = 0x2024;
    SOscil_EEPROM refusedRecord = unitCalibration();
    refusedRecord.state = 0;
    SOscil_EEPROM damaged = fresh;
    damaged.size = 200;
    struct Case {
        std::vector<std::uint8_t> answer;
        std::string caption;
        std::string text;
        std::string info;
        SOscil_EEPROM inForce;
    };
    const Case cases[] = {
        {reply(0x8085, kStatusNotServed), ".: Error ...", kRefused, "CalSetFailed", refusedRecord},
        {reply(0x8085, kStatusUnknown), ".: Error ...",
         "Přístroj obsahuje starou verzi osciloskopu (chybí kalibrace) - kontaktujte výrobce!",
         "CalSetFailed", refusedRecord},
        {reply(0x8085, 0, FakeScopeModule::eeprom(fresh)), ".: Info ...", "Kalibrace byla dokončena.",
         "CAL: 1.2.2024", fresh},
        {reply(0x8085, 0, std::vector<std::uint8_t>(12)), ".: Error ...", kRefused, "CalSetFailed",
         refusedRecord},
        {reply(0x8085, 0, FakeScopeModule::eeprom(damaged)), ".: Error ...", kRefused, "CalSetFailed",
         refusedRecord},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ControllerHarness h;
        runCalibration(h, c.answer);
        ASSERT_EQ(h.view.boxes.size(), 1u);
        EXPECT_EQ(h.view.boxes[0].caption, c.caption);
        EXPECT_EQ(h.view.boxes[0].text, c.text);
        EXPECT_FALSE(h.controller.State().calibration.inProgress);
        EXPECT_EQ(h.controller.State().calibration.info, c.info);
        EXPECT_NE(h.view.pane(Pane::ModuleName).find(c.info), std::string::npos);
        EXPECT_EQ(h.view.scaleResets, c.caption == ".: Error ..." ? 1 : 0);
        EXPECT_EQ(h.data().GetCalibration(), c.inForce);
        EXPECT_EQ(h.module.count(c_ivrSET_OSCIL_EEPROM), 1u);
        EXPECT_EQ(h.view.guards, (std::vector<int>{10000, 0}));
        EXPECT_EQ(h.module.commands.back(), c_ivrASK_SCOPE_DATA) << "polling resumed";
        expectWatchCountsFromTheBox(h);
    }
}

// A module that never answers would leave polling stopped for good. The guard,
// counted from the command, ends the run as a refusal whether its header went
// out or no answer came to send it with; nothing of the run comes later.
TEST_F(Controller, CalibrationGuardEndsASilentRunAndIgnoresWhatComesLate) {
    for (const bool headerSent : {true, false}) {
        SCOPED_TRACE(headerSent);
        ControllerHarness h;
        if (headerSent) {
            runCalibration(h, {});
        } else {
            startPolling(h);
            h.controller.StartCalibration(DefaultCalibration());
        }
        h.module.groupsLeft = 0;
        ASSERT_EQ(h.view.guards, std::vector<int>{10000});
        EXPECT_TRUE(h.view.boxes.empty());
        std::size_t asked = h.module.count(c_ivrASK_SCOPE_DATA);

        EXPECT_TRUE(h.controller.OnTimer(CWavixController::kCalibrationGuardTimerId));
        h.settle();
        ASSERT_EQ(h.view.boxes.size(), 1u);
        EXPECT_EQ(h.view.boxes[0], (RecordingView::Box{".: Error ...", kRefused, BoxIcon::Error}));
        EXPECT_EQ(h.controller.State().calibration.info, "CalSetFailed");
        EXPECT_EQ(h.data().GetCalibration().state, 0);
        EXPECT_EQ(h.data().GetCalibration().entries, unitCalibration().entries);
        // Without the header the data request is still out (asked again while the
        // box was open): its answer goes on polling.
        EXPECT_GE(h.module.count(c_ivrASK_SCOPE_DATA), asked + (headerSent ? 1 : 0));
        EXPECT_FALSE(h.controller.OnTimer(CWavixController::kCalibrationGuardTimerId))
            << "nothing left to guard";
        expectWatchCountsFromTheBox(h);

        // The session restarted on the lost link: a late answer, or the new session's first group.
        asked = h.module.count(c_ivrASK_SCOPE_DATA);
        if (headerSent) {
            h.deliver(reply(0x8085, 0, FakeScopeModule::eeprom(h.module.calibration)));
        } else {
            h.module.groupsLeft = 1;
            h.protocol.OnTimer();
        }
        h.settle();
        EXPECT_EQ(h.view.boxes.size(), 1u);
        EXPECT_EQ(h.module.count(c_ivrSET_OSCIL_EEPROM), headerSent ? 1u : 0u);
        if (headerSent) {
            EXPECT_EQ(h.module.count(c_ivrASK_SCOPE_DATA), asked);
            EXPECT_EQ(h.controller.State().calibration.info, "CAL: 15.10.2008")
                << "the record the module took";
        }
    }
}

// NORM waiting for its edge and SINGLE after its shot may answer without samples
// for good: the header goes out with such an answer, and the trigger message
// does not replace the calibration's.
TEST_F(Controller, CalibrationGoesOutWithAnAnswerWithoutSamples) {
    for (const std::uint16_t mode : {TM_NORM, TM_SINGLE}) {
        SCOPED_TRACE(mode);
        ControllerHarness h;
        h.module.own.TR_mode = mode;
        h.module.groupsLeft = 0;
        h.module.emptyWhenIdle = true;
        h.module.calibrationAnswer = reply(0x8085, 0, FakeScopeModule::eeprom(h.module.calibration));
        h.start();
        h.controller.StartCalibration(DefaultCalibration());
        const std::size_t shown = h.view.viewMessages.size();
        ASSERT_TRUE(h.controller.OnTimer(CWavixController::kRetryTimerId));
        h.settle();
        EXPECT_EQ(h.module.count(c_ivrSET_OSCIL_EEPROM), 1u);
        ASSERT_EQ(h.view.boxes.size(), 1u);
        EXPECT_EQ(h.view.boxes[0].text, "Kalibrace byla dokončena.");
        ASSERT_GT(h.view.viewMessages.size(), shown);
        EXPECT_EQ(h.view.viewMessages[shown], "") << "the trigger message replaced the calibration's";
    }
}

// Reading the module's record at start must not swallow a run whose header is still to go.
TEST_F(Controller, CalibrationStartedBeforeTheModulesRecordStillRuns) {
    controller.StartCalibration(DefaultCalibration());
    module.calibrationAnswer = reply(0x8085, kStatusNotServed);
    module.groupsLeft = 1;
    start();
    EXPECT_EQ(module.count(c_ivrSET_OSCIL_EEPROM), 1u);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, kRefused);
}

TEST_F(Controller, StatusPanes) {
    module.groupsLeft = 0;
    module.emptyWhenIdle = true;
    SOscil_EEPROM none = DefaultCalibration();
    none.state = 0;
    data().SetCalibration(none);
    module.silent = true;
    post(Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::CalibrationRead), 0);
    EXPECT_EQ(view.pane(Pane::ModuleName), "Samples/CH=0, Sample rate = 0, NotCAL")
        << "no record yet: the zero divider gives no rate";
    module.silent = false;

    post(Msg::UWM_COMMUNICATION, 120, Encode(TrafficNotice::SentPerSecond));
    EXPECT_EQ(view.pane(Pane::ModuleType), "<none>");
    post(Msg::UWM_COMMUNICATION, 340, Encode(TrafficNotice::ReceivedPerSecond));
    EXPECT_EQ(view.pane(Pane::ModuleType), "I:340,O:120");
    post(Msg::UWM_COMMUNICATION, 0, Encode(TrafficNotice::SentPerSecond));
    post(Msg::UWM_COMMUNICATION, 0, Encode(TrafficNotice::ReceivedPerSecond));
    post(Msg::UWM_COMMUNICATION, 9, Encode(TrafficNotice::ReceivedPerTenth));
    EXPECT_EQ(view.pane(Pane::ModuleType), "I:0,O:0");

    for (const ModuleEvent e :
         {ModuleEvent::Received, ModuleEvent::Received, ModuleEvent::Sending, ModuleEvent::Received,
          ModuleEvent::Received, ModuleEvent::Received, ModuleEvent::Stopped})
        post(Msg::UWM_IVORA_PROTOCOL, Encode(e), 0);
    EXPECT_EQ(view.panes[Pane::ModuleSlider],
              (std::vector<std::string>{"- -", "\\ -", "| -", "| \\", "/ \\", "- \\", "\\ \\"}));
    EXPECT_EQ(view.pane(Pane::ModuleStatus), "Disconnected ...");

    post(Msg::UWM_SCOPE_DATA, 1000, Encode(ScopeDataNotice::ExpectedCount));
    post(Msg::UWM_SCOPE_DATA, 996, Encode(ScopeDataNotice::RealCount));
    EXPECT_EQ(view.pane(Pane::ModuleName), "ERROR Exp:1000, real 996");

    start(); // recovery asks again only while the scope runs
    const std::size_t before = module.count(c_ivrASK_SCOPE_DATA);
    post(Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::BadGroup), 0);
    EXPECT_EQ(view.pane(Pane::ModuleName), "Bad packet group error (#1)...trying recovery ...");
    post(Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::BadGroup), 0);
    EXPECT_EQ(view.pane(Pane::ModuleName), "Bad packet group error (#2)...trying recovery ...");
    EXPECT_EQ(module.count(c_ivrASK_SCOPE_DATA), before + 2);
}

TEST_F(Controller, OnlyConvertedSamplesReachTheRollLog) {
    module.own.TR_mode = TM_FREE;
    module.own.chann_num = 2;
    module.groupsLeft = 3;
    start();
    view.rollLogOpen = true;
    module.groupsLeft = 2;
    deliver(reply(0x8080, 0x0040, std::vector<std::uint8_t>(4 * 16, 0)));
    deliver(reply(0x8080, 0, std::vector<std::uint8_t>(4 * 16, 0)));
    settle();
    EXPECT_EQ(view.logged, (std::vector<std::uint32_t>{32, 32, 32})) << "16 + 16 sets a group";

    // Channel edits post the same code with a channel number; they log nothing.
    view.logged.clear();
    data().RangeUp(2);
    data().ToggleCoupling(3);
    settle();
    EXPECT_TRUE(view.logged.empty());
}

TEST_F(Controller, MultiViewArrangementAndToolbar) {
    module.own.chann_num = 3;
    module.groupsLeft = 1;
    module.emptyWhenIdle = true; // the queue stays free for the toolbar's records
    start();
    view.calls.clear();
    view.tools.clear();
    post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::ViewMode));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"layout 3", "attach 1 3 3", "panels", "save"}));
    const auto ptr = [&](int ch) { return reinterpret_cast<std::intptr_t>(&data().GetChannel(ch)); };
    std::vector<std::pair<ToolWindow, PostedMessage>> expected{
        {ToolWindow::Toolbar, {Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarState::SingleView)}},
        {ToolWindow::ChannelOptions,
         {Msg::UWM_CHANNEL_OPTIONS_CTRL, 0, Encode(ChannelOptionsNotice::Refresh)}},
        {ToolWindow::ChannelOptions, {Msg::UWM_CHANNEL_OPTIONS_CTRL, 0, Encode(ChannelOptionsNotice::Clear)}},
    };
    for (int ch = 1; ch <= 3; ++ch)
        expected.push_back({ToolWindow::ChannelOptions,
                            {Msg::UWM_CHANNEL_OPTIONS_CTRL, ptr(ch), Encode(ChannelOptionsNotice::Append)}});
    expected.push_back(
        {ToolWindow::ChannelOptions, {Msg::UWM_CHANNEL_OPTIONS_CTRL, 1, Encode(ChannelOptionsNotice::Show)}});
    EXPECT_EQ(view.tools, expected);

    // Run/stop sends the record with the stop bit and tells the toolbar.
    view.tools.clear();
    post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::RunStop));
    EXPECT_EQ(module.sent.back().TR_mode & kStopBit, kStopBit);
    const std::pair told{ToolWindow::Toolbar,
                         PostedMessage{Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarState::Running)}};
    EXPECT_NE(std::find(view.tools.begin(), view.tools.end(), told), view.tools.end());
    post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::RunStop));
    EXPECT_EQ(module.sent.back().TR_mode & kStopBit, 0);

    // Disconnect, then the session-ended report; a link that will not close says so.
    view.closeLinkWorks = false;
    post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::Connect));
    EXPECT_EQ(module.commands.back(), c_ivrSCOPE_SAFE_DISCONNECT);
    EXPECT_EQ(view.boxes.back(),
              (RecordingView::Box{" Socket ERROR ...", " Nepodarilo se uzavrit spojeni se cteckou",
                                  BoxIcon::Error}));
    EXPECT_EQ(view.pane(Pane::ModuleStatus), "Disconnected ...");
    post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::Connect));
    EXPECT_EQ(view.calls.back(), "reopen");
}

} // namespace
} // namespace wavix::test
