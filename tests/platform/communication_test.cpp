#include "platform/communication.h"

#include "platform/qtmessagetarget.h"
#include "qtsupport.h"

#include <cstring>

namespace wavix {
namespace {

using test::kLocal;
using test::kTester;
using test::Peer;
using test::testerPacket;
using test::waitUntil;

struct Received {
    QByteArray bytes;
};

class RecordingReceiver : public IDatagramReceiver {
public:
    void parseRecData(PacketBuffer buffer, std::size_t length) override {
        got.push_back(
            {QByteArray(reinterpret_cast<const char*>(buffer.get()), static_cast<qsizetype>(length))});
    }
    std::vector<Received> got;
};

Packet request(std::uint16_t command, std::uint8_t payload = 0) {
    RequestBuilder builder(command);
    builder.put8(payload);
    return builder.finish();
}

class CommunicationTest : public test::QtFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(tester.ok);
        port = tester.port();
        link.SetProtocol(&receiver);
        link.SetMainWnd(&mainWnd);
        ASSERT_TRUE(link.SetAddress("127.0.0.2", port));
        ASSERT_TRUE(link.Open());
    }

    // The tester answers to the request's source address at the link's port.
    void answer(const QByteArray& bytes) { tester.sendTo(bytes, kLocal, port); }

    Peer tester{kTester};
    quint16 port = 0;
    FakeTickSource ticks{1000};
    RecordingReceiver receiver;
    RecordingTarget mainWnd;
    CCommunication link{&ticks};
};

TEST_F(CommunicationTest, RequestReachesTheTesterAndEveryReplyReachesTheProtocolInOrder) {
    EXPECT_EQ(link.GetState(), CCommunication::kOpen);
    ASSERT_TRUE(link.Send(request(0x0043, 7)));
    ASSERT_TRUE(tester.waitFor(1));
    const QNetworkDatagram& req = tester.received[0];
    EXPECT_EQ(req.data(), QByteArray("\x10\x02\x00\x43\x07", 5));
    EXPECT_EQ(req.senderPort(), link.sendPort());

    for (int i = 0; i < 5; ++i)
        tester.sendTo(testerPacket(0x8080, i * 100, i < 4 ? kStatusMore : kStatusOk), req.senderAddress(),
                      port);
    ASSERT_TRUE(waitUntil([&] { return receiver.got.size() == 5; }));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(receiver.got[static_cast<std::size_t>(i)].bytes,
                  testerPacket(0x8080, i * 100, i < 4 ? kStatusMore : kStatusOk));
}

TEST_F(CommunicationTest, StrayDatagramsAreDroppedAndDoNotRedirectTheLink) {
    Peer stranger(QHostAddress(QStringLiteral("127.0.0.3")));
    ASSERT_TRUE(stranger.ok);
    const QByteArray garbage[] = {
        QByteArray("\x01\x02\x03", 3),                              // too short
        QByteArray("\x10\x02\x80\x48", 4),                          // start bytes, but no full header
        QByteArray("\x11\x02\x80\x80\x00\x00\x00\x00\x01\x02", 10), // wrong start byte
        QByteArray(),                                               // empty
    };
    for (const QByteArray& g : garbage)
        stranger.sendTo(g, kLocal, port);
    answer(testerPacket(0x8000)); // a marker behind the garbage
    ASSERT_TRUE(waitUntil([&] { return !receiver.got.empty(); }));
    test::settle(30);
    ASSERT_EQ(receiver.got.size(), 1u);
    EXPECT_EQ(receiver.got[0].bytes, testerPacket(0x8000));
    EXPECT_EQ(link.peer().port, port);
    EXPECT_EQ(link.peer().addressText(), "127.0.0.2");

    ASSERT_TRUE(link.Send(request(0x0000)));
    ASSERT_TRUE(tester.waitFor(1));
    EXPECT_TRUE(stranger.received.empty());
}

TEST_F(CommunicationTest, AValidPacketFromAnotherSenderIsTakenAndAnsweredThere) {
    Peer other(QHostAddress(QStringLiteral("127.0.0.3")));
    ASSERT_TRUE(other.ok);
    other.sendTo(testerPacket(0x8043), kLocal, port);
    ASSERT_TRUE(waitUntil([&] { return receiver.got.size() == 1; }));
    EXPECT_EQ(link.peer().addressText(), "127.0.0.3");
    EXPECT_EQ(link.peer().port, other.port());

    ASSERT_TRUE(link.Send(request(0x0080)));
    ASSERT_TRUE(other.waitFor(1));
    test::settle(30);
    EXPECT_TRUE(tester.received.empty());
}

