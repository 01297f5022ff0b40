#include "core/comm/packet.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace wavix {
namespace {

std::vector<std::uint8_t> bytesOf(const Packet& p) {
    return {p.data.get(), p.data.get() + p.size};
}

TEST(RequestBuilder, PayloadIsBigEndianBehindTheFourByteHeader) {
    const std::array<std::uint8_t, 2> block{0xAA, 0xBB};
    const auto p =
        CRequestBuilder(0x0100).put8(0x01).putBE16(0x0203).putBE32(0x04050607).putBytes(block).finish();
    EXPECT_EQ(bytesOf(p), (std::vector<std::uint8_t>{0x10, 0x02, 0x01, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05,
                                                     0x06, 0x07, 0xAA, 0xBB}));
}

TEST(RequestBuilder, OverflowIsRefusedAndPoisonsTheRequest) {
    std::vector<std::uint8_t> fill(kPacketBufferSize - kRequestHeaderSize - 1, 0x55);
    CRequestBuilder exact(0x0081);
    exact.putBytes(fill).put8(1);
    EXPECT_FALSE(exact.overflowed());
    EXPECT_EQ(exact.length(), kPacketBufferSize);
    EXPECT_EQ(exact.finish().size, kPacketBufferSize);

    CRequestBuilder over(0x0081);
    over.putBytes(fill).putBE16(0x1234); // one byte short of room
    EXPECT_TRUE(over.overflowed());
    over.put8(1); // fits by itself, but the request is already lost
    EXPECT_EQ(over.length(), kPacketBufferSize - 1);
    const auto p = over.finish();
    EXPECT_FALSE(p.data);
    EXPECT_EQ(p.size, 0u);
}

struct DatagramCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool accepted;
    PacketHeader header;
};

class ReceivedDatagram : public ::testing::TestWithParam<DatagramCase> {};

// Each datagram is copied into a buffer of exactly its length, so a read past
// the end is caught by the sanitizers.
TEST_P(ReceivedDatagram, AcceptanceAndHeaderNeverReadPastTheLength) {
    const auto& c = GetParam();
    const auto buf = std::make_unique<std::uint8_t[]>(c.bytes.size() + 1);
    std::copy(c.bytes.begin(), c.bytes.end(), buf.get());
    const std::uint8_t* data = c.bytes.empty() ? nullptr : buf.get();
    EXPECT_EQ(acceptPacket(data, c.bytes.size()), c.accepted);
    const auto h = readPacketHeader(data, c.bytes.size());
    EXPECT_EQ(h.command, c.header.command);
    EXPECT_EQ(h.moduleNum, c.header.moduleNum);
    EXPECT_EQ(h.status, c.header.status);
}

INSTANTIATE_TEST_SUITE_P(
    Packet, ReceivedDatagram,
    ::testing::Values(
        DatagramCase{"empty", {}, false, {}}, DatagramCase{"one_start_byte", {0x10}, false, {}},
        DatagramCase{"start_bytes_only", {0x10, 0x02}, true, {}},
        DatagramCase{"odd_length_cuts_command", {0x10, 0x02, 0x80}, true, {}},
        DatagramCase{"echo", {0x10, 0x02, 0x00, 0x00}, true, {0x0000, 0, 0}},
        DatagramCase{
            "seven_bytes_cut_status", {0x10, 0x02, 0x80, 0x43, 0x00, 0x05, 0x00}, true, {0x8043, 5, 0}},
        DatagramCase{
            "short_without_start_bytes", {0x00, 0x00, 0x80, 0x80, 0x00, 0x01, 0x00}, false, {0x8080, 1, 0}},
        DatagramCase{
            "full_header", {0x10, 0x02, 0x80, 0x80, 0x00, 0x01, 0x00, 0x40}, true, {0x8080, 1, 0x40}},
        DatagramCase{"eight_bytes_need_no_start_bytes",
                     {0xFF, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x01},
                     true,
                     {0x1234, 0x5678, 0x9ABC}}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace wavix
