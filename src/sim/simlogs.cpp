#include "sim/simlogs.h"

#include "core/analysis/channelscale.h"
#include "sim/signalgenerator.h"
#include "sim/testerlog.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>

namespace wavix {

namespace {

struct ChannelPlan {
    int signal;          // generator channel 1..4
    std::uint16_t range; // wide enough for the signal's swing
    std::uint16_t coupling;
    const char* name;
    const char* description;
};

struct RecordingPlan {
    const char* file;
    const char* text;
    int step;
    double seconds;
    double startAt; // seconds into the engine's run
    double rpmFactor;
    std::array<std::uint16_t, 8> written;
    std::vector<ChannelPlan> channels;
};

constexpr std::array<std::uint32_t, 4> kColours{0x000000FF, 0x0000FF00, 0x00FF0000, 0x0000FFFF};

const ChannelPlan kCrank{1, 5, CPL_DC, "CKP", "Snímač klikové hřídele 60-2"};
const ChannelPlan kIgnition{2, 8, CPL_DC, "IGN1", "Primár zapalovací cívky 1"};
const ChannelPlan kInjector{3, 7, CPL_DC, "INJ1", "Vstřikovač 1, spínaná strana"};
const ChannelPlan kLambda{4, 1, CPL_DC, "LAMBDA", "Lambda sonda před katalyzátorem"};

std::vector<RecordingPlan> plans() {
    // Tuesday 14 May 2024, morning in the workshop (UTC).
    return {
        {"osclog01.sdf",
         "Volnoběh: snímač klikové hřídele a zapalování",
         11,
         150.0,
         12.0,
         1.0,
         {2024, 5, 2, 14, 7, 12, 5, 250},
         {kCrank, kIgnition}},
        {"osclog02.sdf",
         "Lambda sonda při zvýšených otáčkách",
         12,
         180.0,
         300.0,
         3.0,
         {2024, 5, 2, 14, 7, 20, 41, 0},
         {kLambda}},
        {"osclog04.sdf",
         "Volnoběh: všechny čtyři kanály",
         11,
         100.0,
         900.0,
         1.0,
         {2024, 5, 2, 14, 8, 3, 17, 500},
         {kCrank, kIgnition, kInjector, kLambda}},
    };
}

// One engine cycle (two turns) of a signal, tabulated by crank position, so
// minutes of recording cost a look-up per sample rather than the generator's
// trigonometry. The idle wander changes shapes timed in seconds by a per cent
// or two, which the table leaves out.
class CycleTable {
public:
    static constexpr std::size_t kPoints = 32768;

    CycleTable(const CSignalGenerator& gen, int signal, double from) : values_(kPoints) {
        // Step at twice the table's rate so the wander leaves no point unset.
        const double dt = 120.0 / gen.idleRpm() / kPoints / 2.0;
        std::vector<bool> set(kPoints, false);
        for (std::size_t i = 0; i < 2 * kPoints + kPoints / 8; ++i) {
            const double t = from + static_cast<double>(i) * dt;
            const std::size_t at = index(gen.revolutions(t));
            values_[at] = gen.volts(signal, t);
            set[at] = true;
        }
        for (std::size_t i = 1; i < kPoints; ++i)
            if (!set[i])
                values_[i] = values_[i - 1];
    }

    double at(double revolutions) const { return values_[index(revolutions)]; }

private:
    static std::size_t index(double revolutions) {
        const double cycle = revolutions / 2.0 - std::floor(revolutions / 2.0);
        return std::min(kPoints - 1, static_cast<std::size_t>(cycle * kPoints));
    }

