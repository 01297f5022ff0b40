#include "core/display/scopezoom.h"

#include <algorithm>
#include <cmath>

namespace wavix {

void CScopeZoom::SetGeometry(const Rect& plot, const Rect& bar) {
    plot_ = plot;
    bar_ = bar;
}

void CScopeZoom::Reset() {
    factor_ = 1.0;
    start_ = 0.0;
    end_ = 100.0;
    selecting_ = false;
    barDrag_ = false;
}

std::int64_t CScopeZoom::FirstVisible(std::int64_t n) const {
    if (!IsZoomed())
        return 0;
    return static_cast<std::int64_t>(static_cast<double>(n) * start_ / 100.0);
}

std::int64_t CScopeZoom::LastVisible(std::int64_t n) const {
    if (!IsZoomed())
        return n;
    return std::min(n, static_cast<std::int64_t>(static_cast<double>(n) * end_ / 100.0));
}

Rect CScopeZoom::CloseBox() const {
    const int left = plot_.right - 20;
    const int top = plot_.top + 5;
    return {left, top, left + 15, top + 15};
}

Rect CScopeZoom::Thumb() const {
    if (bar_.IsEmpty())
        return {};
    const int w = bar_.Width();
    Rect t = bar_;
    t.left = bar_.left + static_cast<int>(w * start_ / 100.0);
    t.right = bar_.left + static_cast<int>(w * end_ / 100.0);
    t.right = std::min(t.right, bar_.right - 2);
    t.left = std::min(t.left, t.right - 1);
    return t;
}

Rect CScopeZoom::Selection() const {
    if (!selecting_)
        return {};
    const int a = std::clamp(std::min(press_.x, current_.x), plot_.left, plot_.right);
    const int b = std::clamp(std::max(press_.x, current_.x), plot_.left, plot_.right);
    return {a, plot_.top, b, plot_.bottom};
}

CScopeZoom::Press CScopeZoom::MouseDown(Point p) {
    if (IsZoomed() && Thumb().Contains(p)) {
        barDrag_ = true;
        last_ = p;
        return Press::BarDrag;
    }
    if (IsZoomed() && CloseBox().Contains(p)) {
        Reset();
        return Press::Reset;
    }
    if (!IsZoomed() && plot_.Contains(p)) {
        selecting_ = true;
        press_ = current_ = p;
        return Press::Selection;
    }
    return Press::None;
}

bool CScopeZoom::MouseMove(Point p) {
    if (selecting_) {
        const bool changed = p.x != current_.x;
        current_ = p;
        return changed;
    }
    if (!barDrag_)
        return false;
    const int dx = p.x - last_.x;
    last_ = p;
    if (dx == 0 || plot_.Width() <= 0)
        return false;
    const double window = 100.0 / factor_;
    start_ = std::clamp(start_ + dx * 100.0 / plot_.Width(), 0.0, 100.0 - window);
    end_ = start_ + window;
    return true;
}

bool CScopeZoom::MouseUp(Point p) {
    if (barDrag_) {
        barDrag_ = false;
        return true;
    }
    if (!selecting_)
        return false;
    selecting_ = false;
    ApplySelection(press_.x, p.x);
    return true;
}

void CScopeZoom::ZoomToRange(Point from, Point to) {
    ApplySelection(from.x, to.x);
}

void CScopeZoom::ApplySelection(int x1, int x2) {
    const int w = plot_.Width();
    if (w <= 0)
        return;
    const int a = std::clamp(std::min(x1, x2), plot_.left, plot_.right);
    const int b = std::clamp(std::max(x1, x2), plot_.left, plot_.right);
    const int sel = b - a;
    if (sel < kMinSelection || sel > w)
        return;
    factor_ = std::min(static_cast<double>(w) / sel, kMaxFactor);
    start_ = (a - plot_.left) * 100.0 / w;
    end_ = start_ + 100.0 / factor_;
    // A capped factor shows more than was selected; keep that window inside the trace.
    if (end_ > 100.0) {
        end_ = 100.0;
        start_ = 100.0 - 100.0 / factor_;
    }
}

bool CScopeZoom::WheelZoom(int x, double notches) {
    const int w = plot_.Width();
    if (w <= 0 || notches == 0.0 || selecting_ || barDrag_)
        return false;
    const double factor = std::clamp(factor_ * std::pow(kWheelStep, notches), 1.0, kMaxFactor);
    if (factor == factor_)
        return false;
    if (factor <= 1.0) {
        Reset();
        return true;
    }
    const double at = std::clamp(static_cast<double>(x - plot_.left) / w, 0.0, 1.0);
    const double point = start_ + at * (end_ - start_);
    const double window = 100.0 / factor;
    factor_ = factor;
    start_ = std::clamp(point - at * window, 0.0, 100.0 - window);
    end_ = start_ + window;
    return true;
}

bool CScopeZoom::WheelScroll(double notches) {
    if (!IsZoomed() || selecting_ || barDrag_)
        return false;
    const double window = end_ - start_;
    const double start = std::clamp(start_ + notches * window / 10.0, 0.0, 100.0 - window);
    if (start == start_)
        return false;
    start_ = start;
    end_ = start_ + window;
    return true;
}

void CScopeZoom::CopyFrom(const CScopeZoom& other) {
    factor_ = other.factor_;
    start_ = other.start_;
    end_ = other.end_;
}

} // namespace wavix
