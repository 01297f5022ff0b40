// Sample groups as a faulty network delivers them: doubled, overtaken and late
// datagrams. Packets carry no sequence number, so what must hold is: no sample
// taken twice, no stale packet opening the next group, no request released by
// a datagram that is not its answer.

#include "core/protocol/ivoraprotocol.h"
#include "core/scope/capturestore.h"
#include "core/support/bytes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

namespace wavix {
namespace {

constexpr int kValues = 64; // per packet, one channel

// A scripted exchange: 'a' asks for data, 'r' restarts the session, a digit
// feeds that packet (each digit its own varying samples; 'F' a flat packet, a
// clipped input), '+' before it marks "more packets follow".
struct Script {
    const char* what;
    std::string steps;
    std::vector<std::intptr_t> newSamples; // per conversion notice
};

std::ostream& operator<<(std::ostream& os, const Script& s) {
    return os << s.steps;
}

class SampleGroups : public ::testing::TestWithParam<Script> {
protected:
    SampleGroups() {
        protocol.SetCommunication(&sender);
        capture.SetNoticeTarget(&window);
        protocol.Init(&window);
        protocol.OnTimer();
        feed(0x8000, 0, {});
        tOscilExchange rec = DefaultOscilExchange();
        rec.version = 2;
        rec.chann_num = 1;
        rec.TR_mode = TM_FREE;
        rec.time_base_ENUM = 12; // 100 000 samples: no group here fills the channel
        rec.samples_all = SamplesPerStep(12);
        std::array<std::uint8_t, 46> image{};
        SerializeOscilExchange(rec, image);
        protocol.build_SetOscilExchange_packet(rec);
        feed(0x8081, 0, image);
        window.clear();
    }

    void feed(std::uint16_t reply, std::uint16_t status, std::span<const std::uint8_t> payload) {
        auto buffer = allocatePacketBuffer();
        buffer[0] = 0x10;
        buffer[1] = 0x02;
        writeBE16(&buffer[2], reply);
        writeBE16(&buffer[4], 0x42);
        writeBE16(&buffer[6], status);
        std::copy(payload.begin(), payload.end(), buffer.get() + 8);
        protocol.parseRecData(std::move(buffer), 8 + payload.size());
    }
    static std::vector<std::uint8_t> samples(int id) {
        std::vector<std::uint8_t> p(2 * kValues);
        for (int i = 0; i < kValues; ++i)
            writeBE16(&p[2 * static_cast<std::size_t>(i)],
                      static_cast<std::uint16_t>(id < 0 ? 1023 : 100 + (id * 7 + i) % 800));
        return p;
    }
    void run(const std::string& steps) {
        bool more = false;
        for (const char c : steps) {
            if (c == '+') {
                more = true;
                continue;
            }
            if (c == 'a')
                protocol.build_AskForScopeData_packet();
            else if (c == 'r')
                protocol.Reinit();
            else
                feed(0x8080, more ? kStatusMore : 0, samples(c == 'F' ? -1 : c - '0'));
            more = false;
        }
    }
    std::vector<std::intptr_t> notices() const {
        std::vector<std::intptr_t> v;
        for (const auto& m : window.messages)
            if (m.msg == Msg::UWM_SCOPE_DATA &&
                Decode<ScopeDataNotice>(m.lParam) == ScopeDataNotice::NewSamples)
                v.push_back(NewSamplesCount(m.wParam));
        return v;
    }

    struct Sender : IDatagramSender {
        bool Send(Packet) override { return true; }
    } sender;
    CFakeTickSource clock{1000};
    CRecordingTarget window;
    CCaptureStore capture;
    CIvoraProtocol protocol{clock, capture};
};

TEST_P(SampleGroups, NoSampleTwiceAndNoStalePacketInTheNextGroup) {
    const Script& s = GetParam();
    run(s.steps);
    EXPECT_EQ(notices(), s.newSamples) << s.what;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SampleGroups,
    ::testing::Values(Script{"clean", "a+12a3", {128, 64}}, Script{"middle packet doubled", "a+1+12", {128}},
                      Script{"doubled packet overtaken by the next", "a+1+2+13", {192}},
                      Script{"last packet doubled before the next request", "a+122", {128}},
                      Script{"last packet doubled after the next request", "a+12a23", {128, 64}},
                      Script{"overtaken packet after its group ended", "a2+1a3", {64, 64}},
                      Script{"packets of a group given up by a restart", "a+1r+1a3", {64}},
                      Script{"flat packets repeat for real", "a+F+FF", {192}},
                      Script{"samples nobody asked for", "+12", {}}),
    [](const auto& p) {
        std::string name = p.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

// 511 packets are the most this record's group may have; a doubled one must not make it 512.
TEST_F(SampleGroups, DoubledPacketDoesNotOverflowAFullGroup) {
    protocol.build_AskForScopeData_packet();
    for (int k = 0; k < 510; ++k) {
        feed(0x8080, kStatusMore, samples(k));
        if (k == 300)
            feed(0x8080, kStatusMore, samples(k));
    }
    feed(0x8080, 0, samples(510));
    EXPECT_EQ(notices(), std::vector<std::intptr_t>{511 * kValues});
    for (const auto& m : window.messages)
        EXPECT_NE(m.wParam, (2 << 16) | (1 << 8) | 5) << "the group overflowed";
}

} // namespace
} // namespace wavix
