#include "core/display/buttonmarker.h"
#include "core/display/measurecursors.h"
#include "core/display/scopezoom.h"
#include "core/display/triggerlevelmarker.h"
#include "core/display/triggerpositionmarker.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

const Rect kPlot{10, 16, 510, 316}; // 500 x 300
const Rect kBar{11, 319, 509, 327};

CScopeZoom ZoomOn() {
    CScopeZoom z;
    z.SetGeometry(kPlot, kBar);
    return z;
}

void Select(CScopeZoom& z, int x1, int x2) {
    ASSERT_EQ(z.MouseDown({x1, 100}), CScopeZoom::Press::Selection);
    z.MouseMove({x2, 120});
    EXPECT_TRUE(z.MouseUp({x2, 120}));
}

TEST(ScopeZoomSelection, FactorWindowAndCap) {
    struct Case {
        int x1, x2;
        double factor, start, end;
    };
    for (const Case& c : {
             Case{110, 120, 50.0, 20.0, 22.0}, // 10 of 500 pixels
             Case{260, 10, 2.0, 0.0, 50.0},    // dragged leftwards
             Case{112, 116, 1.0, 0.0, 100.0},  // under 5 pixels: ignored
             Case{35, -50, 20.0, 0.0, 5.0},    // released left of the plot
         }) {
        CScopeZoom z = ZoomOn();
        Select(z, c.x1, c.x2);
        EXPECT_DOUBLE_EQ(z.Factor(), c.factor) << c.x1 << ".." << c.x2;
        EXPECT_NEAR(z.Start(), c.start, 1e-9);
        EXPECT_NEAR(z.End(), c.end, 1e-9);
    }
}

TEST(ScopeZoomSelection, CappedFactorKeepsTheWindowInsideTheTrace) {
    CScopeZoom z;
    const Rect wide{0, 0, 1000, 300};
    z.SetGeometry(wide, {});
    z.ZoomToRange({995, 10}, {1000, 10}); // 5 of 1000 pixels wants 200x
    EXPECT_DOUBLE_EQ(z.Factor(), CScopeZoom::kMaxFactor);
    EXPECT_LE(z.End(), 100.0);
    EXPECT_NEAR(z.End() - z.Start(), 1.0, 1e-9);
    EXPECT_EQ(z.LastVisible(614400), 614400);
    EXPECT_EQ(z.FirstVisible(614400), 608256);
}

TEST(ScopeZoomWheel, ZoomsAboutThePointerAndMovesAlongTheTrace) {
    // Where the pointer is, in percent of the trace, before and after a notch in.
    struct Case {
        int x;
        double startBefore; // a 2x zoom from here, or 0 for none
    };
    for (const Case c :
         {Case{10, 0}, Case{135, 0}, Case{260, 0}, Case{510, 0}, Case{400, 30}, Case{20, 50}}) {
        CScopeZoom z = ZoomOn();
        if (c.startBefore > 0)
            z.ZoomToRange({10 + static_cast<int>(c.startBefore * 5), 0},
                          {10 + static_cast<int>(c.startBefore * 5) + 250, 0});
        const double at = (c.x - kPlot.left) / 500.0;
        const double under = z.Start() + at * (z.End() - z.Start());
        ASSERT_TRUE(z.WheelZoom(c.x, 1.0)) << c.x;
        EXPECT_NEAR(z.Start() + at * (z.End() - z.Start()), under, 1e-9) << c.x;
        EXPECT_NEAR(z.End() - z.Start(), 100.0 / z.Factor(), 1e-9);
        EXPECT_GE(z.Start(), 0.0);
        EXPECT_LE(z.End(), 100.0 + 1e-9);
    }
    CScopeZoom z = ZoomOn();
    EXPECT_FALSE(z.WheelZoom(200, -1.0)); // not zoomed: out does nothing
    EXPECT_FALSE(z.WheelScroll(1.0));
    ASSERT_TRUE(z.WheelZoom(200, 40.0)); // capped
    EXPECT_DOUBLE_EQ(z.Factor(), CScopeZoom::kMaxFactor);
    EXPECT_FALSE(z.WheelZoom(200, 1.0));
    // Shift: a tenth of the window per notch, stopping at the ends.
    z.Reset();
    ASSERT_TRUE(z.WheelZoom(kPlot.left, 3.0)); // window at the start
    const double window = z.End() - z.Start();
    EXPECT_FALSE(z.WheelScroll(-1.0));
    ASSERT_TRUE(z.WheelScroll(2.0));
    EXPECT_NEAR(z.Start(), window / 5, 1e-9);
    ASSERT_TRUE(z.WheelScroll(1000.0));
    EXPECT_NEAR(z.End(), 100.0, 1e-9);
    // Out again all the way ends the zoom; nothing happens while a selection runs.
    ASSERT_TRUE(z.WheelZoom(300, -100.0));
    EXPECT_FALSE(z.IsZoomed());
    EXPECT_DOUBLE_EQ(z.End(), 100.0);
    ASSERT_EQ(z.MouseDown({100, 100}), CScopeZoom::Press::Selection);
    EXPECT_FALSE(z.WheelZoom(100, 1.0));
}

