#include "core/protocol/ivoraprotocol.h"
#include "core/protocol/answerwait.h"
#include "core/scope/capturestore.h"

#include "core/support/bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace wavix {
namespace {

class RecordingSender : public IDatagramSender {
public:
    bool Send(Packet packet) override {
        sent.emplace_back(packet.data.get(), packet.data.get() + packet.size);
        return true;
    }
    std::vector<std::uint16_t> commands() const {
        std::vector<std::uint16_t> c;
        for (const auto& p : sent)
            c.push_back(readBE16(&p[2]));
        return c;
    }
    std::vector<std::vector<std::uint8_t>> sent;
};

class Session : public ::testing::Test {
protected:
    Session() {
        protocol.SetCommunication(&sender);
        capture.SetNoticeTarget(&window);
        protocol.Init(&window);
    }

    // A tester packet: header, then `payload` bytes (a copy of `data` when given).
    void feed(std::uint16_t reply, std::uint16_t status = 0, std::size_t payload = 0,
              const std::uint8_t* data = nullptr, std::uint16_t module = 0x42) {
        auto buffer = allocatePacketBuffer();
        buffer[0] = 0x10;
        buffer[1] = 0x02;
        writeBE16(&buffer[2], reply);
        writeBE16(&buffer[4], module);
        writeBE16(&buffer[6], status);
        for (std::size_t i = 0; i < payload; ++i)
            buffer[8 + i] = data != nullptr ? data[i] : static_cast<std::uint8_t>(i);
        protocol.parseRecData(std::move(buffer), 8 + payload);
    }
    void feedSettings(std::uint16_t reply, const tOscilExchange& rec) {
        std::array<std::uint8_t, 46> image{};
        const auto n = SerializeOscilExchange(rec, image);
        feed(reply, 0, n, image.data());
    }
    void feedCalibration(std::uint16_t reply, std::uint16_t state) {
        SOscil_EEPROM cal = DefaultCalibration();
        cal.state = state;
        std::array<std::uint8_t, kOscilEepromSize> image{};
        SerializeOscilEeprom(cal, image, ByteOrder::Big);
        feed(reply, 0, image.size(), image.data());
    }
    void linkUp() {
        protocol.OnTimer(); // first echo goes out at once
        feed(0x8000);
        window.clear();
        sender.sent.clear();
    }
    void advance(std::uint32_t ms) {
        clock.advance(ms);
        protocol.OnTimer();
    }
    // Reports with result 1 or 2, the ones that change the session's state.
    std::vector<std::intptr_t> stored() const {
        std::vector<std::intptr_t> v;
        for (const auto& m : window.messages)
            if (m.msg == Msg::UWM_IVORA_PROTOCOL &&
                ResultOf(DecodeModuleEvent(m.wParam)) != ModuleResult::Progress)
                v.push_back(m.wParam);
        return v;
    }
    std::size_t count(Msg msg, std::intptr_t lParam) const {
        return static_cast<std::size_t>(
            std::count_if(window.messages.begin(), window.messages.end(),
                          [&](const auto& m) { return m.msg == msg && m.lParam == lParam; }));
    }

