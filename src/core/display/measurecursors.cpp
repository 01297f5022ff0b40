#include "core/display/measurecursors.h"

#include <algorithm>

namespace wavix {

bool CMeasureCursors::Enable() {
    const bool was = enabled_;
    enabled_ = true;
    return was;
}

bool CMeasureCursors::Disable() {
    const bool was = enabled_;
    enabled_ = false;
    leftGrabbed_ = rightGrabbed_ = false;
    return was;
}

void CMeasureCursors::SetPositions(double left, double right) {
    left_ = left;
    right_ = right;
}

double CMeasureCursors::PercentAt(int x) const {
    if (plot_.Width() <= 0)
        return 25.0;
    return (x - plot_.left) * 100.0 / plot_.Width();
}

int CMeasureCursors::ColumnOf(double percent) const {
    const int x = plot_.left + static_cast<int>(plot_.Width() * percent / 100.0);
    return std::clamp(x, plot_.left, std::max(plot_.left, plot_.right - 1));
}

bool CMeasureCursors::Near(double position, int x) const {
    return position >= PercentAt(x - kGrabTolerance) && position <= PercentAt(x + kGrabTolerance);
}

bool CMeasureCursors::IsOver(Point p) const {
    if (!enabled_ || p.y < plot_.top || p.y >= plot_.bottom)
        return false;
    return Near(left_, p.x) || Near(right_, p.x);
}

bool CMeasureCursors::MouseDown(Point p) {
    if (!enabled_ || p.y < plot_.top || p.y >= plot_.bottom || plot_.Width() <= 0)
        return false;
    if (Near(left_, p.x))
        leftGrabbed_ = true;
    else if (Near(right_, p.x))
        rightGrabbed_ = true;
    return IsGrabbed();
}

bool CMeasureCursors::MouseMove(Point p) {
    if (!IsGrabbed())
        return false;
    // A cursor dragged off the plot stops at its edge rather than measuring what is not shown.
    const double pos = std::clamp(PercentAt(p.x), 0.0, 100.0);
    double& target = leftGrabbed_ ? left_ : right_;
    if (pos == target)
        return false;
    target = pos;
    return true;
}

bool CMeasureCursors::MouseUp(Point /*p*/) {
    const bool was = IsGrabbed();
    leftGrabbed_ = rightGrabbed_ = false;
    return was;
}

} // namespace wavix
