// Untrusted input through every state of the session. Each datagram gets a
// buffer of exactly its own length, so a read past its end is caught when the
// tests are built with -fsanitize=address.

#include "core/protocol/ivoraprotocol.h"

#include "core/support/bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace wavix {
namespace {

class CheckingSender : public IDatagramSender {
public:
    bool Send(Packet packet) override {
        ++count;
        if (!packet.data || packet.size < kRequestHeaderSize || packet.size > kPacketBufferSize ||
            packet.data[0] != 0x10 || packet.data[1] != 0x02)
            ++malformed;
        return true;
    }
    int count = 0;
    int malformed = 0;
};

using Bytes = std::vector<std::uint8_t>;

Bytes replyPacket(std::uint16_t command, std::uint16_t status, std::size_t payload, std::mt19937& rng) {
    Bytes p(8 + payload);
    p[0] = 0x10;
    p[1] = 0x02;
    writeBE16(&p[2], command);
    writeBE16(&p[4], 0x42);
    writeBE16(&p[6], status);
    for (std::size_t i = 8; i < p.size(); ++i)
        p[i] = static_cast<std::uint8_t>(rng());
    return p;
}

// Well-formed answers of every kind the session knows.
std::vector<Bytes> seedReplies(std::mt19937& rng) {
    std::vector<Bytes> seeds;
    for (const std::uint16_t c : {0x8000, 0x8001, 0x8043, 0x8083})
        seeds.push_back(replyPacket(c, 0, 0, rng));
    for (const std::size_t n : {0, 2, 64, 1200, 2039})
        for (const std::uint16_t st : {0x0000, 0x0040})
            seeds.push_back(replyPacket(0x8080, st, n, rng));

    auto settings = DefaultOscilExchange();
    settings.version = 2;
    std::array<std::uint8_t, 46> image{};
    SerializeOscilExchange(settings, image);
    for (const std::uint16_t c : {0x8081, 0x8082}) {
        auto p = replyPacket(c, 0, 0, rng);
        p.insert(p.end(), image.begin(), image.end());
        seeds.push_back(p);
    }
    SOscil_EEPROM cal = DefaultCalibration();
    cal.state = 1;
    std::array<std::uint8_t, kOscilEepromSize> calImage{};
    SerializeOscilEeprom(cal, calImage, ByteOrder::Big);
    for (const std::uint16_t c : {0x8084, 0x8085}) {
        auto p = replyPacket(c, 0, 0, rng);
        p.insert(p.end(), calImage.begin(), calImage.end());
        seeds.push_back(p);
    }
    seeds.push_back(replyPacket(0x8040, 0, kModuleExchangeSize, rng));
    seeds.push_back(replyPacket(0x8042, 0, kModuleDescSize, rng));
    seeds.push_back(replyPacket(0x8044, 0, kSimpleFatSize, rng));
    seeds.push_back(replyPacket(0x8060, 0, kCommInitShortSize, rng));
    seeds.push_back(replyPacket(0x8060, 0, kCommInitLongSize, rng));
    seeds.push_back(replyPacket(0x8070, 0, 12, rng));
    for (const std::uint16_t c : {0x8041, 0x8045, 0x8063, 0x8071, 0x8072, 0x8090, 0x8093, 0x8100, 0x7777})
        seeds.push_back(replyPacket(c, 0, 16, rng));
    return seeds;
}

Bytes mutate(Bytes p, std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 7);
    switch (kind(rng)) {
    case 0: // truncated anywhere, down to nothing
        p.resize(std::uniform_int_distribution<std::size_t>(0, p.size())(rng));
        break;
    case 1: // grown with noise up to a full buffer
        p.resize(std::uniform_int_distribution<std::size_t>(p.size(), kPacketBufferSize)(rng),
                 static_cast<std::uint8_t>(rng()));
        break;
    case 2: // flipped bytes, header included
        for (int i = 0; i < 4 && !p.empty(); ++i)
            p[std::uniform_int_distribution<std::size_t>(0, p.size() - 1)(rng)] ^=
                static_cast<std::uint8_t>(rng());
        break;
    case 3: { // any status
        constexpr std::uint16_t statuses[] = {0x0000, 0x0001, 0x0040, 0x0080, 0xFFFF};
        writeBE16(&p[6], statuses[rng() % 5]);
        break;
    }
    case 4: // any payload size for the same command
        p.resize(8 + rng() % 260, 0);
        break;
    case 5: // pure noise
        p.resize(rng() % (kPacketBufferSize + 1));
        for (auto& b : p)
            b = static_cast<std::uint8_t>(rng());
        break;
    default: // unchanged
        break;
    }
    return p;
}

void deliver(CIvoraProtocol& protocol, const Bytes& p) {
    auto buffer = std::make_unique<std::uint8_t[]>(p.size()); // exactly the datagram, no slack
    std::copy(p.begin(), p.end(), buffer.get());
    protocol.parseRecData(std::move(buffer), p.size());
}

TEST(SessionFuzz, RandomAndMutatedDatagramsThroughEveryState) {
    std::mt19937 rng(20240517);
    const auto seeds = seedReplies(rng);

    FakeTickSource clock(0xFFFFF000u); // wraps during the run
    CheckingSender sender;
    RecordingTarget window;
    CIvoraProtocol protocol(clock);
    int traced = 0;
    protocol.SetTraceSink([&](std::string_view) { ++traced; });
    protocol.SetUserErrorSink([](std::string_view, std::string_view) {});
    protocol.SetDebug(true);
    protocol.SetCommunication(&sender);
    ASSERT_TRUE(protocol.Init(&window));

    for (int i = 0; i < 6000; ++i) {
        switch (rng() % 16) {
        case 0:
            protocol.build_AskForScopeData_packet();
            break;
        case 1:
            protocol.build_SetOscilExchange_packet();
            break;
        case 2:
            protocol.build_RunOscil_packet();
            break;
        case 3:
            protocol.build_AskForOscilEeprom_packet();
            break;
        case 4:
            clock.advance(rng() % 4000);
            protocol.OnTimer();
            break;
        case 5:
            if (rng() % 8 == 0)
                protocol.Reinit();
            else if (rng() % 8 == 0)
                protocol.Stop();
            else if (rng() % 4 == 0)
                protocol.build_ScopeSafeDisconnect_packet();
            else
                protocol.SendDirectEcho();
            break;
        default:
            deliver(protocol, mutate(seeds[rng() % seeds.size()], rng));
            break;
        }
        ASSERT_LE(protocol.QueueSize(), CIvoraProtocol::kQueueCapacity);
        if (window.messages.size() > 10000)
            window.clear();
    }
    EXPECT_EQ(sender.malformed, 0);
    EXPECT_GT(sender.count, 100);
    EXPECT_GT(traced, 0);
}

} // namespace
} // namespace wavix
