#pragma once
// The trigger-level marker: a triangle beside the plot's right edge, dragged
// vertically. Its position is percent of the plot height (0 top, 100 bottom).
// When the trigger channel uses input range 0 its counts are doubled, so the
// marker is stretched about the middle to stay on the trace.

#include "core/display/displaygeometry.h"

#include <cstdint>

namespace wavix {

class CTriggerLevelMarker {
public:
    static constexpr std::uint32_t kFillColour = 0x00646464;
    static constexpr int kWidth = 10;
    static constexpr int kHeight = 8;

    void SetPlot(const Rect& plot) { plot_ = plot; }
    void SetVisible(bool v) { visible_ = v; }
    bool IsVisible() const { return visible_; }
    void SetDoubled(bool d) { doubled_ = d; }
    bool IsDoubled() const { return doubled_; }
    void SetHalfMode(bool h) { half_ = h; }
    bool IsHalfMode() const { return half_; }
    void SetOutlineColour(std::uint32_t c) { outline_ = c; }
    std::uint32_t OutlineColour() const { return outline_; }

    // Stored position, as drawn.
    double Position() const { return stored_; }
    void SetPosition(double percent) { stored_ = percent; }
    // The position with the range-0 stretch undone.
    double ReadBack() const;

    int GetTriggerLevel(int low, int high) const;
    void SetTriggerLevel(int low, int high, int level);

    // Row of the marker, kept on the plot even when the level lies beyond it.
    int MarkerY() const;
    // The triangle's bounding box: 3 pixels right of the plot, centred on the level.
    Rect Triangle() const;

    bool IsGrabbed() const { return grabbed_; }
    bool IsOver(Point p) const { return visible_ && Triangle().Contains(p); }
    bool MouseDown(Point p);
    bool MouseMove(Point p);
    bool MouseUp(Point p);

private:
    double Span(int low, int high) const;

    Rect plot_;
    double stored_ = 50.0;
    bool doubled_ = false;
    bool half_ = false;
    bool visible_ = false;
    bool grabbed_ = false;
    std::uint32_t outline_ = kFillColour;
};

} // namespace wavix
