#include "core/comm/packetset.h"

#include "core/tempdir.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

// A received packet of the given size whose payload bytes count up from first.
PacketBuffer packet(std::int32_t size, std::uint8_t first = 0) {
    auto buf = allocatePacketBuffer();
    for (std::int32_t i = 8; i < size; ++i)
        buf[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(first + i - 8);
    return buf;
}

TEST(PacketSet, GetHandsOutEntriesInOrderAndNothingOutOfRange) {
    CPacketSet set;
    auto a = packet(20);
    const auto* aRaw = a.get();
    EXPECT_TRUE(set.Add(std::move(a), 20));
    EXPECT_TRUE(set.Add(packet(8), static_cast<std::int32_t>(kPacketBufferSize)));
    // What cannot be a received packet is refused.
    EXPECT_FALSE(set.Add(nullptr, 8));
    EXPECT_FALSE(set.Add(packet(8), -1));
    EXPECT_FALSE(set.Add(packet(8), static_cast<std::int32_t>(kPacketBufferSize) + 1));
    EXPECT_EQ(set.GetCount(), 2);

    const std::uint8_t* data = nullptr;
    std::int32_t size = 0;
    EXPECT_TRUE(set.Get(0, data, size));
    EXPECT_EQ(data, aRaw);
    EXPECT_EQ(size, 20);
    for (std::int32_t bad : {-1, 2, 1000}) {
        data = aRaw;
        size = 5;
        EXPECT_FALSE(set.Get(bad, data, size)) << bad;
        EXPECT_EQ(data, nullptr);
        EXPECT_EQ(size, 0);
    }
}

TEST(PacketSet, DetachHandsTheBufferOverAndLeavesAnEmptyEntry) {
    CPacketSet set;
    auto a = packet(30);
    const auto* aRaw = a.get();
    set.Add(std::move(a), 30);
    set.Add(packet(10), 10);

    auto taken = set.Detach(0);
    EXPECT_EQ(taken.get(), aRaw);
    EXPECT_FALSE(set.Detach(0)); // already taken
    EXPECT_FALSE(set.Detach(2));
    EXPECT_FALSE(set.Detach(-1));
    EXPECT_EQ(set.GetCount(), 2);

    const std::uint8_t* data = aRaw;
    std::int32_t size = 1;
    EXPECT_FALSE(set.Get(0, data, size));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0);
    std::int64_t total = 0;
    EXPECT_TRUE(set.GetPayloadSize(total)); // a detached entry carries no payload
    EXPECT_EQ(total, 2);

    set.RemoveAll();
    EXPECT_EQ(set.GetCount(), 0);
    EXPECT_EQ(taken[8], 0); // still ours and alive after RemoveAll
}

struct PayloadCase {
    const char* name;
    std::vector<std::int32_t> sizes;
    std::int64_t total;
    bool ok;
};

class PacketSetPayload : public ::testing::TestWithParam<PayloadCase> {};

TEST_P(PacketSetPayload, SumsPayloadsAndNeverGoesNegative) {
    CPacketSet set;
    for (auto s : GetParam().sizes)
        set.Add(packet(s), s);
    std::int64_t total = -123;
    EXPECT_EQ(set.GetPayloadSize(total), GetParam().ok);
    EXPECT_EQ(total, GetParam().total);
}

INSTANTIATE_TEST_SUITE_P(PacketSet, PacketSetPayload,
                         ::testing::Values(PayloadCase{"empty", {}, 0, true},
                                           PayloadCase{"two_packets", {108, 8}, 100, true},
                                           PayloadCase{"short_entry_counts_zero", {4, 18, 0}, 10, false},
                                           PayloadCase{"largest", {2048, 2048}, 4080, true}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(PacketSet, WriteToFileAppendsPayloadsInOrder) {
    test::TempDir dir;
    const auto file = dir / "out.bin";
    test::writeFile(file, "old contents that must go");

    CPacketSet set;
    set.Add(packet(11, 1), 11);  // 1 2 3
    set.Add(packet(8), 8);       // header only
    set.Add(packet(12, 50), 12); // detached below
    set.Add(packet(4), 4);       // shorter than a header: skipped
    set.Add(packet(10, 7), 10);  // 7 8
    auto taken = set.Detach(2);

    ASSERT_TRUE(set.WriteToFile(file));
    EXPECT_EQ(test::readFile(file), std::string("\x01\x02\x03\x07\x08"));
    EXPECT_FALSE(set.WriteToFile(dir / "missing" / "x.bin"));
    EXPECT_FALSE(set.WriteToFile(dir.path()));

    // Header-only packets give an empty file, not none.
    CPacketSet headers;
    headers.Add(packet(8), 8);
    ASSERT_TRUE(headers.WriteToFile(file));
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
}

} // namespace
} // namespace wavix
