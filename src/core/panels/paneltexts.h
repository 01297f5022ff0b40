#pragma once
// Texts of the control panels beside the display: titles, the label summary of a
// channel and the time-axis measurement. Kept apart from the widgets so they can
// be checked without a window.

#include <optional>
#include <string>
#include <string_view>

namespace wavix {

// Built-in panel titles; the language file may replace them (TXT_800..TXT_803).
inline constexpr std::string_view kTitleTimeBase = "Časová základna";
inline constexpr std::string_view kTitleTrigger = "Spouštění";
inline constexpr std::string_view kTitleMeasure = "Měření čas.osy";
inline constexpr std::string_view kTitleChannel = "Kanál";

inline constexpr std::string_view kLabelInitial = " .: Base init ";
inline constexpr std::string_view kLabelUnbound = ".: Init";
// Shown for a value until the tester has confirmed a record: a number made up
// from an empty record would be taken for a reading.
inline constexpr std::string_view kNoValue = "--";

// ".: Init" until the channel has its number, else "CH1 : DC : 1.00 V/dílek".
std::string ChannelSummaryText(int channel, std::string_view coupling, std::string_view range);

// " .: Kanál 2 ", or " .: Kanál 2 : <probe>" with a loaded probe.
std::string ChannelPanelTitle(std::string_view title, int channel, std::optional<std::string_view> probe);
// " .: Spouštění "
std::string PanelTitle(std::string_view title);
// " .: Spouštění (CH1) " and " .: Měření čas.osy (CH3) ".
std::string ChannelRefTitle(std::string_view title, int channel);
// " .: Časová základna ", or " .: Časová základna : Z 2.5x" while zoomed.
std::string TimeBasePanelTitle(std::string_view title, double zoomFactor);

// A display counts as zoomed when its factor differs from 1 (and is usable at all).
bool IsZoomFactor(double zoomFactor);

struct MeasureTexts {
    double dtMs = 0.0;
    std::string dt;   // "dt 5.00 ms"
    std::string freq; // "f 200.00 Hz", "---" when dt is 0
};

// Cursor distance p (percent of the plot width, negative when the cursors are
// swapped) over ten divisions of msPerDiv, divided by the zoom factor while zoomed.
MeasureTexts MeasureText(double msPerDiv, double distancePercent, double zoomFactor);

} // namespace wavix
