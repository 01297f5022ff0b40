#include "sim/simscope.h"

#include "core/analysis/channelscale.h"
#include "sim/rawconversion.h"

#include <algorithm>

namespace wavix {

tOscilExchange PowerUpRecord() {
    tOscilExchange r = DefaultOscilExchange();
    r.chann_num = 4;
    // Crank sensor: teeth about +-10 V, the gap's swing about +-17 V.
    r.CH1_mux = 5; // 10 V/div
    // Ignition and injector: battery, the dwell or pulse near 0 V, spikes of 350 V
    // (clipped at any range) and 72 V; the burn line near 40 V.
    r.CH2_mux = 6; // 20 V/div
    r.CH3_mux = 6; // 20 V/div
    // Lambda between 0.1 and 0.9 V.
    r.CH4_mux = 1; // 0.5 V/div
    for (int ch = 1; ch <= kChannelCount; ++ch)
        r.dcOn(ch) = CPL_DC;
    // Ten divisions of 20 ms hold a whole engine cycle at idle (150 ms): a spark,
    // an injection and two or three gaps of the wheel.
    r.time_base_ENUM = 8;
    r.TR_channel = 1;
    // About 13 V on the rising edge: above every tooth, inside the gap's swing,
    // so each capture shows the gap one division from its start.
    r.TR_level = 511 + 203;
    r.TR_mode = TM_AUTO;
    r.TR_rising = 1;
    r.TR_position = SamplesPerStep(8) / 10;
    return r;
}

CSimScope::CSimScope(const CSignalGenerator& generator, const SOscil_EEPROM& hardware)
    : gen_(generator), hardware_(hardware), rec_(SettleRecord(PowerUpRecord())) {}

tOscilExchange CSimScope::SettleRecord(const tOscilExchange& requested) {
    tOscilExchange r = requested;
    r.version = 2;
    r.ext_version = 2;
    ClampOscilExchange(r);
    for (int ch = 1; ch <= kChannelCount; ++ch)
        if (r.dcOn(ch) > CPL_GND)
            r.dcOn(ch) = CPL_DC;
    const std::uint16_t stop = r.TR_mode & kStopBit;
    std::uint16_t mode = r.TR_mode & static_cast<std::uint16_t>(~kStopBit);
    if (mode > TM_FREE)
        mode = TM_AUTO;
    r.TR_mode = static_cast<std::uint16_t>(mode | stop);
    r.TR_rising = r.TR_rising == 0 ? 0 : 1;
    const int step = static_cast<int>(r.time_base_ENUM);
    r.time_base = TimeBaseDivider(step);
    r.samples_all = SamplesPerStep(step);
    r.TR_position = std::min(r.TR_position, r.samples_all - 1);
    return r;
}

void CSimScope::apply(const tOscilExchange& settled, std::uint64_t nowUs) {
    rec_ = settled;
    const std::int64_t now = indexAt(nowUs);
    rearm(now);
    rollIdx_ = now;
}

std::int64_t CSimScope::indexAt(std::uint64_t nowUs) const {
    // 64 clock ticks per microsecond.
    return static_cast<std::int64_t>(nowUs * 64 / std::max<std::uint32_t>(rec_.time_base, 1));
}

double CSimScope::timeAt(std::int64_t idx) const {
    return SamplesToSeconds(static_cast<double>(idx), rec_.time_base);
}

double CSimScope::inputVolts(int ch, std::int64_t idx) const {
    switch (rec_.dcOn(ch)) {
    case CPL_GND:
        return 0.0;
    case CPL_AC:
        return gen_.volts(ch, timeAt(idx)) - gen_.dcLevel(ch);
    default:
        return gen_.volts(ch, timeAt(idx));
    }
}

std::uint16_t CSimScope::sampleRaw(int ch, std::int64_t idx) const {
    const int range = rec_.mux(ch);
    const int raw = VoltsToRaw(inputVolts(ch, idx), hardware_.entryForRange(ch, range), range) +
                    gen_.noiseCounts(ch, idx);
    return static_cast<std::uint16_t>(std::clamp(raw, 0, kRawMax));
}

void CSimScope::rearm(std::int64_t idx) {
    armIdx_ = idx;
    searchIdx_ = idx + static_cast<std::int64_t>(rec_.TR_position);
    trigIdx_.reset();
    triggered_ = false;
}

std::optional<std::int64_t> CSimScope::findEdge(std::int64_t from, std::int64_t to) const {
    const int ch = std::clamp<int>(rec_.TR_channel, 1, kChannelCount);
    const int range = rec_.mux(ch);
    // The level is in display counts around 511; the comparator sees the clipped input.
    const double nominal = HalfSwingVolts(range);
    const double threshold = CountsToVolts(static_cast<int>(rec_.TR_level) - kTriggerLevelCentre, range);
    const bool rising = rec_.TR_rising != 0;
    auto level = [&](std::int64_t i) { return std::clamp(inputVolts(ch, i), -nominal, nominal); };
    double prev = level(from - 1);
    for (std::int64_t i = from; i < to; ++i) {
        const double v = level(i);
        if (rising ? (prev < threshold && v >= threshold) : (prev > threshold && v <= threshold))
            return i;
        prev = v;
    }
    return std::nullopt;
}

ScopeCapture CSimScope::take(std::int64_t first, std::int64_t count, bool triggered) const {
    ScopeCapture c;
    c.channels = std::clamp<int>(rec_.chann_num, 1, kChannelCount);
    c.firstIndex = first;
    c.sets = static_cast<std::uint32_t>(count);
    c.triggered = triggered;
    c.samples.reserve(static_cast<std::size_t>(count) * static_cast<std::size_t>(c.channels));
    for (std::int64_t i = first; i < first + count; ++i)
        for (int ch = 1; ch <= c.channels; ++ch)
            c.samples.push_back(sampleRaw(ch, i));
    return c;
}

std::optional<ScopeCapture> CSimScope::poll(std::uint64_t nowUs) {
    if (rec_.TR_mode & kStopBit)
        return std::nullopt;
    const auto n = static_cast<std::int64_t>(rec_.samples_all);
    if ((rec_.TR_mode & ~kStopBit) == TM_FREE) {
        const std::int64_t nowIdx = instant_ ? rollIdx_ + std::max<std::int64_t>(1, n / 10) : indexAt(nowUs);
        if (nowIdx <= rollIdx_)
            return std::nullopt;
        const std::int64_t first = std::max(rollIdx_, nowIdx - n);
        rollIdx_ = nowIdx;
        return take(first, nowIdx - first, false);
    }
    return pollTriggered(instant_ ? -1 : indexAt(nowUs));
}

// nowIdx < 0: instant acquisition, the signal ahead is there to be taken.
std::optional<ScopeCapture> CSimScope::pollTriggered(std::int64_t nowIdx) {
    const auto n = static_cast<std::int64_t>(rec_.samples_all);
    const auto pre = static_cast<std::int64_t>(rec_.TR_position);
    const std::uint16_t mode = rec_.TR_mode & ~kStopBit;
    const bool instant = nowIdx < 0;
    // AUTO waits for an edge at least as long as the post-trigger part, and a tenth of a second.
    const std::int64_t rate = DividerRateHz(std::max<std::uint32_t>(rec_.time_base, 1));
    const std::int64_t autoEnd = armIdx_ + pre + std::max(n - pre, rate / 10);
    if (!trigIdx_) {
        std::int64_t limit = instant ? searchIdx_ + kMaxScan : nowIdx;
        if (mode == TM_AUTO)
            limit = std::min(limit, autoEnd);
        // Nobody asked for a long time: an edge in the far past would be stale anyway.
        searchIdx_ = std::max(searchIdx_, limit - kMaxScan);
        if (limit > searchIdx_) {
            trigIdx_ = findEdge(searchIdx_, limit);
            triggered_ = trigIdx_.has_value();
            searchIdx_ = trigIdx_ ? *trigIdx_ + 1 : limit;
        }
        if (!trigIdx_ && mode == TM_AUTO && (instant || nowIdx >= autoEnd))
            trigIdx_ = autoEnd - (n - pre);
        if (!trigIdx_)
            return std::nullopt;
    }
    const std::int64_t end = *trigIdx_ - pre + n;
    if (!instant && end > nowIdx)
        return std::nullopt;
    ScopeCapture c = take(*trigIdx_ - pre, n, triggered_);
    rearm(instant ? end : nowIdx);
    if (mode == TM_SINGLE)
        rec_.TR_mode |= kStopBit;
    return c;
}

} // namespace wavix
