// The tester's file service without sockets: entries, contents runs paced by
// the program's next-packet requests, and the log folder it serves.

#include "sim/simfileserver.h"
#include "sim/simtestutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>

namespace wavix {
namespace {

using simtest::request;
using simtest::word;

std::vector<std::uint8_t> named(const std::string& name) {
    std::vector<std::uint8_t> p(name.begin(), name.end());
    p.push_back(0);
    return p;
}

std::vector<std::uint8_t> counting(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return v;
}

std::vector<std::uint8_t> payload(const Packet& p) {
    return {p.data.get() + kPacketHeaderSize, p.data.get() + p.size};
}

class SimFiles : public ::testing::Test {
protected:
    CSimFileServer server{0x0022, {{"osclog01.sdf", counting(5000)}, {"osclog03.sdf", {}}}};
};

TEST_F(SimFiles, EntryOfAKeptFileAndRefusalOfAnyOtherName) {
    auto r = server.handle(request(0x0046, named("osclog01.sdf")));
    ASSERT_EQ(r.packets.size(), 1u);
    const Packet& p = r.packets[0];
    ASSERT_EQ(p.size, kPacketHeaderSize + kSimpleFatSize);
    EXPECT_EQ(word(p, 2), 0x8046);
    EXPECT_EQ(word(p, 4), 0x0022);
    EXPECT_EQ(word(p, 6), kStatusOk);
    tsimple_FAT e;
    ASSERT_TRUE(DecodeSimpleFat(payload(p), e));
    EXPECT_EQ(SimpleFatName(e), "osclog01.sdf");
    EXPECT_EQ(e.size, 5000u);
    EXPECT_EQ(e.end_sec - e.Start_sec + 1, 10u); // 5000 bytes in 512-byte sectors

    // Mode 0 answers with its own code.
    r = server.handle(request(0x0044, named("osclog03.sdf")));
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(word(r.packets[0], 2), 0x8044);
    EXPECT_EQ(r.packets[0].size, kPacketHeaderSize + kSimpleFatSize);

    for (const std::vector<std::uint8_t>& ask : {named("osclog02.sdf"), named(""), named("OSCLOG01.SDF"),
                                                 named("osclog01.sdf.bak"), named(std::string(3000, 'x'))}) {
        r = server.handle(request(0x0046, ask));
        ASSERT_EQ(r.packets.size(), 1u);
        EXPECT_EQ(r.packets[0].size, kPacketHeaderSize);
        EXPECT_EQ(word(r.packets[0], 2), 0x8046);
        EXPECT_EQ(word(r.packets[0], 6), kStatusUnknown);
    }
    // A name left open ends with the datagram.
    const std::string open = "osclog01.sdf";
    r = server.handle(request(0x0046, {open.begin(), open.end()}));
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(word(r.packets[0], 6), kStatusOk);
}

struct RunCase {
    std::size_t size;
    std::size_t packets;
};

class SimFileRun : public ::testing::TestWithParam<RunCase> {};

// Every packet but the last says more follows; each next one comes only when asked.
TEST_P(SimFileRun, ContentsComeOnePacketPerRequestAndJoinToTheFile) {
    const auto [size, expectedPackets] = GetParam();
    const std::vector<std::uint8_t> file = counting(size);
    CSimFileServer server(0x0010, {{"osclog07.sdf", file}});
    std::vector<std::uint8_t> joined;
    auto r = server.handle(request(0x0047, named("osclog07.sdf")));
    std::size_t packets = 0;
    while (true) {
        ASSERT_EQ(r.packets.size(), 1u) << "packet " << packets;
        const Packet& p = r.packets[0];
        ASSERT_LE(p.size, 2047u);
        EXPECT_EQ(word(p, 2), 0x8047);
        const auto part = payload(p);
        joined.insert(joined.end(), part.begin(), part.end());
        ++packets;
        if (word(p, 6) == kStatusOk)
            break;
        ASSERT_EQ(word(p, 6), kStatusMore);
        EXPECT_TRUE(server.transferring());
        r = server.handle(request(0x0055));
    }
    EXPECT_EQ(packets, expectedPackets);
    EXPECT_EQ(joined, file);
    EXPECT_FALSE(server.transferring());
    // A next-packet request after the last packet is not answered.
    EXPECT_TRUE(server.handle(request(0x0055)).packets.empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, SimFileRun,
                         ::testing::Values(RunCase{0, 1}, RunCase{1, 1}, RunCase{2039, 1}, RunCase{2040, 2},
                                           RunCase{4078, 2}, RunCase{10000, 5}));

TEST_F(SimFiles, NextPacketWithoutARunIsIgnoredAndANewRequestRestartsTheRun) {
    auto r = server.handle(request(0x0055));
    EXPECT_TRUE(r.packets.empty());
    EXPECT_FALSE(r.log.empty());

    r = server.handle(request(0x0047, named("osclog01.sdf")));
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(word(r.packets[0], 6), kStatusMore);
    // The program gave up and asks again: the file starts over from byte 0.
    r = server.handle(request(0x0045, named("osclog01.sdf")));
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(word(r.packets[0], 2), 0x8045);
    const std::vector<std::uint8_t> file = counting(5000);
    EXPECT_EQ(payload(r.packets[0]), std::vector<std::uint8_t>(file.begin(), file.begin() + 2039));
    // An entry request in between leaves the run where it was.
    server.handle(request(0x0046, named("osclog03.sdf")));
    r = server.handle(request(0x0055));
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(word(r.packets[0], 2), 0x8045);
    EXPECT_EQ(payload(r.packets[0])[0], file[2039]);

    server.abortTransfer();
    EXPECT_TRUE(server.handle(request(0x0055)).packets.empty());

    // Contents of an unknown file: refused, no run starts.
    r = server.handle(request(0x0047, named("osclog09.sdf")));
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(word(r.packets[0], 2), 0x8047);
    EXPECT_EQ(word(r.packets[0], 6), kStatusUnknown);
    EXPECT_EQ(r.packets[0].size, kPacketHeaderSize);
    EXPECT_FALSE(server.transferring());
}

TEST(SimLogFolder, ServesOnlyTheTenLogNames) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("wavix-simfolder-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "osclog05.sdf"); // a folder by a log's name
    auto write = [&](const std::string& name, std::size_t n) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(counting(n).data()), static_cast<std::streamsize>(n));
    };
    write("osclog01.sdf", 3000);
    write("osclog10.sdf", 0);
    write("osclog11.sdf", 10);
    write("osclog1.sdf", 10);
    write("notes.txt", 10);

    SimFileMap files;
    std::string error;
    ASSERT_TRUE(LoadLogFolder(dir, files, error)) << error;
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.at("osclog01.sdf"), counting(3000));
    EXPECT_TRUE(files.at("osclog10.sdf").empty());

    std::filesystem::remove_all(dir);
    EXPECT_FALSE(LoadLogFolder(dir, files, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace wavix
