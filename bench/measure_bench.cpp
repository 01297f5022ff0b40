// The measurement table: every measurement of four channels of 614 400 samples
// each (crankshaft, ignition primary, injector, lambda at 100 kHz with a few
// counts of noise), against a plain copy of the same samples in the same run.
// `vs_memcpy` is the ratio; the budget is 3 for the general measurements and
// 6 with the automotive ones.

#include "core/analysis/measurementtable.h"
#include "core/scope/oscilexchange.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <numbers>
#include <vector>

namespace {

using namespace wavix;

constexpr double kDt = 10e-6;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

double crank(double t) {
    const double pitch = std::fmod(t * 800.0 / 60.0, 1.0) * 60.0;
    return pitch < 57.0 ? 10.0 * std::sin(kTwoPi * pitch) : 17.0 * std::sin(kTwoPi * (pitch - 57.0) / 3.0);
}

double ignition(double t) {
    const double s = std::fmod(t, 0.15);
    if (s < 4e-3)
        return 0.4 + 0.9 * s / 4e-3;
    const double r = s - 4e-3;
    if (r < 30e-6)
        return 350.0;
    if (r < 1.5e-3)
        return 38.0;
    return 13.8 - 15.0 * std::exp(-(r - 1.5e-3) / 0.3e-3) * std::sin(kTwoPi * 8e3 * (r - 1.5e-3));
}

double injector(double t) {
    const double s = std::fmod(t + 0.05, 0.15);
    if (s < 3e-3)
        return 0.2;
    const double r = s - 3e-3;
    return r < 180e-6 ? 70.0 : 13.8 + 56.0 * std::exp(-(r - 180e-6) / 60e-6);
}

double lambda(double t) {
    return 0.47 + 0.35 * std::tanh(4.0 * std::sin(kTwoPi * 0.9 * t));
}

struct Fixture {
    Fixture() {
        const double units[4] = {25.0 / 512, 400.0 / 512, 80.0 / 512, 1.0 / 512};
        double (*signal[4])(double) = {crank, ignition, injector, lambda};
        std::uint32_t seed = 7;
        for (int c = 0; c < 4; ++c) {
            auto& s = samples[c];
            s.resize(kMaxSamples);
            for (std::uint32_t i = 0; i < kMaxSamples; ++i) {
                seed = seed * 1664525u + 1013904223u;
                s[i] = static_cast<std::int32_t>(std::lround(signal[c](i * kDt) / units[c])) +
                       static_cast<std::int32_t>(seed >> 29) - 3;
            }
            inputs[c] = {s, kDt, units[c]};
        }
    }
    std::vector<std::int32_t> samples[4];
    SignalInput inputs[4];
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

double copySeconds = 0.0;

// CPU seconds of this thread: on a machine shared with builds, wall time
// counts the others' turns too.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

template <typename Body> double secondsPerIteration(benchmark::State& state, Body body) {
    const double start = threadSeconds();
    for (auto _ : state)
        body();
    return (threadSeconds() - start) / static_cast<double>(state.iterations());
}

void BM_CopySamples(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<std::int32_t> out(4 * static_cast<std::size_t>(kMaxSamples));
    copySeconds = secondsPerIteration(state, [&] {
        for (int c = 0; c < 4; ++c)
            std::memcpy(out.data() + static_cast<std::size_t>(c) * kMaxSamples, f.samples[c].data(),
                        f.samples[c].size() * sizeof(std::int32_t));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_CopySamples)->Unit(benchmark::kMillisecond);

// Arg 0: the general measurements on every channel; 1: every measurement.
void BM_MeasureTable(benchmark::State& state) {
    Fixture& f = Shared();
    CMeasurementTable table;
    for (int c = 1; c <= 4; ++c)
        for (const MeasureDef& d : Measurements())
            if (state.range(0) != 0 || !d.automotive)
                table.Add(c, d.key);
    const double seconds = secondsPerIteration(state, [&] {
        table.Evaluate(f.inputs);
        benchmark::DoNotOptimize(table.Results().data());
    });
    state.counters["rows"] = static_cast<double>(table.Rows().size());
    if (copySeconds > 0)
        state.counters["vs_memcpy"] = seconds / copySeconds;
}
BENCHMARK(BM_MeasureTable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
