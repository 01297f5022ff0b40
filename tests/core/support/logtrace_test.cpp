#include "core/support/logtrace.h"

#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <thread>

namespace wavix {
namespace {

TraceTime fixedTime() {
    return {2024, 3, 7, 9, 5, 2, 41};
}

const std::string kPrefix = "07.03.2024 09:05:02.041 ";

TEST(LogTrace, PrefixIsDayMonthYearAndMilliseconds) {
    EXPECT_EQ(FormatTracePrefix(fixedTime()), kPrefix);
    EXPECT_EQ(FormatTracePrefix({1999, 12, 31, 23, 59, 59, 999}), "31.12.1999 23:59:59.999 ");
    const auto now = LocalTraceTime();
    EXPECT_GE(now.year, 2000);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.millisecond >= 0 && now.millisecond < 1000);
}

TEST(LogTrace, ModeOffOrAMissingFolderLeaveNoFileBehindAndAreNotFatal) {
    test::TempDir dir;
    {
        CLogTrace off(CLogTrace::kOff, dir.path(), {"trace.log"}, fixedTime);
        EXPECT_FALSE(off.Trace(0, "line"));
        CLogTrace missing(CLogTrace::kFile, dir / "missing", {"a.log"}, fixedTime);
        EXPECT_FALSE(missing.Trace(0, "x"));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(LogTrace, FileModeFramesTheRunAndAppends) {
    test::TempDir dir;
    test::writeFile(dir / "b.log", "earlier run\n");
    {
        CLogTrace log(CLogTrace::kFile, dir.path(), {"a.log", "b.log"}, fixedTime);
        EXPECT_TRUE(log.Trace(1, "first"));
        EXPECT_TRUE(log.Trace(1, "Parse START : Reply 8080\n\n"));
        EXPECT_FALSE(log.Trace(2, "no such file"));
        EXPECT_FALSE(log.Trace(static_cast<std::size_t>(-1), "no such file"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "a.log")); // never written, never framed
    EXPECT_EQ(test::readFile(dir / "b.log"),
              "earlier run\n" + kPrefix + std::string(kTraceStartLine) + "\n" + kPrefix + "first\n" +
                  kPrefix + "Parse START : Reply 8080\n\n" + kPrefix + std::string(kTraceEndLine) + "\n");
}

TEST(LogTrace, LinesOfConcurrentCallersNeverInterleave) {
    test::TempDir dir;
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    {
        CLogTrace log(CLogTrace::kFile, dir.path(), {"t.log"}, fixedTime);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&log, t] {
                const std::string line(100, static_cast<char>('a' + t));
                for (int i = 0; i < kLines; ++i)
                    log.Trace(0, line);
            });
        for (auto& th : threads)
            th.join();
    }
    std::istringstream in(test::readFile(dir / "t.log"));
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
        ASSERT_EQ(line.compare(0, kPrefix.size(), kPrefix), 0);
        const auto body = line.substr(kPrefix.size());
        if (body == kTraceStartLine || body == kTraceEndLine)
            continue;
        ASSERT_EQ(body, std::string(100, body[0]));
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
}

TEST(LogTrace, InternalErrorGoesToTheLogAndCarriesOn) {
    test::TempDir dir;
    {
        CLogTrace log(CLogTrace::kFile, dir.path(), {"t.log"}, fixedTime);
        InternalError("CPacketSet::GetPayloadSize", &log);
    }
    EXPECT_NE(test::readFile(dir / "t.log").find(kPrefix + "Internal error: CPacketSet::GetPayloadSize\n"),
              std::string::npos);
    InternalError("without a log"); // stderr in debug builds; never stops the program
}

} // namespace
} // namespace wavix
