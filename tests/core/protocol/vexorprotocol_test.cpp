#include "core/protocol/vexorprotocol.h"

#include "../tempdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace wavix {
namespace {

using enum ReceivedFileNotice;

using Bytes = std::vector<std::uint8_t>;

class FakeSender : public IDatagramSender {
public:
    bool Send(Packet packet) override {
        if (!accept)
            return false;
        sent.emplace_back(packet.data.get(), packet.data.get() + packet.size);
        return true;
    }
    bool accept = true;
    std::vector<Bytes> sent;
};

Bytes packet(std::uint16_t command, std::uint16_t status, const Bytes& payload = {}) {
    Bytes b{0x10, 0x02, std::uint8_t(command >> 8), std::uint8_t(command),
            0x00, 0x42, std::uint8_t(status >> 8),  std::uint8_t(status)};
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

Bytes counting(std::size_t n, std::uint8_t start = 0) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(start + i * 7);
    return b;
}

Bytes entryPayload(const std::string& name, std::uint32_t size) {
    tsimple_FAT rec;
    SetSimpleFatName(rec, name);
    rec.size = size;
    rec.Start_sec = 0x01020304;
    rec.end_sec = 0x05060708;
    rec.attrib = 0x0A0B;
    rec.crc = 0xDEADBEEF;
    Bytes out(kSimpleFatSize);
    EncodeSimpleFat(rec, std::span<std::uint8_t, kSimpleFatSize>(out.data(), kSimpleFatSize));
    return out;
}

const Bytes kNext{0x10, 0x02, 0x00, 0x55};

class VexorProtocolTest : public ::testing::Test {
protected:
    VexorProtocolTest() { protocol.SetNotifyWindow(&window); }

    void receive(const Bytes& bytes) {
        PacketBuffer buffer = allocatePacketBuffer();
        std::memcpy(buffer.get(), bytes.data(), std::min(bytes.size(), kPacketBufferSize));
        protocol.parseRecData(std::move(buffer), bytes.size());
    }
    std::vector<PostedMessage>
    fileNotes(std::initializer_list<std::pair<std::intptr_t, ReceivedFileNotice>> notes) {
        std::vector<PostedMessage> out;
        for (auto [w, l] : notes)
            out.push_back({Msg::UWM_RECEIVED_FILE_MSG, w, Encode(l)});
        return out;
    }

    FakeSender sender;
    CFakeTickSource ticks{0xFFFFF000}; // near the wrap on purpose
    CRecordingTarget window;
    CVexorProtocol protocol{sender, ticks};
};

TEST(VexorRequestTest, BuildersWriteNameAndTerminatorAndRefuseBadInput) {
    std::uint8_t buffer[64] = {};
    EXPECT_EQ(build_Echo_packet(buffer, sizeof buffer), 4u);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0x10, 0x02, 0x00, 0x00}));
    ASSERT_EQ(build_FileEntry_packet(buffer, sizeof buffer, "osclog01.sdf", 1), 17u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer + 4)), "osclog01.sdf");
    EXPECT_EQ(buffer[3], 0x46);
    EXPECT_EQ(build_FileEntry_packet(buffer, sizeof buffer, "a", 0), 6u);
    EXPECT_EQ(buffer[3], 0x44);
    EXPECT_EQ(build_FileContents_packet(buffer, sizeof buffer, "a", 1), 6u);
    EXPECT_EQ(buffer[3], 0x47);
    EXPECT_EQ(build_FileContents_packet(buffer, sizeof buffer, "a", 0), 6u);
    EXPECT_EQ(buffer[3], 0x45);
    EXPECT_EQ(build_NextPacket_packet(buffer, sizeof buffer), 4u);
    EXPECT_EQ(buffer[3], 0x55);

    EXPECT_EQ(build_FileEntry_packet(nullptr, 64, "a", 1), 0u);
    EXPECT_EQ(build_FileEntry_packet(buffer, sizeof buffer, "a", 2), 0u);
    EXPECT_EQ(build_FileContents_packet(buffer, sizeof buffer, "a", -1), 0u);
    EXPECT_EQ(build_FileEntry_packet(buffer, 5, "a", 1), 0u) << "name and terminator must fit";
    EXPECT_EQ(build_FileEntry_packet(buffer, sizeof buffer, std::string("a\0b", 3), 1), 0u);
}

