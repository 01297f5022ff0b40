#include "core/panels/paneltexts.h"

#include "core/scope/engprefix.h"

#include <cmath>
#include <cstdio>
#include "core/support/strformat.h"

namespace wavix {
namespace {


} // namespace

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

std::string ChannelRefTitle(std::string_view title, int channel) {
    if (channel < 0)
        return std::string(kLabelUnbound);
    return StrFormat(" .: %s (CH%d) ", std::string(title).c_str(), channel);
}

bool IsZoomFactor(double zoomFactor) {
    return std::isfinite(zoomFactor) && zoomFactor > 0.0 && zoomFactor != 1.0;
}

std::string TimeBasePanelTitle(std::string_view title, double zoomFactor) {
    const std::string t(title);
    if (IsZoomFactor(zoomFactor))
        return StrFormat(" .: %s : Z %0.1fx", t.c_str(), zoomFactor);
    return StrFormat(" .: %s ", t.c_str());
}

MeasureTexts MeasureText(double msPerDiv, double distancePercent, double zoomFactor) {
    MeasureTexts out;
    double dt = msPerDiv * 10.0 * distancePercent / 100.0;
    if (IsZoomFactor(zoomFactor))
        dt /= zoomFactor;
    out.dtMs = dt;

    if (const auto eng = EngineeringPrefix(dt / 1000.0))
        out.dt = StrFormat("dt %0.2f %ss", eng->value, std::string(eng->prefix).c_str());
    else
        out.dt = StrFormat("%0.2f %%", distancePercent);

    // A time that is not a number has no frequency either.
    if (dt == 0.0 || !std::isfinite(dt)) {
        out.freq = "---";
        return out;
    }
    const double f = std::fabs(1000.0 / dt);
    if (const auto eng = EngineeringPrefix(f))
        out.freq = StrFormat("f %0.2f %sHz", eng->value, std::string(eng->prefix).c_str());
    else
        out.freq = StrFormat("T %0.2f ms", dt);
    return out;
}

} // namespace wavix
