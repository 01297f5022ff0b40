#include "scopetestsupport.h"

#include "core/scope/scopedata.h"
#include "core/support/bytes.h"
#include "core/support/messages.h"
#include "ui/scope/cscope.h"

#include "core/display/labelcontrast.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace wavix {
namespace {

using test::ColourNear;
using test::IsColour;
using test::MakeChannel;

class ScopeView : public ::testing::Test {
protected:
    ScopeView() {
        scope.resize(600, 400);
        scope.SetMessageTarget(&target);
    }

    // A channel of constant counts on range 2, 1 ms/div (2 000 samples).
    CChannelData& Flat(int number, double counts, int step = 4) {
        const double scale = RangeVoltPerDiv(2) * 3.0 * RangeCorrection(2) / 512.0;
        channels.push_back(MakeChannel(number, 2, step, [=](double) { return counts * scale; }));
        CChannelData& ch = *channels.back();
        for (auto& s : ch.WritableSamples(ch.GetCapacity()))
            s = static_cast<std::int32_t>(counts);
        return ch;
    }

    std::vector<PostedMessage> Scope(std::intptr_t lParamFilter = -1) const {
        std::vector<PostedMessage> out;
        for (const auto& m : target.messages)
            if (m.msg == Msg::UWM_SCOPE && (lParamFilter < 0 || m.lParam == lParamFilter))
                out.push_back(m);
        return out;
    }

    QPoint At(Point p) const { return QPoint(p.x, p.y); }

