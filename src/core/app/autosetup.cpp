#include "core/app/autosetup.h"

#include "core/analysis/channelscale.h"
#include "core/analysis/measurement.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace wavix {

namespace {

// Counts a picked range may fill: room for a signal that grows a little.
constexpr double kFill = 0.9 * kHalfSwingCounts;
// A range in force is kept up to here, so that noise cannot flip two ranges.
constexpr double kFillKept = 500.0;
// A trigger level closer than this to the one in force is left alone.
constexpr int kLevelSlack = 8;
// One look this many periods wide finds the gap of a crankshaft wheel...
constexpr double kProbePeriods = 150.0;
// ...when it takes no longer than this.
constexpr double kProbeWindowMax = 0.5;
// A search for a period never waits for captures longer than this.
constexpr double kSearchWindowMax = 1.0;

double WindowSeconds(int step) {
    return TimePerDivMs(step) * kHorizontalDivisions / 1000.0;
}

bool SameEdits(const tOscilExchange& a, const tOscilExchange& b) {
    for (int ch = 1; ch <= kChannelCount; ++ch)
        if (a.mux(ch) != b.mux(ch))
            return false;
    return a.time_base_ENUM == b.time_base_ENUM && a.TR_level == b.TR_level;
}

// What a pick would still change: the parts not yet settled when time runs out.
unsigned Changes(const tOscilExchange& from, const tOscilExchange& to, unsigned& channels) {
    unsigned m = kMissNone;
    for (int ch = 1; ch <= kChannelCount; ++ch)
        if (from.mux(ch) != to.mux(ch)) {
            m |= kMissRange;
            channels |= 1u << (ch - 1);
        }
    if (from.time_base_ENUM != to.time_base_ENUM)
        m |= kMissTimebase;
    if (from.TR_level != to.TR_level)
        m |= kMissTrigger;
    return m;
}

} // namespace

std::string AutoSetupVerdict(unsigned missing, unsigned channels,
                             const std::function<std::string(std::string_view)>& text) {
    if (missing == kMissNone)
        return text("TXT_1743");
    std::string parts;
    const auto add = [&parts](const std::string& part) { parts += (parts.empty() ? " " : ", ") + part; };
    if ((missing & kMissCapture) != 0)
        add(text("TXT_1748"));
    if ((missing & kMissRange) != 0) {
        std::string list;
        for (int ch = 1; ch <= kChannelCount; ++ch)
            if ((channels & (1u << (ch - 1))) != 0)
                list += (list.empty() ? " " : ", ") + std::to_string(ch);
        add(text("TXT_1745") + list);
    }
    if ((missing & kMissTimebase) != 0)
        add(text("TXT_1746"));
    if ((missing & kMissTrigger) != 0)
        add(text("TXT_1747"));
    return text("TXT_1744") + parts;
}

int StepShowing(double seconds) {
    for (int step = kStepMin; step <= kStepMax; ++step)
        if (WindowSeconds(step) >= seconds)
            return step;
    return kStepMax;
}

void CAutoSetup::Start(const tOscilExchange& inForce) {
    running_ = true;
    started_ = ticks_.tickMs();
    waitFor_.reset();
    undo_ = inForce;
    probed_ = false;
    lowest_.fill(kRangeMin);
    rounds_ = 0;
    missing_ = lastMissing_ = kMissNone;
    missingChannels_ = lastMissingChannels_ = 0;
}

void CAutoSetup::Cancel() {
    running_ = false;
    waitFor_.reset();
}

std::optional<tOscilExchange> CAutoSetup::TakeUndo() {
    std::optional<tOscilExchange> rec = undo_;
    undo_.reset();
    return rec;
}

void CAutoSetup::end(unsigned missing, unsigned channels) {
    running_ = false;
    waitFor_.reset();
    missing_ = missing;
    missingChannels_ = channels;
}

bool CAutoSetup::OnTick() {
    if (!running_ || ticksSince(ticks_.tickMs(), started_) < kLimitMs)
        return false;
    end(lastMissing_ | (rounds_ == 0 ? kMissCapture : kMissNone), lastMissingChannels_);
    return true;
}

std::optional<tOscilExchange> CAutoSetup::OnCapture(const tOscilExchange& inForce, bool dirty,
                                                    std::span<const AutoSetupChannel> channels) {
    if (!running_ || OnTick())
        return std::nullopt;
    // Only a capture taken at the record we sent tells what that record shows.
    if (dirty || (waitFor_ && !SameEdits(*waitFor_, inForce)))
        return std::nullopt;
    ++rounds_;
    const Pick p = pick(inForce, channels);
    unsigned changedChannels = p.missingChannels;
    const unsigned changed = Changes(inForce, p.rec, changedChannels);
    lastMissing_ = p.missing | changed;
    lastMissingChannels_ = changedChannels;
    if (changed == kMissNone) {
        end(p.missing, p.missingChannels);
        return std::nullopt;
    }
    if (rounds_ >= kMaxRounds) {
        end(lastMissing_, lastMissingChannels_);
        return std::nullopt;
    }
    waitFor_ = p.rec;
    return p.rec;
}

