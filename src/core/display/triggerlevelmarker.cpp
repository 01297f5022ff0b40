#include "core/display/triggerlevelmarker.h"

#include <algorithm>
#include <cmath>

namespace wavix {

double CTriggerLevelMarker::Span(int low, int high) const {
    const double span = std::abs(high - low);
    return half_ ? span / 2.0 : span;
}

double CTriggerLevelMarker::ReadBack() const {
    if (!doubled_)
        return stored_;
    if (half_)
        return stored_ / 2.0 + 50.0;
    return 50.0 + (stored_ - 50.0) / 2.0;
}

int CTriggerLevelMarker::GetTriggerLevel(int low, int high) const {
    const double span = Span(low, high);
    const double p = ReadBack();
    return Nearest(low + span * (100.0 - p) / 100.0 + (half_ ? span : 0.0));
}

void CTriggerLevelMarker::SetTriggerLevel(int low, int high, int level) {
    const double span = Span(low, high);
    const double used = half_ ? level - span : level;
    const double percent = span != 0.0 ? used * 100.0 / span : 0.0;
    const double p = 100.0 - percent;
    if (!doubled_)
        stored_ = p;
    else if (half_)
        stored_ = 2.0 * (p - 50.0);
    else
        stored_ = 50.0 + 2.0 * (p - 50.0);
}

int CTriggerLevelMarker::MarkerY() const {
    const double pos = std::clamp(stored_, 0.0, 100.0);
    return plot_.top + Nearest(plot_.Height() * pos / 100.0);
}

Rect CTriggerLevelMarker::Triangle() const {
    const int y = MarkerY();
    const int left = plot_.right + 3;
    return {left, y - kHeight / 2, left + kWidth, y + kHeight / 2 + 1};
}

bool CTriggerLevelMarker::MouseDown(Point p) {
    grabbed_ = IsOver(p);
    return grabbed_;
}

bool CTriggerLevelMarker::MouseMove(Point p) {
    if (!grabbed_ || plot_.Height() <= 0)
        return false;
    const double pos = std::clamp((p.y - plot_.top) * 100.0 / plot_.Height(), 0.0, 100.0);
    if (pos == stored_)
        return false;
    stored_ = pos;
    return true;
}

bool CTriggerLevelMarker::MouseUp(Point /*p*/) {
    const bool was = grabbed_;
    grabbed_ = false;
    return was;
}

} // namespace wavix