    struct AppFirst {
        AppFirst() { test::app(); }
    } appFirst; // a widget needs the application object before it
    CRecordingTarget target;
    std::vector<std::unique_ptr<CChannelData>> channels;
    CScope scope;
};

TEST_F(ScopeView, ChannelListsAndUpdateData) {
    EXPECT_EQ(scope.UpdateData(), 2);
    EXPECT_FALSE(scope.HasData());
    CChannelData& ch = Flat(1, 100);
    for (int i = 0; i < CScope::kMaxTraces; ++i)
        EXPECT_EQ(scope.AddChannel(&ch), 1);
    EXPECT_EQ(scope.AddChannel(&ch), -3);
    EXPECT_EQ(scope.AddReference(&ch), 1);
    EXPECT_EQ(scope.UpdateData(), 1);
    EXPECT_EQ(scope.SampleCount(), 2000);
    // Buffers hold the samples shown, not the largest capture.
    EXPECT_EQ(scope.LiveBuffer(8).size(), 2000u);
    EXPECT_FLOAT_EQ(scope.LiveBuffer(0)[10], 611.5f);
    EXPECT_EQ(ch.GetVerticalDivisions(), 6);

    scope.ClearChannels();
    EXPECT_EQ(scope.LiveCount(), 0);
    EXPECT_EQ(scope.SampleCount(), 0);
    EXPECT_TRUE(scope.LiveBuffer(0).empty());
    EXPECT_EQ(scope.UpdateData(), 2);
}

TEST_F(ScopeView, LoadedChartIsDashedPaleUndrawnWithoutSamplesAndNamedInTheLegend) {
    CChannelData& live = Flat(1, 0);
    // Channel 1 of a chart taken at twice the sample rate: it covers the middle half only.
    const double volts = 150.0 * RangeVoltPerDiv(2) * 3.0 * RangeCorrection(2) / 512.0; // 150 counts up
    channels.push_back(MakeChannel(
        1, 2, 4, [=](double) { return volts; }, 1, TimeBaseDivider(4) / 2));
    CChannelData& ref = *channels.back();
    scope.AddChannel(&live);
    scope.AddReference(&ref, "Octavia");
    scope.SetLegendWord("živě");
    ASSERT_EQ(scope.UpdateData(), 1);
    const std::uint32_t pale = LoadedTraceColour(ref.GetColor(), scope.GetBackgroundColour());
    EXPECT_EQ(scope.LegendRows(),
              (std::vector<LegendRow>{{"CH1 živě", live.GetColor(), false}, {"CH1 Octavia", pale, true}}));

    const QImage img = scope.Render(scope.size());
    test::shoot(img, "charts_half_span.png");
    const HorizontalMap hm = scope.CurrentHorizontalMap();
    const Rect plot = scope.CurrentLayout().plot;
    const auto columnsWith = [&](int from, int to) {
        int n = 0;
        for (int x = from; x < to; ++x)
            n += test::CountColour(img, QRect(x, plot.top, 1, plot.Height()), pale) > 0 ? 1 : 0;
        return n;
    };
    // No flat line where the chart has no samples.
    EXPECT_EQ(columnsWith(plot.left + 2, hm.X(500) - 2), 0);
    EXPECT_EQ(columnsWith(hm.X(1500) + 2, plot.right - 120), 0); // the legend sits top right
    // Dashed: drawn over most of its span, but not all of it.
    const int from = hm.X(520), to = hm.X(1480);
    const int drawn = columnsWith(from, to);
    EXPECT_GT(drawn, (to - from) / 2);
    EXPECT_LT(drawn, (to - from) * 3 / 4);

    scope.ClearReferences();
    EXPECT_TRUE(scope.LegendRows().empty());
}

TEST_F(ScopeView, HalfModeHalvesDivisionsKeepsTheLevelAndRestores) {
    CChannelData& ch = Flat(1, 200);
    scope.AddChannel(&ch);
    scope.UpdateData();
    scope.SetTriggerLevel(0, 1023, 700);
    const std::vector<float> before(scope.LiveBuffer(0).begin(), scope.LiveBuffer(0).end());
    scope.ToggleHalfMode();
    EXPECT_EQ(scope.GetVerticalDivisions(), 3);
    EXPECT_TRUE(ch.IsHalfMode());
    EXPECT_FLOAT_EQ(scope.LiveBuffer(0)[0], 400.0f);
    EXPECT_EQ(scope.GetTriggerLevel(0, 1023), 700);
    scope.ToggleHalfMode();
    EXPECT_EQ(scope.GetVerticalDivisions(), 6);
    EXPECT_EQ(std::vector<float>(scope.LiveBuffer(0).begin(), scope.LiveBuffer(0).end()), before);
    EXPECT_EQ(scope.GetTriggerLevel(0, 1023), 700);
}

TEST_F(ScopeView, GridAxesAndFrameLandOnTheirPixels) {
    scope.SetGridColour(0x00B4B4B4);
    const QImage img = scope.Render(scope.size());
    const ScopeLayout l = scope.CurrentLayout();
    const int x = GridColumns(l.plot, 10).front();
    const int dot = DotPositions(l.plot.top, l.plot.bottom)[3];
    EXPECT_TRUE(IsColour(img, x, dot, 0x00B4B4B4));
    EXPECT_TRUE(IsColour(img, x, dot + 2, 0x00000000)); // between two dots
    EXPECT_TRUE(IsColour(img, l.plot.left + l.plot.Width() / 2, l.plot.top + 5, 0x00B4B4B4)); // vertical axis
    EXPECT_TRUE(IsColour(img, l.plot.left - 1, l.plot.top + 50, 0x00B4B4B4));                 // frame

    scope.SetHighlightFrame(true);
    const QImage hi = scope.Render(scope.size());
    EXPECT_EQ(scope.GetHighlightColour(), 0x00B4B404u);
    EXPECT_TRUE(IsColour(hi, l.plot.left - 1, l.plot.top + 50, 0x00B4B404));
}

TEST_F(ScopeView, FewSamplesAreJoinedSampleToSample) {
    CChannelData& ch = Flat(1, 0);
    auto s = ch.WritableSamples(2000);
    for (int i = 0; i < 2000; ++i)
        s[i] = (i % 200) - 100; // a saw tooth
    scope.resize(528, 400);
    scope.AddChannel(&ch);
    scope.UpdateData();
    scope.SetLabelsShown(false);
    scope.Zoom().ZoomToRange({10, 0}, {110, 0}); // 400 samples on a wider plot
    const QImage img = scope.Render(scope.size());
    const HorizontalMap hm = scope.CurrentHorizontalMap();
    const VerticalMap vm = scope.CurrentVerticalMap();
    ASSERT_EQ(hm.span, 400);
    for (int i : {10, 150, 399})
        EXPECT_TRUE(ColourNear(img, hm.X(i), vm.Y(scope.LiveBuffer(0)[i]), ch.GetColor(), 0)) << i;
}

// A short group leaves the start of the capture without samples: nothing is drawn
// there, reduced to columns or joined sample to sample.
TEST_F(ScopeView, AbsentStartOfACaptureIsNotDrawn) {
    CScopeData data;
    ASSERT_EQ(data.AcceptSettings(DefaultOscilExchange()), AcceptResult::Accepted);
    Packet p{allocatePacketBuffer(), kPacketHeaderSize + 2 * 1000};
    for (std::size_t i = 0; i < 1000; ++i)
        writeBE16(p.data.get() + kPacketHeaderSize + 2 * i, 512);
    ASSERT_EQ(data.AddPacket(std::move(p.data), p.size), 0);
    ASSERT_EQ(data.ParseData(), 0);
    CChannelData& ch = data.GetChannel(1);
    ASSERT_EQ(ch.GetAbsentCount(), 1000u);
    scope.AddChannel(&ch);
    scope.UpdateData();
    scope.SetLabelsShown(false);
    for (const bool zoomed : {false, true}) {
        if (zoomed)
            scope.Zoom().ZoomToRange({900, 0}, {1100, 0}); // fewer samples than columns
        const HorizontalMap hm = scope.CurrentHorizontalMap();
        const Rect plot = scope.CurrentLayout().plot;
        const QImage img = scope.Render(scope.size());
        const int boundary = hm.X(1000);
        const QRect absent(plot.left + 2, plot.top, boundary - plot.left - 4, plot.Height());
        const QRect present(boundary + 2, plot.top, plot.right - boundary - 4, plot.Height());
        EXPECT_EQ(test::CountColour(img, absent, ch.GetColor()), 0) << zoomed;
        EXPECT_GT(test::CountColour(img, present, ch.GetColor()), present.width() / 2) << zoomed;
    }
}

TEST_F(ScopeView, LabelsFillWithTheChannelColourAndTextReadsOnIt) {
    CChannelData& ch = Flat(1, 0);
    scope.AddChannel(&ch);
    // The default, a data-tree colour whose rotation reads, and the orange and
    // green whose rotations did not.
    for (const std::uint32_t colour : {ch.GetColor(), 0x00249339u, 0x000080FFu, 0x0000FF00u}) {
        ch.SetColor(colour);
        scope.UpdateData();
        const QImage img = scope.Render(scope.size());
        const ScopeLayout l = scope.CurrentLayout();
        const std::uint32_t text = ReadableLabelColour(colour);
        for (const Rect& r : {VoltageLabelTop(l.plot, 0), VoltageLabelBottom(l.plot, 0),
                              TimeLabelLeft(l.plot, scope.CurrentVerticalMap()),
                              TimeLabelRight(l.plot, scope.CurrentVerticalMap())}) {
            EXPECT_TRUE(IsColour(img, r.left + 1, r.top + 1, colour)) << std::hex << colour;
            const QRect box(r.left, r.top, r.Width(), r.Height());
            EXPECT_GT(test::CountColour(img, box, text), 8) << std::hex << colour; // text is there
        }
    }
}

TEST_F(ScopeView, LabelsStayAboveEveryTrace) {
    // Channel 2 runs flat through the middle of channel 1's left time label.
    CChannelData& first = Flat(1, 0);
    scope.AddChannel(&first);
    scope.UpdateData();
    scope.Render(scope.size());
    const VerticalMap vm = scope.CurrentVerticalMap();
    const Rect box = TimeLabelLeft(scope.CurrentLayout().plot, vm);
    int counts = 0;
    while (counts < 512 && vm.Y(vm.mid + counts) > (box.top + box.bottom) / 2)
        ++counts;
    CChannelData& second = Flat(2, counts);
    constexpr std::uint32_t kMagenta = 0x00FF00FF;
    second.SetColor(kMagenta);
    scope.AddChannel(&second);
    scope.UpdateData();
    const QImage img = scope.Render(scope.size());
    const QRect inside(box.left, box.top, box.Width(), box.Height());
    EXPECT_EQ(test::CountColour(img, inside, kMagenta), 0);
    // The trace is there beside the label.
    EXPECT_TRUE(IsColour(img, box.right + 4, vm.Y(vm.mid + counts), kMagenta));
}

TEST_F(ScopeView, TimerTickRepaintsFromTheCachedImage) {
    CChannelData& ch = Flat(1, 0);
    scope.AddChannel(&ch);
    scope.UpdateData();
    scope.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scope));
    scope.repaint();
    const auto renders = scope.RenderCount();
    scope.repaint();
    scope.repaint();
    EXPECT_EQ(scope.RenderCount(), renders);
    scope.SetBackgroundColour(0x00202020);
    scope.repaint();
    EXPECT_EQ(scope.RenderCount(), renders + 1);
    EXPECT_TRUE(IsColour(scope.CachedImage(), 1, 1, 0x00202020));
}

