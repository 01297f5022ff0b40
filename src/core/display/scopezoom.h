#pragma once
// Zoom of one display: a range dragged in the plot is magnified, the bar below
// the plot scrolls it, the close box in the plot's corner ends it. Positions are
// percent of the whole trace.

#include "core/display/displaygeometry.h"

#include <cstdint>

namespace wavix {

class CScopeZoom {
public:
    static constexpr double kMaxFactor = 100.0;
    static constexpr int kMinSelection = 5;
    static constexpr std::uint32_t kFrameColour = 0x00667878;
    static constexpr std::uint32_t kThumbColour = 0x00FF6464;
    static constexpr std::uint32_t kThumbHighlight = 0x00FF9696;

    enum class Press { None, Selection, BarDrag, Reset };

    // The display hands over its rectangles on every layout.
    void SetGeometry(const Rect& plot, const Rect& bar);

    bool IsZoomed() const { return factor_ != 1.0; }
    void Reset();
    double Factor() const { return factor_; }
    double Start() const { return start_; }
    double End() const { return end_; }
    std::int64_t FirstVisible(std::int64_t n) const;
    std::int64_t LastVisible(std::int64_t n) const;

    Press MouseDown(Point p);
    // True when anything shown changed.
    bool MouseMove(Point p);
    // True when a selection or a bar drag ended with this release.
    bool MouseUp(Point p);

    // Mouse wheel, in notches (positive: in): the factor changes by kWheelStep
    // per notch within 1..kMaxFactor and the trace point under x stays under x;
    // zooming out to 1 ends the zoom. True when anything shown changed.
    bool WheelZoom(int x, double notches);
    // Shift and the wheel: the window moves a tenth of its width per notch
    // (positive: later), kept inside the trace. True when it moved.
    bool WheelScroll(double notches);
    static constexpr double kWheelStep = 1.25;

    // Applies a selection made elsewhere, in this display's pixels.
    void ZoomToRange(Point from, Point to);
    // Takes over factor and window of another display's zoom.
    void CopyFrom(const CScopeZoom& other);

    bool IsSelecting() const { return selecting_; }
    bool IsDragging() const { return barDrag_; }
    Rect Selection() const; // the rubber band while selecting
    Rect Plot() const { return plot_; }
    Rect Bar() const { return bar_; }
    Rect Thumb() const;
    Rect CloseBox() const;

private:
    void ApplySelection(int x1, int x2);

    double factor_ = 1.0;
    double start_ = 0.0;
    double end_ = 100.0;
    bool selecting_ = false;
    Point press_;
    Point current_;
    bool barDrag_ = false;
    Point last_;
    Rect plot_;
    Rect bar_;
};

} // namespace wavix
