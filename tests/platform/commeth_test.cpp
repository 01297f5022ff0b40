#include "platform/commeth.h"

#include "qtsupport.h"

namespace wavix {
namespace {

using test::Peer;
using test::RecordingReceiver;
using test::testerPacket;
using test::waitUntil;

Packet echo() {
    Packet p{allocatePacketBuffer(), 4};
    const std::uint8_t bytes[] = {0x10, 0x02, 0x00, 0x00};
    std::copy(std::begin(bytes), std::end(bytes), p.data.get());
    return p;
}

class CommEthTest : public test::QtFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(tester.ok);
        port = tester.port();
        ASSERT_TRUE(link.Open("127.0.0.2", port, &owner, 3));
    }

    Peer tester{test::kTester};
    quint16 port = 0;
    CRecordingTarget owner;
    RecordingReceiver protocol;
    CCommEth link{&protocol};
};

TEST_F(CommEthTest, EveryDatagramInAndOutIsReportedWithTheLinkId) {
    tester.sendTo(testerPacket(0x8046, 92), port); // 100 bytes
    ASSERT_TRUE(waitUntil([&] { return protocol.got.size() == 1; }));
    EXPECT_EQ(protocol.got[0], testerPacket(0x8046, 92));
    ASSERT_TRUE(link.Send(echo()));
    ASSERT_TRUE(tester.waitFor(1));
    EXPECT_EQ(tester.received[0].data(), QByteArray("\x10\x02\x00\x00", 4));
    EXPECT_EQ(owner.messages, (std::vector<PostedMessage>{
                                  {Msg::UWM_COMM_ETH_MSG, 100, EncodeFileLink(3, FileLinkNotice::Received)},
                                  {Msg::UWM_COMM_ETH_MSG, 4, EncodeFileLink(3, FileLinkNotice::Sent)}}));
    EXPECT_EQ(link.bytesReceived(), 100u);
    EXPECT_EQ(link.bytesSent(), 4u);
}

TEST_F(CommEthTest, ADatagramCutByTheBufferIsReportedButNotHandedOn) {
    tester.sendTo(testerPacket(0x8047, 2100), port); // does not fit 2048 bytes
    tester.sendTo(testerPacket(0x8047, 2039), port); // just fits
    ASSERT_TRUE(waitUntil([&] { return owner.messages.size() == 2; }));
    test::settle();
    ASSERT_EQ(protocol.got.size(), 1u);
    EXPECT_EQ(protocol.got[0], testerPacket(0x8047, 2039));
    EXPECT_EQ(owner.messages[0], (PostedMessage{Msg::UWM_COMM_ETH_MSG, 2048, EncodeFileLink(3, FileLinkNotice::Received)}));
}

// Where requests go is the shared sockets' matter, checked with the module link.
TEST_F(CommEthTest, OnlyTheTestersHostIsRead) {
    Peer stranger(test::kStranger, port); // listens where a tester would
    Peer otherPort(test::kTester);
    ASSERT_TRUE(stranger.ok && otherPort.ok);
    stranger.sendTo(testerPacket(0x8047, 2), port);
    otherPort.sendTo(testerPacket(0x8047, 4), port);
    ASSERT_TRUE(waitUntil([&] { return protocol.got.size() == 1; }));
    test::settle();
    EXPECT_EQ(protocol.got, (std::vector<QByteArray>{testerPacket(0x8047, 4)}));
    EXPECT_EQ(owner.messages, (std::vector<PostedMessage>{
                                  {Msg::UWM_COMM_ETH_MSG, 12, EncodeFileLink(3, FileLinkNotice::Received)}}));
    EXPECT_EQ(link.foreignDropped(), 1u);
}

TEST_F(CommEthTest, ClosedLinkNeitherSendsNorReadsAndMayBeOpenedAgain) {
    EXPECT_TRUE(link.Close());
    EXPECT_EQ(link.GetState(), CCommEth::kClosed);
    EXPECT_FALSE(link.Send(echo()));
    tester.sendTo(testerPacket(0x8000), port);
    test::settle();
    EXPECT_TRUE(protocol.got.empty());
    EXPECT_TRUE(owner.messages.empty());
    ASSERT_TRUE(link.Open("127.0.0.2", port, &owner, 1));
    EXPECT_TRUE(link.Send(echo()));
    EXPECT_EQ(owner.messages.back().lParam, 0x10006);
    link.Close();
    EXPECT_FALSE(link.Open("127.0.0.2", 0, &owner, 1));
}

} // namespace
} // namespace wavix