TEST(ScopeZoomBar, ScrollsWithinTheTraceAndResetsFromTheCloseBox) {
    CScopeZoom z = ZoomOn();
    EXPECT_EQ(z.FirstVisible(1000), 0);
    EXPECT_EQ(z.LastVisible(1000), 1000);
    Select(z, 10, 260); // 2x
    const Rect thumb = z.Thumb();
    EXPECT_LE(thumb.right, kBar.right - 2);
    const Point grab{thumb.left + 3, kBar.top + 2};
    ASSERT_EQ(z.MouseDown(grab), CScopeZoom::Press::BarDrag);
    EXPECT_TRUE(z.MouseMove({grab.x + 2000, grab.y}));
    EXPECT_TRUE(z.MouseUp({grab.x + 2000, grab.y}));
    EXPECT_DOUBLE_EQ(z.Start(), 50.0);
    EXPECT_DOUBLE_EQ(z.End(), 100.0);
    EXPECT_EQ(z.FirstVisible(1000), 500);

    // While zoomed a press in the plot starts nothing; the close box resets.
    EXPECT_EQ(z.MouseDown({100, 100}), CScopeZoom::Press::None);
    const Rect box = z.CloseBox();
    EXPECT_EQ(box, (Rect{490, 21, 505, 36}));
    EXPECT_EQ(z.MouseDown({box.left + 1, box.top + 1}), CScopeZoom::Press::Reset);
    EXPECT_FALSE(z.IsZoomed());
    EXPECT_DOUBLE_EQ(z.End(), 100.0);
}

TEST(MeasureCursorsDrag, GrabsTheNearerCursorAndStaysOnThePlot) {
    CMeasureCursors m;
    m.SetPlot(kPlot);
    EXPECT_EQ(m.LeftX(), 135);
    EXPECT_EQ(m.RightX(), 385);
    EXPECT_FALSE(m.MouseDown({135, kPlot.top - 1})); // above the plot
    EXPECT_FALSE(m.MouseDown({250, 100}));           // between them
    ASSERT_TRUE(m.MouseDown({143, 100}));            // within 10 pixels of the left one
    EXPECT_TRUE(m.MouseMove({60, 100}));
    EXPECT_DOUBLE_EQ(m.Left(), 10.0);
    EXPECT_TRUE(m.MouseMove({-300, 100}));
    EXPECT_DOUBLE_EQ(m.Left(), 0.0);
    EXPECT_TRUE(m.MouseUp({-300, 100}));
    EXPECT_FALSE(m.MouseUp({0, 0}));
    ASSERT_TRUE(m.MouseDown({380, 100}));
    m.MouseMove({2000, 100});
    EXPECT_DOUBLE_EQ(m.Right(), 100.0);
    EXPECT_EQ(m.RightX(), kPlot.right - 1);

    EXPECT_TRUE(m.Disable());
    EXPECT_FALSE(m.MouseDown({m.LeftX(), 100}));
    EXPECT_FALSE(m.Enable());

    CMeasureCursors flat;
    flat.SetPlot({10, 0, 10, 100});
    EXPECT_FALSE(flat.MouseDown({10, 50})); // zero width plot grabs nothing
}

