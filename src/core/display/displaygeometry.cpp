#include "core/display/displaygeometry.h"

#include "core/scope/oscilexchange.h"

#include <cmath>

namespace wavix {

ScopeLayout ComputeLayout(const Rect& client, bool withZoomBar) {
    ScopeLayout l;
    l.strip = {client.left, client.top, client.right, client.top + kStripHeight};
    l.plot = {client.left + kMarginLeft, l.strip.bottom + kMarginTop, client.right - kMarginRight,
              client.bottom - kMarginBottom};
    if (withZoomBar) {
        l.plot.bottom = client.bottom - kMarginBottom - kZoomBarHeight;
        l.zoomBar = l.plot.Inflated(-1);
        l.zoomBar.top = l.plot.bottom + 3;
        l.zoomBar.bottom = client.bottom - 3;
    }
    l.button1.right = l.plot.right - 10;
    l.button1.left = l.button1.right - kButtonWidth;
    l.button1.top = l.plot.top + 40;
    l.button1.bottom = l.button1.top + kButtonHeight;
    l.button2 = l.button1.Moved(0, l.button1.Height() + 5);
    return l;
}

int Nearest(double v) {
    return static_cast<int>(std::lround(v));
}

VerticalMap MakeVerticalMap(const Rect& plot, int rangeIndex, double valueMin, double valueMax, bool half) {
    VerticalMap m;
    const double H = plot.Height();
    m.h = std::trunc(H * RangeCorrection(rangeIndex));
    m.half = half;
    m.mid = (valueMax - valueMin) / 2.0;
    m.y0 = plot.top - 2 + (half ? (H - m.h) : Nearest((H - m.h) / 2.0));
    const double range = valueMax - valueMin;
    m.k = range != 0.0 ? m.h / range : 0.0;
    return m;
}

int HorizontalMap::X(std::int64_t i) const {
    return left + Nearest(static_cast<double>(i - first) * width / static_cast<double>(span));
}

int HorizontalMap::Column(std::int64_t i) const {
    return static_cast<int>((i - first) * width / span);
}

HorizontalMap MakeHorizontalMap(const Rect& plot, std::int64_t first, std::int64_t last) {
    HorizontalMap m;
    m.left = plot.left;
    m.width = plot.Width() > 0 ? plot.Width() : 0;
    m.first = first;
    m.span = last > first ? last - first : 1;
    return m;
}

namespace {
bool InsideRows(const Rect& plot, int y) {
    return y >= plot.top && y < plot.bottom;
}
} // namespace

std::vector<int> GridRows(const Rect& plot, const VerticalMap& vm, int verticalDivisions) {
    std::vector<int> rows;
    if (verticalDivisions <= 0)
        return rows;
    const double step = vm.h / verticalDivisions;
    auto keep = [&](int y) {
        if (InsideRows(plot, y))
            rows.push_back(y);
    };
    if (vm.half) {
        const int bottom = vm.AxisY();
        for (int i = 1; i <= verticalDivisions; ++i)
            keep(bottom - Nearest(step * i));
    } else {
        const int centre = vm.CentreY();
        for (int i = 1; i <= verticalDivisions / 2; ++i) {
            const int d = Nearest(step * i);
            keep(centre - d);
            keep(centre + d - 1);
        }
    }
    return rows;
}

std::vector<int> GridColumns(const Rect& plot, int horizontalDivisions) {
    std::vector<int> cols;
    if (horizontalDivisions <= 0)
        return cols;
    const double step = static_cast<double>(plot.Width()) / horizontalDivisions;
    for (int j = 1; j < horizontalDivisions; ++j)
        cols.push_back(plot.left + Nearest(step * j));
    return cols;
}

std::vector<int> AxisTicksY(const VerticalMap& vm, int verticalDivisions, const Rect& plot) {
    std::vector<int> ticks;
    if (verticalDivisions <= 0)
        return ticks;
    const double step = vm.h / verticalDivisions / 5.0;
    if (step < 1.0)
        return ticks;
    const int axis = vm.AxisY();
    for (int t = 1;; ++t) {
        const int d = Nearest(step * t);
        const int up = axis - d;
        const int down = axis + d;
        const bool upIn = InsideRows(plot, up);
        const bool downIn = !vm.half && InsideRows(plot, down);
        if (!upIn && !downIn)
            break;
        if (upIn)
            ticks.push_back(up);
        if (downIn)
            ticks.push_back(down);
    }
    return ticks;
}

std::vector<int> AxisTicksX(const Rect& plot, int horizontalDivisions) {
    std::vector<int> ticks;
    if (horizontalDivisions <= 0)
        return ticks;
    const int n = horizontalDivisions * 5;
    const double step = static_cast<double>(plot.Width()) / n;
    for (int t = 1; t < n; ++t)
        ticks.push_back(plot.left + Nearest(step * t));
    return ticks;
}

std::vector<int> DotPositions(int a, int b) {
    std::vector<int> dots;
    for (int p = a + 2; p < b; p += 4)
        dots.push_back(p);
    return dots;
}

Rect VoltageLabelTop(const Rect& plot, int k) {
    const int left = plot.left + plot.Width() / 2 + 2;
    const int top = plot.top + 2 + 20 * k;
    return {left, top, left + kLabelWidth, top + kLabelHeight};
}

Rect VoltageLabelBottom(const Rect& plot, int k) {
    const int left = plot.left + plot.Width() / 2 - 2 - kLabelWidth;
    const int top = plot.bottom - 2 - 20 * (k + 1);
    return {left, top, left + kLabelWidth, top + kLabelHeight};
}

Rect TimeLabelLeft(const Rect& plot, const VerticalMap& vm) {
    const int left = plot.left + 2;
    const int top = vm.half ? plot.bottom - 2 - kLabelHeight : vm.CentreY() - 2 - kLabelHeight;
    return {left, top, left + kLabelWidth, top + kLabelHeight};
}

Rect TimeLabelRight(const Rect& plot, const VerticalMap& vm) {
    const int left = plot.right - 2 - kLabelWidth;
    const int top = vm.half ? plot.bottom - 2 - kLabelHeight : vm.CentreY() + 2;
    return {left, top, left + kLabelWidth, top + kLabelHeight};
}

std::uint32_t RotateLabelColour(std::uint32_t colour) {
    const std::uint32_t r = colour & 0xFF;
    const std::uint32_t g = (colour >> 8) & 0xFF;
    const std::uint32_t b = (colour >> 16) & 0xFF;
    // new red = old blue, new green = old red, new blue = old green
    return b | (r << 8) | (g << 16);
}

std::uint32_t HighlightColour(std::uint32_t gridColour) {
    const std::uint32_t red = ((gridColour & 0xFF) + 80) & 0xFF;
    return (gridColour & 0xFFFFFF00u) | red;
}

} // namespace wavix
