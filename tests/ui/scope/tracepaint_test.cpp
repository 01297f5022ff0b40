// The column traces written straight into the image must put exactly the
// pixels of the plain rule: per column a span from maximum to minimum (envelope),
// and a step to the previous column split between the two, each trace over the
// ones before it. The rule is painted here one span at a time onto a render with
// the traces hidden and compared with the display's own render, pixel for pixel.

#include "scopetestsupport.h"

#include "core/display/columnreduce.h"
#include "core/display/comparison.h"
#include "ui/scope/cscope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace wavix {
namespace {

struct Variant {
    const char* name;
    qreal dpr;
    bool half;
    bool zoomed;
};

class TracePixels : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override {
        test::app();
        scope_ = std::make_unique<CScope>();
        scope_->resize(720, 430);
        scope_->SetLabelsShown(false);
        scope_->SetTriggerMarkerShown(false);
        // Workshop signals plus a fast, noisy one whose envelope spans most of the height.
        channels_.push_back(test::MakeChannel(1, 4, 6, test::CrankVolts));
        channels_.push_back(test::MakeChannel(2, 8, 6, test::IgnitionVolts));
        channels_.push_back(test::MakeChannel(3, 6, 6, test::InjectorVolts));
        channels_.push_back(test::MakeChannel(4, 1, 6, [](double t) {
            return 0.9 * std::sin(2 * M_PI * 2300.0 * t) + 0.4 * std::sin(2 * M_PI * 9100.0 * t);
        }));
        for (auto& c : channels_)
            scope_->AddChannel(c.get());
        scope_->UpdateData();
        // A stored trace underneath the live ones.
        ref_ = test::MakeChannel(1, 4, 6, test::LambdaVolts);
        ref_->SetColor(0x0000FFFF);
        std::vector<std::int16_t> values(ref_->GetSampleCount());
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = static_cast<std::int16_t>(ref_->GetSample(static_cast<std::uint32_t>(i)) * 3 / 4);
        scope_->AddReferenceData(0, values, ref_.get());
    }

    void SetShown(bool on) {
        ref_->SetShown(on);
        for (auto& c : channels_)
            c->SetShown(on);
    }

    // The plain rule, one span call per piece, in the display's drawing order.
    void PaintByRule(QImage& img, DrawStyle style) const {
        const HorizontalMap hm = scope_->CurrentHorizontalMap();
        const VerticalMap vm = scope_->CurrentVerticalMap();
        const Rect clip = scope_->CurrentLayout().plot.Inflated(1);
        const qreal dpr = img.devicePixelRatio();
        QRgb colour = 0;
        bool dashed = false;
        auto span = [&](int x, int y0, int y1) {
            if (dashed && !LoadedDashColumn(x - hm.left))
                return;
            if (y0 > y1)
                std::swap(y0, y1);
            const int l = std::max(std::max(0, static_cast<int>(clip.left * dpr)), static_cast<int>(x * dpr));
            const int r = std::min(std::min(img.width(), static_cast<int>(clip.right * dpr)),
                                   static_cast<int>((x + 1) * dpr));
            const int t = std::max(std::max(0, static_cast<int>(clip.top * dpr)), static_cast<int>(y0 * dpr));
            const int b = std::min(std::min(img.height(), static_cast<int>(clip.bottom * dpr)),
                                   static_cast<int>((y1 + 1) * dpr));
            for (int y = t; y < b; ++y)
                for (int px = l; px < r; ++px)
                    img.setPixel(px, y, colour);
        };
        auto trace = [&](std::span<const float> buffer, std::uint32_t c, bool loaded) {
            colour = ToQColor(c).rgb();
            dashed = loaded;
            std::vector<ColumnStats> cols;
            ReduceColumns(buffer, hm.first, hm.first + hm.span, hm.width, 0.0f, 1023.0f, cols);
            const bool envelope = style == DrawStyle::Envelope;
            bool havePrevious = false;
            int previous = 0;
            for (std::size_t k = 0; k < cols.size(); ++k) {
                const ColumnStats& s = cols[k];
                if (s.count == 0)
                    continue;
                const int x = hm.left + static_cast<int>(k);
                const int y = vm.Y(ColumnValue(s, envelope ? DrawStyle::Average : style));
                if (envelope)
                    span(x, vm.Y(s.max), vm.Y(s.min));
                if (havePrevious && std::abs(y - previous) > 1) {
                    const int mid = (previous + y) / 2;
                    span(x - 1, previous, mid);
                    span(x, mid, y);
                } else {
                    span(x, y, y);
                }
                previous = y;
                havePrevious = true;
            }
        };
        // A stored trace is paler and dashed.
        trace(scope_->ReferenceBuffer(0), LoadedTraceColour(ref_->GetColor(), scope_->GetBackgroundColour()),
              true);
        for (int k = 0; k < scope_->LiveCount(); ++k)
            trace(scope_->LiveBuffer(k), channels_[static_cast<std::size_t>(k)]->GetColor(), false);
    }

