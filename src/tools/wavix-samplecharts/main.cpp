// wavix-samplecharts: writes the shipped library of reference waveforms.
//   wavix-samplecharts --probes DIR OUTDIR
// Each chart is one capture as the oscilloscope takes it with the settings a
// technician would use for that signal: the signal models of the simulator,
// sampled at the timebase's rate, through the input range (and probe) into
// converter counts, triggered where the chart's trigger would fire.

#include "core/analysis/channelscale.h"
#include "core/export/sdfexporter.h"
#include "core/files/scopefile.h"
#include "sim/signalgenerator.h"
#include "sim/workshopsignals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace wavix;

namespace {

constexpr std::array<std::uint32_t, 4> kColours{0x0000FFFF, 0x0000FF00, 0x00FFFF00, 0x00FF00FF};
constexpr double kBattery = 13.9;

struct ChannelPlan {
    const char* name;
    const char* description;
    int range;
    std::uint16_t coupling;
    const char* probeFile;                  // in the probe folder; nullptr: a plain lead
    std::function<double(double)> quantity; // at the probe tip, in the probe's units
    int noiseChannel;                       // which noise stream of the generator
};

struct ChartSpec {
    const char* file;
    const char* description;
    int step;
    std::uint16_t mode;
    int triggerChannel; // 1-based
    bool rising;
    double triggerLevel; // in the trigger channel's units, after its coupling
    double searchFrom;   // seconds: the trigger fires at the first crossing after this
    double preTrigger;   // fraction of the capture before the trigger
    std::vector<ChannelPlan> channels;
};

// The input's view of a channel: probe ratio and what AC coupling takes away.
struct Input {
    double ratio = 1.0;
    double dc = 0.0;

