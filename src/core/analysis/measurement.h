#pragma once
// The automatic measurements: one small function per measurement (measures/),
// all listed in one registry, each evaluated on a CSignalAnalysis of one
// channel's span. A measurement that cannot be made answers why instead of a
// number. Adding one: a function in a file of measures/ and a row in the
// registry (measurement.cpp).

#include "core/analysis/signalanalysis.h"

#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

namespace wavix {

class CChannelData;

enum class MeasureWhy : std::uint8_t {
    None,
    NoSamples,
    NoSwing,
    NoFullPeriod,
    NoFullPulse,
    NoFullEdge,
    Clipped,
    NoMissingTooth,
    NoFullRevolution,
    NoInjection,
    NoSpark,
    NoFullBurn,
    NoScale,
};

// English, for JSON and logs.
std::string_view MeasureWhyText(MeasureWhy why);
// The language key (TXT_...) of the window's text.
std::string_view MeasureWhyKey(MeasureWhy why);

struct MeasureResult {
    double value = std::numeric_limits<double>::quiet_NaN();
    MeasureWhy why = MeasureWhy::None;

    static MeasureResult Of(double v) { return {v, MeasureWhy::None}; }
    static MeasureResult Not(MeasureWhy w) { return {std::numeric_limits<double>::quiet_NaN(), w}; }
    bool ok() const { return why == MeasureWhy::None; }
};

enum class MeasureUnit : std::uint8_t { Channel, Seconds, Hertz, Percent, Rpm, Count };

using MeasureFunction = MeasureResult (*)(CSignalAnalysis&);

struct MeasureDef {
    std::string_view key;     // stable name: JSON key, settings
    std::string_view textKey; // language key of its name
    MeasureUnit unit;
    MeasureFunction measure;
    double jsonScale = 1.0;  // the JSON key's unit per SI unit (ms: 1000)
    bool automotive = false; // listed only where the signal allows it
    bool json = true;
};

std::span<const MeasureDef> Measurements();
// d.measure(a), or NoScale where the channel's time base or units make the
// value infinite or undefined (a divider of 0, a probe ratio of 0).
MeasureResult Measure(const MeasureDef& d, CSignalAnalysis& a);
const MeasureDef* FindMeasurement(std::string_view key);

// Samples from..from+count of a channel (clipped to those it received), its
// sample period and its units per count.
SignalInput ChannelSignal(const CChannelData& channel, std::uint32_t from = 0,
                          std::uint32_t count = std::numeric_limits<std::uint32_t>::max());

// The wheel of a crankshaft signal: 58 teeth and 2 missing for a 60-2 wheel.
// `assumed`: the span held one gap only, so the usual wheel for that gap is taken.
struct CrankWheel {
    int teeth = 0;
    int missing = 0;
    bool assumed = false;
    double rpm = 0.0;
    MeasureWhy why = MeasureWhy::None;
};
CrankWheel FindCrankWheel(CSignalAnalysis& a);

} // namespace wavix
