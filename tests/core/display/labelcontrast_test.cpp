#include "core/display/labelcontrast.h"
#include "core/settings/ini.h"
#include "core/settings/programsettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace wavix {
namespace {

TEST(LabelContrast, RatiosOfKnownPairs) {
    EXPECT_NEAR(ContrastRatio(0xFFFFFF, 0x000000), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0x123456, 0x123456), 1.0, 1e-9);
    // Green weighs most, blue (the top colour byte) least.
    EXPECT_NEAR(RelativeLuminance(0x00FF00), 0.7152, 1e-4);
    EXPECT_NEAR(RelativeLuminance(0xFF0000), 0.0722, 1e-4);
    EXPECT_NEAR(ContrastRatio(0x767676, 0xFFFFFF), 4.54, 0.01); // grey just readable on white
}

// The label colours the program can be given: the channel colours of the data
// tree and the built-in default, the orange and green of the workshop complaint,
// and, as the colour chooser takes any colour, a sweep through the colour cube.
std::vector<std::uint32_t> offeredColours() {
    std::vector<std::uint32_t> out{kDefaultChannelCol, 0x0080FF, 0x00A5FF, 0x00FF00, 0x249339,
                                   0x000000,           0xFFFFFF, 0x808080, 0x767676, 0x7F7F7F};
    const auto data =
        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "data" /
        "Settings" / "Wavix.ini";
    const CIni ini(data);
    for (const char* key : {"Channel1Col", "Channel2Col", "Channel3Col", "Channel4Col"}) {
        const auto value = ini.Find("General", key);
        EXPECT_TRUE(value.has_value()) << key;
        if (value)
            out.push_back(static_cast<std::uint32_t>(std::stoul(*value, nullptr, 16)));
    }
    for (std::uint32_t b = 0; b < 256; b += 5)
        for (std::uint32_t g = 0; g < 256; g += 3)
            for (std::uint32_t r = 0; r < 256; r += 5)
                out.push_back(r | (g << 8) | (b << 16));
    return out;
}

TEST(LabelContrast, EveryOfferedChannelColourGetsReadableText) {
    double worst = 21.0;
    for (const std::uint32_t fill : offeredColours()) {
        const double ratio = ContrastRatio(ReadableLabelColour(fill), fill);
        if (ratio < worst)
            worst = ratio;
        ASSERT_GE(ratio, kMinLabelContrast) << std::hex << fill;
    }
    EXPECT_LT(worst, 5.0); // the sweep reached the hard middle greys
}

TEST(LabelContrast, KeepsTheRotatedColourWhereItReads) {
    // Green rotates to blue, which reads on it: the usual look stays.
    EXPECT_EQ(ReadableLabelColour(0x0000FF00), 0x00FF0000u);
    // Yellow rotates to cyan, too close: black instead; blue rotates to red: white.
    EXPECT_EQ(ReadableLabelColour(0x0000FFFF), 0x00000000u);
    EXPECT_EQ(ReadableLabelColour(0x00FF0000), 0x00FFFFFFu);
}

} // namespace
} // namespace wavix