    double volts(const ChannelPlan& ch, double t) const { return ch.quantity(t) * ratio - dc; }
};

int toCounts(double volts, int range) {
    return static_cast<int>(std::lround(VoltsToCounts(volts, range)));
}

// The level field: 511 at the trace centre, six divisions over 1023 steps.
std::uint16_t levelField(double volts, int range) {
    const double v = 511.0 + volts * 1023.0 / (kVerticalDivisions * RangeVoltPerDiv(range));
    return static_cast<std::uint16_t>(std::clamp(std::lround(v), 0L, long{kTriggerLevelMax}));
}

// First crossing of the level in the chart's direction, scanned at the sample period.
double findTrigger(const ChartSpec& chart, const ChannelPlan& ch, const Input& in, double period) {
    double before = in.volts(ch, chart.searchFrom) - chart.triggerLevel * in.ratio;
    for (double t = chart.searchFrom + period; t < chart.searchFrom + 5.0; t += period) {
        const double now = in.volts(ch, t) - chart.triggerLevel * in.ratio;
        if (chart.rising ? (before < 0.0 && now >= 0.0) : (before > 0.0 && now <= 0.0))
            return t;
        before = now;
    }
    return chart.searchFrom; // a signal that never crosses: a free-running capture
}

bool writeChart(const ChartSpec& chart, const std::filesystem::path& probes,
                const std::filesystem::path& outDir, const CSignalGenerator& noise) {
    const int samples = static_cast<int>(SamplesPerStep(chart.step));
    const double period = SamplePeriod(chart.step);
    const auto count = static_cast<int>(chart.channels.size());

    tOscilExchange rec = DefaultOscilExchange();
    rec.version = 2;
    rec.ext_version = 2;
    rec.chann_num = static_cast<std::uint16_t>(count);
    rec.time_base_ENUM = static_cast<std::uint32_t>(chart.step);
    rec.time_base = TimeBaseDivider(chart.step);
    rec.samples_all = static_cast<std::uint32_t>(samples);
    rec.TR_channel = static_cast<std::uint16_t>(chart.triggerChannel);
    rec.TR_mode = chart.mode;
    rec.TR_rising = chart.rising ? 1 : 0;
    const auto pre = static_cast<int>(chart.preTrigger * samples);
    rec.TR_position = static_cast<std::uint32_t>(pre);

    std::vector<Input> inputs(chart.channels.size());
    std::vector<std::unique_ptr<CChannelData>> channels;
    for (int c = 0; c < count; ++c) {
        const ChannelPlan& plan = chart.channels[static_cast<std::size_t>(c)];
        auto channel = std::make_unique<CChannelData>();
        if (plan.probeFile != nullptr && !channel->LoadProbe(probes / plan.probeFile)) {
            std::fprintf(stderr, "wavix-samplecharts: probe %s not readable\n", plan.probeFile);
            return false;
        }
        Input& in = inputs[static_cast<std::size_t>(c)];
        in.ratio = channel->GetProbe().IsLoaded() ? channel->GetProbe().GetRatio() : 1.0;
        if (plan.coupling == CPL_AC) {
            // The coupling capacitor has long since settled on the mean.
            double sum = 0.0;
            for (int i = 0; i < samples; ++i)
                sum += plan.quantity(chart.searchFrom + i * period) * in.ratio;
            in.dc = sum / samples;
        }
        rec.mux(c + 1) = static_cast<std::uint16_t>(plan.range);
        rec.dcOn(c + 1) = plan.coupling;
        channels.push_back(std::move(channel));
    }
    const ChannelPlan& trig = chart.channels[static_cast<std::size_t>(chart.triggerChannel - 1)];
    const Input& trigIn = inputs[static_cast<std::size_t>(chart.triggerChannel - 1)];
    rec.TR_level = levelField(chart.triggerLevel * trigIn.ratio, trig.range);
    const double start = findTrigger(chart, trig, trigIn, period) - pre * period;

    CScopeFile file([] { return FileTime{2024, 5, 2, 14, 9, 30, 0, 0}; });
    file.SetHeaderText(chart.description);
    for (int c = 0; c < count; ++c) {
        const ChannelPlan& plan = chart.channels[static_cast<std::size_t>(c)];
        const Input& in = inputs[static_cast<std::size_t>(c)];
        auto& channel = channels[static_cast<std::size_t>(c)];
        channel->ApplySettings(rec, c + 1);
        channel->SetName(plan.name);
        channel->SetDescription(plan.description);
        channel->SetColor(kColours[static_cast<std::size_t>(c)]);
        auto out = channel->WritableSamples(static_cast<std::uint32_t>(samples));
        for (int i = 0; i < samples; ++i) {
            const double v = in.volts(plan, start + i * period);
            const int counts = toCounts(v, plan.range) + noise.noiseCounts(plan.noiseChannel, i);
            out[static_cast<std::size_t>(i)] = std::clamp(counts, -512, 512);
        }
        channel->SetSampleCount(static_cast<std::uint32_t>(samples));
        file.AddChannel(std::move(channel));
    }
    const std::filesystem::path path = outDir / chart.file;
    if (!CSdfExporter().Write(ExportCapture{file}, path)) {
        std::fprintf(stderr, "wavix-samplecharts: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

std::vector<ChartSpec> charts(const CSignalGenerator& idle, const CSignalGenerator& slowIdle,
                              const CSignalGenerator& raised, const CCanTraffic& can) {
    const auto crankAt = [&slowIdle](double t) { return slowIdle.volts(1, t); };
    const auto crank800 = [&idle](double t) { return idle.volts(1, t); };
    // The cam window starts with cylinder 1's compression stroke.
    const auto cam = [&idle](double t) {
        return CamHallVolts(idle.revolutions(t) / 2.0 + 0.3, 120.0 / 800.0);
    };
    const auto ignition = [&idle](double t) { return idle.volts(2, t); };
    const auto injector = [](double t) {
        const double cycle = 120.0 / 800.0;
        const double since = std::fmod(t, cycle) - 0.02;
        return InjectorVolts(since, 3.2e-3, 60.0, kBattery);
    };
    const auto lambda = [&raised](double t) { return raised.volts(4, t); };
    const auto map = [](double t) { return MapSensorVolts(t, 800.0, 0.35); };
    const auto alternator = [](double t) { return AlternatorVolts(t, 800.0, false); };
    const auto alternatorDiode = [](double t) { return AlternatorVolts(t, 800.0, true); };
    const auto canHigh = [&can](double t) { return can.highVolts(t); };
    const auto canLow = [&can](double t) { return can.lowVolts(t); };

    return {
        {"Klikova_hridel_indukcni.sdf",
         "Snímač otáček klikové hřídele, indukční, kolo 60-2, volnoběh cca 700 ot/min",
         6,
         TM_NORM,
         1,
         true,
         0.0,
         // Just before the gap of the missing teeth, so that the window shows it.
         0.92 * 60.0 / 700.0,
         0.1,
         {{"CKP", "Indukční snímač klikové hřídele: 58 zubů a mezera dvou chybějících zubů", 4, CPL_DC,
           "Sonda_1x1.ini", crankAt, 1}}},
        {"Vackova_hridel_Hall.sdf",
         "Snímač polohy vačkové hřídele (Hall) proti snímači klikové hřídele, volnoběh 800 ot/min",
         8,
         TM_NORM,
         1,
         true,
         2.5,
         0.01,
         0.1,
         {{"CMP", "Hallův snímač vačkové hřídele, 0 / 5 V, dlouhé a krátké okno na otáčku vačky", 3, CPL_DC,
           "Sonda_1x1.ini", cam, 1},
          {"CKP", "Indukční snímač klikové hřídele, kolo 60-2", 5, CPL_DC, "Sonda_1x1.ini", crank800, 2}}},
        {"Zapalovaci_civka_primar.sdf",
         "Primární napětí zapalovací cívky válce 1 (spínaná strana), volnoběh 800 ot/min",
         5,
         TM_NORM,
         1,
         true,
         100.0,
         0.01,
         0.3,
         {{"IGN1", "Primár cívky 1: sepnutí (dwell), napěťová špička, hořící jiskra, doznívání", 6, CPL_DC,
           "Sonda_10x1.ini", ignition, 2}}},
        {"Vstrikovac.sdf",
         "Vstřikovač, saturovaný, spínaná strana, volnoběh 800 ot/min, doba vstřiku 3,2 ms",
         4,
         TM_NORM,
         1,
         false,
         6.0,
         0.01,
         0.15,
         {{"INJ1", "Vstřikovač válce 1: otevření, indukční špička při zavření, dosednutí jehly", 6, CPL_DC,
           "Sonda_1x1.ini", injector, 3}}},
        {"Lambda_sonda.sdf",
         "Lambda sonda před katalyzátorem, zirkoniová (skoková), 2500 ot/min, regulace v pořádku",
         11,
         TM_FREE,
         1,
         true,
         0.45,
         2.0,
         0.0,
         {{"LAMBDA", "Skoková lambda sonda: chudá směs 0,1 - 0,2 V, bohatá 0,7 - 0,9 V", 1, CPL_DC,
           "Sonda_1x1.ini", lambda, 4}}},
        {"MAP_snimac.sdf",
         "Snímač tlaku v sání (MAP), volnoběh a krátké prošlápnutí plynu",
         10,
         TM_NORM,
         1,
         true,
         2.0,
         0.05,
         0.3,
         {{"MAP", "Snímač absolutního tlaku v sání: volnoběh cca 1,2 V, plné zatížení přes 4 V", 3, CPL_DC,
           "Sonda_1x1.ini", map, 1}}},
        {"Alternator_zvlneni.sdf",
         "Zvlnění nabíjecího napětí alternátoru, AC vazba, usměrňovač v pořádku, volnoběh",
         4,
         TM_AUTO,
         1,
         true,
         0.0,
         0.01,
         0.1,
         {{"B+", "Nabíjecí napětí 14,2 V: šest pulzů usměrňovače, zvlnění pod 0,5 V špička-špička", 0, CPL_AC,
           "Sonda_1x1.ini", alternator, 1}}},
        {"Alternator_vadna_dioda.sdf",
         "Zvlnění nabíjecího napětí alternátoru, AC vazba, vadná dioda usměrňovače, volnoběh",
         4,
         TM_AUTO,
         1,
         true,
         0.0,
         0.01,
         0.1,
         {{"B+", "Vadná dioda: jeden ze šesti pulzů chybí, zvlnění se v jeho místě hluboce propadá", 0,
           CPL_AC, "Sonda_1x1.ini", alternatorDiode, 1}}},
        {"CAN_sbernice.sdf",
         "Sběrnice CAN 500 kbit/s, CAN-High a CAN-Low proti kostře, datové rámce",
         1,
         TM_NORM,
         1,
         true,
         3.0,
         0.0,
         0.1,
         {{"CAN-H", "CAN-High: klid 2,5 V, dominantní bit 3,5 V", 3, CPL_DC, "Sonda_1x1.ini", canHigh, 1},
          {"CAN-L", "CAN-Low: klid 2,5 V, dominantní bit 1,5 V", 3, CPL_DC, "Sonda_1x1.ini", canLow, 2}}},
    };
}

int usage() {
    std::fprintf(stderr, "usage: wavix-samplecharts --probes PROBE_FOLDER OUTPUT_FOLDER\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::string(argv[1]) != "--probes")
        return usage();
    const std::filesystem::path probes = argv[2];
    const std::filesystem::path outDir = argv[3];
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (!std::filesystem::is_directory(outDir, error)) {
        std::fprintf(stderr, "wavix-samplecharts: no folder %s\n", outDir.string().c_str());
        return 1;
    }
    const CSignalGenerator idle(11, 800.0);
    // The sensor's swing grows with speed: at a low idle the gap's swing stays on the 5 V/div screen.
    const CSignalGenerator slowIdle(12, 700.0);
    const CSignalGenerator raised(13, 2500.0);
    const CCanTraffic can(14);
    int written = 0;
    for (const ChartSpec& chart : charts(idle, slowIdle, raised, can)) {
        if (!writeChart(chart, probes, outDir, idle))
            return 1;
        ++written;
    }
    std::printf("wavix-samplecharts: %d charts in %s\n", written, outDir.string().c_str());
    return 0;
}
