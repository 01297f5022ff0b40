#include "platform/commeth.h"

#include "qtsupport.h"

namespace wavix {
namespace {

using test::kLocal;
using test::kTester;
using test::Peer;
using test::testerPacket;
using test::waitUntil;

// A protocol stand-in that reads each datagram into a buffer of chosen size.
class ReadingLink : public CCommEth {
public:
    std::size_t bufferSize = kPacketBufferSize;
    struct Read {
        int result;
        QByteArray bytes;
    };
    std::vector<Read> reads;

protected:
    void OnReceive() override {
        std::vector<std::uint8_t> buffer(bufferSize);
        std::size_t length = buffer.size();
        const int result = Receive(buffer.data(), length);
        reads.push_back({result, QByteArray(reinterpret_cast<const char*>(buffer.data()),
                                            static_cast<qsizetype>(length))});
    }
};

class CommEthTest : public test::QtFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(tester.ok);
        port = tester.port();
        ASSERT_TRUE(link.Open("127.0.0.2", port, &owner, 3));
    }
    void answer(const QByteArray& bytes) { tester.sendTo(bytes, kLocal, port); }

    Peer tester{kTester};
    quint16 port = 0;
    RecordingTarget owner;
    ReadingLink link;
};

TEST_F(CommEthTest, EveryDatagramInAndOutIsReportedWithTheLinkId) {
    answer(testerPacket(0x8046, 92)); // 100 bytes
    ASSERT_TRUE(waitUntil([&] { return link.reads.size() == 1; }));
    EXPECT_EQ(link.reads[0].result, CCommEth::kReceived);
    EXPECT_EQ(link.reads[0].bytes, testerPacket(0x8046, 92));

    const std::uint8_t request[] = {0x10, 0x02, 0x00, 0x55};
    ASSERT_TRUE(link.Send(request, sizeof request));
    ASSERT_TRUE(tester.waitFor(1));
    EXPECT_EQ(tester.received[0].data(), QByteArray("\x10\x02\x00\x55", 4));

    EXPECT_EQ(owner.messages, (std::vector<PostedMessage>{{Msg::UWM_COMM_ETH_MSG, 100, 0x30005},
                                                          {Msg::UWM_COMM_ETH_MSG, 4, 0x30006}}));
    EXPECT_EQ(link.bytesReceived(), 100u);
    EXPECT_EQ(link.bytesReceivedTenth(), 100u);
    EXPECT_EQ(link.bytesSent(), 4u);
}

TEST_F(CommEthTest, ReceiveReportsACutDatagramAndAFailedRead) {
    link.bufferSize = 16;
    answer(testerPacket(0x8047, 42)); // 50 bytes into 16
    answer(testerPacket(0x8047, 8));  // exactly 16
    ASSERT_TRUE(waitUntil([&] { return link.reads.size() == 2; }));
    EXPECT_EQ(link.reads[0].result, CCommEth::kReceivedCut);
    EXPECT_EQ(link.reads[0].bytes, testerPacket(0x8047, 42).left(16));
    EXPECT_EQ(link.reads[1].result, CCommEth::kReceived);
    EXPECT_EQ(link.reads[1].bytes.size(), 16);

    std::uint8_t buffer[8];
    std::size_t length = sizeof buffer;
    EXPECT_EQ(link.Receive(buffer, length), CCommEth::kReceiveFailed); // nothing waiting
    EXPECT_EQ(length, 0u);
}

TEST_F(CommEthTest, OnlyATesterPacketMovesTheLinkToItsSenderAddress) {
    // The stranger listens at the link's port, where the tester would.
    Peer stranger(QHostAddress(QStringLiteral("127.0.0.3")), port);
    ASSERT_TRUE(stranger.ok);
    const std::uint8_t echo[] = {0x10, 0x02, 0x00, 0x00};

    stranger.sendTo(QByteArray("\x11\x02\x80\x80\x00", 5), kLocal, port);
    ASSERT_TRUE(waitUntil([&] { return link.reads.size() == 1; }));
    EXPECT_EQ(link.reads[0].bytes.size(), 5); // still read: the protocol judges it
    ASSERT_TRUE(link.Send(echo, sizeof echo));
    ASSERT_TRUE(tester.waitFor(1));
    EXPECT_TRUE(stranger.received.empty());

    stranger.sendTo(testerPacket(0x8000), kLocal, port);
    ASSERT_TRUE(waitUntil([&] { return link.reads.size() == 2; }));
    EXPECT_EQ(link.peer().addressText(), "127.0.0.3");
    EXPECT_EQ(link.peer().port, port);
    ASSERT_TRUE(link.Send(echo, sizeof echo));
    ASSERT_TRUE(stranger.waitFor(1));
}

TEST_F(CommEthTest, ClosedLinkRefusesToSendAndMayBeOpenedAgain) {
    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(link.Close());
    EXPECT_EQ(link.GetState(), CCommEth::kClosed);
    const std::uint8_t echo[] = {0x10, 0x02, 0x00, 0x00};
    EXPECT_FALSE(link.Send(echo, sizeof echo));
    answer(testerPacket(0x8000));
    test::settle(50);
    EXPECT_TRUE(link.reads.empty());
    EXPECT_TRUE(owner.messages.empty());

    ASSERT_TRUE(link.Open("127.0.0.2", port, &owner, 1));
    EXPECT_TRUE(link.Send(echo, sizeof echo));
    EXPECT_EQ(owner.messages.back().lParam, 0x10006);
}

TEST(CommEthBase, WithoutAProtocolDatagramsAreDrainedNotLeftToSpin) {
    test::app();
    Peer tester(kTester);
    ASSERT_TRUE(tester.ok);
    RecordingTarget owner;
    CCommEth link;
    EXPECT_EQ(link.GetState(), CCommEth::kNeverOpened);
    EXPECT_FALSE(link.Open("127.0.0.2", 0, &owner, 2));
    ASSERT_TRUE(link.Open("127.0.0.2", tester.port(), &owner, 2));
    for (int i = 0; i < 3; ++i)
        tester.sendTo(testerPacket(0x8000, 2), kLocal, tester.port());
    ASSERT_TRUE(waitUntil([&] { return owner.messages.size() == 3; }));
    EXPECT_EQ(link.bytesReceived(), 30u);
    EXPECT_EQ(owner.messages[2], (PostedMessage{Msg::UWM_COMM_ETH_MSG, 10, 0x20005}));
}

// An override that forgets to read must not hang the event loop.
class IdleLink : public CCommEth {
protected:
    void OnReceive() override { ++calls; }

public:
    int calls = 0;
};

TEST(CommEthBase, AnOverrideThatDoesNotReadLosesTheDatagramButNotTheLoop) {
    test::app();
    Peer tester(kTester);
    ASSERT_TRUE(tester.ok);
    IdleLink link;
    ASSERT_TRUE(link.Open("127.0.0.2", tester.port(), nullptr, 0));
    tester.sendTo(testerPacket(0x8000), kLocal, tester.port());
    ASSERT_TRUE(waitUntil([&] { return link.calls == 1; }));
    test::settle(50);
    EXPECT_EQ(link.calls, 1);
}

} // namespace
} // namespace wavix
