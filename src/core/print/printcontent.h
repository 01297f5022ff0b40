#pragma once
// The settings box and the channel legends of a page, taken from the channels
// in force when the page is printed.

#include "core/print/printdata.h"

#include <span>

namespace wavix {

class CChannelData;

// Timebase, trigger level, edge and mode as the trigger channel reads them.
PrintSettingsTexts PrintSettingsOf(CChannelData& triggerChannel);
// Gain, coupling, probe and colour of each channel given whose trace is drawn,
// numbered as the channel is.
std::vector<PrintChannelLegend> PrintLegendsOf(std::span<CChannelData* const> channels);

} // namespace wavix
