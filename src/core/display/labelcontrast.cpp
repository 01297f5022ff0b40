#include "core/display/labelcontrast.h"

#include "core/display/displaygeometry.h"

#include <cmath>

namespace wavix {

namespace {

double linear(std::uint32_t byte) {
    const double c = static_cast<double>(byte & 0xFFu) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

} // namespace

double RelativeLuminance(std::uint32_t colour) {
    return 0.2126 * linear(colour) + 0.7152 * linear(colour >> 8) + 0.0722 * linear(colour >> 16);
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

std::uint32_t ReadableLabelColour(std::uint32_t fill) {
    fill &= 0xFFFFFFu;
    const std::uint32_t rotated = RotateLabelColour(fill);
    if (ContrastRatio(rotated, fill) >= kMinLabelContrast)
        return rotated;
    return ContrastRatio(kBlack, fill) >= ContrastRatio(kWhite, fill) ? kBlack : kWhite;
}

} // namespace wavix