    CFakeTickSource clock{1000};
    RecordingSender sender;
    CRecordingTarget window;
    CCaptureStore capture;
    CIvoraProtocol protocol{clock, capture};
};

TEST_F(Session, InitThenFirstEchoAnswerBringsTheLinkUpAndTheClockKeepsItAlive) {
    EXPECT_EQ(stored(), std::vector<std::intptr_t>{Encode(ModuleEvent::Initialised)});
    EXPECT_EQ(protocol.NextDeadlineMs(), 0u) << "first echo due at once";
    EXPECT_FALSE(protocol.IsAlive()) << "no tester has answered yet";
    protocol.OnTimer();
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], (std::vector<std::uint8_t>{0x10, 0x02, 0x00, 0x00}));
    feed(0x8000);
    EXPECT_EQ(window.messages.back(),
              (PostedMessage{Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::LinkUp), 0}));
    EXPECT_TRUE(protocol.IsState(ModuleEvent::LinkUp));
    EXPECT_TRUE(protocol.IsConnected());
    feed(0x8000); // later answers change nothing
    const auto reports = stored();
    EXPECT_EQ(std::count(reports.begin(), reports.end(), Encode(ModuleEvent::LinkUp)), 1);

    EXPECT_TRUE(protocol.IsAlive());
    EXPECT_EQ(protocol.NextDeadlineMs(), 901u);
    clock.advance(901);
    EXPECT_EQ(protocol.NextDeadlineMs(), 0u);
    protocol.OnTimer();
    EXPECT_EQ(sender.commands(), (std::vector<std::uint16_t>{0x0000, 0x0000}));
    EXPECT_EQ(protocol.NextDeadlineMs(), 901u);
    clock.advance(2098);
    EXPECT_TRUE(protocol.IsAlive());
    EXPECT_EQ(protocol.NextDeadlineMs(), 0u); // echo overdue
    clock.advance(1);
    EXPECT_FALSE(protocol.IsAlive());
    protocol.Reinit();
    EXPECT_FALSE(protocol.IsAlive()) << "a restart is no answer";
    feed(0x8000);
    EXPECT_TRUE(protocol.IsAlive());
}

TEST_F(Session, SilentTesterTimesOutOnceWhateverCameLast) {
    // WatchResumed: switched off for a box left open 10 s, the watch counts anew;
    // CommInit: its answer may take 50 s.
    enum class Last { LinkUp, Settings, SampleGroup, WatchResumed, CommInit };
    for (const Last last :
         {Last::LinkUp, Last::Settings, Last::SampleGroup, Last::WatchResumed, Last::CommInit}) {
        SCOPED_TRACE(static_cast<int>(last));
        protocol.Reinit();
        linkUp();
        if (last == Last::Settings) {
            protocol.build_SetOscilExchange_packet(DefaultOscilExchange());
            auto rec = DefaultOscilExchange();
            rec.version = 2;
            feedSettings(0x8081, rec);
            ASSERT_EQ(stored().back(), Encode(ModuleEvent::SettingsExchanged));
        } else if (last == Last::SampleGroup) {
            protocol.build_AskForScopeData_packet();
            feed(0x8080, 0, 64);
            ASSERT_EQ(stored().back(), Encode(ModuleEvent::GroupConverted));
        } else if (last == Last::WatchResumed) {
            protocol.SetReplyWatch(false);
            advance(10000);
            protocol.SetReplyWatch(true);
        } else if (last == Last::CommInit) {
            protocol.build_IvoraCommInit_packet(1, 2, 3);
        }
        window.clear();
        for (std::uint32_t t = 0; t < (last == Last::CommInit ? 50000u : 3000u); t += 100)
            advance(100);
        EXPECT_TRUE(stored().empty()) << "reported before the time-out";
        advance(1);
        EXPECT_EQ(stored(), std::vector<std::intptr_t>{Encode(ModuleEvent::ReplyTimeout)});
        for (int i = 0; i < 200; ++i)
            advance(50);
        EXPECT_EQ(stored(), std::vector<std::intptr_t>{Encode(ModuleEvent::ReplyTimeout)})
            << "a second report in the error state";
    }
}

TEST_F(Session, ErrorStateDropsRequestsAndIgnoresReplies) {
    linkUp();
    feed(0x1234); // unknown reply
    EXPECT_EQ(window.messages.back(),
              (PostedMessage{Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::UnknownReply), 0x1234}));
    window.clear();
    sender.sent.clear();
    EXPECT_FALSE(protocol.build_AskForScopeData_packet());
    EXPECT_FALSE(protocol.build_Echo_packet());
    EXPECT_EQ(protocol.QueueSize(), 0u);
    feed(0x8043);
    feed(0x8001);
    EXPECT_TRUE(sender.sent.empty());
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].wParam, Encode(ModuleEvent::Received));
    EXPECT_EQ(window.messages[1].wParam, Encode(ModuleEvent::Received));

    protocol.Reinit();
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::Initialised));
    EXPECT_TRUE(protocol.build_AskForScopeData_packet());
}

