#include "core/files/logwindow.h"

#include "core/files/sdfbuilder.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

// Instant i: channel 1 reads i, channel 2 reads -i under a mark bit that must be ignored.
std::string rampLog(std::uint32_t version, int instants) {
    std::vector<std::uint16_t> words;
    for (int i = 0; i < instants; ++i) {
        words.push_back(static_cast<std::uint16_t>(512 + i));
        words.push_back(static_cast<std::uint16_t>(0x8000 | (512 - i)));
    }
    return test::buildLog(version, {{}, {}}, words);
}

std::vector<int> samples(const CChannelData* ch) {
    return {ch->GetSamples().begin(), ch->GetSamples().end()};
}

struct WindowCase {
    std::uint32_t version;
    std::int64_t first, count;
    std::vector<int> channel1, channel2;
};

class LogWindow : public ::testing::TestWithParam<WindowCase> {};

// Ten instants and half an instant of trailing bytes; a window past the end is cut.
TEST_P(LogWindow, ReadsTheWindowInTheLogsByteOrder) {
    const auto& c = GetParam();
    test::TempDir dir;
    test::writeFile(dir / "log.sdf", rampLog(c.version, 10) + std::string("\x01\x02", 2));
    CScopeFile file;
    ASSERT_TRUE(file.Load(dir / "log.sdf"));
    std::uint32_t read = 99;
    ASSERT_TRUE(ReadLogWindow(file, c.first, c.count, &read));
    EXPECT_EQ(read, c.channel1.size());
    EXPECT_EQ(samples(file.GetChannel(0)), c.channel1);
    EXPECT_EQ(samples(file.GetChannel(1)), c.channel2);
    EXPECT_EQ(file.GetChannel(1)->GetCapacity(), read);
}

INSTANTIATE_TEST_SUITE_P(Windows, LogWindow,
                         ::testing::Values(WindowCase{0x33, 2, 3, {2, 3, 4}, {-2, -3, -4}},
                                           WindowCase{0x44, 2, 3, {2, 3, 4}, {-2, -3, -4}},
                                           WindowCase{0x33, 8, 50000, {8, 9}, {-8, -9}},
                                           WindowCase{0x44, 10, 5, {}, {}}, WindowCase{0x44, 1000, 5, {}, {}},
                                           WindowCase{0x44, 3, 0, {}, {}}));

TEST(LogWindowWords, ValueIsTheLowElevenBitsLessTheCentre) {
    test::TempDir dir;
    test::writeFile(dir / "log.sdf", test::buildLog(0x33, {{}}, {0x0000, 0x07FF, 0xFFFF, 0x4200, 0x0400}));
    CScopeFile file;
    ASSERT_TRUE(file.Load(dir / "log.sdf"));
    ASSERT_TRUE(ReadLogWindow(file, 0, 5));
    EXPECT_EQ(samples(file.GetChannel(0)), (std::vector<int>{-512, 1535, 1535, 0, 512}));
}

TEST(LogWindowWords, RefusesWhatIsNoReadableLog) {
    test::TempDir dir;
    CScopeFile wave;
    wave.AddChannel(std::make_unique<CChannelData>());
    ASSERT_TRUE(wave.Save(dir / "wave.sdf"));
    ASSERT_TRUE(wave.Load(dir / "wave.sdf"));
    EXPECT_FALSE(ReadLogWindow(wave, 0, 4));

    test::writeFile(dir / "log.sdf", rampLog(0x33, 10));
    CScopeFile log;
    ASSERT_TRUE(log.Load(dir / "log.sdf"));
    ASSERT_TRUE(ReadLogWindow(log, 0, 4));
    EXPECT_FALSE(ReadLogWindow(log, -1, 4));
    std::filesystem::remove(dir / "log.sdf");
    EXPECT_FALSE(ReadLogWindow(log, 0, 2));
    EXPECT_EQ(samples(log.GetChannel(0)), (std::vector<int>{0, 1, 2, 3})); // the last window stays
}

TEST(LogWindowWords, ChannelsGoToTheirDisplays) {
    using Plan = std::vector<LogDisplayAssignment>;
    EXPECT_EQ(LogWindowDisplays(3, 4, false), (Plan{{0, {0, 1, 2}}}));
    EXPECT_EQ(LogWindowDisplays(3, 4, true), (Plan{{0, {0}}, {1, {1}}, {2, {2}}}));
    EXPECT_EQ(LogWindowDisplays(4, 2, true), (Plan{{0, {0}}, {1, {1}}})); // no display, not shown
}

} // namespace
} // namespace wavix
