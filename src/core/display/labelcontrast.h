#pragma once
// Contrast of label text against its box, by relative luminance (colours are
// 0x00BBGGRR values), so that plot labels stay readable in any channel colour.

#include <cstdint>

namespace wavix {

inline constexpr double kMinLabelContrast = 4.5;

// 0.0 for black .. 1.0 for white, from the sRGB channels.
double RelativeLuminance(std::uint32_t colour);
// (lighter + 0.05) / (darker + 0.05): 1.0 for equal colours, 21.0 for black on white.
double ContrastRatio(std::uint32_t a, std::uint32_t b);
// The text colour for a label box filled with `fill`: the rotated channel
// colour where it reads well enough, otherwise black or white, whichever
// stands out more (one of them always reaches the minimum).
std::uint32_t ReadableLabelColour(std::uint32_t fill);

} // namespace wavix