TEST_F(Session, QueueHoldsFortyEightRequests) {
    linkUp();
    for (int i = 0; i < 48; ++i)
        ASSERT_TRUE(protocol.build_AskForScopeData_packet()) << i;
    EXPECT_EQ(sender.sent.size(), 1u) << "only the head goes out while it waits";
    EXPECT_FALSE(protocol.build_AskForOscilExchange_packet());
    EXPECT_EQ(stored(), std::vector<std::intptr_t>{Encode(ModuleEvent::QueueFull)});
    feed(0x8080, 0, 16); // answers the head, but the error state lets nothing more out
    EXPECT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(protocol.QueueSize(), 0u);
}

TEST_F(Session, PartialGroupKeepsTheHeadWaitingUntilTheLastPacket) {
    linkUp();
    protocol.build_AskForScopeData_packet();
    protocol.build_AskForOscilExchange_packet();
    ASSERT_EQ(sender.commands(), std::vector<std::uint16_t>{0x0080});
    feed(0x8080, kStatusMore, 32);
    feed(0x8080, kStatusMore, 32);
    EXPECT_EQ(sender.commands(), std::vector<std::uint16_t>{0x0080});
    feed(0x8080, 0, 32); // the last one releases the head; the next request goes
    EXPECT_EQ(sender.commands(), (std::vector<std::uint16_t>{0x0080, 0x0082}));
    EXPECT_EQ(protocol.QueueSize(), 1u);
    feed(0x8043); // not its answer
    EXPECT_EQ(protocol.QueueSize(), 1u);
}

TEST_F(Session, PassThroughRequestsQueuedBehindAWaitingOneAllGoOut) {
    linkUp();
    protocol.build_AskForScopeData_packet();
    protocol.build_AskForOscilEeprom_packet();
    protocol.build_SetOscilEepromHeader_packet(DefaultCalibration());
    feed(0x8080, 0, 32);
    EXPECT_EQ(protocol.NextDeadlineMs(), 0u);
    protocol.OnTimer();
    EXPECT_EQ(sender.commands(), (std::vector<std::uint16_t>{0x0080, 0x0084, 0x0085}));
    EXPECT_EQ(protocol.QueueSize(), 0u);
}

TEST_F(Session, StopRefusesBuildersUntilAReplyStoresAnotherState) {
    linkUp();
    protocol.build_AskForScopeData_packet();
    protocol.Stop();
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::Stopped));
    sender.sent.clear();
    EXPECT_FALSE(protocol.build_AskForScopeData_packet());
    EXPECT_FALSE(protocol.build_StopModule_packet());
    advance(10000);
    EXPECT_TRUE(sender.sent.empty()) << "no echo, no time-out after Stop";
    EXPECT_EQ(protocol.NextDeadlineMs(), CIvoraProtocol::kNoDeadline);
    feed(0x8001);
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::ModuleStopped));
    EXPECT_TRUE(protocol.build_AskForScopeData_packet());
    EXPECT_EQ(sender.commands(), std::vector<std::uint16_t>{0x0080});
}

TEST_F(Session, RunOscilOnARunningModuleAnswersAtOnce) {
    linkUp();
    feed(0x8000, 0, 0, nullptr, 0x61);
    EXPECT_TRUE(protocol.build_RunOscil_packet());
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::ScopeRunning));
    feed(0x8000, 0, 0, nullptr, 0x60);
    protocol.build_RunOscil_packet();
    EXPECT_EQ(sender.commands(), std::vector<std::uint16_t>{0x0043});
}

