#pragma once
// Texts of the time measurement between the two cursors of a display.

#include <string>

namespace wavix {

// Milliseconds between the cursors: distance in percent of the ten-division
// screen, divided by the zoom factor while the display is zoomed.
double MeasureDtMs(double msPerDiv, double distancePercent, double zoomFactor, bool zoomed);

// "dt 5.00 ms"; when no prefix fits, the distance as "12.50 %".
std::string MeasureDtText(double dtMs, double distancePercent);
// "f 200.00 Hz", "---" for no distance, "T 0.00 ms" when no prefix fits.
std::string MeasureFrequencyText(double dtMs);

} // namespace wavix
