#include "core/display/triggerpositionmarker.h"

#include "core/display/scopezoom.h"

#include <algorithm>
#include <cmath>

namespace wavix {

void CTriggerPositionMarker::SetGeometry(const Rect& strip, const Rect& plot) {
    strip_ = strip;
    plot_ = plot;
}

Rect CTriggerPositionMarker::Track() const {
    return {strip_.left + 8, strip_.top + 2, strip_.right - 18, strip_.bottom - 1};
}

void CTriggerPositionMarker::SetPosition(double percent) {
    position_ = std::isfinite(percent) ? std::clamp(percent, 0.0, 100.0) : 0.0;
}

void CTriggerPositionMarker::SetRange(std::int64_t minimum, std::int64_t maximum) {
    min_ = minimum;
    max_ = maximum;
}

namespace {
std::uint32_t ValueOf(std::int64_t span, double position) {
    const double v = std::trunc(static_cast<double>(span) * position / 100.0);
    return v <= 0.0 ? 0u : static_cast<std::uint32_t>(std::min(v, 4294967295.0));
}
} // namespace

std::uint32_t CTriggerPositionMarker::TriggerPositionValue() const {
    return ValueOf(max_ - min_, position_);
}

void CTriggerPositionMarker::Lock(bool l) {
    locked_ = l;
    if (l)
        grabbed_ = false;
}

void CTriggerPositionMarker::SetVisibleWindow(const CScopeZoom& zoom) {
    zoomed_ = zoom.IsZoomed();
    const std::int64_t span = max_ - min_;
    if (!zoomed_ || span <= 0) {
        visStart_ = zoom.IsZoomed() ? zoom.Start() : 0.0;
        visEnd_ = zoom.IsZoomed() ? zoom.End() : 100.0;
        return;
    }
    visStart_ = static_cast<double>(zoom.FirstVisible(span)) * 100.0 / static_cast<double>(span);
    visEnd_ = static_cast<double>(zoom.LastVisible(span)) * 100.0 / static_cast<double>(span);
}

CTriggerPositionMarker::Shape CTriggerPositionMarker::CurrentShape() const {
    if (position_ < visStart_)
        return Shape::LeftIndicator;
    if (position_ > visEnd_)
        return Shape::RightIndicator;
    return Shape::Marker;
}

int CTriggerPositionMarker::MarkerX() const {
    const Rect track = Track();
    switch (CurrentShape()) {
    case Shape::LeftIndicator:
        return track.left + kHalfWidth;
    case Shape::RightIndicator:
        return track.right - kHalfWidth;
    case Shape::Marker:
        break;
    }
    const double window = visEnd_ - visStart_;
    const double fraction = window > 0.0 ? (position_ - visStart_) / window : 0.0;
    return plot_.left + Nearest(plot_.Width() * fraction);
}

Rect CTriggerPositionMarker::MarkerRect() const {
    const int x = MarkerX();
    const Rect track = Track();
    return {x - kHalfWidth, strip_.top, x + kHalfWidth + 1, std::max(track.bottom, strip_.top + 1)};
}

bool CTriggerPositionMarker::IsOver(Point p) const {
    return enabled_ && MarkerRect().Contains(p);
}

bool CTriggerPositionMarker::MouseDown(Point p) {
    grabbed_ = !locked_ && IsOver(p);
    last_ = p;
    return grabbed_;
}

bool CTriggerPositionMarker::MouseMove(Point p) {
    if (!grabbed_)
        return false;
    const int dx = p.x - last_.x;
    if (dx == 0 || plot_.Width() <= 0)
        return false;
    // While zoomed the track stands for the visible window only, so one pixel is
    // worth less; scaling keeps the marker under the pointer.
    const double window = visEnd_ - visStart_ > 0.0 ? visEnd_ - visStart_ : 100.0;
    const double before = position_;
    SetPosition(position_ + dx * 100.0 / plot_.Width() * window / 100.0);
    last_ = p;
    return position_ != before;
}

bool CTriggerPositionMarker::MouseUp(Point /*p*/) {
    const bool was = grabbed_;
    grabbed_ = false;
    return was;
}

} // namespace wavix