TEST_F(ScopeView, ZoomSelectionAndCloseBoxNotify) {
    CChannelData& ch = Flat(1, 0);
    scope.AddChannel(&ch);
    scope.UpdateData();
    const Rect plot = scope.CurrentLayout().plot;
    const QPoint a(plot.left + 100, plot.top + 150), b(plot.left + 200, plot.top + 150);
    QTest::mousePress(&scope, Qt::LeftButton, {}, a);
    const auto zoomId = reinterpret_cast<std::intptr_t>(&scope.Zoom());
    const auto cursorsId = reinterpret_cast<std::intptr_t>(&scope.Cursors());
    const auto self = reinterpret_cast<std::intptr_t>(&scope);
    EXPECT_EQ(Scope(),
              (std::vector<PostedMessage>{{Msg::UWM_SCOPE, self, Encode(ViewNotice::Selected)},
                                          {Msg::UWM_SCOPE, zoomId, Encode(ViewNotice::ZoomInfo)},
                                          {Msg::UWM_SCOPE, cursorsId, Encode(ViewNotice::Measure)}}));
    target.clear();
    QTest::mouseMove(&scope, b);
    QTest::mouseRelease(&scope, Qt::LeftButton, {}, b);
    EXPECT_EQ(Scope(), (std::vector<PostedMessage>{{Msg::UWM_SCOPE, zoomId, Encode(ViewNotice::ZoomSelected)},
                                                   {Msg::UWM_SCOPE, zoomId, Encode(ViewNotice::ZoomInfo)},
                                                   {Msg::UWM_SCOPE, zoomId, Encode(ViewNotice::ZoomApply)}}));
    ASSERT_TRUE(scope.Zoom().IsZoomed());
    EXPECT_NEAR(scope.Zoom().Factor(), plot.Width() / 100.0, 1e-9);

    const QImage img = scope.Render(scope.size());
    const Rect box = scope.Zoom().CloseBox();
    EXPECT_TRUE(IsColour(img, box.left + 2, box.top + 2, CScopeZoom::kThumbHighlight)); // the X
    const Rect thumb = scope.Zoom().Thumb();
    EXPECT_TRUE(IsColour(img, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2,
                         CScopeZoom::kThumbColour));

    target.clear();
    QTest::mouseClick(&scope, Qt::LeftButton, {}, QPoint(box.left + 3, box.top + 3));
    EXPECT_EQ(Scope(Encode(ViewNotice::ZoomReset)).size(), 1u);
    EXPECT_FALSE(scope.Zoom().IsZoomed());
}