TEST_F(Session, OscilloscopeSequence) {
    protocol.OnTimer();
    feed(0x8000);
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::LinkUp));
    protocol.build_RunOscil_packet();
    feed(0x8043);
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::ScopeRunning));
    auto rec = DefaultOscilExchange();
    rec.version = 2;
    rec.chann_num = 2;
    rec.samples_all = 300; // three packets of 100 sets
    protocol.build_SetOscilExchange_packet(rec);
    feedSettings(0x8081, rec);
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::SettingsExchanged));
    EXPECT_EQ(capture.Data().GetSettings().chann_num, 2);

    // Raw values 512, 514, .. in the first packet; later ones differ (a repeat would be dropped).
    std::vector<std::uint8_t> samples(400);
    const auto fill = [&](int packet) {
        for (std::size_t i = 0; i + 1 < samples.size(); i += 2)
            writeBE16(&samples[i], static_cast<std::uint16_t>(512 + (i + 2 * packet) % 100));
        return samples.data();
    };
    for (int group = 0; group < 2; ++group) {
        int packet = 0;
        window.clear();
        protocol.build_AskForScopeData_packet();
        feed(0x8080, kStatusMore, samples.size(), fill(packet++));
        feed(0x8080, kStatusMore, samples.size(), fill(packet++));
        EXPECT_TRUE(stored().empty());
        feed(0x8080, 0, samples.size(), fill(packet++));
        EXPECT_EQ(stored(), std::vector<std::intptr_t>{Encode(ModuleEvent::GroupConverted)});
        EXPECT_EQ(count(Msg::UWM_SCOPE_DATA, Encode(ScopeDataNotice::NewSamples)), 1u)
            << "the group was converted";
    }
    // Interleaved raw values 512, 514, 516, ...: channel 1 sits on zero, channel 2 just above.
    const CScopeData& data = capture.Data();
    ASSERT_FALSE(data.GetChannel(2).GetPresentSamples().empty());
    EXPECT_EQ(data.GetChannel(1).GetPresentSamples()[0], 0);
    EXPECT_GT(data.GetChannel(2).GetPresentSamples()[0], 0);
    EXPECT_EQ(sender.commands(), (std::vector<std::uint16_t>{0x0000, 0x0043, 0x0081, 0x0080, 0x0080}));
    EXPECT_EQ(protocol.NextDeadlineMs(), 3001u) << "the echo stops after a group; the watch stays";
}

struct ReplyCase {
    const char* what;
    std::uint16_t reply;
    std::uint16_t status;
    std::size_t payload;
    std::vector<std::intptr_t> reports;
};

TEST_F(Session, EveryReplyReportsItsCode) {
    const ReplyCase cases[] = {
        {"started", 0x8043, 0, 0, {Encode(ModuleEvent::ScopeRunning)}},
        {"start refused", 0x8043, 0, 1, {Encode(ModuleEvent::StartFailed)}},
        {"bad echo", 0x8000, 0, 3, {Encode(ModuleEvent::BadLength)}},
        {"not served",
         0x8083,
         1,
         0,
         {Encode(ModuleEvent::StatusNotServed), Encode(ModuleEvent::Disconnected)}},
        {"unknown status",
         0x8082,
         0x80,
         0,
         {Encode(ModuleEvent::StatusUnknown), Encode(ModuleEvent::SettingsRefused)}},
        {"short settings", 0x8081, 0, 43, {Encode(ModuleEvent::FirstGeneration)}},
        {"disconnected", 0x8083, 0, 0, {Encode(ModuleEvent::Disconnected)}},
        {"module stopped", 0x8001, 0, 0, {Encode(ModuleEvent::ModuleStopped)}},
        {"no calibration", 0x8084, 0x80, 0, {Encode(ModuleEvent::CalibrationRead)}},
        {"calibration busy", 0x8084, 1, 0, {Encode(ModuleEvent::CalibrationRead)}},
        {"bad calibration", 0x8084, 0, 203, {Encode(ModuleEvent::CalibrationReadFailed)}},
        {"wrong password", 0x8085, 1, 0, {Encode(ModuleEvent::CalibrationNotServed)}},
        {"no calibration run", 0x8085, 0x80, 0, {Encode(ModuleEvent::CalibrationUnknown)}},
        {"bad calibration written", 0x8085, 0, 10, {Encode(ModuleEvent::CalibrationWriteFailed)}},
        {"no samples yet", 0x8080, 0, 0, {Encode(ModuleEvent::NoData)}},
        {"unknown reply", 0x8123, 0, 0, {Encode(ModuleEvent::UnknownReply)}},
        {"exchange record short", 0x8040, 0, 147, {Encode(ModuleEvent::BadLength)}},
        {"description", 0x8042, 0, 176, {Encode(ModuleEvent::ModuleDescription)}},
        {"dictionary entry", 0x8044, 0, 32, {Encode(ModuleEvent::DictionaryEntry)}},
        {"automat traffic", 0x8071, 0, 5, {}},
    };
    for (const auto& c : cases) {
        protocol.Reinit();
        linkUp();
        if (c.reply == 0x8080) // samples come only as an answer
            protocol.build_AskForScopeData_packet();
        feed(c.reply, c.status, c.payload);
        EXPECT_EQ(stored(), c.reports) << c.what;
    }
}

