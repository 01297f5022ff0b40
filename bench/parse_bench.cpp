// Conversion of the largest sample group against a plain copy of the same bytes.
// The group of 5 s/div with four channels: 500 000 sets in 1 969 packets of at
// most 2047 bytes (8 header bytes, 254 sets of 8 bytes), default calibration.
// Compare the bytes/s of the conversion and of the copy; the conversion should
// stay within five times the copy's time. On a shared machine compare the CPU
// column: the wall time then includes preemption.

#include "core/scope/scopedata.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

using namespace wavix;

namespace {

constexpr std::size_t kPacketLen = 2047;
constexpr int kChannels = 4;
constexpr std::size_t kSetBytes = 2 * kChannels;
constexpr std::size_t kSetsPerPacket = (kPacketLen - kPacketHeaderSize) / kSetBytes;
constexpr std::size_t kSamplesPerChannel = 500000;
constexpr std::size_t kPackets = (kSamplesPerChannel + kSetsPerPacket - 1) / kSetsPerPacket;
constexpr std::size_t kInBytes = kSamplesPerChannel * kSetBytes;
constexpr std::size_t kOutBytes = kSamplesPerChannel * kChannels * sizeof(std::int32_t);

// Every packet is full but the last.
constexpr std::size_t packetLength(std::size_t p) {
    const std::size_t sets = std::min(kSetsPerPacket, kSamplesPerChannel - p * kSetsPerPacket);
    return kPacketHeaderSize + sets * kSetBytes;
}

// Seeded so every run converts the same group.
const std::vector<std::uint8_t>& groupBytes() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> b(kPackets * kPacketLen);
        std::mt19937 rng(12345);
        std::uniform_int_distribution<int> raw(0, 1023);
        for (std::size_t p = 0; p < kPackets; ++p)
            for (std::size_t i = kPacketHeaderSize; i < packetLength(p); i += 2) {
                const int v = raw(rng);
                b[p * kPacketLen + i] = static_cast<std::uint8_t>(v >> 8);
                b[p * kPacketLen + i + 1] = static_cast<std::uint8_t>(v);
            }
        return b;
    }();
    return bytes;
}

void fill(CScopeData& data) {
    const auto& bytes = groupBytes();
    for (std::size_t p = 0; p < kPackets; ++p) {
        PacketBuffer buf = allocatePacketBuffer();
        std::memcpy(buf.get(), bytes.data() + p * kPacketLen, packetLength(p));
        if (data.AddPacket(std::move(buf), packetLength(p)) != 0)
            std::abort(); // the group must fit whole
    }
}

void accept(CScopeData& data, int range, std::uint16_t mode) {
    tOscilExchange r = DefaultOscilExchange();
    r.chann_num = kChannels;
    for (int ch = 1; ch <= kChannels; ++ch)
        r.mux(ch) = static_cast<std::uint16_t>(range);
    r.time_base_ENUM = 14; // 500 000 samples: the roll merge moves most of them
    r.time_base = TimeBaseDivider(14);
    r.samples_all = SamplesPerStep(14);
    r.TR_mode = mode;
    data.AcceptSettings(r);
}

void report(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSamplesPerChannel * kChannels));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (kInBytes + kOutBytes)));
}

// pinTop: one block allocated after the group keeps the released buffers off the top
// of the heap, as other allocations do in the program; without it the allocator
// hands the megabyte back to the system on every release and that cost dominates.
void runParse(benchmark::State& state, std::uint16_t mode, bool pinTop) {
    CScopeData data;
    accept(data, static_cast<int>(state.range(0)), mode);
    PacketBuffer pin;
    for (auto _ : state) {
        state.PauseTiming();
        pin.reset();
        fill(data);
        if (pinTop)
            pin = allocatePacketBuffer();
        state.ResumeTiming();
        const int result = data.ParseData();
        benchmark::DoNotOptimize(result);
        if (result != 0)
            state.SkipWithError("conversion failed");
    }
    benchmark::DoNotOptimize(data.GetChannel(kChannels).GetSample(0));
    report(state);
}

void BM_ParseData(benchmark::State& state) {
    runParse(state, TM_AUTO, true);
}
void BM_ParseDataRoll(benchmark::State& state) {
    runParse(state, TM_FREE, true);
}
void BM_ParseDataHeapTop(benchmark::State& state) {
    runParse(state, TM_AUTO, false);
}

void BM_MemcpySameBytes(benchmark::State& state) {
    const auto& bytes = groupBytes();
    std::vector<std::uint8_t> in(kInBytes);
    std::vector<std::uint8_t> out(kOutBytes);
    std::vector<std::uint8_t> outSrc(kOutBytes, 1);
    for (auto _ : state) {
        for (std::size_t p = 0; p < kPackets; ++p)
            std::memcpy(in.data() + p * kSetsPerPacket * kSetBytes,
                        bytes.data() + p * kPacketLen + kPacketHeaderSize,
                        packetLength(p) - kPacketHeaderSize);
        std::memcpy(out.data(), outSrc.data(), kOutBytes);
        benchmark::DoNotOptimize(in.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    report(state);
}

} // namespace

BENCHMARK(BM_MemcpySameBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseData)->DenseRange(kRangeMin, kRangeMax)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseDataHeapTop)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseDataRoll)->DenseRange(kRangeMin, kRangeMax)->Unit(benchmark::kMicrosecond);
