// A link that loses a datagram now and then: a request that may be repeated is
// asked again after a wait learned from the answer times, a group with a packet
// missing is never shown, and only a tester silent for the
// whole reply watch loses the session.

#include "core/protocol/answerwait.h"
#include "core/protocol/groupcheck.h"
#include "core/protocol/ivoraprotocol.h"
#include "core/scope/capturestore.h"
#include "core/support/bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        {"a link that never carries a group whole shows every fourth",
         20000,
         {{100, false}, {200, false}, {300, false}, {400, true}, {500, false}}},
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

class RecordingSender : public IDatagramSender {
public:
    bool Send(Packet packet) override {
        commands.push_back(readBE16(packet.data.get() + 2));
        return true;
    }
    std::vector<std::uint16_t> commands;
};

class LossyLink : public ::testing::Test {
protected:
    LossyLink() {
        protocol.SetCommunication(&sender);
        capture.SetNoticeTarget(&window);
        protocol.Init(&window);
        protocol.OnTimer();
        feed(0x8000, 0, 0);
        tOscilExchange rec = DefaultOscilExchange();
        rec.version = 2;
        rec.chann_num = 1;
        rec.TR_mode = TM_AUTO;
        rec.samples_all = 3 * kSets;
        protocol.build_SetOscilExchange_packet(rec);
        std::array<std::uint8_t, 46> image{};
        SerializeOscilExchange(rec, image);
        feed(0x8081, 0, image.size(), image.data());
        window.clear();
        sender.commands.clear();
    }

    static constexpr std::size_t kSets = 100; // per packet, one channel

    void feed(std::uint16_t reply, std::uint16_t status, std::size_t payload,
              const std::uint8_t* data = nullptr) {
        auto buffer = allocatePacketBuffer();
        buffer[0] = 0x10;
        buffer[1] = 0x02;
        writeBE16(&buffer[2], reply);
        writeBE16(&buffer[4], 0x10);
        writeBE16(&buffer[6], status);
        for (std::size_t i = 0; i < payload; ++i)
            buffer[8 + i] = data != nullptr ? data[i] : static_cast<std::uint8_t>(i * 7 + seed_);
        protocol.parseRecData(std::move(buffer), 8 + payload);
    }
    // Packet `i` of three; each varies, so no filter takes it for a repeat.
    void samplePacket(int i) {
        seed_ = static_cast<std::uint8_t>(seed_ + 13);
        feed(0x8080, i < 2 ? kStatusMore : 0, 2 * kSets);
    }
    void advance(std::uint32_t ms) {
        for (std::uint32_t t = 0; t < ms; ++t) {
            clock.advance(1);
            protocol.OnTimer();
        }
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
    std::size_t asks() const { return static_cast<std::size_t>(std::count(sender.commands.begin(), sender.commands.end(), 0x0080)); }

    std::uint8_t seed_ = 0;
    CFakeTickSource clock{1000};
    RecordingSender sender;
    CRecordingTarget window;
    CCaptureStore capture;
    CIvoraProtocol protocol{clock, capture};
};

TEST_F(LossyLink, AnOverdueAnswerIsAskedAgainAfterTheLearnedWaitAndOnlyASilentTesterTimesOut) {
    // Answers within 2 ms teach the shortest wait.
    for (int group = 0; group < 8; ++group) {
        protocol.build_AskForScopeData_packet();
        advance(2);
        for (int i = 0; i < 3; ++i)
            samplePacket(i);
    }
    ASSERT_EQ(protocol.AnswerWaitMs(), CAnswerWait::kMinMs);
    window.clear();
    sender.commands.clear();

    // The request is lost: asked again 30 ms later, and the answer to that one counts.
    protocol.build_AskForScopeData_packet();
    advance(CAnswerWait::kMinMs);
    EXPECT_EQ(asks(), 1u);
    advance(1);
    EXPECT_EQ(asks(), 2u);
    for (int i = 0; i < 3; ++i)
        samplePacket(i);
    EXPECT_EQ(reports(), std::vector<ModuleEvent>{ModuleEvent::GroupConverted});

    // The last packet is lost: the partial group is dropped and the rest asked anew.
    window.clear();
    sender.commands.clear();
    protocol.build_AskForScopeData_packet();
    samplePacket(0);
    samplePacket(1);
    advance(CAnswerWait::kMinMs + 1);
    EXPECT_EQ(asks(), 2u);
    for (int i = 0; i < 3; ++i)
        samplePacket(i);
    EXPECT_EQ(reports(), std::vector<ModuleEvent>{ModuleEvent::GroupConverted})
        << "three packets shown, not five";
    EXPECT_EQ(capture.Data().GetChannel(1).GetPresentSamples().size(), 3 * kSets);

    // A silent tester: a few more asks within the 3 s the reply watch gives it.
    window.clear();
    sender.commands.clear();
    protocol.build_AskForScopeData_packet();
    advance(CIvoraProtocol::kReplyTimeoutMs);
    EXPECT_EQ(asks(), static_cast<std::size_t>(CIvoraProtocol::kMaxSends));
    EXPECT_TRUE(reports().empty());
    advance(1);
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
    tOscilExchange rec = capture.Data().GetSettings();
    rec.TR_mode = TM_FREE;
    protocol.build_SetOscilExchange_packet(rec);
    std::array<std::uint8_t, 46> image{};
    SerializeOscilExchange(rec, image);
    feed(0x8081, 0, image.size(), image.data());
    sender.commands.clear();
    for (int group = 0; group < 8; ++group) { // fast answers
        protocol.build_AskForScopeData_packet();
        advance(2);
        samplePacket(2);
    }
    protocol.build_AskForScopeData_packet();
    advance(CAnswerWait::kMaxMs);
    EXPECT_EQ(asks(), 9u) << "a late roll answer asked for again makes a gap in the log";
    advance(1);
    EXPECT_EQ(asks(), 10u);
}

TEST_F(LossyLink, RequestsThatChangeTheTesterAreNeverRepeated) {
    tOscilExchange rec = capture.Data().GetSettings();
    rec.chann_num = 2;
    protocol.build_SetOscilExchange_packet(rec);
    protocol.build_RunOscil_packet();
    advance(2000);
    EXPECT_EQ(sender.commands, std::vector<std::uint16_t>{0x0081}) << "the start waits behind the record";
}

} // namespace
} // namespace wavix
