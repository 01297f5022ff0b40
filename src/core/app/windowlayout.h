#pragma once
// Pixel arithmetic of the main window's client area: the tool strips along the
// bottom and the bands of the views above them. Kept apart from any widget so
// that the rules can be checked on their own.

#include "core/app/mainview.h"
#include "core/display/displaygeometry.h"

#include <array>

namespace wavix {

inline constexpr int kToolbarHeight = 80;
inline constexpr int kSettingsStripHeight = 90;

struct MainRegions {
    Rect toolbar;  // empty when hidden
    Rect settings; // empty when hidden
    Rect views;    // what is left above the strips
};

// client is the area above the status bar. The strips are laid from the bottom
// up: toolbar, then the settings strip; a client too low for them gives the
// toolbar what there is first and leaves the views an empty rectangle.
MainRegions ComputeMainRegions(const Rect& client, bool toolbarShown, bool settingsShown);

// One rectangle per view A..D. Single view: A fills the area, B..D are empty.
// Multi-view: visibleViews equal bands from the top (0 counts as 1), A first;
// the views past the count are empty. Rounding leaves no gap between bands.
std::array<Rect, kViewCount> ArrangeViews(const Rect& area, bool multiView, int visibleViews);

} // namespace wavix