int CAutoSetup::pickRange(int ch, int range, CSignalAnalysis& a, bool& settled) {
    int& lowest = lowest_[static_cast<std::size_t>(ch - 1)];
    if (a.Size() == 0) {
        settled = false;
        return range;
    }
    const SignalStats& s = a.Stats();
    if (s.clipped) {
        // How far beyond the end the signal goes is unknown: two ranges up and look again.
        if (range >= kRangeMax)
            settled = false;
        lowest = std::max(lowest, std::min(range + 1, kRangeMax));
        return std::min(range + 2, kRangeMax);
    }
    const double volts = CountsToVolts(std::max(std::abs(s.min), std::abs(s.max)), range);
    const auto holds = [volts](int r, double fill) { return VoltsToCounts(volts, r) <= fill; };
    if (holds(range, kFillKept) && (range <= lowest || !holds(range - 1, kFill)))
        return range;
    for (int r = std::max(lowest, kRangeMin); r <= kRangeMax; ++r)
        if (holds(r, kFill))
            return r;
    return kRangeMax;
}

CAutoSetup::Pick CAutoSetup::pick(const tOscilExchange& inForce, std::span<const AutoSetupChannel> channels) {
    Pick p{inForce};
    const int active = std::clamp<int>(inForce.chann_num, 1, kChannelCount);
    const int trigger = std::clamp<int>(inForce.TR_channel, 1, active);
    const int step = std::clamp<int>(static_cast<int>(inForce.time_base_ENUM), kStepMin, kStepMax);
    bool triggerSeen = false;
    for (const AutoSetupChannel& c : channels) {
        if (c.channel < 1 || c.channel > active)
            continue;
        analysis_.Reset(c.signal);
        const int range = inForce.mux(c.channel);
        bool settled = true;
        const int picked = pickRange(c.channel, range, analysis_, settled);
        p.rec.mux(c.channel) = static_cast<std::uint16_t>(picked);
        if (!settled) {
            p.missing |= kMissRange;
            p.missingChannels |= 1u << (c.channel - 1);
        }
        if (c.channel != trigger || analysis_.Size() == 0)
            continue;
        triggerSeen = true;
        const SignalLevels& lv = analysis_.Levels();
        if (!lv.swing) {
            p.missing |= kMissTimebase | kMissTrigger;
            continue;
        }
        const double midVolts = CountsToVolts(lv.mid, range);
        const int level = std::clamp<int>(
            kTriggerLevelCentre + static_cast<int>(std::lround(VoltsToCounts(midVolts, picked))), 0,
            kTriggerLevelMax);
        if (picked != range || std::abs(level - inForce.TR_level) > kLevelSlack)
            p.rec.TR_level = static_cast<std::uint16_t>(level);

        const double window = WindowSeconds(step);
        int next = step;
        const CrankWheel wheel = FindCrankWheel(analysis_);
        const MeasureResult period = Measure(*FindMeasurement("period_s"), analysis_);
        if (wheel.why == MeasureWhy::None && wheel.rpm > 0.0) {
            const double cycle = 120.0 / wheel.rpm; // two revolutions of a four-stroke engine
            if (window < cycle || window >= 2.5 * cycle)
                next = StepShowing(cycle);
        } else if (period.ok() && period.value > 0.0) {
            const double t = period.value;
            if (!probed_ && window < kProbePeriods * t && kProbePeriods * t <= kProbeWindowMax) {
                // Too few teeth in view to find a wheel's gap: one wider look first.
                probed_ = true;
                next = StepShowing(kProbePeriods * t);
            } else if (window < 2.0 * t || window > 5.0 * t) {
                next = StepShowing(2.0 * t);
            }
        } else if (period.why == MeasureWhy::NoFullPeriod && WindowSeconds(step + 1) <= kSearchWindowMax &&
                   step < kStepMax) {
            next = std::min(step + 2, StepShowing(kSearchWindowMax));
        } else {
            p.missing |= kMissTimebase;
        }
        p.rec.time_base_ENUM = static_cast<std::uint32_t>(next);
    }
    if (!triggerSeen)
        p.missing |= kMissTimebase | kMissTrigger;
    return p;
}

} // namespace wavix
