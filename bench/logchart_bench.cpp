// The log chart viewer on a log of one hour at 10 kHz with four channels
// (36 000 000 instants, 288 MB): opening it (header, every mark collected, then
// the first 50 000-instant window read and reduced to 1 000 pixel columns per
// channel) and one step of half a window (read + reduce). Each is set against
// memcpy of the same number of bytes in the same run, and the open also against
// a plain fread of the whole file. Targets: open under 2 s, a step under 200 ms.
// The file lives in the temporary folder, so the page cache serves the reads
// after the first; compare the CPU column on a shared machine.

#include "core/display/columnreduce.h"
#include "core/files/logchartnavigator.h"
#include "core/files/logloadjob.h"
#include "core/files/logwindow.h"
#include "core/files/scopefile.h"
#include "core/scope/oscilexchange.h"

#include "scratchdir.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace wavix;

namespace {

constexpr int kChannels = 4;
constexpr std::uint32_t kRateHz = 10000;
constexpr std::uint32_t kInstants = 3600 * kRateHz;
constexpr std::uint32_t kChunk = 20000;
constexpr int kColumns = 1000;
constexpr std::size_t kStreamBytes = std::size_t{kInstants} * kChannels * 2;
constexpr std::size_t kWindowBytes = std::size_t{CLogChartNavigator::kFirstWindow} * kChannels * 2;

int stepOf10kHz() {
    for (int step = kStepMin; step <= kStepMax; ++step)
        if (SampleRateHz(step) == kRateHz)
            return step;
    return kStepMax;
}

struct Fixture {
    bench::ScratchDir scratch{"wavix_logchart_bench"};
    const std::filesystem::path& dir = scratch.path;
    std::filesystem::path log;

    Fixture() {
        log = dir / "hour.sdf";
        tOscilExchange rec = DefaultOscilExchange();
        rec.chann_num = kChannels;
        rec.time_base_ENUM = static_cast<std::uint32_t>(stepOf10kHz());
        rec.TR_mode = TM_FREE;
        std::vector<std::unique_ptr<CChannelData>> channels;
        std::vector<const CChannelData*> pointers;
        for (int ch = 1; ch <= kChannels; ++ch) {
            channels.push_back(std::make_unique<CChannelData>());
            channels.back()->ApplySettings(rec, ch);
            pointers.push_back(channels.back().get());
        }
        CScopeFile file;
        file.SaveLogHeader(log, pointers);
        for (std::uint32_t done = 0; done < kInstants; done += kChunk) {
            for (int c = 0; c < kChannels; ++c) {
                auto s = channels[static_cast<std::size_t>(c)]->WritableSamples(kChunk);
                for (std::uint32_t i = 0; i < kChunk; ++i)
                    s[i] = static_cast<std::int32_t>(400.0 * std::sin((done + i) * 0.001 * (c + 1)));
                channels[static_cast<std::size_t>(c)]->SetSampleCount(kChunk);
                channels[static_cast<std::size_t>(c)]->SetCapacity(kChunk);
            }
            if (done % (60 * kRateHz) == 0) // a mark a minute
                file.RequestMark(1);
            file.AppendLogSamples(kChunk);
        }
        file.CloseLog();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// What a display does with a window: samples to floats, then one pass to columns.
void reduceWindow(CScopeFile& file, std::vector<float>& buffer, std::vector<ColumnStats>& columns) {
    for (int c = 0; c < file.GetChannelCount(); ++c) {
        const auto samples = file.GetChannel(c)->GetSamples();
        buffer.resize(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            buffer[i] = static_cast<float>(samples[i] + 512);
        ReduceColumns(buffer, 0, static_cast<std::int64_t>(buffer.size()), kColumns, 0.0f, 1023.0f, columns);
        benchmark::DoNotOptimize(columns.data());
    }
}

void BM_OpenToFirstWindow(benchmark::State& state) {
    Fixture& fx = fixture();
    std::vector<float> buffer;
    std::vector<ColumnStats> columns;
    for (auto _ : state) {
        CLogLoadJob job(fx.log);
        job.Run();
        LogLoadResult result = job.TakeResult();
        if (!result.file || !ReadLogWindow(*result.file, 0, CLogChartNavigator::kFirstWindow)) {
            state.SkipWithError("the log did not open");
            break;
        }
        reduceWindow(*result.file, buffer, columns);
        state.counters["marks"] = static_cast<double>(result.marks.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kStreamBytes));
}
BENCHMARK(BM_OpenToFirstWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PlainFreadWholeLog(benchmark::State& state) {
    Fixture& fx = fixture();
    std::vector<std::uint8_t> chunk(512 * 1024);
    for (auto _ : state) {
        std::FILE* f = std::fopen(fx.log.c_str(), "rb");
        while (std::fread(chunk.data(), 1, chunk.size(), f) == chunk.size())
            benchmark::DoNotOptimize(chunk.data());
        std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kStreamBytes));
}
BENCHMARK(BM_PlainFreadWholeLog)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MemcpyLogBytes(benchmark::State& state) {
    std::vector<std::uint8_t> from(kStreamBytes, 0x5A);
    std::vector<std::uint8_t> to(kStreamBytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kStreamBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kStreamBytes));
}
BENCHMARK(BM_MemcpyLogBytes)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StepWindow(benchmark::State& state) {
    Fixture& fx = fixture();
    CScopeFile file;
    if (!file.Load(fx.log)) {
        state.SkipWithError("the log did not open");
        return;
    }
    CLogChartNavigator nav;
    nav.Reset();
    nav.SetLog(file.GetLogSamplesPerChannel());
    std::vector<float> buffer;
    std::vector<ColumnStats> columns;
    for (auto _ : state) {
        if (!nav.PositionForward())
            nav.SetPosition(0);
        ReadLogWindow(file, nav.Position(), nav.Window());
        reduceWindow(file, buffer, columns);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kWindowBytes));
}
BENCHMARK(BM_StepWindow)->Unit(benchmark::kMillisecond);

void BM_MemcpyWindowBytes(benchmark::State& state) {
    std::vector<std::uint8_t> from(kWindowBytes, 0x5A);
    std::vector<std::uint8_t> to(kWindowBytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kWindowBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kWindowBytes));
}
BENCHMARK(BM_MemcpyWindowBytes)->Unit(benchmark::kMillisecond);

} // namespace
