#pragma once
// The two measurement cursors of a display; their distance in percent of the
// plot width gives the measured time.

#include "core/display/displaygeometry.h"

#include <cstdint>

namespace wavix {

class CMeasureCursors {
public:
    static constexpr std::uint32_t kColour = 0x00BBBBBB;
    static constexpr int kGrabTolerance = 10;

    void SetPlot(const Rect& plot) { plot_ = plot; }
    const Rect& Plot() const { return plot_; }

    // Both answer the previous state.
    bool Enable();
    bool Disable();
    bool IsEnabled() const { return enabled_; }

    double Left() const { return left_; }
    double Right() const { return right_; }
    void SetPositions(double left, double right);
    double Distance() const { return right_ - left_; }
    void CopyFrom(const CMeasureCursors& other) { SetPositions(other.left_, other.right_); }

    bool IsGrabbed() const { return leftGrabbed_ || rightGrabbed_; }
    // True when the press took hold of a cursor.
    bool MouseDown(Point p);
    // True when a held cursor moved.
    bool MouseMove(Point p);
    // True when a cursor was held.
    bool MouseUp(Point p);
    // Whether the pointer is over a cursor (for the resize pointer).
    bool IsOver(Point p) const;

    // Pixel column of a cursor, kept inside the plot.
    int LeftX() const { return ColumnOf(left_); }
    int RightX() const { return ColumnOf(right_); }
    int LineTop() const { return plot_.top + 8; }
    int LineBottom() const { return plot_.bottom - 8; }

private:
    double PercentAt(int x) const;
    int ColumnOf(double percent) const;
    bool Near(double position, int x) const;

    bool enabled_ = true;
    Rect plot_;
    bool leftGrabbed_ = false;
    bool rightGrabbed_ = false;
    double left_ = 25.0;
    double right_ = 75.0;
};

} // namespace wavix