TEST(VexorRequestTest, OnlyInstrumentCodesAreRoutedAwayFromTheModuleLink) {
    for (std::uint16_t c : {0x0044, 0x8044, 0x8045, 0x8046, 0x8047, 0x8048, 0x8049, 0x8054})
        EXPECT_TRUE(IsVexorProtocolCommand(c)) << std::hex << c;
    for (std::uint16_t c : {0x8000, 0x0000, 0x8043, 0x8080, 0x8081, 0x804A, 0x0046, 0x8060})
        EXPECT_FALSE(IsVexorProtocolCommand(c)) << std::hex << c;
}

TEST_F(VexorProtocolTest, SmallPacketsAreAcceptedOnlyWithStartBytes) {
    receive({0x10, 0x02, 0x80, 0x48});
    receive({0x11, 0x02, 0x80, 0x00, 0x00});
    receive(packet(0x8000, 0));
    EXPECT_EQ(window.messages,
              (std::vector<PostedMessage>{
                  {Msg::UWM_VEXOR_PROTOCOL_MSG, 0, Encode(VexorProtocolNotice::TesterNotice)},
                  {Msg::UWM_VEXOR_PROTOCOL_MSG, 0, Encode(VexorProtocolNotice::BadDatagram)},
                  {Msg::UWM_CMD_ECHO_MSG, 0, 0}}));
    EXPECT_EQ(protocol.LastHeader().command, 0x8000);
    EXPECT_EQ(protocol.LastHeader().moduleNum, 0x42);
}

TEST_F(VexorProtocolTest, DirectoryEntryIsTakenOnlyWhenAskedForAndComplete) {
    receive(packet(0x8046, 0, entryPayload("osclog09.sdf", 1))); // nobody asked
    EXPECT_FALSE(protocol.GetReceivedFile().HasEntry());

    ASSERT_TRUE(protocol.AskForFileEntry("osclog03.sdf"));
    receive(packet(0x8046, 0, entryPayload("osclog03.sdf", 2548)));
    receive(packet(0x8046, 0, entryPayload("osclog09.sdf", 1))); // a copy, or a stray answer
    const CReceivedFile& f = protocol.GetReceivedFile();
    EXPECT_EQ(f.GetName(), "osclog03.sdf");
    EXPECT_EQ(f.GetSize(), 2548u);
    EXPECT_EQ(f.GetStartSector(), 0x01020304u);
    EXPECT_EQ(f.GetEndSector(), 0x05060708u);
    EXPECT_EQ(f.GetAttrib(), 0x0A0B);
    EXPECT_EQ(f.GetCrc(), 0xDEADBEEFu);

    ASSERT_TRUE(protocol.AskForFileEntry("osclog04.sdf", 0));
    receive(packet(0x8044, 0x0080));
    ASSERT_TRUE(protocol.AskForFileEntry("osclog05.sdf"));
    receive(packet(0x8046, 0x0001));
    EXPECT_EQ(window.messages, fileNotes({{0, EntryRead}, {0, NoSuchFile}, {0, EntryFailed}}));

    // A cut entry stores nothing, but the listing still hears of it through the time-out.
    window.clear();
    ASSERT_TRUE(protocol.AskForFileEntry("osclog06.sdf"));
    receive(packet(0x8046, 0, Bytes(31, 'x')));
    EXPECT_TRUE(window.messages.empty());
    ticks.advance(CVexorProtocol::kReplyTimeoutMs);
    protocol.OnTimer();
    EXPECT_EQ(window.messages, fileNotes({{0x8046, ReplyTimedOut}}));

    protocol.ResetReceivedFile();
    EXPECT_FALSE(protocol.GetReceivedFile().HasEntry());
    EXPECT_EQ(protocol.GetReceivedFile().GetName(), "");
}

TEST_F(VexorProtocolTest, NamesWithoutTerminatorAreCutToWhatIsThere) {
    ASSERT_TRUE(protocol.AskForFileEntry("fourteen_chars"));
    receive(packet(0x8046, 0, entryPayload("fourteen_chars", 1)));
    EXPECT_EQ(protocol.GetReceivedFile().GetName(), "fourteen_chars");

    // The tester's own request: name at offset 4, no zero before the end.
    receive({0x10, 0x02, 0x00, 0x44, 'l', 'o', 'g'});
    EXPECT_EQ(protocol.GetReceivedFile().GetName(), "log");
    receive({0x10, 0x02, 0x00, 0x44, 'a', 0, 'b'});
    EXPECT_EQ(protocol.GetReceivedFile().GetName(), "a");
    receive({0x10, 0x02, 0x00, 0x44});
    EXPECT_EQ(protocol.GetReceivedFile().GetName(), "");
    EXPECT_EQ(window.messages.back(),
              (PostedMessage{Msg::UWM_RECEIVED_FILE_MSG, 0, Encode(ReceivedFileNotice::TesterAsksFile)}));
}

