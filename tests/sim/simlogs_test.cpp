// The logs a simulated tester keeps when no folder is given, read back as the
// program reads them; the writer's bytes are pinned by the tester log tests.

#include "core/files/scopefile.h"
#include "core/scope/oscilexchange.h"
#include "core/support/textencoding.h"
#include "sim/simlogs.h"
#include "sim/simtestutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace wavix {
namespace {

struct ReadLog {
    CScopeFile file;
    std::vector<LogMark> marks;
    std::vector<std::uint16_t> words;
};

// Generated once for the suite: a few hundred milliseconds each time.
class SimLogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { files_ = std::make_unique<SimFileMap>(GenerateTesterLogs(5)); }
    static void TearDownTestSuite() { files_.reset(); }
    static inline std::unique_ptr<SimFileMap> files_;

    static std::unique_ptr<ReadLog> read(const std::string& name) {
        // One file per test: ctest runs the tests of this suite side by side.
        const auto path = std::filesystem::temp_directory_path() /
                          ("wavix-simlog-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) +
                           "-" + name);
        const std::vector<std::uint8_t>& bytes = files_->at(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        auto log = std::make_unique<ReadLog>();
        const bool ok = log->file.Load(path, &log->marks) &&
                        log->file.ReadLogWords(0, log->file.GetLogSamplesPerChannel(), log->words);
        std::filesystem::remove(path);
        return ok ? std::move(log) : nullptr;
    }
};

TEST_F(SimLogs, ThreeRollModeRecordingsWithAGapAndBothKindsOfMark) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : *files_) {
        names.push_back(name);
        SCOPED_TRACE(name);
        const auto log = read(name);
        ASSERT_TRUE(log);
        const CScopeFile& f = log->file;
        EXPECT_TRUE(f.IsLog());
        EXPECT_LT(bytes.size(), 10u << 20);
        tOscilExchange rec;
        ASSERT_TRUE(f.BuildSettings(rec));
        EXPECT_EQ(rec.TR_mode & ~kStopBit, TM_FREE);
        EXPECT_GE(f.GetTimeBaseStep(), 10);
        // A couple of minutes or so at the step's rate.
        const double seconds = f.GetLogSamplesPerChannel() / SampleRateHz(f.GetTimeBaseStep());
        EXPECT_GE(seconds, 90.0);
        EXPECT_LE(seconds, 300.0);
        EXPECT_GE(std::count_if(log->marks.begin(), log->marks.end(), [](auto& m) { return m.kind == 1; }),
                  1);
        EXPECT_GE(std::count_if(log->marks.begin(), log->marks.end(), [](auto& m) { return m.kind == 2; }),
                  1);
        for (std::uint16_t w : log->words)
            ASSERT_TRUE((w & 0x7FF) <= 1024 && (w & 0x3800) == 0) << std::hex << w;
        EXPECT_FALSE(f.GetHeaderText().empty());
        EXPECT_FALSE(IsValidUtf8(simtest::zeroTerminated(&bytes[8], 256)))
            << "Czech text in the tester's Windows-1250";
        for (int c = 0; c < f.GetChannelCount(); ++c)
            EXPECT_FALSE(f.GetChannel(c)->GetName().empty());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"osclog01.sdf", "osclog02.sdf", "osclog04.sdf"}));
    EXPECT_EQ(read("osclog04.sdf")->file.GetChannelCount(), 4);
}

TEST_F(SimLogs, SignalsFitTheirRanges) {
    // Words at the rails would mean a range chosen too small for the signal. Only
    // the ignition's clamp spike (350 V) lies beyond the widest range (328 V);
    // a sample catches it about every fifth spark.
    for (const auto& [name, bytes] : *files_) {
        const auto log = read(name);
        ASSERT_TRUE(log) << name;
        const auto n = static_cast<std::size_t>(log->file.GetChannelCount());
        std::vector<int> lo(n, 1024), hi(n, 0);
        std::vector<std::uint64_t> rails(n, 0);
        for (std::size_t i = 0; i < log->words.size(); ++i) {
            const int v = log->words[i] & 0x7FF;
            const std::size_t c = i % n;
            lo[c] = std::min(lo[c], v);
            hi[c] = std::max(hi[c], v);
            rails[c] += v == 0 || v == 1024;
        }
        for (std::size_t c = 0; c < n; ++c) {
            const std::string channel = log->file.GetChannel(static_cast<int>(c))->GetName();
            SCOPED_TRACE(name + " " + channel);
            if (channel == "IGN1")
                EXPECT_LT(rails[c] * 1000, log->file.GetLogSamplesPerChannel());
            else
                EXPECT_EQ(rails[c], 0u);
            EXPECT_GT(hi[c] - lo[c], 60); // a signal, not a flat line
        }
    }
}

TEST_F(SimLogs, SameSeedSameBytesOtherSeedOtherNoise) {
    const SimFileMap& a = *files_;
    EXPECT_EQ(a, GenerateTesterLogs(5));
    const SimFileMap b = GenerateTesterLogs(6);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        EXPECT_EQ(bytes.size(), b.at(name).size()) << name;
        EXPECT_NE(bytes, b.at(name)) << name;
    }
}

} // namespace
} // namespace wavix