    std::unique_ptr<CScope> scope_;
    std::vector<std::unique_ptr<CChannelData>> channels_;
    std::unique_ptr<CChannelData> ref_;
};

TEST_P(TracePixels, EveryStyleMatchesTheSpanRule) {
    const Variant& v = GetParam();
    scope_->SetHalfMode(v.half);
    if (v.zoomed) {
        const Rect plot = scope_->CurrentLayout().plot;
        scope_->Zoom().ZoomToRange({plot.left + 100, plot.top + 10}, {plot.left + 400, plot.top + 10});
        ASSERT_TRUE(scope_->Zoom().IsZoomed());
    }
    ASSERT_FALSE(DrawsSampleLines(scope_->CurrentHorizontalMap().first,
                                  scope_->CurrentHorizontalMap().first + scope_->CurrentHorizontalMap().span,
                                  scope_->CurrentLayout().plot.Width()));
    // The zoom's close box and factor are drawn over the traces; their rows are left out.
    const Rect box = scope_->Zoom().CloseBox();
    for (int code : {3025, 3026, 3027, 3028}) {
        scope_->SetDrawStyle(code);
        SetShown(false);
        QImage expected = scope_->Render(scope_->size(), v.dpr);
        SetShown(true);
        PaintByRule(expected, DrawStyleFromCode(code));
        const QImage actual = scope_->Render(scope_->size(), v.dpr);
        ASSERT_EQ(actual.size(), expected.size());
        int differing = 0;
        QPoint firstDiff(-1, -1);
        for (int y = 0; y < actual.height(); ++y) {
            const int logicalY = static_cast<int>(y / v.dpr);
            if (v.zoomed && logicalY >= box.top - 1 && logicalY <= box.bottom + 1)
                continue;
            for (int x = 0; x < actual.width(); ++x) {
                if (actual.pixel(x, y) != expected.pixel(x, y)) {
                    if (differing++ == 0)
                        firstDiff = QPoint(x, y);
                }
            }
        }
        EXPECT_EQ(differing, 0) << v.name << " style " << code << ", first at " << firstDiff.x() << ","
                                << firstDiff.y();
        // The traces did draw: the fast channel's colour is on the plot.
        EXPECT_GT(test::CountColour(actual, actual.rect(), channels_[3]->GetColor()), 1000) << v.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Displays, TracePixels,
    ::testing::Values(Variant{"plain", 1.0, false, false}, Variant{"half", 1.0, true, false},
                      Variant{"zoomed", 1.0, false, true}, Variant{"doubled", 2.0, false, false},
                      Variant{"fractional", 1.5, true, false}),
    [](const ::testing::TestParamInfo<Variant>& p) { return std::string(p.param.name); });

// A page or an exported picture is rendered far larger than the widget; the
// background must reach the image's far corner, not stop at the widget's size.
TEST(RenderSize, BackgroundCoversAnImageLargerThanTheWidget) {
    test::app();
    CScope scope;
    scope.resize(200, 150);
    scope.SetBackgroundColour(0x00102030);
    for (const QSize size : {QSize(900, 600), QSize(333, 777)}) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::white);
        scope.RenderTo(img);
        EXPECT_TRUE(test::IsColour(img, size.width() - 1, size.height() - 1, 0x00102030)) << size.width();
        EXPECT_TRUE(test::IsColour(img, size.width() - 1, 0, 0x00102030)) << size.width();
    }
}

} // namespace
} // namespace wavix
