#pragma once
// The measurement functions the registry lists, by family.

#include "core/analysis/measurement.h"

namespace wavix::measures {

MeasureResult Maximum(CSignalAnalysis& a);
MeasureResult Minimum(CSignalAnalysis& a);
MeasureResult PeakToPeak(CSignalAnalysis& a);
MeasureResult Mean(CSignalAnalysis& a);
MeasureResult Rms(CSignalAnalysis& a);

MeasureResult Frequency(CSignalAnalysis& a);
MeasureResult Period(CSignalAnalysis& a);
MeasureResult Duty(CSignalAnalysis& a);
MeasureResult PositiveWidth(CSignalAnalysis& a);
MeasureResult NegativeWidth(CSignalAnalysis& a);
MeasureResult RiseTime(CSignalAnalysis& a);
MeasureResult FallTime(CSignalAnalysis& a);

MeasureResult EngineRpm(CSignalAnalysis& a);
MeasureResult WheelTeeth(CSignalAnalysis& a);
MeasureResult MissingTeeth(CSignalAnalysis& a);

MeasureResult InjectorTime(CSignalAnalysis& a);

MeasureResult Dwell(CSignalAnalysis& a);
MeasureResult BurnTime(CSignalAnalysis& a);
MeasureResult PeakFiring(CSignalAnalysis& a);

} // namespace wavix::measures
