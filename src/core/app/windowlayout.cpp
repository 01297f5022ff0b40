#include "core/app/windowlayout.h"

#include <algorithm>

namespace wavix {
namespace {

// The strip of at most height pixels at the bottom of area; area keeps the rest.
Rect takeBottom(Rect& area, int height) {
    const int h = std::clamp(height, 0, std::max(area.Height(), 0));
    Rect strip{area.left, area.bottom - h, area.right, area.bottom};
    area.bottom -= h;
    return strip;
}

} // namespace

MainRegions ComputeMainRegions(const Rect& client, bool toolbarShown, bool settingsShown) {
    MainRegions r;
    Rect rest = client;
    if (rest.bottom < rest.top)
        rest.bottom = rest.top;
    if (toolbarShown)
        r.toolbar = takeBottom(rest, kToolbarHeight);
    if (settingsShown)
        r.settings = takeBottom(rest, kSettingsStripHeight);
    r.views = rest;
    return r;
}

std::array<Rect, kViewCount> ArrangeViews(const Rect& area, bool multiView, int visibleViews) {
    std::array<Rect, kViewCount> out{};
    if (!multiView) {
        out[0] = area;
        return out;
    }
    const int n = std::clamp(visibleViews, 1, kViewCount);
    const int height = std::max(area.Height(), 0);
    for (int i = 0; i < n; ++i) {
        // Band edges from the running proportion, so the bands differ by one pixel at most.
        const int top = area.top + height * i / n;
        const int bottom = area.top + height * (i + 1) / n;
        out[static_cast<std::size_t>(i)] = Rect{area.left, top, area.right, bottom};
    }
    return out;
}

} // namespace wavix
