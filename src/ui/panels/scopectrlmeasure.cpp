#include "ui/panels/scopectrlmeasure.h"

#include "core/panels/paneltexts.h"
#include "core/scope/channeldata.h"

namespace wavix {
namespace {
// Where the display puts its cursors before anyone moves them (25 % and 75 %).
constexpr double kInitialDistance = 50.0;
} // namespace

CScopeCtrlMeasure::CScopeCtrlMeasure(QWidget* parent) : CScopeCtrlBase(parent) {
    SetCustomText(true);
    title_ = std::string(kTitleMeasure);
    UpdateTexts();
}

void CScopeCtrlMeasure::SetCursors(DistanceSource distance, ZoomSource zoom) {
    distance_ = std::move(distance);
    zoom_ = std::move(zoom);
    UpdateTexts();
}

void CScopeCtrlMeasure::UpdateTexts() {
    CScopeCtrlBase::UpdateTexts();
    CChannelData* ch = BoundChannelOrShowUnbound();
    if (ch == nullptr)
        return;
    SetText(ChannelRefTitle(title_, ch->GetChannel()));
    if (!HasRecord()) {
        SetValues({std::string(kNoValue)}); // no timebase to measure in
        return;
    }
    const double p = distance_ ? distance_() : kInitialDistance;
    const double zoom = zoom_ ? zoom_() : 1.0;
    const MeasureTexts m = MeasureText(ch->GetMsPerDiv(), p, zoom);
    SetValues({m.dt, m.freq});
}

} // namespace wavix