TEST_F(VexorProtocolTest, DataRunAsksForEachNextPacketAndWritesTheFileByteIdentical) {
    test::TempDir dir;
    ASSERT_TRUE(protocol.AskForFileContents("osclog01.sdf"));
    const Bytes a = counting(1024, 1), b = counting(1024, 2), c = counting(500, 3);
    receive(packet(0x8047, 0x0040, a));
    receive(packet(0x8047, 0x0001, b)); // busy tester: the same as "more"
    receive(packet(0x8047, 0x0000, c));

    ASSERT_EQ(sender.sent.size(), 3u);
    EXPECT_EQ(sender.sent[0][3], 0x47);
    EXPECT_EQ(sender.sent[1], kNext);
    EXPECT_EQ(sender.sent[2], kNext);
    EXPECT_EQ(window.messages, fileNotes({{1024, PacketStored},
                                          {0, MoreFollows},
                                          {1024, PacketStored},
                                          {0, MoreFollows},
                                          {500, PacketStored},
                                          {0, FileComplete}}));
    EXPECT_FALSE(protocol.IsWaitingForReply());

    const auto target = dir / "osclog01.sdf";
    ASSERT_EQ(protocol.GetReceivedFile().Save(target, 2548), CReceivedFile::SaveResult::kSaved);
    Bytes expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    expected.insert(expected.end(), c.begin(), c.end());
    const std::string written = test::readFile(target);
    EXPECT_EQ(Bytes(written.begin(), written.end()), expected);
    EXPECT_FALSE(std::filesystem::exists(dir / "osclog01.sdf.part"));
}

// Each request takes one packet: a copy, a late packet of an earlier transfer
// or an answer to the other mode's request would cut the file or skip a block.
TEST_F(VexorProtocolTest, PacketsNoRequestWaitsForAreNeitherStoredNorAnswered) {
    const Bytes a = counting(100, 1), b = counting(60, 2);
    receive(packet(0x8047, 0x0040, a)); // before any request
    ASSERT_TRUE(protocol.AskForFileContents("osclog01.sdf"));
    receive(packet(0x8045, 0x0040, a)); // the other mode's answer
    receive(packet(0x8047, 0x0040, a));
    receive(packet(0x8047, 0x0040, a)); // its copy, while the next request waits
    receive(packet(0x8047, 0x0000, b));
    receive(packet(0x8047, 0x0000, b)); // the last packet's copy
    receive(packet(0x8047, 0x0040, a)); // late
    EXPECT_EQ(protocol.GetReceivedFile().Packets().GetCount(), 2);
    ASSERT_EQ(sender.sent.size(), 2u);
    EXPECT_EQ(sender.sent[1], kNext);
    EXPECT_EQ(window.messages,
              fileNotes({{100, PacketStored}, {0, MoreFollows}, {60, PacketStored}, {0, FileComplete}}));
    EXPECT_FALSE(protocol.IsWaitingForReply());

    // The last packet's copy may come only once the next file was asked for.
    protocol.ResetReceivedFile();
    window.clear();
    ASSERT_TRUE(protocol.AskForFileContents("osclog02.sdf"));
    receive(packet(0x8047, 0x0000, b));
    EXPECT_EQ(protocol.GetReceivedFile().Packets().GetCount(), 0);
    EXPECT_TRUE(protocol.IsWaitingForReply());
    // After a new listing the same file may be fetched again.
    ASSERT_TRUE(protocol.AskForFileEntry("osclog01.sdf"));
    ASSERT_TRUE(protocol.AskForFileContents("osclog01.sdf"));
    receive(packet(0x8047, 0x0000, b));
    EXPECT_EQ(window.messages, fileNotes({{60, PacketStored}, {0, FileComplete}}));
}

