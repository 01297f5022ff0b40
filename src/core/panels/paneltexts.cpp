#include "core/panels/paneltexts.h"

#include "core/display/measuretext.h"

#include "core/scope/engprefix.h"

#include "core/support/strformat.h"
#include <cmath>
#include <cstdio>

namespace wavix {
namespace {} // namespace

std::string ChannelSummaryText(int channel, std::string_view coupling, std::string_view range) {
    if (channel < 0)
        return std::string(kLabelUnbound);
    return StrFormat("CH%d : %s : %s", channel, std::string(coupling).c_str(), std::string(range).c_str());
}

std::string ChannelPanelTitle(std::string_view title, int channel, std::optional<std::string_view> probe) {
    if (channel < 0)
        return std::string(kLabelUnbound);
    const std::string t(title);
    if (probe)
        return StrFormat(" .: %s %d : %s", t.c_str(), channel, std::string(*probe).c_str());
    return StrFormat(" .: %s %d ", t.c_str(), channel);
}

std::string PanelTitle(std::string_view title) {
    return StrFormat(" .: %s ", std::string(title).c_str());
}

std::string ChannelRefTitle(std::string_view title, int channel) {
    if (channel < 0)
        return std::string(kLabelUnbound);
    return StrFormat(" .: %s (CH%d) ", std::string(title).c_str(), channel);
}

bool IsZoomFactor(double zoomFactor) {
    return std::isfinite(zoomFactor) && zoomFactor > 0.0 && zoomFactor != 1.0;
}

std::string TimeBasePanelTitle(std::string_view title, double zoomFactor) {
    if (IsZoomFactor(zoomFactor))
        return StrFormat(" .: %s : Z %0.1fx", std::string(title).c_str(), zoomFactor);
    return PanelTitle(title);
}

MeasureTexts MeasureText(double msPerDiv, double distancePercent, double zoomFactor) {
    MeasureTexts out;
    out.dtMs = MeasureDtMs(msPerDiv, distancePercent, zoomFactor, IsZoomFactor(zoomFactor));
    out.dt = MeasureDtText(out.dtMs, distancePercent);
    out.freq = MeasureFrequencyText(out.dtMs);
    return out;
}

} // namespace wavix
