#include "core/display/buttonmarker.h"

#include <cstdio>

namespace wavix {

void CButtonMarker::SetNumber(int n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Marker%d", n);
    text_ = buf;
}

bool CButtonMarker::MouseDown(Point p) {
    if (!visible_ || !rect_.Contains(p))
        return false;
    pressed_ = true;
    return true;
}

} // namespace wavix
