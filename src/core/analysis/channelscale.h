#pragma once
// What a channel's numbers mean. A sample is converter counts around the trace
// centre: 512 counts are a half swing of V/div × correction × 3 volts on the input
// range, and a loaded probe reads volts / ratio in its own units. A sample lasts
// the timebase divider's share of the 64 MHz clock.
//
// The program's conversion, the simulator's converter and the tools' readouts all
// scale through here. Each function keeps the order of its multiplications: the
// half swing and a file's readout round differently in the last bit on some
// ranges, and the CSV values, the generated files and the simulated triggers built
// on them must stay as they are.

#include "core/scope/channeldata.h"
#include "core/scope/channelprobe.h"

#include <cstdint>
#include <string>

namespace wavix {

inline constexpr int kHalfSwingCounts = 512;

// Volts that 512 counts stand for on input range m: V/div × correction × 3.
double HalfSwingVolts(int range);
// Volts of a level `counts` from the trace centre: counts × half swing / 512.
double CountsToVolts(double counts, int range);
// Counts (unrounded) of `volts` on range m: volts × 512 / half swing.
double VoltsToCounts(double volts, int range);
// 512 / half swing: for loops that scale many values by one factor.
double CountsPerVolt(int range);

// Seconds that `samples` last at a timebase divider: samples × divider / 64 MHz.
double SamplesToSeconds(double samples, std::uint32_t divider);
// Whole samples per second at a divider; 0 for divider 0.
std::uint32_t DividerRateHz(std::uint32_t divider);

// The probe's unit, or "V" without a probe (the units field then holds a placeholder).
std::string ProbeUnit(const CChannelProbe& probe);

// A channel's readout: counts to volts as files have always been read
// (counts × V/div × 3 × correction / 512), then to the probe's units.
class CChannelScale {
public:
    explicit CChannelScale(const CChannelData& ch);

    double Volts(int counts) const;
    // Volts / ratio with a loaded probe, else volts.
    double Value(int counts) const;
    const std::string& Unit() const { return unit_; }

private:
    float voltPerDiv_;
    double correction_;
    bool probe_;
    double ratio_;
    std::string unit_;
};

} // namespace wavix
