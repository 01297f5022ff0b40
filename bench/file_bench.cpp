// Scope data files against plain fwrite/fread of the same number of bytes:
// a full waveform (4 channels x 614 400 samples, 9.8 MB) saved and loaded, and a
// 150 000-instant window of a 4-channel log read as stream words (1.2 MB). Each
// file operation should stay within twice its plain counterpart. The files live
// in the temporary folder, so the page cache serves most reads; compare the CPU
// column on a shared machine.

#include "core/files/scopefile.h"

#include "scratchdir.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace wavix;

namespace {

constexpr int kChannels = 4;
constexpr std::uint32_t kSamples = kMaxSamples;
constexpr std::uint32_t kLogInstants = 300000;
constexpr std::uint32_t kWindow = 150000;
constexpr std::uint32_t kWindowStart = 100000;
constexpr std::size_t kWaveBytes =
    kFileHeaderSize + kChannels * (kChannelBlockSize + 4 * std::size_t{kSamples});
constexpr std::size_t kWindowBytes = std::size_t{kWindow} * kChannels * 2;

struct Fixture {
    bench::ScratchDir scratch{"wavix_file_bench"};
    const std::filesystem::path& dir = scratch.path;
    std::vector<std::unique_ptr<CChannelData>> channels;
    std::vector<const CChannelData*> pointers;

    Fixture() {
        tOscilExchange rec = DefaultOscilExchange();
        rec.chann_num = kChannels;
        rec.time_base_ENUM = 14;
        rec.TR_mode = TM_FREE | kStopBit;
        for (int ch = 1; ch <= kChannels; ++ch) {
            auto c = std::make_unique<CChannelData>();
            c->ApplySettings(rec, ch);
            auto s = c->WritableSamples(kSamples);
            for (std::uint32_t i = 0; i < kSamples; ++i)
                s[i] = static_cast<std::int32_t>((i * 13 + static_cast<std::uint32_t>(ch)) % 1025) - 512;
            c->SetSampleCount(kSamples);
            c->SetCapacity(kSamples);
            pointers.push_back(c.get());
            channels.push_back(std::move(c));
        }
        CScopeFile file;
        file.Save(dir / "wave.sdf", pointers);
        file.SaveLogHeader(dir / "log.sdf", pointers);
        for (std::uint32_t done = 0; done < kLogInstants; done += kSamples / 4)
            file.AppendLogSamples(kSamples / 4);
        file.CloseLog();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void plainWrite(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void plainRead(const std::filesystem::path& path, long offset, std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, offset, SEEK_SET);
    benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
}

void BM_SaveWaveform(benchmark::State& state) {
    Fixture& fx = fixture();
    CScopeFile file;
    for (auto _ : state)
        benchmark::DoNotOptimize(file.Save(fx.dir / "save.sdf", fx.pointers));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kWaveBytes));
}
BENCHMARK(BM_SaveWaveform)->Unit(benchmark::kMillisecond);

void BM_PlainWriteWaveformBytes(benchmark::State& state) {
    Fixture& fx = fixture();
    std::vector<std::uint8_t> bytes(kWaveBytes, 0x5A);
    for (auto _ : state)
        plainWrite(fx.dir / "plain.bin", bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kWaveBytes));
}
BENCHMARK(BM_PlainWriteWaveformBytes)->Unit(benchmark::kMillisecond);

void BM_LoadWaveform(benchmark::State& state) {
    Fixture& fx = fixture();
    for (auto _ : state) {
        CScopeFile file;
        benchmark::DoNotOptimize(file.Load(fx.dir / "wave.sdf"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kWaveBytes));
}
BENCHMARK(BM_LoadWaveform)->Unit(benchmark::kMillisecond);

void BM_PlainReadWaveformBytes(benchmark::State& state) {
    Fixture& fx = fixture();
    std::vector<std::uint8_t> bytes(kWaveBytes);
    for (auto _ : state)
        plainRead(fx.dir / "wave.sdf", 0, bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kWaveBytes));
}
BENCHMARK(BM_PlainReadWaveformBytes)->Unit(benchmark::kMillisecond);

// The same, into memory obtained for each read as a loader must: a load fills new
// channels, so it pays for fresh pages that the reused buffer above never touches.
void BM_PlainReadWaveformBytesFreshBuffer(benchmark::State& state) {
    Fixture& fx = fixture();
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes(kWaveBytes);
        plainRead(fx.dir / "wave.sdf", 0, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kWaveBytes));
}
BENCHMARK(BM_PlainReadWaveformBytesFreshBuffer)->Unit(benchmark::kMillisecond);

void BM_ReadLogWindow(benchmark::State& state) {
    Fixture& fx = fixture();
    CScopeFile file;
    file.Load(fx.dir / "log.sdf");
    std::vector<std::uint16_t> words;
    for (auto _ : state) {
        benchmark::DoNotOptimize(file.ReadLogWords(kWindowStart, kWindow, words));
        benchmark::DoNotOptimize(words.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kWindowBytes));
}
BENCHMARK(BM_ReadLogWindow)->Unit(benchmark::kMicrosecond);

void BM_PlainReadLogWindowBytes(benchmark::State& state) {
    Fixture& fx = fixture();
    std::vector<std::uint8_t> bytes(kWindowBytes);
    const long offset = static_cast<long>(kFileHeaderSize + kChannels * kChannelBlockSize +
                                          std::size_t{kWindowStart} * kChannels * 2);
    for (auto _ : state)
        plainRead(fx.dir / "log.sdf", offset, bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kWindowBytes));
}
BENCHMARK(BM_PlainReadLogWindowBytes)->Unit(benchmark::kMicrosecond);

} // namespace
