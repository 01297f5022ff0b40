#include "core/panels/panelkeys.h"

#include <algorithm>
#include <numeric>

namespace wavix {
namespace {
constexpr int kKeyGap = 2;
}

PanelLayout LayoutPanel(int width, int height, std::span<const int> keyWidths) {
    PanelLayout out;
    const int m = kPanelMargin;
    const int innerW = std::max(0, width - 2 * m);
    const int innerH = std::max(0, height - 2 * m);
    const int titleH = innerH * 2 / 5;
    out.title = {m, m, innerW, titleH};
    const PanelRect row{m, m + titleH + 1, innerW, std::max(0, innerH - titleH - 1)};

    const int n = static_cast<int>(keyWidths.size());
    if (n == 0) {
        out.value = row;
        return out;
    }
    // The value text keeps at least a third of the row; a row too narrow even for the gaps drops them.
    const int forKeys = row.w - row.w / 3;
    const int gap = forKeys >= (kKeyGap + 1) * n ? kKeyGap : 0;
    const int gaps = gap * n; // between the keys and one before the first
    int wanted = 0;
    for (const int w : keyWidths)
        wanted += std::max(0, w);
    const int room = std::max(0, forKeys - gaps);
    const bool fits = wanted <= room;

    std::vector<int> widths(keyWidths.begin(), keyWidths.end());
    for (int& w : widths) {
        w = std::max(0, w);
        if (!fits)
            w = wanted > 0 ? w * room / wanted : room / n;
    }
    const int used = std::accumulate(widths.begin(), widths.end(), 0) + gaps;
    out.value = {row.x, row.y, std::max(0, row.w - used), row.h};
    int x = row.right();
    out.keys.resize(widths.size());
    for (int i = n - 1; i >= 0; --i) {
        x -= widths[static_cast<std::size_t>(i)];
        out.keys[static_cast<std::size_t>(i)] = {x, row.y, widths[static_cast<std::size_t>(i)], row.h};
        x -= gap;
    }
    return out;
}

int CPanelKeys::Add(std::uint32_t face, std::string caption) {
    keys_.push_back({face, face, std::move(caption), {}, {}});
    return Count() - 1;
}

int CPanelKeys::HitTest(int x, int y) const {
    for (int i = 0; i < Count(); ++i)
        if (At(i).rect.Contains(x, y))
            return i;
    return -1;
}

bool CPanelKeys::Press(int i) {
    if (pressed_ >= 0 || i < 0 || i >= Count())
        return false;
    Key& k = keys_[static_cast<std::size_t>(i)];
    k.savedFace = k.face;
    k.face = kKeyPressedFace;
    pressed_ = i;
    return true;
}

int CPanelKeys::Release() {
    const int i = pressed_;
    if (i >= 0) {
        Key& k = keys_[static_cast<std::size_t>(i)];
        k.face = k.savedFace;
    }
    pressed_ = -1;
    return i;
}

} // namespace wavix