TEST_F(Session, CalibrationRepliesFillTheRecordOnlyWhenValid) {
    linkUp();
    feedCalibration(0x8084, 1);
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::CalibrationRead));
    EXPECT_EQ(capture.Data().GetCalibration().state, 1);
    protocol.build_AskForScopeData_packet();
    feed(0x8080, 0, 16); // a finished group switches the echo off
    ASSERT_EQ(protocol.NextDeadlineMs(), 3001u);
    protocol.build_SetOscilEepromHeader_packet(DefaultCalibration());
    EXPECT_EQ(protocol.NextDeadlineMs(), 901u) << "the header switches the echo on";
    feedCalibration(0x8085, 0);
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::CalibrationWriteFailed));
    EXPECT_EQ(protocol.NextDeadlineMs(), 3001u) << "and its answer off again";
    EXPECT_EQ(capture.Data().GetCalibration().state, 1) << "a failed record is not taken";
    feedCalibration(0x8085, 1);
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::CalibrationWritten));
}

TEST_F(Session, UnusableSettingsRecordsDoNotLeaveTheLoopWaiting) {
    linkUp();
    auto rec = DefaultOscilExchange();
    rec.version = 2;
    rec.samples_all = kMaxSamples;
    feedSettings(0x8082, rec);
    EXPECT_EQ(stored(), std::vector<std::intptr_t>{Encode(ModuleEvent::TooManySamples)});

    protocol.Reinit();
    linkUp();
    rec.samples_all = 2000;
    std::array<std::uint8_t, 46> image{};
    SerializeOscilExchange(rec, image);
    writeBE16(image.data(), 3); // a full-length record of a version we cannot drive
    feed(0x8081, 0, image.size(), image.data());
    EXPECT_TRUE(stored().empty()) << "the sample data object reports an old record itself";
    EXPECT_EQ(count(Msg::UWM_SCOPE_DATA, Encode(ScopeDataNotice::OldModule)), 1u);
}

TEST_F(Session, DatagramsThatAreNoTesterPacketAreDropped) {
    linkUp();
    const std::vector<std::vector<std::uint8_t>> junk = {{},
                                                         {0x10},
                                                         {0x10, 0x02, 0x80, 0x00},
                                                         {0x10, 0x02, 0x80, 0x00, 0, 0, 0},
                                                         {0x11, 0x02, 0x80, 0, 0, 0, 0, 0},
                                                         {0x10, 0x03, 0x80, 0, 0, 0, 0, 0, 1}};
    for (const auto& j : junk) {
        auto buffer = allocatePacketBuffer();
        std::copy(j.begin(), j.end(), buffer.get());
        protocol.parseRecData(std::move(buffer), j.size());
    }
    protocol.parseRecData(nullptr, 8);
    protocol.parseRecData(allocatePacketBuffer(), kPacketBufferSize + 1);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(protocol.IsState(ModuleEvent::LinkUp));
}