TEST(TriggerLevel, LevelAndPositionRoundTrip) {
    struct Case {
        bool doubled, half;
    };
    for (const Case& c : {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
        CTriggerLevelMarker t;
        t.SetPlot(kPlot);
        t.SetDoubled(c.doubled);
        t.SetHalfMode(c.half);
        for (int level : {600, 700, 1023}) {
            t.SetTriggerLevel(0, 1023, level);
            EXPECT_EQ(t.GetTriggerLevel(0, 1023), level) << c.doubled << c.half;
        }
    }
    CTriggerLevelMarker t;
    t.SetPosition(0.0);
    EXPECT_EQ(t.GetTriggerLevel(0, 1023), 1023);
    t.SetPosition(100.0);
    EXPECT_EQ(t.GetTriggerLevel(0, 1023), 0);
    t.SetTriggerLevel(5, 5, 5); // empty span
    EXPECT_DOUBLE_EQ(t.Position(), 100.0);

    // Range 0 counts are doubled: a level a quarter span above the centre is drawn half a span up.
    t.SetDoubled(true);
    t.SetTriggerLevel(0, 1000, 750);
    EXPECT_DOUBLE_EQ(t.Position(), 0.0);
    t.SetHalfMode(true);
    t.SetTriggerLevel(0, 1000, 750);
    EXPECT_DOUBLE_EQ(t.Position(), 0.0);
}

TEST(TriggerLevel, DragIsClampedAndNeverDividesByAZeroHeight) {
    CTriggerLevelMarker t;
    t.SetPlot(kPlot);
    t.SetVisible(true);
    const Rect tri = t.Triangle();
    EXPECT_EQ(tri.left, kPlot.right + 3);
    EXPECT_EQ(t.MarkerY(), 166);
    ASSERT_TRUE(t.MouseDown({tri.left + 2, t.MarkerY()}));
    EXPECT_TRUE(t.MouseMove({0, -500}));
    EXPECT_DOUBLE_EQ(t.Position(), 0.0);
    EXPECT_TRUE(t.MouseMove({0, 5000}));
    EXPECT_DOUBLE_EQ(t.Position(), 100.0);
    EXPECT_TRUE(t.MouseUp({0, 0}));

    CTriggerLevelMarker flat;
    flat.SetPlot({10, 50, 500, 50});
    flat.SetVisible(true);
    ASSERT_TRUE(flat.MouseDown({503, 50}));
    EXPECT_FALSE(flat.MouseMove({503, 80}));
    EXPECT_DOUBLE_EQ(flat.Position(), 50.0);

    CTriggerLevelMarker hidden;
    hidden.SetPlot(kPlot);
    EXPECT_FALSE(hidden.MouseDown({tri.left + 2, 166}));
}

TEST(TriggerPosition, DragStaysOnItsTrackSoTheValueNeverWraps) {
    CTriggerPositionMarker m;
    m.SetGeometry({0, 0, 528, 12}, kPlot);
    m.SetRange(0, 2000);
    EXPECT_EQ(m.Track(), (Rect{8, 2, 510, 11}));
    EXPECT_EQ(m.TriggerPositionValue(), 1000u);
    const int x = m.MarkerX();
    EXPECT_EQ(x, 260);
    ASSERT_TRUE(m.MouseDown({x, 5}));
    EXPECT_TRUE(m.MouseMove({x - 5000, 5}));
    EXPECT_DOUBLE_EQ(m.Position(), 0.0);
    EXPECT_EQ(m.TriggerPositionValue(), 0u);
    EXPECT_TRUE(m.MouseMove({x - 4900, 5}));
    EXPECT_DOUBLE_EQ(m.Position(), 20.0);
    EXPECT_TRUE(m.MouseMove({x + 9000, 5}));
    EXPECT_EQ(m.TriggerPositionValue(), 2000u);
    EXPECT_TRUE(m.MouseUp({0, 0}));

    m.SetPosition(-3.0);
    EXPECT_EQ(m.TriggerPositionValue(), 0u);
    m.Lock(true);
    EXPECT_FALSE(m.MouseDown({m.MarkerX(), 5}));
}

TEST(TriggerPosition, ZoomedTrackShowsTheVisibleWindowOnly) {
    CTriggerPositionMarker m;
    m.SetGeometry({0, 0, 528, 12}, kPlot);
    m.SetRange(0, 1000);
    CScopeZoom z = ZoomOn();
    z.ZoomToRange({10, 0}, {135, 0}); // 4x, window 0..25 %
    m.SetVisibleWindow(z);
    EXPECT_EQ(m.CurrentShape(), CTriggerPositionMarker::Shape::RightIndicator);
    m.SetPosition(12.5);
    EXPECT_EQ(m.CurrentShape(), CTriggerPositionMarker::Shape::Marker);
    EXPECT_EQ(m.MarkerX(), 260);
    // One pixel of drag is worth a quarter as much while showing a quarter of the trace.
    ASSERT_TRUE(m.MouseDown({260, 5}));
    m.MouseMove({360, 5});
    EXPECT_DOUBLE_EQ(m.Position(), 17.5);
    z.Reset();
    m.SetVisibleWindow(z);
    EXPECT_FALSE(m.IsZoomed());
    EXPECT_EQ(m.MarkerX(), 98);
}

TEST(PushButton, PressesOnlyWhenShownAndHit) {
    CButtonMarker b;
    b.SetRect({100, 100, 180, 125});
    EXPECT_FALSE(b.MouseDown({120, 110}));
    b.SetVisible(true);
    EXPECT_FALSE(b.MouseDown({180, 110}));
    EXPECT_TRUE(b.MouseDown({179, 124}));
    EXPECT_EQ(b.FaceColour(), CButtonMarker::kPressedColour);
    b.Release();
    EXPECT_EQ(b.FaceColour(), CButtonMarker::kNormalColour);
}

} // namespace
} // namespace wavix
