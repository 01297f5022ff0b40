#include "core/analysis/measurement.h"

#include "core/analysis/channelscale.h"
#include "core/analysis/measures/measures.h"
#include "core/scope/channeldata.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace wavix {
namespace {

struct WhyText {
    std::string_view english;
    std::string_view key;
};

constexpr std::array<WhyText, 13> kWhy{{
    {"", ""},
    {"no samples", "TXT_1690"},
    {"signal does not change", "TXT_1691"},
    {"no full period", "TXT_1692"},
    {"no full pulse", "TXT_1693"},
    {"no full edge", "TXT_1694"},
    {"signal clipped at the end of the range", "TXT_1695"},
    {"no missing tooth found", "TXT_1696"},
    {"no full revolution", "TXT_1697"},
    {"no injector pulse with a closing spike", "TXT_1698"},
    {"no dwell ended by a spark", "TXT_1699"},
    {"no full burn", "TXT_1700"},
    {"the channel has no time base or scale", "TXT_1701"},
}};

using enum MeasureUnit;
namespace m = measures;

// Order is the JSON's order.
constexpr std::array<MeasureDef, 19> kRegistry{{
    {"frequency_hz", "TXT_1670", Hertz, m::Frequency},
    {"period_s", "TXT_1671", Seconds, m::Period},
    {"duty_percent", "TXT_1672", Percent, m::Duty},
    {"width_positive_s", "TXT_1673", Seconds, m::PositiveWidth, 1.0, false, false},
    {"width_negative_s", "TXT_1674", Seconds, m::NegativeWidth, 1.0, false, false},
    {"vmax", "TXT_1675", Channel, m::Maximum},
    {"vmin", "TXT_1676", Channel, m::Minimum},
    {"vpp", "TXT_1677", Channel, m::PeakToPeak},
    {"mean", "TXT_1678", Channel, m::Mean},
    {"rms", "TXT_1679", Channel, m::Rms},
    {"rise_s", "TXT_1680", Seconds, m::RiseTime},
    {"fall_s", "TXT_1681", Seconds, m::FallTime},
    {"rpm", "TXT_1682", Rpm, m::EngineRpm, 1.0, true},
    {"teeth", "TXT_1683", Count, m::WheelTeeth, 1.0, true},
    {"missing_teeth", "TXT_1684", Count, m::MissingTeeth, 1.0, true},
    {"injector_ms", "TXT_1685", Seconds, m::InjectorTime, 1e3, true},
    {"dwell_ms", "TXT_1686", Seconds, m::Dwell, 1e3, true},
    {"burn_ms", "TXT_1687", Seconds, m::BurnTime, 1e3, true},
    {"peak_v", "TXT_1688", Channel, m::PeakFiring, 1.0, true},
}};

} // namespace

std::string_view MeasureWhyText(MeasureWhy why) {
    const auto i = static_cast<std::size_t>(why);
    return i < kWhy.size() ? kWhy[i].english : std::string_view{};
}

std::string_view MeasureWhyKey(MeasureWhy why) {
    const auto i = static_cast<std::size_t>(why);
    return i < kWhy.size() ? kWhy[i].key : std::string_view{};
}

std::span<const MeasureDef> Measurements() {
    return kRegistry;
}

MeasureResult Measure(const MeasureDef& d, CSignalAnalysis& a) {
    const MeasureResult r = d.measure(a);
    return r.ok() && !std::isfinite(r.value) ? MeasureResult::Not(MeasureWhy::NoScale) : r;
}

const MeasureDef* FindMeasurement(std::string_view key) {
    const auto it =
        std::find_if(kRegistry.begin(), kRegistry.end(), [&](const MeasureDef& d) { return d.key == key; });
    return it == kRegistry.end() ? nullptr : &*it;
}

SignalInput ChannelSignal(const CChannelData& channel, std::uint32_t from, std::uint32_t count) {
    const std::uint32_t total = channel.GetSampleCount();
    const std::uint32_t first = std::min(std::max(from, channel.GetAbsentCount()), total);
    const std::uint32_t end = from < total ? from + std::min(count, total - from) : total;
    SignalInput in;
    if (end > first)
        in.counts = channel.GetSamples().subspan(first, end - first);
    // Waveforms carry the module's own divider; log channels only the step.
    in.secondsPerSample = channel.GetTimeBase() > 0 ? SamplesToSeconds(1.0, channel.GetTimeBase())
                                                    : SamplePeriod(channel.GetTimeBaseStep());
    in.unitsPerCount = CChannelScale(channel).Value(1);
    return in;
}

} // namespace wavix
