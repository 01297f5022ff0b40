#include "core/files/logloadjob.h"

#include "core/files/sdfbuilder.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

namespace wavix {
namespace {

// A log of three channels with marks scattered over a stream longer than one
// read chunk, with the expected marks worked out word by word.
struct MarkedLog {
    std::vector<std::uint16_t> words;
    std::vector<LogMark> expected;
};

MarkedLog markedLog(std::size_t wordCount, unsigned seed) {
    MarkedLog log;
    std::mt19937 rng(seed);
    const std::uint16_t bits[] = {0x8000, 0x4000, 0x0800, 0xC000};
    int number = 0;
    for (std::size_t k = 0; k < wordCount; ++k) {
        auto word = static_cast<std::uint16_t>(rng() % 1025);
        // Marks close together, at chunk edges and at the very end.
        if (rng() % 997 == 0 || k == 262143 || k == 262144 || k == wordCount - 1) {
            word = static_cast<std::uint16_t>(word | bits[rng() % 4]);
            const int kind = (word & 0x8000) ? 1 : (word & 0x4000) ? 2 : 0;
            log.expected.push_back({++number, static_cast<std::uint32_t>((k + 1) / 3), kind});
        }
        log.words.push_back(word);
    }
    return log;
}

class LogLoadJobOrder : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(LogLoadJobOrder, CollectsEveryMarkOfALongStream) {
    test::TempDir dir;
    const MarkedLog log = markedLog(3 * 200000, 7);
    test::writeFile(dir / "log.sdf", test::buildLog(GetParam(), {{}, {}, {}}, log.words));

    CLogLoadJob job(dir / "log.sdf");
    job.Run();
    ASSERT_TRUE(job.IsDone());
    LogLoadResult result = job.TakeResult();
    ASSERT_EQ(result.outcome, LogLoadResult::Outcome::Loaded);
    ASSERT_NE(result.file, nullptr);
    EXPECT_EQ(result.file->GetLogSamplesPerChannel(), 200000u);
    EXPECT_EQ(result.marks, log.expected);
    EXPECT_EQ(job.Progress(), 100);
    // Handed over once.
    EXPECT_EQ(job.TakeResult().file, nullptr);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, LogLoadJobOrder, ::testing::Values(0x33u, 0x44u));

TEST(LogLoadJob, CancelOnTheWorkerStopsMidwayAndHandsOverNothing) {
    test::TempDir dir;
    const MarkedLog log = markedLog(4 * 300000, 3);
    test::writeFile(dir / "log.sdf", test::buildLog(0x44, {{}, {}, {}, {}}, log.words));

    auto job = std::make_shared<CLogLoadJob>(dir / "log.sdf");
    std::vector<int> seen;
    job->SetProgressHook([&](int percent) {
        seen.push_back(percent);
        job->Cancel(); // as the window's cancel button would, after the first chunk
    });
    std::thread worker([job] { job->Run(); });
    worker.join();

    ASSERT_TRUE(job->IsDone());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_LT(seen.front(), 100);
    LogLoadResult result = job->TakeResult();
    EXPECT_EQ(result.outcome, LogLoadResult::Outcome::Cancelled);
    EXPECT_EQ(result.file, nullptr);
    EXPECT_TRUE(result.marks.empty());
}

TEST(LogLoadJob, RefusesWhatIsNoLog) {
    test::TempDir dir;
    test::SdfBuilder wave;
    test::SdfBuilder::Block b;
    b.count = 2;
    wave.header(0x22, 1).block(b).samples({1, 2});
    test::writeFile(dir / "wave.sdf", wave.bytes());
    test::writeFile(dir / "junk.sdf", "OSC1 and nothing else");

    for (const char* name : {"wave.sdf", "junk.sdf", "missing.sdf"}) {
        CLogLoadJob job(dir / name);
        job.Run();
        const LogLoadResult result = job.TakeResult();
        EXPECT_EQ(result.outcome, LogLoadResult::Outcome::Failed) << name;
        EXPECT_EQ(result.file, nullptr) << name;
    }
    // Cancelled before the worker started: nothing is read.
    CLogLoadJob early(dir / "wave.sdf");
    early.Cancel();
    early.Run();
    EXPECT_EQ(early.TakeResult().outcome, LogLoadResult::Outcome::Cancelled);
}

} // namespace
} // namespace wavix
