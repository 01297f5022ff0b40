#include "platform/commeth.h"

#include "qtsupport.h"

namespace wavix {
namespace {

using test::Peer;
using test::testerPacket;
using test::waitUntil;

const std::uint8_t kEcho[] = {0x10, 0x02, 0x00, 0x00};

// A protocol stand-in that reads each datagram into a buffer of chosen size.
class ReadingLink : public CCommEth {
public:
    std::size_t bufferSize = kPacketBufferSize;
    std::vector<std::pair<int, QByteArray>> reads;

protected:
    void OnReceive() override {
        std::vector<std::uint8_t> buffer(bufferSize);
        std::size_t length = buffer.size();
        const int result = Receive(buffer.data(), length);
        reads.emplace_back(result,
                           QByteArray(reinterpret_cast<const char*>(buffer.data()), qsizetype(length)));
    }
};

class CommEthTest : public test::QtFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(tester.ok);
        port = tester.port();
        ASSERT_TRUE(link.Open("127.0.0.2", port, &owner, 3));
    }

    Peer tester{test::kTester};
    quint16 port = 0;
    RecordingTarget owner;
    ReadingLink link;
};

TEST_F(CommEthTest, EveryDatagramInAndOutIsReportedWithTheLinkId) {
    tester.sendTo(testerPacket(0x8046, 92), port); // 100 bytes
    ASSERT_TRUE(waitUntil([&] { return link.reads.size() == 1; }));
    EXPECT_EQ(link.reads[0], std::make_pair(int{CCommEth::kReceived}, testerPacket(0x8046, 92)));
    ASSERT_TRUE(link.Send(kEcho, sizeof kEcho));
    ASSERT_TRUE(tester.waitFor(1));
    EXPECT_EQ(tester.received[0].data(), QByteArray("\x10\x02\x00\x00", 4));
    EXPECT_EQ(owner.messages, (std::vector<PostedMessage>{
                                  {Msg::UWM_COMM_ETH_MSG, 100, EncodeFileLink(3, FileLinkNotice::Received)},
                                  {Msg::UWM_COMM_ETH_MSG, 4, EncodeFileLink(3, FileLinkNotice::Sent)}}));
    EXPECT_EQ(link.bytesReceived(), 100u);
    EXPECT_EQ(link.bytesSent(), 4u);
}

TEST_F(CommEthTest, ReceiveTellsACutDatagramFromAFullOneAndAFailedRead) {
    link.bufferSize = 16;
    tester.sendTo(testerPacket(0x8047, 42), port); // 50 bytes into 16
    tester.sendTo(testerPacket(0x8047, 8), port);  // exactly 16
    ASSERT_TRUE(waitUntil([&] { return link.reads.size() == 2; }));
    EXPECT_EQ(link.reads[0], std::make_pair(int{CCommEth::kReceivedCut}, testerPacket(0x8047, 42).left(16)));
    EXPECT_EQ(link.reads[1], std::make_pair(int{CCommEth::kReceived}, testerPacket(0x8047, 8)));
    std::uint8_t buffer[8];
    std::size_t length = sizeof buffer;
    EXPECT_EQ(link.Receive(buffer, length), CCommEth::kReceiveFailed); // nothing waiting
    EXPECT_EQ(length, 0u);
}

// Where requests go is the shared sockets' matter, checked with the module link.
TEST_F(CommEthTest, OnlyTheTestersHostIsRead) {
    Peer stranger(test::kStranger, port); // listens where a tester would
    Peer otherPort(test::kTester);
    ASSERT_TRUE(stranger.ok && otherPort.ok);
    stranger.sendTo(testerPacket(0x8047, 2), port);
    otherPort.sendTo(testerPacket(0x8047, 4), port);
    ASSERT_TRUE(waitUntil([&] { return link.reads.size() == 2; }));
    EXPECT_EQ(link.reads[0], std::make_pair(int{CCommEth::kReceivedForeign}, QByteArray()));
    EXPECT_EQ(link.reads[1], std::make_pair(int{CCommEth::kReceived}, testerPacket(0x8047, 4)));
    EXPECT_EQ(owner.messages, (std::vector<PostedMessage>{
                                  {Msg::UWM_COMM_ETH_MSG, 12, EncodeFileLink(3, FileLinkNotice::Received)}}));
    EXPECT_EQ(link.foreignDropped(), 1u);
}

TEST_F(CommEthTest, ClosedLinkNeitherSendsNorReadsAndMayBeOpenedAgain) {
    EXPECT_TRUE(link.Close());
    EXPECT_EQ(link.GetState(), CCommEth::kClosed);
    EXPECT_FALSE(link.Send(kEcho, sizeof kEcho));
    tester.sendTo(testerPacket(0x8000), port);
    test::settle();
    EXPECT_TRUE(link.reads.empty());
    EXPECT_TRUE(owner.messages.empty());
    ASSERT_TRUE(link.Open("127.0.0.2", port, &owner, 1));
    EXPECT_TRUE(link.Send(kEcho, sizeof kEcho));
    EXPECT_EQ(owner.messages.back().lParam, 0x10006);
    link.Close();
    EXPECT_FALSE(link.Open("127.0.0.2", 0, &owner, 1));
}

} // namespace
} // namespace wavix
