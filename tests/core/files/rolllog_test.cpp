// The roll-mode log on disk: groups land in order and whole, a group larger
// than the channels hold is cut at a visible seam, and a log cut anywhere in a
// write (a killed program) reads as far as its last whole instant.

#include "core/files/rolllog.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <vector>

namespace wavix {
namespace {

FileTime fixedTime() {
    return {2024, 3, 1, 15, 10, 20, 30, 400};
}

// Three channels that hold `capacity` samples; push() rolls new values in at the end.
struct RollChannels {
    explicit RollChannels(std::uint32_t capacity) {
        for (std::size_t i = 0; i < channels.size(); ++i) {
            channels[i].SetChannel(static_cast<int>(i) + 1);
            channels[i].SetQuiet(true);
            channels[i].SetCapacity(capacity);
            auto s = channels[i].WritableSamples(capacity);
            std::fill(s.begin(), s.end(), 0);
            channels[i].SetSampleCount(capacity);
            pointers[i] = &channels[i];
        }
    }
    // The value of channel c at running instant k: distinct for every instant.
    static std::int32_t value(std::size_t c, std::uint32_t k) {
        return static_cast<std::int32_t>((k * 7 + c * 100) % 1025) - 512;
    }
    void push(std::uint32_t count) {
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const std::uint32_t cap = channels[c].GetCapacity();
            auto s = channels[c].WritableSamples(cap);
            for (std::uint32_t i = 0; i < count; ++i) {
                std::rotate(s.begin(), s.begin() + 1, s.end());
                s[cap - 1] = value(c, next + i);
            }
        }
        next += count;
    }
    std::array<CChannelData, 3> channels;
    std::array<const CChannelData*, 3> pointers{};
    std::uint32_t next = 0;
};

std::vector<std::uint16_t> readAll(const std::filesystem::path& path, std::vector<LogMark>* marks = nullptr) {
    CScopeFile file;
    std::vector<std::uint16_t> words;
    if (!file.Load(path, marks) || !file.ReadLogWords(0, file.GetLogSamplesPerChannel(), words))
        ADD_FAILURE() << "unreadable log " << path;
    return words;
}

TEST(RollLog, GroupsFollowEachOtherWithoutGapOrRepeat) {
    test::TempDir dir;
    RollChannels roll(64);
    CRollLog log(fixedTime);
    ASSERT_TRUE(log.Start(dir / "a.sdf", roll.pointers, "idle"));
    const std::vector<std::uint32_t> groups = {5, 1, 64, 0, 17, 30};
    for (const std::uint32_t g : groups) {
        roll.push(g);
        ASSERT_TRUE(log.Append(g));
    }
    log.End();
    EXPECT_FALSE(log.IsOpen());
    EXPECT_TRUE(log.WasStarted());
    EXPECT_EQ(log.InstantsWritten(), roll.next);

    CScopeFile file;
    ASSERT_TRUE(file.Load(dir / "a.sdf"));
    EXPECT_EQ(file.GetHeaderText(), "idle");
    EXPECT_EQ(file.GetVersion(), kFileVersionLog);
    const auto words = readAll(dir / "a.sdf");
    ASSERT_EQ(words.size(), std::size_t{roll.next} * 3);
    for (std::uint32_t k = 0; k < roll.next; ++k)
        for (std::size_t c = 0; c < 3; ++c)
            ASSERT_EQ(LogWordValue(words[k * 3 + c]), RollChannels::value(c, k)) << "instant " << k;
}

TEST(RollLog, TheSeamOfAnOversizedGroupAndTheUsersMarksLandOnTheirInstants) {
    test::TempDir dir;
    RollChannels roll(16);
    CRollLog log(fixedTime);
    ASSERT_TRUE(log.Start(dir / "b.sdf", roll.pointers, {}));
    roll.push(4);
    ASSERT_TRUE(log.RequestMark(1));
    ASSERT_TRUE(log.Append(4));
    roll.push(40); // only the last 16 are still in the channels
    ASSERT_TRUE(log.Append(40));
    roll.push(3);
    ASSERT_TRUE(log.RequestMark(2));
    ASSERT_TRUE(log.Append(3));
    log.End();
    EXPECT_FALSE(log.RequestMark(1));
    EXPECT_EQ(log.InstantsWritten(), 23u);
    EXPECT_EQ(log.InstantsLost(), 24u);

    std::vector<LogMark> marks;
    const auto words = readAll(dir / "b.sdf", &marks);
    ASSERT_EQ(words.size(), 23u * 3);
    EXPECT_EQ(LogWordValue(words[4 * 3]), RollChannels::value(0, 28));
    EXPECT_EQ(LogWordValue(words[19 * 3 + 2]), RollChannels::value(2, 43));
    // Each on the first word of its instant: the user's, the seam, the user's.
    EXPECT_EQ(marks, (std::vector<LogMark>{{1, 0, 1}, {2, 4, 2}, {3, 20, 2}}));
}

TEST(RollLog, ALogCutAnywhereReadsUpToItsLastWholeInstant) {
    test::TempDir dir;
    RollChannels roll(32);
    CRollLog log(fixedTime);
    ASSERT_TRUE(log.Start(dir / "c.sdf", roll.pointers, "cut"));
    for (std::uint32_t g : {7u, 9u, 11u}) {
        roll.push(g);
        ASSERT_TRUE(log.Append(g));
        // Each group is on disk before the next one comes.
        EXPECT_EQ(std::filesystem::file_size(dir / "c.sdf"),
                  kFileHeaderSize + 3 * kChannelBlockSize + std::uintmax_t{roll.next} * 6);
    }
    const std::string whole = test::readFile(dir / "c.sdf"); // read while still open
    log.End();
    const std::size_t stream = kFileHeaderSize + 3 * kChannelBlockSize;
    const auto full = readAll(dir / "c.sdf");

    // A few cuts into the header and blocks, then every byte of the word stream.
    std::vector<std::size_t> cuts = {
        0, 3, kFileHeaderSize - 1, kFileHeaderSize, kFileHeaderSize + 700, stream - 1};
    for (std::size_t cut = stream; cut <= whole.size(); ++cut)
        cuts.push_back(cut);
    for (const std::size_t cut : cuts) {
        const auto path = dir / "cut.sdf";
        test::writeFile(path, whole.substr(0, cut));
        CScopeFile file;
        const bool loaded = file.Load(path);
        if (cut < stream) {
            EXPECT_FALSE(loaded) << "cut at " << cut;
            continue;
        }
        ASSERT_TRUE(loaded) << "cut at " << cut;
        const std::uint32_t instants = static_cast<std::uint32_t>((cut - stream) / 6);
        ASSERT_EQ(file.GetLogSamplesPerChannel(), instants) << "cut at " << cut;
        std::vector<std::uint16_t> words;
        ASSERT_TRUE(file.ReadLogWords(0, instants + 5, words)) << "cut at " << cut;
        ASSERT_EQ(words.size(), std::size_t{instants} * 3);
        EXPECT_TRUE(std::equal(words.begin(), words.end(), full.begin())) << "cut at " << cut;
    }
}

TEST(RollLog, AppendWithoutAnOpenLogWritesNothing) {
    test::TempDir dir;
    RollChannels roll(8);
    CRollLog log(fixedTime);
    EXPECT_FALSE(log.Append(3));
    EXPECT_FALSE(log.Start(dir / "missing" / "d.sdf", roll.pointers, {}));
    EXPECT_FALSE(log.IsOpen());
    EXPECT_FALSE(log.WasStarted());
}

} // namespace
} // namespace wavix