TEST_F(Session, SafeDisconnectEmptiesTheQueueFirst) {
    linkUp();
    protocol.build_AskForScopeData_packet();
    protocol.build_AskForOscilExchange_packet();
    EXPECT_TRUE(protocol.build_ScopeSafeDisconnect_packet());
    EXPECT_EQ(sender.commands(), (std::vector<std::uint16_t>{0x0080, 0x0083}));
    feed(0x8083);
    EXPECT_EQ(stored().back(), Encode(ModuleEvent::Disconnected));
    EXPECT_EQ(protocol.QueueSize(), 0u);
}

TEST_F(Session, TesterPresentLengthErrorGoesToTheUser) {
    std::string caption, text;
    protocol.SetUserErrorSink([&](std::string_view c, std::string_view t) {
        caption = c;
        text = t;
    });
    linkUp();
    feed(0x8070, 0, 11);
    EXPECT_EQ(caption, " Errror ");
    EXPECT_TRUE(text.starts_with("Prijata delka dat je: 19, ocekavano: 20\n")) << text;
}

// A lossy link: requests that may be repeated are asked again after a wait
// learned from the answer times, a group with a packet missing is never shown,
// and only a tester silent for the whole reply watch loses the session. One
// channel, three packets a group, outside roll mode.
class LossyLink : public Session {
protected:
    static constexpr std::size_t kSets = 100; // per packet

    LossyLink() {
        linkUp();
        setRecord(TM_AUTO);
    }
    void setRecord(std::uint16_t mode) {
        auto rec = DefaultOscilExchange();
        rec.version = 2;
        rec.chann_num = 1;
        rec.TR_mode = mode;
        rec.samples_all = 3 * kSets;
        protocol.build_SetOscilExchange_packet(rec);
        feedSettings(0x8081, rec);
        window.clear();
        sender.sent.clear();
    }
    // Packet `i` of three; each varies, so no filter takes it for a repeat.
    void samplePacket(int i) {
        seed_ = static_cast<std::uint8_t>(seed_ + 13);
        std::array<std::uint8_t, 2 * kSets> data{};
        for (std::size_t k = 0; k < data.size(); ++k)
            data[k] = static_cast<std::uint8_t>(k * 7 + seed_);
        feed(0x8080, i < 2 ? kStatusMore : 0, data.size(), data.data());
    }
    // Millisecond timer steps, as the platform's timer gives them.
    void step(std::uint32_t ms) {
        for (std::uint32_t t = 0; t < ms; ++t)
            advance(1);
    }
    std::vector<ModuleEvent> reports() const {
        std::vector<ModuleEvent> v;
        for (const auto& m : window.messages)
            if (m.msg == Msg::UWM_IVORA_PROTOCOL) {
                const ModuleEvent e = DecodeModuleEvent(m.wParam);
                if (e != ModuleEvent::Sending && e != ModuleEvent::Received)
                    v.push_back(e);
            }
        return v;
    }
    std::size_t asks() const {
        const auto c = sender.commands();
        return static_cast<std::size_t>(std::count(c.begin(), c.end(), 0x0080));
    }

    std::uint8_t seed_ = 0;
};

