// The tester's log file, byte by byte, for a small two-channel recording.

#include "sim/simtestutil.h"
#include "sim/testerlog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wavix {
namespace {

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> v) {
    std::vector<std::uint8_t> out;
    for (int b : v)
        out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t n) {
    return {b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

TesterLog smallLog() {
    TesterLog log;
    log.text = "Idle test";
    log.written = {2024, 5, 2, 14, 7, 12, 5, 250};
    log.record = DefaultOscilExchange();
    log.record.version = 2;
    log.record.chann_num = 2;
    log.record.mux(1) = 5;
    log.record.dcOn(1) = CPL_DC;
    log.record.mux(2) = 8;
    log.record.dcOn(2) = CPL_AC;
    log.record.time_base_ENUM = 11;
    log.record.time_base = TimeBaseDivider(11);
    log.record.TR_channel = 2;
    log.record.TR_level = 600;
    log.record.TR_mode = TM_FREE;
    log.record.TR_rising = 1;
    log.record.TR_position = 0x01020304;
    log.channels = {{"CKP", "Kanál 1", 0x000000FF}, {"IGN1", "Coil", 0x0000FF00}};
    // Three instants; a mark of each kind on the first channel.
    log.words = {TesterLogWord(-512),
                 TesterLogWord(512),
                 TesterLogWord(0, kMarkFirstKind),
                 TesterLogWord(1),
                 TesterLogWord(-1, kMarkSecondKind),
                 TesterLogWord(100)};
    return log;
}

TEST(TesterLogFile, HeaderBlocksAndStreamAreBigEndianAtTheirOffsets) {
    const std::vector<std::uint8_t> b = EncodeTesterLog(smallLog());
    ASSERT_EQ(b.size(), 288u + 2 * 632 + 6 * 2);

    EXPECT_EQ(slice(b, 0, 4), bytesOf({'O', 'S', 'C', '1'}));
    EXPECT_EQ(slice(b, 4, 4), bytesOf({0, 0, 0, 2}));
    EXPECT_EQ(simtest::zeroTerminated(&b[8], 256), "Idle test");
    EXPECT_EQ(slice(b, 264, 16), bytesOf({0x07, 0xE8, 0, 5, 0, 2, 0, 14, 0, 7, 0, 12, 0, 5, 0, 250}));
    EXPECT_EQ(slice(b, 280, 4), bytesOf({0, 0, 0, 0}));
    EXPECT_EQ(slice(b, 284, 4), bytesOf({0, 0, 0, 0x33}));

    const std::size_t second = 288 + 632;
    EXPECT_EQ(slice(b, 288, 4), bytesOf({'-', 'C', 'H', 'x'}));
    EXPECT_EQ(slice(b, 292, 4), bytesOf({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(slice(b, 296, 4), bytesOf({0, 0, 0, 0xFF}));
    EXPECT_EQ(simtest::zeroTerminated(&b[300], 256), "Kan\xE1l 1"); // the tester's Windows-1250
    EXPECT_EQ(simtest::zeroTerminated(&b[556], 256), "CKP");
    // Channel record: number, version, range, coupling, step, divider, capacity,
    // trigger channel, 0, level, mode, edge.
    EXPECT_EQ(slice(b, 812, 32), bytesOf({0, 1, 0,    2,    0, 5, 0, 1, 0, 0, 0, 11,   0, 0, 0x19, 0,
                                          0, 0, 0xC3, 0x50, 0, 2, 0, 0, 0, 0, 2, 0x58, 0, 3, 0,    1}));
    // Probe: not loaded, empty texts, ratio 1.0f.
    EXPECT_EQ(slice(b, 844, 4), bytesOf({0, 0, 0, 0}));
    EXPECT_EQ(slice(b, 844 + 64, 4), bytesOf({0x3F, 0x80, 0, 0}));
    EXPECT_EQ(slice(b, 288 + 624, 4), bytesOf({'-', '1', '2', '3'}));
    EXPECT_EQ(slice(b, 288 + 628, 4), bytesOf({1, 2, 3, 4}));

    EXPECT_EQ(slice(b, second, 4), bytesOf({'-', 'C', 'H', 'x'}));
    EXPECT_EQ(slice(b, second + 8, 4), bytesOf({0, 0, 0xFF, 0}));
    EXPECT_EQ(simtest::zeroTerminated(&b[second + 268], 256), "IGN1");
    EXPECT_EQ(slice(b, second + 524, 8), bytesOf({0, 2, 0, 2, 0, 8, 0, 0}));
    EXPECT_EQ(slice(b, second + 624, 4), bytesOf({'-', '1', '2', '3'}));

    // Words: counts + 512, mark of the first kind in bit 15, second kind in bit 14.
    EXPECT_EQ(slice(b, second + 632, 12),
              bytesOf({0x00, 0x00, 0x04, 0x00, 0x82, 0x00, 0x02, 0x01, 0x41, 0xFF, 0x02, 0x64}));
}

TEST(TesterLogFile, CutsLongTextsAndRefusesInconsistentChannels) {
    TesterLog log = smallLog();
    log.text = std::string(300, 'a');
    log.channels[0].name = std::string(256, 'n');
    std::vector<std::uint8_t> b = EncodeTesterLog(log);
    ASSERT_EQ(b.size(), 288u + 2 * 632 + 12);
    EXPECT_EQ(simtest::zeroTerminated(&b[8], 256), std::string(255, 'a'));
    EXPECT_EQ(simtest::zeroTerminated(&b[556], 256), std::string(255, 'n'));
    EXPECT_EQ(slice(b, 284, 4), bytesOf({0, 0, 0, 0x33})); // nothing shifted

    log = smallLog();
    log.words.pop_back(); // half an instant
    EXPECT_TRUE(EncodeTesterLog(log).empty());
    log = smallLog();
    log.channels.pop_back();
    EXPECT_TRUE(EncodeTesterLog(log).empty());
    log = smallLog();
    log.record.chann_num = 5;
    EXPECT_TRUE(EncodeTesterLog(log).empty());
}

TEST(TesterLogFile, WordsClampTheSampleAndKeepOnlyTheTwoMarkBits) {
    EXPECT_EQ(TesterLogWord(-600), 0);
    EXPECT_EQ(TesterLogWord(600), 1024);
    EXPECT_EQ(TesterLogWord(600, kMarkFirstKind | kMarkSecondKind), 0xC400);
    EXPECT_EQ(TesterLogWord(0, 0x3800), 512); // no stray bits that read as marks
}

} // namespace
} // namespace wavix
