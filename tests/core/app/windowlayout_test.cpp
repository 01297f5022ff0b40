// The main window's regions and view bands, without widgets.

#include "core/app/windowlayout.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

constexpr Rect kClient{0, 0, 1000, 700};

TEST(MainRegions, StripsStackFromTheBottomAndHiddenOnesGiveTheirHeightToTheViews) {
    const MainRegions both = ComputeMainRegions(kClient, true, true);
    EXPECT_EQ(both.toolbar, (Rect{0, 620, 1000, 700}));
    EXPECT_EQ(both.settings, (Rect{0, 530, 1000, 620}));
    EXPECT_EQ(both.views, (Rect{0, 0, 1000, 530}));

    const MainRegions noToolbar = ComputeMainRegions(kClient, false, true);
    EXPECT_TRUE(noToolbar.toolbar.IsEmpty());
    EXPECT_EQ(noToolbar.settings, (Rect{0, 610, 1000, 700}));
    EXPECT_EQ(noToolbar.views.Height(), both.views.Height() + kToolbarHeight);

    const MainRegions noSettings = ComputeMainRegions(kClient, true, false);
    EXPECT_TRUE(noSettings.settings.IsEmpty());
    EXPECT_EQ(noSettings.views.Height(), both.views.Height() + kSettingsStripHeight);

    EXPECT_EQ(ComputeMainRegions(kClient, false, false).views, kClient);
}

TEST(MainRegions, AClientTooLowForTheStripsLeavesNoNegativeRectangles) {
    const MainRegions r = ComputeMainRegions(Rect{0, 10, 300, 110}, true, true);
    EXPECT_EQ(r.toolbar, (Rect{0, 30, 300, 110}));
    EXPECT_EQ(r.settings, (Rect{0, 10, 300, 30}));
    EXPECT_TRUE(r.views.IsEmpty());
    EXPECT_GE(r.views.Height(), 0);
    const MainRegions inverted = ComputeMainRegions(Rect{0, 50, 300, 20}, true, true);
    EXPECT_GE(inverted.toolbar.Height(), 0);
    EXPECT_GE(inverted.views.Height(), 0);
}

TEST(ViewArrangement, SingleViewFillsTheAreaAndTheOthersAreEmpty) {
    const Rect area{2, 2, 998, 530};
    const auto bands = ArrangeViews(area, false, 4);
    EXPECT_EQ(bands[0], area);
    for (int i = 1; i < kViewCount; ++i)
        EXPECT_TRUE(bands[static_cast<std::size_t>(i)].IsEmpty()) << i;
}

TEST(ViewArrangement, MultiViewStacksEqualBandsFromTheTopWithoutGaps) {
    const Rect area{0, 100, 800, 500};
    const auto two = ArrangeViews(area, true, 2);
    EXPECT_EQ(two[0], (Rect{0, 100, 800, 300}));
    EXPECT_EQ(two[1], (Rect{0, 300, 800, 500}));
    EXPECT_TRUE(two[2].IsEmpty());
    EXPECT_TRUE(two[3].IsEmpty());

    // 401 rows in three bands: they touch, cover the area and differ by a row at most.
    const Rect odd{0, 0, 10, 401};
    const auto three = ArrangeViews(odd, true, 3);
    EXPECT_EQ(three[0].top, 0);
    EXPECT_EQ(three[0].bottom, three[1].top);
    EXPECT_EQ(three[1].bottom, three[2].top);
    EXPECT_EQ(three[2].bottom, 401);
    EXPECT_LE(three[2].Height() - three[0].Height(), 1);

    // A count of 0 counts as one band; more than four as four.
    EXPECT_EQ(ArrangeViews(area, true, 0)[0], area);
    EXPECT_EQ(ArrangeViews(area, true, 9)[3], (Rect{0, 400, 800, 500}));
}

} // namespace
} // namespace wavix
