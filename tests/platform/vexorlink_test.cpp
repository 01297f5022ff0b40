#include "platform/vexorlink.h"

#include "core/protocol/simplefat.h"
#include "platform/communication.h"
#include "qtsupport.h"

namespace wavix {
namespace {

using test::Peer;
using test::testerPacket;
using test::waitUntil;

class RecordingProtocol : public IDatagramReceiver {
public:
    void parseRecData(PacketBuffer buffer, std::size_t length) override {
        commands.push_back(readPacketHeader(buffer.get(), length).command);
    }
    std::vector<std::uint16_t> commands;
};

QByteArray entryReply(const std::string& name, std::uint32_t size) {
    tsimple_FAT rec;
    SetSimpleFatName(rec, name);
    rec.size = size;
    std::array<std::uint8_t, kSimpleFatSize> payload{};
    EncodeSimpleFat(rec, payload);
    return testerPacket(0x8046) + QByteArray(reinterpret_cast<const char*>(payload.data()), kSimpleFatSize);
}

std::uint16_t commandOf(const QNetworkDatagram& d) {
    const QByteArray b = d.data();
    return b.size() >= 4 ? std::uint16_t((std::uint8_t(b[2]) << 8) | std::uint8_t(b[3])) : 0xFFFF;
}

// Serves one directory entry and a file of `sizes` packets, as the tester does;
// the file link alone on the port or beside the module link.
class FileLinkTest : public test::QtFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override { ASSERT_TRUE(tester.ok); }

    // Answers the requests that arrived since the last call.
    void serve(quint16 port) {
        for (; seen_ < tester.received.size(); ++seen_) {
            const std::uint16_t cmd = commandOf(tester.received[seen_]);
            if (cmd == 0x0046)
                tester.sendTo(entryReply("osclog01.sdf", 2548), port);
            else if ((cmd == 0x0047 || cmd == 0x0055) && next_ < sizes.size()) {
                const bool last = next_ + 1 == sizes.size();
                tester.sendTo(testerPacket(0x8047, sizes[next_] - 8, last ? 0 : 0x0040), port);
                ++next_;
            }
        }
    }
    bool servedUntil(quint16 port, ReceivedFileNotice note) {
        return waitUntil([&] {
            serve(port);
            return !window.messages.empty() && window.messages.back().lParam == Encode(note);
        });
    }

    void fetch(CVexorLink& link, quint16 port) {
        ASSERT_TRUE(link.Protocol().AskForFileEntry("osclog01.sdf"));
        ASSERT_TRUE(servedUntil(port, ReceivedFileNotice::EntryRead));
        ASSERT_TRUE(link.Protocol().AskForFileContents("osclog01.sdf"));
        ASSERT_TRUE(servedUntil(port, ReceivedFileNotice::FileComplete));
    }

    Peer tester{test::kTester};
    std::vector<int> sizes{1032, 1033, 507}; // equal neighbours would be taken for copies
    std::size_t seen_ = 0;
    std::size_t next_ = 0;
    CRecordingTarget window;
    CRecordingTarget owner;
};

TEST_P(FileLinkTest, FetchesAFileAndTheModuleLinkGetsOnlyItsOwnReplies) {
    const bool beside = GetParam();
    RecordingProtocol module;
    CRecordingTarget mainWnd;
    CCommunication moduleLink;
    CVexorLink link;
    if (beside) {
        moduleLink.SetMainWnd(&mainWnd);
        moduleLink.SetProtocol(&module);
        ASSERT_TRUE(moduleLink.SetAddress("127.0.0.2", tester.port()));
        ASSERT_TRUE(moduleLink.Open());
        link.ShareReceiveWith(&moduleLink);
    }
    link.SetNotifyWindow(&window);
    ASSERT_TRUE(link.Open("127.0.0.2", tester.port(), &owner, 1));
    EXPECT_EQ(link.IsSharingPort(), beside);

    // Module traffic interleaved with the file transfer.
    if (beside)
        tester.sendTo(testerPacket(0x8080, 100, 0x0040), tester.port());
    fetch(link, tester.port());
    EXPECT_EQ(window.messages.front(),
              (PostedMessage{Msg::UWM_RECEIVED_FILE_MSG, 0, Encode(ReceivedFileNotice::EntryRead)}));
    EXPECT_EQ(link.Protocol().GetReceivedFile().GetSize(), 2548u);
    std::int64_t total = 0;
    ASSERT_TRUE(link.Protocol().GetReceivedFile().GetPayloadSize(total));
    EXPECT_EQ(total, 2548);
    std::vector<std::uint16_t> requests;
    for (const auto& d : tester.received)
        requests.push_back(commandOf(d));
    EXPECT_EQ(requests, (std::vector<std::uint16_t>{0x0046, 0x0047, 0x0055, 0x0055}));
    EXPECT_EQ(link.Link().bytesReceived(), 40u + 1032 + 1032 + 508);
    EXPECT_EQ(owner.messages.back(),
              (PostedMessage{Msg::UWM_COMM_ETH_MSG, 507, EncodeFileLink(1, FileLinkNotice::Received)}));
    if (!beside)
        return;

    tester.sendTo(testerPacket(0x8000), tester.port());
    ASSERT_TRUE(waitUntil([&] { return module.commands.size() == 2; }));
    EXPECT_EQ(module.commands, (std::vector<std::uint16_t>{0x8080, 0x8000}));
    // Closed, the file link hands the port back: file codes reach the module protocol again.
    link.Close();
    tester.sendTo(testerPacket(0x8046, 32), tester.port());
    ASSERT_TRUE(waitUntil([&] { return module.commands.size() == 3; }));
    EXPECT_EQ(module.commands.back(), 0x8046);
}

INSTANTIATE_TEST_SUITE_P(AloneAndBeside, FileLinkTest, ::testing::Bool());

} // namespace
} // namespace wavix
