#pragma once
// The trigger-position marker in the strip above the plot, dragged horizontally.
// Its position is percent of the plot width; the value it stands for is that
// percent of the owner's value range. While the display is zoomed the track
// shows the visible window only, and a position outside it becomes an arrow.

#include "core/display/displaygeometry.h"

#include <cstdint>

namespace wavix {

class CScopeZoom;

class CTriggerPositionMarker {
public:
    static constexpr std::uint32_t kTrackColour = 0x00808080;
    static constexpr std::uint32_t kIndicatorColour = 0x00808080;
    static constexpr std::uint32_t kIndicatorFrame = 0x00969696;
    static constexpr std::uint32_t kFaceGrabbed = 0x00AAAAAA;
    static constexpr std::uint32_t kFace = 0x00E6E6E6;
    static constexpr std::uint32_t kFaceZoomed = 0x00808080;
    static constexpr int kHalfWidth = 5;

    enum class Shape { Marker, LeftIndicator, RightIndicator };

    void SetGeometry(const Rect& strip, const Rect& plot);
    Rect Track() const;
    const Rect& Plot() const { return plot_; }

    double Position() const { return position_; }
    // Kept within 0..100: the value is unsigned, a negative percent would wrap.
    void SetPosition(double percent);
    void SetRange(std::int64_t minimum, std::int64_t maximum);
    std::uint32_t TriggerPositionValue() const;

    bool IsEnabled() const { return enabled_; }
    void SetEnabled(bool e) { enabled_ = e; }
    bool IsLocked() const { return locked_; }
    void Lock(bool l);
    void SetColour(std::uint32_t c) { colour_ = c; }
    std::uint32_t Colour() const { return colour_; }

    // Visible window in percent of the range; 0..100 when not zoomed.
    void SetVisibleWindow(const CScopeZoom& zoom);
    bool IsZoomed() const { return zoomed_; }
    double VisibleStart() const { return visStart_; }
    double VisibleEnd() const { return visEnd_; }

    Shape CurrentShape() const;
    // Column of the marker (or of its arrow) and its hit box.
    int MarkerX() const;
    Rect MarkerRect() const;

    bool IsGrabbed() const { return grabbed_; }
    bool IsOver(Point p) const;
    bool MouseDown(Point p);
    bool MouseMove(Point p);
    bool MouseUp(Point p);

private:
    Rect strip_;
    Rect plot_;
    double position_ = 50.0;
    std::int64_t min_ = 0;
    std::int64_t max_ = 100;
    bool locked_ = false;
    bool enabled_ = true;
    bool grabbed_ = false;
    Point last_;
    bool zoomed_ = false;
    double visStart_ = 0.0;
    double visEnd_ = 100.0;
    std::uint32_t colour_ = kTrackColour;
};

} // namespace wavix
