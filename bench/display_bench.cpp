// One full paint of a large display holding four long live traces, against a
// plain copy of the same sample bytes.

#include "core/scope/channeldata.h"
#include "core/scope/oscilexchange.h"
#include "ui/scope/cscope.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace wavix;

QApplication& App() {
    static int argc = 1;
    static char name[] = "display_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

struct Fixture {
    Fixture() {
        for (int c = 1; c <= 4; ++c) {
            auto ch = std::make_unique<CChannelData>();
            tOscilExchange rec = DefaultOscilExchange();
            rec.time_base_ENUM = 14;
            rec.time_base = TimeBaseDivider(14);
            ch->ApplySettings(rec, c);
            ch->SetCapacity(kMaxSamples);
            auto s = ch->WritableSamples(kMaxSamples);
            std::uint32_t seed = 7u * static_cast<std::uint32_t>(c);
            for (std::uint32_t i = 0; i < kMaxSamples; ++i) {
                seed = seed * 1664525u + 1013904223u;
                s[i] = static_cast<std::int32_t>(300.0 * std::sin(i * 0.001 * c) + (seed >> 28));
            }
            ch->SetSampleCount(kMaxSamples);
            ch->SetColor(0x001F8FDA);
            channels.push_back(std::move(ch));
        }
        scope.resize(1920, 1080);
        for (auto& ch : channels)
            scope.AddChannel(ch.get());
        scope.UpdateData();
    }
    struct AppFirst {
        AppFirst() { App(); }
    } appFirst; // the widget needs the application object before it
    std::vector<std::unique_ptr<CChannelData>> channels;
    CScope scope;
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

void BM_PaintFourTraces(benchmark::State& state) {
    Fixture& f = Shared();
    f.scope.SetDrawStyle(static_cast<int>(state.range(0)));
    QImage img(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        f.scope.RenderTo(img);
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 4 * kMaxSamples * 4);
}
BENCHMARK(BM_PaintFourTraces)->Arg(3028)->Arg(3025)->Unit(benchmark::kMillisecond);

void BM_CopySampleBytes(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<std::int32_t> out(4 * static_cast<std::size_t>(kMaxSamples));
    for (auto _ : state) {
        for (int c = 0; c < 4; ++c) {
            const auto s = f.channels[static_cast<std::size_t>(c)]->GetSamples();
            std::memcpy(out.data() + static_cast<std::size_t>(c) * kMaxSamples, s.data(), s.size_bytes());
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 4 * kMaxSamples * 4);
}
BENCHMARK(BM_CopySampleBytes)->Unit(benchmark::kMillisecond);

} // namespace

namespace {
// The reduction alone, to tell its share of a paint from the painter's.
void BM_ReduceFourTraces(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<wavix::ColumnStats> cols;
    for (auto _ : state) {
        for (int c = 0; c < 4; ++c)
            wavix::ReduceColumns(f.scope.LiveBuffer(c), 0, wavix::kMaxSamples, 1892, 0.0f, 1023.0f, cols);
        benchmark::DoNotOptimize(cols.data());
    }
}
BENCHMARK(BM_ReduceFourTraces)->Unit(benchmark::kMillisecond);
} // namespace