TEST_F(CommunicationTest, OversizeDatagramIsCutToTheBufferAndStillHandedOn) {
    answer(testerPacket(0x8080, 3000 - 8));
    answer(testerPacket(0x8080, 2047 - 8));
    ASSERT_TRUE(waitUntil([&] { return receiver.got.size() == 2; }));
    EXPECT_EQ(receiver.got[0].bytes, testerPacket(0x8080, 3000 - 8).left(2048));
    EXPECT_EQ(receiver.got[1].bytes.size(), 2047);
}

TEST_F(CommunicationTest, ClosedLinkRefusesToSend) {
    link.Close();
    EXPECT_EQ(link.GetState(), CCommunication::kClosed);
    EXPECT_FALSE(link.Send(request(0x0000)));
    test::settle(30);
    EXPECT_TRUE(tester.received.empty());

    ASSERT_TRUE(link.Open()); // the user's retry reopens the same link
    EXPECT_TRUE(link.Send(request(0x0000)));
    EXPECT_TRUE(tester.waitFor(1));
}

TEST_F(CommunicationTest, MalformedPacketsAreRefused) {
    EXPECT_FALSE(link.Send(Packet{}));
    Packet tooLong{allocatePacketBuffer(), kPacketBufferSize + 1};
    EXPECT_FALSE(link.Send(std::move(tooLong)));
    EXPECT_EQ(link.stats().bytesSent(), 0u);
}

TEST_F(CommunicationTest, StatisticsCountTrafficAndReportOnTheFakeClock) {
    ASSERT_TRUE(link.Send(request(0x0043, 1))); // 5 bytes
    answer(testerPacket(0x8043, 12));           // 20 bytes
    ASSERT_TRUE(waitUntil([&] { return receiver.got.size() == 1; }));
    answer(QByteArray("\x01\x02\x03", 3)); // dropped, but it is traffic all the same
    ASSERT_TRUE(waitUntil([&] { return link.stats().bytesReceivedSecond() == 23; }));

    mainWnd.clear();
    ticks.advance(1001);
    link.OnTimer();
    EXPECT_EQ(mainWnd.messages, (std::vector<PostedMessage>{{Msg::UWM_COMMUNICATION, 5, 2},
                                                            {Msg::UWM_COMMUNICATION, 23, 3},
                                                            {Msg::UWM_COMMUNICATION, 23, 4}}));
    EXPECT_EQ(link.msUntilNextTimer(), 101u);
}

TEST(CommunicationSetup, RefusesBadSettingsAndOpeningWithoutAProtocol) {
    test::app();
    CCommunication link;
    EXPECT_EQ(link.GetState(), CCommunication::kCreated);
    EXPECT_FALSE(link.SetAddress("127.0.0.1", 0));
    EXPECT_FALSE(link.SetAddress("127.0.0.1", 70000));
    EXPECT_FALSE(link.SetAddress("", 10000));
    EXPECT_FALSE(link.Open());
    EXPECT_FALSE(link.Send(RequestBuilder(0).finish())); // never opened
    RecordingReceiver receiver;
    link.SetProtocol(&receiver);
    EXPECT_TRUE(link.SetAddress("no.such.host.invalid", 10000));
    EXPECT_FALSE(link.Open());
}

TEST(CommunicationTimer, IdleLinkStillReportsOnItsOwnClock) {
    test::app();
    std::vector<std::intptr_t> codes;
    QtMessageTarget mainWnd([&](Msg msg, std::intptr_t, std::intptr_t lParam) {
        if (msg == Msg::UWM_COMMUNICATION)
            codes.push_back(lParam);
    });
    CCommunication link;
    link.SetMainWnd(&mainWnd);
    ASSERT_TRUE(waitUntil([&] { return codes.size() >= 2; }));
    EXPECT_EQ(codes[0], kTrafficReceivedPerTenth);
}

} // namespace
} // namespace wavix