TEST_F(ScopeView, CursorDragNotifiesAndTakesPrecedenceOverZoom) {
    CChannelData& ch = Flat(1, 0);
    scope.AddChannel(&ch);
    scope.UpdateData();
    const Rect plot = scope.CurrentLayout().plot;
    const int y = plot.top + 100;
    const QPoint grab(scope.Cursors().LeftX(), y);
    QTest::mousePress(&scope, Qt::LeftButton, {}, grab);
    EXPECT_FALSE(scope.Zoom().IsSelecting());
    target.clear();
    QTest::mouseMove(&scope, QPoint(plot.left + plot.Width() / 2, y));
    EXPECT_EQ(Scope(Encode(ViewNotice::Measure)).size(), 1u);
    QTest::mouseRelease(&scope, Qt::LeftButton, {}, QPoint(plot.left + plot.Width() / 2, y));
    EXPECT_DOUBLE_EQ(scope.Cursors().Left(), 50.0);
    EXPECT_EQ(Scope(Encode(ViewNotice::Measure)).size(), 2u);
    EXPECT_TRUE(Scope(Encode(ViewNotice::ZoomSelected)).empty());
    const QImage img = scope.Render(scope.size());
    EXPECT_TRUE(IsColour(img, scope.Cursors().LeftX(), y, CMeasureCursors::kColour));
}