TEST_F(VexorProtocolTest, BrokenDataPacketsNeitherStoreNorAskForMore) {
    ASSERT_TRUE(protocol.AskForFileContents("osclog01.sdf"));
    receive({0x10, 0x02, 0x80, 0x47, 0x00, 0x00, 0x00}); // shorter than a header
    receive(packet(0x8047, 0x0080, Bytes(4, 1)));        // stored, but an unexpected status
    EXPECT_EQ(protocol.GetReceivedFile().Packets().GetCount(), 1);
    EXPECT_EQ(sender.sent.size(), 1u) << "only the request itself";
    EXPECT_EQ(window.messages, fileNotes({{4, PacketStored}}));

    PacketBuffer full = allocatePacketBuffer();
    std::memcpy(full.get(), packet(0x8047, 0x0040).data(), 8);
    protocol.parseRecData(std::move(full), kPacketBufferSize); // may have been cut
    EXPECT_EQ(protocol.GetReceivedFile().Packets().GetCount(), 1);
}

TEST_F(VexorProtocolTest, SecondStateCollectsItsOwnRunWithoutRequests) {
    receive(packet(0x8049, 0x0040, Bytes(10, 1)));
    receive(packet(0x8049, 0x0000, Bytes(3, 2)));
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(window.messages,
              fileNotes({{10, SecondStored}, {0, SecondMore}, {3, SecondStored}, {0, SecondComplete}}));
    EXPECT_EQ(protocol.GetSecondReceivedFile().Packets().GetCount(), 2);
    EXPECT_EQ(protocol.GetReceivedFile().Packets().GetCount(), 0);
}

TEST_F(VexorProtocolTest, AStalledTransferEndsAfterTheTimeOut) {
    ASSERT_TRUE(protocol.AskForFileContents("osclog02.sdf"));
    receive(packet(0x8047, 0x0040, Bytes(16, 1)));
    window.clear();
    ticks.advance(CVexorProtocol::kReplyTimeoutMs - 1);
    protocol.OnTimer();
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(protocol.msUntilNextTimer(), 1u);
    ticks.advance(1);
    protocol.OnTimer();
    protocol.OnTimer();
    EXPECT_EQ(window.messages, fileNotes({{0x8047, ReplyTimedOut}}));
    EXPECT_FALSE(protocol.IsWaitingForReply());
    EXPECT_EQ(protocol.msUntilNextTimer(), CVexorProtocol::kIdleTimerMs);
}

TEST_F(VexorProtocolTest, AnAnsweredEntryRequestNeverTimesOut) {
    ASSERT_TRUE(protocol.AskForFileEntry("osclog05.sdf"));
    EXPECT_EQ(sender.sent.at(0)[3], 0x46);
    receive(packet(0x8046, 0x0080));
    ticks.advance(10 * CVexorProtocol::kReplyTimeoutMs);
    protocol.OnTimer();
    EXPECT_EQ(window.messages, fileNotes({{0, NoSuchFile}}));

    sender.accept = false;
    EXPECT_FALSE(protocol.AskForFileEntry("osclog06.sdf"));
    EXPECT_FALSE(protocol.IsWaitingForReply()) << "nothing went out, nothing to wait for";
}

TEST(ReceivedFileTest, SizeMismatchAndWriteFailuresAreReportedAndKeepTheTarget) {
    test::TempDir dir;
    const auto target = dir / "osclog01.sdf";
    test::writeFile(target, "old contents");
    CReceivedFile file;
    PacketBuffer buffer = allocatePacketBuffer();
    std::memset(buffer.get(), 'n', 20);
    ASSERT_TRUE(file.AddPacket(std::move(buffer), 20)); // 12 payload bytes
    EXPECT_FALSE(file.AddPacket(allocatePacketBuffer(), 7));

    EXPECT_EQ(file.Save(target, 13), CReceivedFile::SaveResult::kSizeMismatch);
    tsimple_FAT entry;
    entry.size = 11;
    file.StoreEntry(entry);
    EXPECT_EQ(file.Save(target), CReceivedFile::SaveResult::kSizeMismatch) << "the entry's size counts";
    EXPECT_EQ(file.Save(dir / "missing" / "x.sdf", 12), CReceivedFile::SaveResult::kWriteFailed);
    EXPECT_EQ(test::readFile(target), "old contents");

    EXPECT_EQ(file.Save(target, 12), CReceivedFile::SaveResult::kSaved);
    EXPECT_EQ(test::readFile(target), "nnnnnnnnnnnn");
}

} // namespace
} // namespace wavix
