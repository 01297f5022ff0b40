// The logs a simulated tester keeps when no folder is given.

#include "core/scope/oscilexchange.h"
#include "core/support/textencoding.h"
#include "sim/simlogs.h"
#include "sim/testerlogcheck.h"

#include <gtest/gtest.h>

#include <memory>

namespace wavix {
namespace {

// Generated once for the suite: a few hundred milliseconds each time.
class SimLogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { files_ = std::make_unique<SimFileMap>(GenerateTesterLogs(5)); }
    static void TearDownTestSuite() { files_.reset(); }
    static inline std::unique_ptr<SimFileMap> files_;
};

TEST_F(SimLogs, ThreeRollModeRecordingsWithAGapAndBothKindsOfMark) {
    const SimFileMap& files = *files_;
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) {
        names.push_back(name);
        SCOPED_TRACE(name);
        const simtest::CheckedLog log = simtest::checkTesterLog(bytes);
        ASSERT_EQ(log.error, "");
        EXPECT_LT(bytes.size(), 10u << 20);
        EXPECT_EQ(log.mode, TM_FREE);
        EXPECT_GE(log.step, 10u);
        // A couple of minutes or so at the step's rate.
        const double seconds = static_cast<double>(log.instants) / SampleRateHz(static_cast<int>(log.step));
        EXPECT_GE(seconds, 90.0);
        EXPECT_LE(seconds, 300.0);
        EXPECT_GE(log.marksFirst, 1u);
        EXPECT_GE(log.marksSecond, 1u);
        EXPECT_TRUE(log.samplesInRange);
        EXPECT_FALSE(log.text.empty());
        EXPECT_FALSE(IsValidUtf8(log.text)) << "Czech text in the tester's Windows-1250";
        for (const auto& n : log.names)
            EXPECT_FALSE(n.empty());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"osclog01.sdf", "osclog02.sdf", "osclog04.sdf"}));
    EXPECT_EQ(simtest::checkTesterLog(files.at("osclog04.sdf")).channels, 4u);
}

TEST_F(SimLogs, SignalsFitTheirRanges) {
    // Words at the rails would mean a range chosen too small for the signal. Only
    // the ignition's clamp spike (350 V) lies beyond the widest range (328 V);
    // a sample catches it about every fifth spark.
    const SimFileMap& files = *files_;
    for (const auto& [name, bytes] : files) {
        const simtest::CheckedLog log = simtest::checkTesterLog(bytes);
        ASSERT_EQ(log.error, "");
        const std::size_t stream = 288 + 632 * std::size_t{log.channels};
        std::vector<int> lo(log.channels, 1024), hi(log.channels, 0);
        std::vector<std::uint64_t> rails(log.channels, 0);
        for (std::size_t i = 0; stream + 2 * i < bytes.size(); ++i) {
            const int v = readBE16(&bytes[stream + 2 * i]) & 0x7FF;
            const std::size_t c = i % log.channels;
            lo[c] = std::min(lo[c], v);
            hi[c] = std::max(hi[c], v);
            rails[c] += v == 0 || v == 1024;
        }
        for (std::size_t c = 0; c < log.channels; ++c) {
            SCOPED_TRACE(name + " channel " + std::to_string(c + 1));
            if (log.names[c] == "IGN1")
                EXPECT_LT(rails[c] * 1000, log.instants);
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