TEST_F(ScopeView, TriggerMarkersDragAndReportOnRelease) {
    CChannelData& ch = Flat(1, 0);
    scope.AddChannel(&ch);
    scope.UpdateData();
    scope.SetTriggerLevel(0, 1023, 511);
    ASSERT_TRUE(scope.TriggerLevel().IsVisible());
    const QImage img = scope.Render(scope.size());
    const Rect tri = scope.TriggerLevel().Triangle();
    EXPECT_TRUE(
        IsColour(img, tri.left + 6, scope.TriggerLevel().MarkerY(), CTriggerLevelMarker::kFillColour));

    const auto self = reinterpret_cast<std::intptr_t>(&scope);
    const Rect plot = scope.CurrentLayout().plot;
    const auto dragLevel = [&] {
        QTest::mousePress(&scope, Qt::LeftButton, {}, QPoint(tri.left + 4, scope.TriggerLevel().MarkerY()));
        QTest::mouseMove(&scope, QPoint(tri.left + 4, plot.top - 30));
        target.clear();
        QTest::mouseRelease(&scope, Qt::LeftButton, {}, QPoint(tri.left + 4, plot.top - 30));
    };
    // While a roll log is recorded the record must not change: the marker stays put.
    scope.SetRollRecording(true);
    dragLevel();
    EXPECT_TRUE(Scope(Encode(ViewNotice::TriggerLevel)).empty());
    EXPECT_EQ(scope.GetTriggerLevel(0, 1023), 511);
    scope.SetRollRecording(false);
    dragLevel();
    EXPECT_EQ(Scope(Encode(ViewNotice::TriggerLevel)),
              (std::vector<PostedMessage>{{Msg::UWM_SCOPE, self, Encode(ViewNotice::TriggerLevel)}}));
    EXPECT_EQ(scope.GetTriggerLevel(0, 1023), 1023);

    CTriggerPositionMarker& pos = scope.TriggerPosition();
    pos.SetRange(0, 2000);
    const int x = pos.MarkerX();
    QTest::mousePress(&scope, Qt::LeftButton, {}, QPoint(x, 5));
    QTest::mouseMove(&scope, QPoint(0, 5));
    QTest::mouseMove(&scope, QPoint(-400, 5));
    target.clear();
    QTest::mouseRelease(&scope, Qt::LeftButton, {}, QPoint(-400, 5));
    EXPECT_EQ(Scope(Encode(ViewNotice::TriggerPosition)),
              (std::vector<PostedMessage>{{Msg::UWM_SCOPE, self, Encode(ViewNotice::TriggerPosition)}}));
    EXPECT_EQ(pos.TriggerPositionValue(), 0u);
}

TEST_F(ScopeView, PushButtonsRightClickAndLogMarks) {
    CChannelData& ch = Flat(1, 0);
    scope.AddChannel(&ch);
    scope.UpdateData();
    scope.Button(1).SetVisible(true);
    const Rect b2 = scope.CurrentLayout().button2;
    QTest::mouseClick(&scope, Qt::LeftButton, {}, QPoint(b2.left + 5, b2.top + 5));
    EXPECT_EQ(Scope(Encode(ViewNotice::Button2)),
              (std::vector<PostedMessage>{{Msg::UWM_SCOPE, 0, Encode(ViewNotice::Button2)}}));
    EXPECT_TRUE(scope.Button(1).IsPressed());
    EXPECT_TRUE(IsColour(scope.Render(scope.size()), b2.left + 2, b2.top + 2, CButtonMarker::kPressedColour));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !scope.Button(1).IsPressed(); }, 3000));

    target.clear();
    QTest::mouseClick(&scope, Qt::RightButton, {}, QPoint(50, 60));
    ASSERT_EQ(target.messages.size(), 1u);
    EXPECT_EQ(target.messages[0].msg, Msg::UWM_SCOPE_RBUTTON);
    const QPoint g = scope.mapToGlobal(QPoint(50, 60));
    EXPECT_EQ(target.messages[0].lParam, (g.x() & 0xFFFF) | ((g.y() & 0xFFFF) << 16));

    // Marks strictly inside the window are drawn at their share of the width,
    // numbered at the foot, clear of the voltage labels at the top.
    scope.SetLogMarks({{1, 500, 1}, {2, 0, 1}});
    const QImage img = scope.Render(scope.size());
    const Rect plot = scope.CurrentLayout().plot;
    const int x = plot.left + plot.Width() * 500 / 2000;
    EXPECT_TRUE(IsColour(img, x + 6, plot.bottom - 5, 0x0000D7FF));
    EXPECT_FALSE(ColourNear(img, x + 6, plot.top + 3, 0x0000D7FF, 2));
    EXPECT_FALSE(ColourNear(img, plot.left + 6, plot.bottom - 5, 0x0000D7FF, 2));

    // A window crowded with marks still paints in a moment (each drawn alone took seconds).
    std::vector<DisplayMark> crowd;
    for (int k = 0; k < 200000; ++k)
        crowd.push_back({k + 1, 1 + k / 101, 1 + k % 2});
    scope.SetLogMarks(std::move(crowd));
    QElapsedTimer clock;
    clock.start();
    const QImage crowded = scope.Render(scope.size());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(ColourNear(crowded, plot.left + plot.Width() / 2, plot.bottom - 2, 0x0000D7FF, 60) ||
                ColourNear(crowded, plot.left + plot.Width() / 2, plot.bottom - 2, 0x00FFBF00, 60));
}

} // namespace
} // namespace wavix
