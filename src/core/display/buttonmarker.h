#pragma once
// One of the two push buttons inside the plot that place marks into a roll-mode
// log (or step through a loaded one). Shows pressed until its timer releases it.

#include "core/display/displaygeometry.h"

#include <cstdint>
#include <string>

namespace wavix {

class CButtonMarker {
public:
    static constexpr std::uint32_t kPressedColour = 0x00FF0000;
    static constexpr std::uint32_t kNormalColour = 0x00FFFFFF;
    static constexpr int kReleaseMs = 500;

    void SetNumber(int n);
    const std::string& Text() const { return text_; }
    void SetRect(const Rect& r) { rect_ = r; }
    const Rect& GetRect() const { return rect_; }
    void SetVisible(bool v) { visible_ = v; }
    bool IsVisible() const { return visible_; }
    bool IsPressed() const { return pressed_; }
    void Release() { pressed_ = false; }
    // Pressed from the keyboard; false while the button is hidden.
    bool Press() { return pressed_ = visible_; }
    std::uint32_t FaceColour() const { return pressed_ ? kPressedColour : kNormalColour; }

    // Presses the button when the point is on it and it is shown.
    bool MouseDown(Point p);

private:
    std::string text_ = "Marker";
    Rect rect_;
    bool visible_ = false;
    bool pressed_ = false;
};

} // namespace wavix
