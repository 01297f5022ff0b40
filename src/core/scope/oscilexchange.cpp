#include "core/scope/oscilexchange.h"

#include "core/support/bytes.h"

#include <algorithm>
#include <array>

namespace wavix {
namespace {

struct RangeRow {
    double voltPerDiv;
    double correction;
};
constexpr std::array<RangeRow, 9> kRanges{{
    {0.25, 1.04},
    {0.5, 1.04},
    {1.0, 1.04},
    {2.5, 1.044},
    {5.0, 1.044},
    {10.0, 1.094},
    {20.0, 1.094},
    {50.0, 1.0938},
    {100.0, 1.0938},
}};

struct StepRow {
    double msPerDiv;
    std::uint32_t samples;
    std::uint32_t rateHz;
};
constexpr std::array<StepRow, 14> kSteps{{
    {0.1, 2000, 2000000},
    {0.2, 2000, 1000000},
    {0.5, 2500, 500000},
    {1, 2000, 200000},
    {2, 4000, 200000},
    {5, 5000, 100000},
    {10, 10000, 100000},
    {20, 20000, 100000},
    {50, 50000, 100000},
    {100, 20000, 20000},
    {500, 50000, 10000},
    {1000, 100000, 10000},
    {2000, 200000, 10000},
    {5000, 500000, 10000},
}};

const RangeRow& rangeRow(int range) {
    return kRanges[static_cast<std::size_t>(std::clamp(range, kRangeMin, kRangeMax))];
}
const StepRow& stepRow(int step) {
    return kSteps[static_cast<std::size_t>(std::clamp(step, kStepMin, kStepMax) - 1)];
}
int channelIndex(int ch) {
    return std::clamp(ch, 1, kChannelCount) - 1;
}

template <typename T> bool clampField(T& field, long lo, long hi) {
    const long v = std::clamp(static_cast<long>(field), lo, hi);
    if (v == static_cast<long>(field))
        return true;
    field = static_cast<T>(v);
    return false;
}

} // namespace

std::uint16_t& tOscilExchange::mux(int ch) {
    switch (channelIndex(ch)) {
    case 0:
        return CH1_mux;
    case 1:
        return CH2_mux;
    case 2:
        return CH3_mux;
    default:
        return CH4_mux;
    }
}
std::uint16_t tOscilExchange::mux(int ch) const {
    return const_cast<tOscilExchange*>(this)->mux(ch);
}
std::uint16_t& tOscilExchange::dcOn(int ch) {
    switch (channelIndex(ch)) {
    case 0:
        return CH1_dc_on;
    case 1:
        return CH2_dc_on;
    case 2:
        return CH3_dc_on;
    default:
        return CH4_dc_on;
    }
}
std::uint16_t tOscilExchange::dcOn(int ch) const {
    return const_cast<tOscilExchange*>(this)->dcOn(ch);
}

std::size_t OscilExchangeWireSize(const tOscilExchange& rec) {
    return rec.version == 2 ? kOscilExchangeV2Size : kOscilExchangeV1Size;
}

std::size_t SerializeOscilExchange(const tOscilExchange& rec, std::span<std::uint8_t> out) {
    const std::size_t size = OscilExchangeWireSize(rec);
    if (out.size() < size)
        return 0;
    std::uint8_t* p = out.data();
    writeBE16(p + 0, rec.version);
    writeBE16(p + 2, rec.chann_num);
    writeBE16(p + 4, rec.CH1_mux);
    writeBE16(p + 6, rec.CH1_dc_on);
    writeBE16(p + 8, rec.CH2_mux);
    writeBE16(p + 10, rec.CH2_dc_on);
    writeBE16(p + 12, rec.CH3_mux);
    writeBE16(p + 14, rec.CH3_dc_on);
    writeBE16(p + 16, rec.CH4_mux);
    writeBE16(p + 18, rec.CH4_dc_on);
    writeBE32(p + 20, rec.time_base_ENUM);
    writeBE32(p + 24, rec.time_base);
    writeBE32(p + 28, rec.samples_all);
    writeBE16(p + 32, rec.TR_channel);
    writeBE16(p + 34, rec.TR_level);
    writeBE16(p + 36, rec.TR_mode);
    writeBE16(p + 38, rec.TR_rising);
    if (size == kOscilExchangeV2Size) {
        writeBE16(p + 40, rec.ext_version);
        writeBE32(p + 42, rec.TR_position);
    }
    return size;
}

bool DeserializeOscilExchange(std::span<const std::uint8_t> in, tOscilExchange& rec) {
    if (in.size() < kOscilExchangeV1Size)
        return false;
    const std::uint8_t* p = in.data();
    tOscilExchange r;
    r.version = readBE16(p + 0);
    r.chann_num = readBE16(p + 2);
    r.CH1_mux = readBE16(p + 4);
    r.CH1_dc_on = readBE16(p + 6);
    r.CH2_mux = readBE16(p + 8);
    r.CH2_dc_on = readBE16(p + 10);
    r.CH3_mux = readBE16(p + 12);
    r.CH3_dc_on = readBE16(p + 14);
    r.CH4_mux = readBE16(p + 16);
    r.CH4_dc_on = readBE16(p + 18);
    r.time_base_ENUM = readBE32(p + 20);
    r.time_base = readBE32(p + 24);
    r.samples_all = readBE32(p + 28);
    r.TR_channel = readBE16(p + 32);
    r.TR_level = readBE16(p + 34);
    r.TR_mode = readBE16(p + 36);
    r.TR_rising = readBE16(p + 38);
    if (in.size() >= kOscilExchangeV2Size) {
        r.ext_version = readBE16(p + 40);
        r.TR_position = readBE32(p + 42);
    }
    rec = r;
    return true;
}

bool ClampOscilExchange(tOscilExchange& rec) {
    bool ok = clampField(rec.chann_num, 1, kChannelCount);
    for (int ch = 1; ch <= kChannelCount; ++ch)
        ok = clampField(rec.mux(ch), kRangeMin, kRangeMax) && ok;
    ok = clampField(rec.time_base_ENUM, kStepMin, kStepMax) && ok;
    ok = clampField(rec.TR_channel, 1, rec.chann_num) && ok;
    ok = clampField(rec.TR_level, 0, kTriggerLevelMax) && ok;
    if (rec.time_base == 0) {
        // A divider of 0 must never reach a division; take the step's own.
        rec.time_base = TimeBaseDivider(static_cast<int>(rec.time_base_ENUM));
        ok = false;
    }
    return ok;
}

tOscilExchange DefaultOscilExchange() {
    tOscilExchange r;
    r.version = 2;
    r.chann_num = 1;
    for (int ch = 1; ch <= kChannelCount; ++ch) {
        r.mux(ch) = 2;
        r.dcOn(ch) = CPL_DC;
    }
    r.time_base_ENUM = 4;
    r.time_base = TimeBaseDivider(4);
    r.samples_all = SamplesPerStep(4);
    r.TR_channel = 1;
    r.TR_level = kTriggerLevelCentre;
    r.TR_mode = TM_AUTO;
    r.TR_rising = 1;
    r.ext_version = 2;
    return r;
}

double RangeVoltPerDiv(int range) {
    return rangeRow(range).voltPerDiv;
}

double RangeCorrection(int range) {
    return (range < kRangeMin || range > kRangeMax) ? 1.0 : rangeRow(range).correction;
}

double TimePerDivMs(int step) {
    return stepRow(step).msPerDiv;
}
std::uint32_t SamplesPerStep(int step) {
    return stepRow(step).samples;
}
std::uint32_t SampleRateHz(int step) {
    return stepRow(step).rateHz;
}

double SamplePeriod(int step) {
    if (step < kStepMin || step > kStepMax)
        return 0.0;
    return 1.0 / stepRow(step).rateHz;
}

std::uint32_t TimeBaseDivider(int step) {
    return kSampleClockHz / SampleRateHz(step);
}

std::string_view TriggerModeText(int mode) {
    switch (mode) {
    case TM_AUTO:
        return "AUTO";
    case TM_NORM:
        return "NORM";
    case TM_SINGLE:
        return "SINGLE";
    case TM_FREE:
        return "FREE";
    default:
        return "";
    }
}

std::string_view CouplingText(int coupling) {
    switch (coupling) {
    case CPL_AC:
        return "AC";
    case CPL_DC:
        return "DC";
    case CPL_GND:
        return "GND";
    default:
        return "";
    }
}

int ModeIndex(const tOscilExchange& rec) {
    if (rec.TR_mode & kStopBit)
        return 0;
    switch (rec.TR_mode & 0x7FFF) {
    case TM_AUTO:
        return 1;
    case TM_NORM:
        return 3;
    case TM_SINGLE:
        return 4;
    case TM_FREE:
        return 2;
    default:
        return 5;
    }
}

} // namespace wavix