    std::vector<double> values_;
};

tOscilExchange rollRecord(const RecordingPlan& plan) {
    tOscilExchange r = DefaultOscilExchange();
    r.version = 2;
    r.ext_version = 2;
    r.chann_num = static_cast<std::uint16_t>(plan.channels.size());
    for (std::size_t i = 0; i < plan.channels.size(); ++i) {
        const int ch = static_cast<int>(i) + 1;
        r.mux(ch) = plan.channels[i].range;
        r.dcOn(ch) = plan.channels[i].coupling;
    }
    r.time_base_ENUM = static_cast<std::uint32_t>(plan.step);
    r.time_base = TimeBaseDivider(plan.step);
    r.samples_all = SamplesPerStep(plan.step);
    r.TR_channel = 1;
    r.TR_level = kTriggerLevelCentre;
    r.TR_mode = TM_FREE;
    r.TR_rising = 1;
    r.TR_position = 0;
    return r;
}

// Instants where a mark key was pressed, with the kind's bit; both kinds occur.
std::vector<std::pair<std::size_t, std::uint16_t>> marks(std::size_t instants, std::mt19937_64& rng) {
    std::uniform_int_distribution<std::size_t> at(instants / 20, instants - 1);
    std::uniform_int_distribution<int> extra(2, 5);
    std::vector<std::pair<std::size_t, std::uint16_t>> out{{at(rng), kMarkFirstKind},
                                                           {at(rng), kMarkSecondKind}};
    for (int n = extra(rng); n > 0; --n)
        out.emplace_back(at(rng), (rng() & 1) ? kMarkFirstKind : kMarkSecondKind);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::uint8_t> record(const RecordingPlan& plan, std::uint64_t seed, double idleRpm,
                                 std::size_t index) {
    const CSignalGenerator gen(seed + index, idleRpm * plan.rpmFactor);
    TesterLog log;
    log.text = plan.text;
    log.written = plan.written;
    log.record = rollRecord(plan);
    for (std::size_t i = 0; i < plan.channels.size(); ++i)
        log.channels.push_back({plan.channels[i].name, plan.channels[i].description, kColours[i]});

    const double rate = SampleRateHz(plan.step);
    const auto instants = static_cast<std::size_t>(plan.seconds * rate);
    const std::size_t n = plan.channels.size();
    const auto first = static_cast<std::int64_t>(plan.startAt * rate);
    std::vector<double> scale(n);
    std::vector<double> offset(n);
    std::vector<std::optional<CycleTable>> tables(n);
    for (std::size_t c = 0; c < n; ++c) {
        const ChannelPlan& p = plan.channels[c];
        scale[c] = CountsPerVolt(p.range);
        offset[c] = p.coupling == CPL_AC ? gen.dcLevel(p.signal) : 0.0;
        if (p.signal != kLambda.signal)
            tables[c].emplace(gen, p.signal, plan.startAt);
    }

    // Crank position and the slow lambda signal are exact every kStride
    // instants and straight lines between: far below a converter count.
    constexpr std::size_t kStride = 16;
    log.words.resize(instants * n);
    std::uint16_t* w = log.words.data();
    const auto timeOf = [&](std::size_t k) { return static_cast<double>(first + std::int64_t(k)) / rate; };
    double revB = gen.revolutions(timeOf(0));
    double lambdaB = gen.volts(kLambda.signal, timeOf(0));
    for (std::size_t k0 = 0; k0 < instants; k0 += kStride) {
        const double revA = revB;
        const double lambdaA = lambdaB;
        revB = gen.revolutions(timeOf(k0 + kStride));
        lambdaB = gen.volts(kLambda.signal, timeOf(k0 + kStride));
        for (std::size_t k = k0; k < std::min(k0 + kStride, instants); ++k) {
            const double f = static_cast<double>(k - k0) / kStride;
            const double rev = revA + f * (revB - revA);
            const std::int64_t idx = first + static_cast<std::int64_t>(k);
            for (std::size_t c = 0; c < n; ++c) {
                const int signal = plan.channels[c].signal;
                const double v = tables[c] ? tables[c]->at(rev) : lambdaA + f * (lambdaB - lambdaA);
                const double counts = (v - offset[c]) * scale[c];
                *w++ = TesterLogWord(static_cast<int>(std::lround(counts)) + gen.noiseCounts(signal, idx));
            }
        }
    }
    std::mt19937_64 rng(seed * 0x9E3779B97F4A7C15ULL + index);
    for (const auto& [at, kind] : marks(instants, rng))
        log.words[at * n] |= kind;
    return EncodeTesterLog(log);
}

} // namespace

SimFileMap GenerateTesterLogs(std::uint64_t seed, double idleRpm) {
    SimFileMap files;
    const std::vector<RecordingPlan> all = plans();
    for (std::size_t i = 0; i < all.size(); ++i)
        files.emplace(all[i].file, record(all[i], seed, idleRpm, i));
    return files;
}

} // namespace wavix
