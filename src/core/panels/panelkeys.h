#pragma once
// The clickable keys of a control panel and where they sit. A click presses one
// key, which shows the pressed face until its flash ends; while one key flashes
// every other click on a key is ignored, so a double click cannot edit twice.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace wavix {

inline constexpr int kPanelMargin = 3;
inline constexpr int kPanelFlashMs = 300;
inline constexpr std::uint32_t kPanelPressedBackground = 0x00CCCCCC;
inline constexpr std::uint32_t kPanelInitialTextColor = 0x00FFFFFF;
inline constexpr std::uint32_t kKeyPressedFace = 0x001066F5;
inline constexpr std::uint32_t kKeyFaceRange = 0x00CCCCCC;
inline constexpr std::uint32_t kKeyFaceCoupling = 0x00DCDCDC;
inline constexpr std::uint32_t kKeyFaceTrigger = 0x00DC1414;

struct PanelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int right() const { return x + w; }  // one past the last column
    int bottom() const { return y + h; } // one past the last row
    bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
    bool operator==(const PanelRect&) const = default;
};

struct PanelLayout {
    PanelRect title;
    PanelRect value;
    std::vector<PanelRect> keys;
};

// Title across the top, below it the value text on the left and the keys in a row
// on the right. Keys keep the wanted widths while they fit; otherwise they share
// what is left so that none reaches past the panel.
PanelLayout LayoutPanel(int width, int height, std::span<const int> keyWidths);

class CPanelKeys {
public:
    struct Key {
        std::uint32_t face;
        std::uint32_t savedFace;
        std::string caption;
        PanelRect rect;
        std::string tip; // the tool tip
    };

    int Add(std::uint32_t face, std::string caption);
    int Count() const { return static_cast<int>(keys_.size()); }
    const Key& At(int i) const { return keys_.at(static_cast<std::size_t>(i)); }
    void SetCaption(int i, std::string caption) {
        keys_.at(static_cast<std::size_t>(i)).caption = std::move(caption);
    }
    void SetTip(int i, std::string tip) { keys_.at(static_cast<std::size_t>(i)).tip = std::move(tip); }
    void SetRect(int i, const PanelRect& r) { keys_.at(static_cast<std::size_t>(i)).rect = r; }

    // The key under the point, or -1.
    int HitTest(int x, int y) const;

    // Shows key i pressed; false (and nothing changes) while a key flashes or i is no key.
    bool Press(int i);
    // Ends the flash; answers the key that was pressed, or -1.
    int Release();
    bool IsFlashing() const { return pressed_ >= 0; }
    int Pressed() const { return pressed_; }

private:
    std::vector<Key> keys_;
    int pressed_ = -1;
};

} // namespace wavix