TEST_F(LossyLink, AnOverdueAnswerIsAskedAgainAfterTheLearnedWaitAndOnlyASilentTesterTimesOut) {
    // Answers within 2 ms teach the shortest wait.
    for (int group = 0; group < 8; ++group) {
        protocol.build_AskForScopeData_packet();
        step(2);
        for (int i = 0; i < 3; ++i)
            samplePacket(i);
    }
    ASSERT_EQ(protocol.AnswerWaitMs(), CAnswerWait::kMinMs);
    window.clear();
    sender.sent.clear();

    // The request is lost: asked again 30 ms later, and the answer to that one counts.
    protocol.build_AskForScopeData_packet();
    step(CAnswerWait::kMinMs);
    EXPECT_EQ(asks(), 1u);
    step(1);
    EXPECT_EQ(asks(), 2u);
    for (int i = 0; i < 3; ++i)
        samplePacket(i);
    EXPECT_EQ(reports(), std::vector<ModuleEvent>{ModuleEvent::GroupConverted});

    // The last packet is lost: the partial group is dropped and the rest asked anew.
    window.clear();
    sender.sent.clear();
    protocol.build_AskForScopeData_packet();
    samplePacket(0);
    samplePacket(1);
    step(CAnswerWait::kMinMs + 1);
    EXPECT_EQ(asks(), 2u);
    for (int i = 0; i < 3; ++i)
        samplePacket(i);
    EXPECT_EQ(reports(), std::vector<ModuleEvent>{ModuleEvent::GroupConverted})
        << "three packets shown, not five";
    EXPECT_EQ(capture.Data().GetChannel(1).GetPresentSamples().size(), 3 * kSets);

    // A silent tester: a few more asks within the 3 s the reply watch gives it.
    window.clear();
    sender.sent.clear();
    protocol.build_AskForScopeData_packet();
    step(CIvoraProtocol::kReplyTimeoutMs);
    EXPECT_EQ(asks(), static_cast<std::size_t>(CIvoraProtocol::kMaxSends));
    EXPECT_TRUE(reports().empty());
    step(1);
    EXPECT_EQ(reports(), std::vector<ModuleEvent>{ModuleEvent::ReplyTimeout});

    // A tester that restarted refuses the repeated ask: a lost link, not the
    // refusal that ends the program at the start.
    protocol.Reinit();
    protocol.OnTimer();
    feed(0x8000);
    protocol.build_AskForScopeData_packet();
    window.clear();
    step(CAnswerWait::kMinMs + 1);
    feed(0x8080, kStatusNotServed, 0);
    EXPECT_EQ(reports(), std::vector<ModuleEvent>{ModuleEvent::ReplyTimeout});
}

TEST_F(LossyLink, AGroupWithAPacketMissingIsDroppedAndAskedAgainAtOnce) {
    protocol.build_AskForScopeData_packet();
    samplePacket(0);
    samplePacket(2); // packet 1 lost on the way
    EXPECT_TRUE(reports().empty()) << "nothing half shown, nothing to tell";
    EXPECT_EQ(protocol.GetGroupsDropped(), 1u);
    EXPECT_EQ(asks(), 2u);
    EXPECT_TRUE(capture.Data().GetChannel(1).GetPresentSamples().empty());

    // A late copy of the dropped group's last packet opens nothing; the whole group is shown.
    samplePacket(2);
    for (int i = 0; i < 3; ++i)
        samplePacket(i);
    EXPECT_EQ(reports(), std::vector<ModuleEvent>{ModuleEvent::GroupConverted});
    EXPECT_EQ(capture.Data().GetChannel(1).GetPresentSamples().size(), 3 * kSets);
}

TEST_F(LossyLink, InRollModeOnlyAnAnswerSurelyLostIsAskedForAgain) {
    setRecord(TM_FREE);
    for (int group = 0; group < 8; ++group) { // fast answers
        protocol.build_AskForScopeData_packet();
        step(2);
        samplePacket(2);
    }
    protocol.build_AskForScopeData_packet();
    step(CAnswerWait::kMaxMs);
    EXPECT_EQ(asks(), 9u) << "a late roll answer asked for again makes a gap in the log";
    step(1);
    EXPECT_EQ(asks(), 10u);
}

TEST_F(LossyLink, RequestsThatChangeTheTesterAreNeverRepeated) {
    tOscilExchange rec = capture.Data().GetSettings();
    rec.chann_num = 2;
    protocol.build_SetOscilExchange_packet(rec);
    protocol.build_RunOscil_packet();
    step(2000);
    EXPECT_EQ(sender.commands(), std::vector<std::uint16_t>{0x0081}) << "the start waits behind the record";
}

} // namespace
} // namespace wavix
