#include "platform/communication.h"

#include "platform/qtmessagetarget.h"
#include "qtsupport.h"

namespace wavix {
namespace {

using test::Peer;
using test::RecordingReceiver;
using test::testerPacket;
using test::waitUntil;

Packet request(std::uint16_t command) {
    return CRequestBuilder(command).put8(7).finish();
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

    Peer tester{test::kTester};
    quint16 port = 0;
    CFakeTickSource ticks{1000};
    RecordingReceiver receiver;
    CRecordingTarget mainWnd;
    CCommunication link{&ticks};
};

TEST_F(CommunicationTest, RequestReachesTheTesterAndEveryReplyReachesTheProtocolInOrder) {
    EXPECT_EQ(link.GetState(), CCommunication::kOpen);
    ASSERT_TRUE(link.Send(request(0x0043)));
    ASSERT_TRUE(tester.waitFor(1));
    EXPECT_EQ(tester.received[0].data(), QByteArray("\x10\x02\x00\x43\x07", 5));
    EXPECT_EQ(tester.received[0].senderPort(), link.sendPort());

    // The last one is larger than the buffer: cut, reported, still handed on.
    const int payloads[] = {0, 100, 2047 - 8, 3000 - 8};
    for (int bytes : payloads)
        tester.sendTo(testerPacket(0x8080, bytes, kStatusMore), port);
    ASSERT_TRUE(waitUntil([&] { return receiver.got.size() == 4; }));
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(receiver.got[i], testerPacket(0x8080, payloads[i], kStatusMore).left(2048));
}

// The tester may answer from any port of its address; other hosts are not
// heard, and requests always go to the configured address and port.
TEST_F(CommunicationTest, OnlyTheTestersHostIsHeardAndRequestsGoToItsConfiguredPort) {
    Peer otherPort(test::kTester);
    Peer stranger(test::kStranger, port); // another tester on the workshop network
    ASSERT_TRUE(otherPort.ok && stranger.ok);
    const QByteArray garbage[] = {
        QByteArray("\x01\x02\x03", 3),                              // too short
        QByteArray("\x10\x02\x80\x48", 4),                          // start bytes, no full header
        QByteArray("\x11\x02\x80\x80\x00\x00\x00\x00\x01\x02", 10), // wrong start byte
        QByteArray(),
    };
    for (const QByteArray& g : garbage)
        otherPort.sendTo(g, port);
    stranger.sendTo(testerPacket(0x8080, 10, kStatusMore), port);
    stranger.sendTo(testerPacket(0x8000), port);
    otherPort.sendTo(testerPacket(0x8043), port);
    ASSERT_TRUE(waitUntil([&] { return !receiver.got.empty(); }));
    test::settle();
    EXPECT_EQ(receiver.got, std::vector<QByteArray>{testerPacket(0x8043)});
    EXPECT_EQ(link.foreignDropped(), 2u);
    EXPECT_EQ(link.peer(), (Endpoint{0x7F000002, port}));

    ASSERT_TRUE(link.Send(request(0x0080)));
    ASSERT_TRUE(tester.waitFor(1));
    test::settle();
    EXPECT_TRUE(otherPort.received.empty());
    EXPECT_TRUE(stranger.received.empty());
}

TEST_F(CommunicationTest, ClosedLinkRefusesToSendUntilOpenedAgain) {
    link.Close();
    EXPECT_EQ(link.GetState(), CCommunication::kClosed);
    EXPECT_FALSE(link.Send(request(0x0000)));
    ASSERT_TRUE(link.Open()); // the user's retry
    EXPECT_FALSE(link.Send(Packet{allocatePacketBuffer(), kPacketBufferSize + 1}));
    EXPECT_TRUE(link.Send(request(0x0001)));
    ASSERT_TRUE(tester.waitFor(1));
    test::settle();
    ASSERT_EQ(tester.received.size(), 1u);
    EXPECT_EQ(tester.received[0].data().at(3), 0x01);
}

TEST_F(CommunicationTest, StatisticsCountAllTrafficAndReportOnTheInjectedClock) {
    ASSERT_TRUE(link.Send(request(0x0043)));            // 5 bytes
    tester.sendTo(testerPacket(0x8043, 12), port);      // 20 bytes
    tester.sendTo(QByteArray("\x01\x02\x03", 3), port); // dropped, but traffic all the same
    ASSERT_TRUE(waitUntil([&] { return link.stats().bytesReceivedSecond() == 23; }));
    mainWnd.clear();
    ticks.advance(1001);
    link.OnTimer();
    EXPECT_EQ(mainWnd.messages, (std::vector<PostedMessage>{
                                    {Msg::UWM_COMMUNICATION, 5, Encode(TrafficNotice::SentPerSecond)},
                                    {Msg::UWM_COMMUNICATION, 23, Encode(TrafficNotice::ReceivedPerSecond)},
                                    {Msg::UWM_COMMUNICATION, 23, Encode(TrafficNotice::ReceivedPerTenth)}}));
}

TEST(CommunicationLoopback, OwnRequestsToAnAbsentTesterNeverReachTheProtocol) {
    test::app();
    // Nobody listens at 127.0.0.3: the request lands on our own port instead.
    quint16 port = 0;
    {
        Peer probe{test::kTester};
        ASSERT_TRUE(probe.ok);
        port = probe.port();
    }
    CFakeTickSource ticks{0};
    RecordingReceiver receiver;
    CCommunication link{&ticks};
    link.SetProtocol(&receiver);
    ASSERT_TRUE(link.SetAddress("127.0.0.3", port));
    ASSERT_TRUE(link.Open());
    ASSERT_TRUE(link.Send(CRequestBuilder(0x0081).putBE32(1).putBE32(2).finish()));
    test::settle(200);
    EXPECT_TRUE(receiver.got.empty());
}

TEST(CommunicationSetup, RefusesBadSettingsAndOpeningWithoutAProtocol) {
    test::app();
    CCommunication link;
    EXPECT_EQ(link.GetState(), CCommunication::kCreated);
    EXPECT_FALSE(link.SetAddress("127.0.0.1", 0));
    EXPECT_FALSE(link.SetAddress("127.0.0.1", 70000));
    EXPECT_FALSE(link.Open());
    EXPECT_FALSE(link.Send(request(0x0000)));
    RecordingReceiver receiver;
    link.SetProtocol(&receiver);
    EXPECT_TRUE(link.SetAddress("no.such.host.invalid", 10000));
    EXPECT_FALSE(link.Open());
}

TEST(CommunicationTimer, IdleLinkReportsOnItsOwnClock) {
    test::app();
    std::vector<std::intptr_t> codes;
    CQtMessageTarget mainWnd([&](Msg, std::intptr_t, std::intptr_t lParam) { codes.push_back(lParam); });
    CCommunication link;
    link.SetMainWnd(&mainWnd);
    ASSERT_TRUE(waitUntil([&] { return codes.size() >= 2; }));
    EXPECT_EQ(codes[0], Encode(TrafficNotice::ReceivedPerTenth));
}

} // namespace
} // namespace wavix
