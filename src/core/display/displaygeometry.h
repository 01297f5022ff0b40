#pragma once
// Pixel arithmetic of the scope display, free of any widget so that it can be
// checked on its own: layout rectangles, the value-to-pixel mappings shared by
// grid and traces, grid and tick positions, label boxes and colour rules.
// Rectangles are half-open like window rectangles: right and bottom are outside.

#include <cstdint>
#include <vector>

namespace wavix {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Rect Inflated(int d) const { return {left - d, top - d, right + d, bottom + d}; }
    Rect Moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool operator==(const Rect&) const = default;
};

inline constexpr int kStripHeight = 12;
inline constexpr int kMarginLeft = 10;
inline constexpr int kMarginRight = 18;
inline constexpr int kMarginTop = 4;
inline constexpr int kMarginBottom = 2;
inline constexpr int kZoomBarHeight = 13;
inline constexpr int kLabelWidth = 80;
inline constexpr int kLabelHeight = 18;
inline constexpr int kButtonWidth = 80;
inline constexpr int kButtonHeight = 25;

struct ScopeLayout {
    Rect strip;   // trigger-position strip above the plot
    Rect plot;    // traces, grid and most overlays
    Rect zoomBar; // empty when the display has no zoom bar
    Rect button1;
    Rect button2;
};

ScopeLayout ComputeLayout(const Rect& client, bool withZoomBar);

// Round half away from zero, as the drawing code of the display always does.
int Nearest(double v);

// Vertical: buffer values (value range min..max) to pixel rows. The traces are
// stretched by the range correction so that a division equals the range's V/div;
// in half mode the centre line sits at the bottom.
struct VerticalMap {
    double h = 0.0;   // stretched plot height
    double y0 = 0.0;  // top offset
    double k = 0.0;   // pixels per value unit
    double mid = 0.0; // (max - min) / 2
    bool half = false;

    int Y(double v) const { return Nearest(h / 2.0 + y0 - (v - mid) * k); }
    int CentreY() const { return Y(mid); }
    // Row of the zero line: the centre normally, the bottom in half mode.
    int AxisY() const { return half ? Y(0.0) : CentreY(); }
};

VerticalMap MakeVerticalMap(const Rect& plot, int rangeIndex, double valueMin, double valueMax, bool half);

// Horizontal: sample indexes of the visible window first..last to pixel columns.
// A window of one sample or none still maps (to the left edge), never divides by 0.
struct HorizontalMap {
    int left = 0;
    int width = 0;
    std::int64_t first = 0;
    std::int64_t span = 1; // last - first, at least 1

    int X(std::int64_t i) const;
    int Column(std::int64_t i) const; // truncating, 0..width for i in first..last
};

HorizontalMap MakeHorizontalMap(const Rect& plot, std::int64_t first, std::int64_t last);

// Dotted grid lines (rows and columns) and axis tick positions.
std::vector<int> GridRows(const Rect& plot, const VerticalMap& vm, int verticalDivisions);
std::vector<int> GridColumns(const Rect& plot, int horizontalDivisions);
std::vector<int> AxisTicksY(const VerticalMap& vm, int verticalDivisions, const Rect& plot);
std::vector<int> AxisTicksX(const Rect& plot, int horizontalDivisions);
// Positions of the dots along a dotted line from a to b (exclusive).
std::vector<int> DotPositions(int a, int b);

// Label boxes of live channel k (0-based); the second box is absent in half mode.
Rect VoltageLabelTop(const Rect& plot, int k);
Rect VoltageLabelBottom(const Rect& plot, int k);
Rect TimeLabelLeft(const Rect& plot, const VerticalMap& vm);
Rect TimeLabelRight(const Rect& plot, const VerticalMap& vm);

// Colours are 0x00BBGGRR values.
// Label text colour: new red = old blue, new green = old red, new blue = old green.
std::uint32_t RotateLabelColour(std::uint32_t colour);
// Frame highlight: the red byte raised by 80, wrapping within its byte.
std::uint32_t HighlightColour(std::uint32_t gridColour);

} // namespace wavix
