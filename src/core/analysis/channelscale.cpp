#include "core/analysis/channelscale.h"

#include "core/scope/oscilexchange.h"

namespace wavix {

double HalfSwingVolts(int range) {
    return RangeVoltPerDiv(range) * RangeCorrection(range) * 3.0;
}

double CountsToVolts(double counts, int range) {
    return counts * HalfSwingVolts(range) / kHalfSwingCounts;
}

double VoltsToCounts(double volts, int range) {
    return volts * kHalfSwingCounts / HalfSwingVolts(range);
}

double CountsPerVolt(int range) {
    return kHalfSwingCounts / HalfSwingVolts(range);
}

double SamplesToSeconds(double samples, std::uint32_t divider) {
    return samples * divider / static_cast<double>(kSampleClockHz);
}

std::uint32_t DividerRateHz(std::uint32_t divider) {
    return divider != 0 ? kSampleClockHz / divider : 0;
}

std::string ProbeUnit(const CChannelProbe& probe) {
    return probe.IsLoaded() && !probe.GetUnits().empty() ? probe.GetUnits() : std::string("V");
}

CChannelScale::CChannelScale(const CChannelData& ch)
    : voltPerDiv_(ch.GetVoltPerDiv()), correction_(RangeCorrection(ch.GetRange())),
      probe_(ch.GetProbe().IsLoaded()), ratio_(ch.GetProbe().GetRatio()), unit_(ProbeUnit(ch.GetProbe())) {}

double CChannelScale::Volts(int counts) const {
    return counts * voltPerDiv_ * 3.0 * correction_ / kHalfSwingCounts;
}

double CChannelScale::Value(int counts) const {
    const double volts = Volts(counts);
    return probe_ ? volts / ratio_ : volts;
}

} // namespace wavix
