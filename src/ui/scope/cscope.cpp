#include "ui/scope/cscope.h"

#include "core/display/labelcontrast.h"
#include "core/display/tracebuffer.h"
#include "core/scope/channeldata.h"
#include "core/scope/oscilexchange.h"
#include "core/support/strformat.h"
#include "ui/colorref.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QTimerEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace wavix {

namespace {

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

Point ToPoint(const QPointF& p) {
    const QPoint q = p.toPoint();
    return {q.x(), q.y()};
}

QFont PixelFont(const char* family, int pixels, int weight = QFont::Normal) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace

CScope::CScope(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    buttons_[0].SetNumber(1);
    buttons_[1].SetNumber(2);
}

CScope::~CScope() = default;

void CScope::Changed() {
    dirty_ = true;
    update();
}

void CScope::Invalidate() {
    Changed();
}

void CScope::Post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    postTo(target_, msg, wParam, lParam);
}

// ---- properties -------------------------------------------------------------

void CScope::SetBackgroundColour(std::uint32_t c) {
    background_ = c;
    Changed();
}

void CScope::SetGrid(bool on) {
    grid_ = on;
    Changed();
}

void CScope::SetGridColour(std::uint32_t c) {
    gridColour_ = c;
    highlightColour_ = HighlightColour(c);
    Changed();
}

void CScope::SetHighlightFrame(bool on) {
    highlight_ = on;
    Changed();
}

void CScope::SetAxes(bool on) {
    axes_ = on;
    Changed();
}

void CScope::SetHorizontalDivisions(int n) {
    horzDivs_ = std::max(1, n);
    Changed();
}

void CScope::SetVerticalDivisions(int n) {
    vertDivs_ = std::max(1, n);
    for (int k = 0; k < liveCount_; ++k)
        live_[k]->SetDisplayGeometry(vertDivs_, half_);
    Changed();
}

void CScope::SetDrawStyle(int code) {
    style_ = DrawStyleFromCode(code);
    Changed();
}

void CScope::SetValueMin(double v) {
    valueMin_ = v;
    Changed();
}

void CScope::SetValueMax(double v) {
    valueMax_ = v;
    Changed();
}

void CScope::SetRangeIndex(int range) {
    rangeIndex_ = range;
    Changed();
}

void CScope::SetVoltageLabels(bool on) {
    voltageLabels_ = on;
    Changed();
}

void CScope::SetTimeLabels(bool on) {
    timeLabels_ = on;
    Changed();
}

void CScope::SetZoomBar(bool on) {
    zoomBar_ = on;
    Changed();
}

void CScope::SetInfoTextColour(std::uint32_t c) {
    infoColour_ = c;
    Changed();
}

void CScope::SetMessage(const std::string& text) {
    if (text == message_)
        return;
    message_ = text;
    Changed();
}

void CScope::SetRollRecording(bool on) {
    rollRecording_ = on;
    for (CButtonMarker& b : buttons_)
        b.SetVisible(on);
    Changed();
}

bool CScope::FlashButton(int index) {
    const std::size_t i = index == 0 ? 0 : 1;
    if (!buttonsShown_ || !buttons_[i].Press())
        return false;
    buttonTimers_[i].start(CButtonMarker::kReleaseMs, this);
    Changed();
    return true;
}

void CScope::SetButtonsShown(bool on) {
    buttonsShown_ = on;
    Changed();
}

void CScope::SetTriggerMarkerShown(bool on) {
    triggerMarkerShown_ = on;
    Changed();
}

void CScope::SetLabelsShown(bool on) {
    labelsShown_ = on;
    Changed();
}

void CScope::SetLogMarks(std::vector<DisplayMark> marks) {
    marks_ = std::move(marks);
    Changed();
}

void CScope::ResetZoom() {
    zoom_.Reset();
    Changed();
}

void CScope::CopyZoomFrom(const CScopeZoom& other) {
    zoom_.CopyFrom(other);
    Changed();
}

void CScope::SetTriggerLevel(int low, int high, int level) {
    level_.SetTriggerLevel(low, high, level);
    Changed();
}

void CScope::SetRefreshPeriod(int ms) {
    refreshTimer_.stop();
    refreshMs_ = std::max(ms, 0);
    if (ms > 0)
        refreshTimer_.start(ms, this);
}

// ---- channels and buffers ---------------------------------------------------

int CScope::AddChannel(CChannelData* channel) {
    if (liveCount_ >= kMaxTraces)
        return -3;
    if (live_[liveCount_] != nullptr)
        return -1;
    live_[liveCount_++] = channel;
    if (channel != nullptr)
        channel->SetDisplayGeometry(vertDivs_, half_);
    RefreshTriggerChannel();
    Changed();
    return 1;
}

int CScope::AddReference(CChannelData* channel, std::string chart) {
    if (refCount_ >= kMaxTraces)
        return -3;
    if (refs_[refCount_] != nullptr)
        return -1;
    refOwnData_[refCount_] = false;
    refChart_[refCount_] = std::move(chart);
    refs_[refCount_++] = channel;
    Changed();
    return 1;
}

int CScope::AddReferenceData(int slot, std::span<const std::int16_t> values, CChannelData* channel) {
    if (slot < 0 || slot >= kMaxTraces)
        return -3;
    refs_[slot] = channel;
    refOwnData_[slot] = true;
    refChart_[slot].clear();
    refCount_ = std::max(refCount_, slot + 1);
    n_ = std::min<std::int64_t>(static_cast<std::int64_t>(values.size()), kMaxSamples);
    const BufferScale scale{valueMin_, valueMax_, half_};
    std::vector<float>& buf = refBuf_[slot];
    buf.resize(static_cast<std::size_t>(n_));
    for (std::size_t i = 0; i < buf.size(); ++i)
        buf[i] = static_cast<float>(scale.Value(values[i]));
    refExtent_[slot] = {0, n_};
    hasData_ = true;
    Changed();
    return 1;
}

void CScope::ClearChannels() {
    live_.fill(nullptr);
    refs_.fill(nullptr);
    refOwnData_.fill(false);
    for (auto& b : liveBuf_)
        std::vector<float>().swap(b);
    for (auto& b : refBuf_)
        std::vector<float>().swap(b);
    liveCount_ = refCount_ = 0;
    n_ = 0;
    zoom_.Reset();
    level_.SetVisible(false);
    Changed();
}

void CScope::ClearReferences() {
    refs_.fill(nullptr);
    refOwnData_.fill(false);
    for (auto& b : refBuf_)
        std::vector<float>().swap(b);
    refCount_ = 0;
    Changed();
}

std::span<const float> CScope::LiveBuffer(int slot) const {
    return slot >= 0 && slot < liveCount_ ? std::span<const float>(liveBuf_[slot]) : std::span<const float>();
}

std::span<const float> CScope::ReferenceBuffer(int slot) const {
    return slot >= 0 && slot < refCount_ ? std::span<const float>(refBuf_[slot]) : std::span<const float>();
}

void CScope::SetLegendWord(std::string word) {
    legendWord_ = std::move(word);
    Changed();
}

std::vector<LegendRow> CScope::LegendRows() const {
    std::vector<LegendTrace> live;
    std::vector<LegendTrace> loaded;
    for (int k = 0; k < liveCount_; ++k)
        if (const CChannelData* ch = live_[k]; ch != nullptr && ch->IsShown() && ch->GetSampleCount() > 0)
            live.push_back({ch->GetChannel(), ch->GetColor(), {}});
    for (int k = 0; k < refCount_; ++k)
        if (const CChannelData* ch = refs_[k]; ch != nullptr && ch->IsShown())
            loaded.push_back(
                {ch->GetChannel(), ch->GetColor(), refChart_[k].empty() ? ch->GetName() : refChart_[k]});
    return ComparisonLegend(live, loaded, background_, legendWord_);
}

void CScope::RefreshTriggerChannel() {
    bool any = false;
    for (int k = 0; k < liveCount_; ++k) {
        CChannelData* ch = live_[k];
        if (ch != nullptr && ch->IsTriggerChannel()) {
            any = true;
            level_.SetOutlineColour(ch->GetColor());
            level_.SetDoubled(ch->GetRange() == 0);
            break;
        }
    }
    level_.SetVisible(any);
    level_.SetHalfMode(half_);
}

int CScope::UpdateData() {
    std::int64_t n = 0;
    for (int k = 0; k < liveCount_; ++k)
        if (live_[k] != nullptr)
            n = std::max<std::int64_t>(n, live_[k]->GetCapacity());
    if (liveCount_ == 0)
        for (int k = 0; k < refCount_; ++k)
            if (refs_[k] != nullptr && !refOwnData_[k])
                n = std::max<std::int64_t>(n, refs_[k]->GetCapacity());
    n_ = std::min<std::int64_t>(n, kMaxSamples);
    RefreshTriggerChannel();
    Changed();
    if (n_ <= 0) {
        hasData_ = false;
        return 2;
    }
    hasData_ = true;
    RebuildBuffers();
    return 1;
}

void CScope::RebuildBuffers() {
    const BufferScale scale{valueMin_, valueMax_, half_};
    const auto n = static_cast<std::size_t>(std::max<std::int64_t>(n_, 0));
    for (int k = 0; k < liveCount_; ++k) {
        std::vector<float>& buf = liveBuf_[k];
        buf.resize(n);
        liveFrom_[k] = 0;
        if (live_[k] != nullptr) {
            FillTraceBuffer(buf, live_[k]->GetSamples(), live_[k]->GetOffset(), scale);
            liveFrom_[k] = live_[k]->GetAbsentCount();
        }
    }
    const CChannelData* first = liveCount_ > 0 ? live_[0] : nullptr;
    for (int k = 0; k < refCount_; ++k) {
        const CChannelData* ref = refs_[k];
        if (ref == nullptr || refOwnData_[k])
            continue;
        double ratio = 1.0;
        if (first != nullptr) {
            const double liveSpan = TraceSpanSeconds(n, first->GetTimeBase());
            const double refSpan = TraceSpanSeconds(ref->GetSampleCount(), ref->GetTimeBase());
            ratio = refSpan / liveSpan;
        }
        refBuf_[k].resize(n);
        refExtent_[k] = ResampleReference(refBuf_[k], ref->GetSamples(), ref->GetOffset(), scale, ratio);
    }
}

void CScope::SetHalfMode(bool on) {
    if (on == half_)
        return;
    const int level = level_.GetTriggerLevel(0, kTriggerLevelMax);
    half_ = on;
    vertDivs_ = on ? std::max(1, vertDivs_ / 2) : vertDivs_ * 2;
    for (int k = 0; k < liveCount_; ++k)
        if (live_[k] != nullptr)
            live_[k]->SetDisplayGeometry(vertDivs_, half_);
    level_.SetHalfMode(half_);
    level_.SetTriggerLevel(0, kTriggerLevelMax, level);
    RebuildBuffers();
    Changed();
}

// ---- geometry ---------------------------------------------------------------

CScope::Frame CScope::MakeFrame(QSize size) const {
    Frame f;
    f.size = size;
    f.layout = ComputeLayout({0, 0, size.width(), size.height()}, zoomBar_);
    f.vm = MakeVerticalMap(f.layout.plot, rangeIndex_, valueMin_, valueMax_, half_);
    f.first = zoom_.FirstVisible(n_);
    f.last = zoom_.LastVisible(n_);
    f.hm = MakeHorizontalMap(f.layout.plot, f.first, f.last);
    return f;
}

void CScope::ApplyLayout(QSize size) {
    frame_ = MakeFrame(size);
    const ScopeLayout& l = frame_.layout;
    zoom_.SetGeometry(l.plot, l.zoomBar);
    cursors_.SetPlot(l.plot);
    level_.SetPlot(l.plot);
    position_.SetGeometry(l.strip, l.plot);
    position_.SetVisibleWindow(zoom_);
    buttons_[0].SetRect(l.button1);
    buttons_[1].SetRect(l.button2);
}

CScopeZoom& CScope::Zoom() {
    ApplyLayout(size());
    return zoom_;
}

CMeasureCursors& CScope::Cursors() {
    ApplyLayout(size());
    return cursors_;
}

CTriggerLevelMarker& CScope::TriggerLevel() {
    ApplyLayout(size());
    return level_;
}

CTriggerPositionMarker& CScope::TriggerPosition() {
    ApplyLayout(size());
    return position_;
}

CButtonMarker& CScope::Button(int index) {
    ApplyLayout(size());
    return buttons_[index == 0 ? 0 : 1];
}

ScopeLayout CScope::CurrentLayout() const {
    return MakeFrame(size()).layout;
}

VerticalMap CScope::CurrentVerticalMap() const {
    return MakeFrame(size()).vm;
}

HorizontalMap CScope::CurrentHorizontalMap() const {
    return MakeFrame(size()).hm;
}

// ---- rendering --------------------------------------------------------------

QImage CScope::Render(QSize size, qreal devicePixelRatio) {
    QImage img(size * devicePixelRatio, QImage::Format_RGB32);
    img.setDevicePixelRatio(devicePixelRatio);
    RenderTo(img);
    return img;
}

void CScope::RenderTo(QImage& image) {
    const QSize logical = (QSizeF(image.size()) / image.devicePixelRatio()).toSize();
    {
        QPainter p(&image);
        RenderInto(p, logical);
    }
    // The overlays follow the widget again.
    ApplyLayout(size());
}

void CScope::paintEvent(QPaintEvent* /*event*/) {
    const qreal dpr = devicePixelRatioF();
    const QSize want = size() * dpr;
    if (image_.size() != want || image_.devicePixelRatio() != dpr) {
        image_ = QImage(want, QImage::Format_RGB32);
        image_.setDevicePixelRatio(dpr);
        dirty_ = true;
    }
    if (dirty_ && !image_.isNull()) {
        QPainter ip(&image_);
        RenderInto(ip, size());
        dirty_ = false;
    }
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void CScope::resizeEvent(QResizeEvent* /*event*/) {
    image_ = QImage();
    ApplyLayout(size());
    dirty_ = true;
}

void CScope::RenderInto(QPainter& p, QSize size) {
    ++renders_;
    ApplyLayout(size);
    const Rect& plot = frame_.layout.plot;
    p.setRenderHint(QPainter::Antialiasing, false);

    DrawBackground(p);
    DrawGrid(p);
    DrawAxes(p);
    if (hasData_) {
        DrawCursors(p);
        p.save();
        p.setClipRect(ToQRect(plot.Inflated(1)));
        dashed_ = true;
        for (int k = 0; k < refCount_; ++k) {
            CChannelData* ref = refs_[k];
            const TraceExtent e = refExtent_[k];
            const auto end =
                static_cast<std::size_t>(std::clamp<std::int64_t>(e.end, 0, std::ssize(refBuf_[k])));
            if (ref != nullptr && ref->IsShown())
                DrawTrace(p, std::span<const float>(refBuf_[k]).first(end),
                          LoadedTraceColour(ref->GetColor(), background_), e.begin);
        }
        dashed_ = false;
        p.restore();
        // Labels after every trace: a trace crossing a label hid its text.
        for (const bool labels : {false, true}) {
            for (int k = 0; k < liveCount_; ++k) {
                CChannelData* ch = live_[k];
                if (ch == nullptr || ch->GetSampleCount() == 0)
                    continue;
                if (labels && labelsShown_) {
                    DrawChannelLabels(p, *ch, k, k == 0);
                } else if (!labels && ch->IsShown()) {
                    p.save();
                    p.setClipRect(ToQRect(plot.Inflated(1)));
                    DrawTrace(p, liveBuf_[k], ch->GetColor(), liveFrom_[k]);
                    p.restore();
                }
            }
        }
    }
    DrawTriggerLevel(p);
    DrawZoomBar(p);
    DrawZoomOverlay(p);
    DrawTriggerPosition(p);
    DrawButtons(p);
    DrawLogMarks(p);
    if (hasData_ && labelsShown_)
        DrawLegend(p);
    DrawMessage(p);
}

void CScope::DrawBackground(QPainter& p) {
    // The render's size, not the widget's: a page or an image may be larger.
    p.fillRect(QRect(QPoint(0, 0), frame_.size), ToQColor(background_));
}

void CScope::DrawGrid(QPainter& p) {
    if (!grid_)
        return;
    const Rect& plot = frame_.layout.plot;
    QPen frame(ToQColor(highlight_ ? highlightColour_ : gridColour_), 2);
    frame.setJoinStyle(Qt::MiterJoin);
    p.setPen(frame);
    // The inside already holds the background colour; filling it again would cost a second pass.
    p.setBrush(Qt::NoBrush);
    p.drawRect(ToQRect(plot.Inflated(1)));

    QPolygon dots;
    for (int y : GridRows(plot, frame_.vm, vertDivs_))
        for (int x : DotPositions(plot.left, plot.right))
            dots << QPoint(x, y);
    for (int x : GridColumns(plot, horzDivs_))
        for (int y : DotPositions(plot.top, plot.bottom))
            dots << QPoint(x, y);
    p.setPen(QPen(ToQColor(gridColour_), 1));
    p.drawPoints(dots);
}

void CScope::DrawAxes(QPainter& p) {
    if (!axes_)
        return;
    const Rect& plot = frame_.layout.plot;
    p.setPen(QPen(ToQColor(gridColour_), 1));
    const int cx = plot.left + plot.Width() / 2;
    p.drawLine(cx, plot.top, cx, plot.bottom - 1);
    for (int y : AxisTicksY(frame_.vm, vertDivs_, plot))
        p.drawLine(cx - 3, y, cx + 4, y);
    const int cy = std::clamp(frame_.vm.AxisY(), plot.top, std::max(plot.top, plot.bottom - 1));
    p.drawLine(plot.left, cy, plot.right - 1, cy);
    for (int x : AxisTicksX(plot, horzDivs_)) {
        if (half_)
            p.drawLine(x, cy - 4, x, cy);
        else
            p.drawLine(x, cy - 3, x, cy + 4);
    }
}

void CScope::DrawTrace(QPainter& p, std::span<const float> buffer, std::uint32_t colour, std::int64_t from) {
    QPen pen(ToQColor(colour), 1);
    if (dashed_)
        pen.setDashPattern({static_cast<qreal>(kLoadedDashOn), static_cast<qreal>(kLoadedDashOff)});
    p.setPen(pen);
    const int w = frame_.layout.plot.Width();
    if (w <= 0 || buffer.empty())
        return;
    if (DrawsSampleLines(frame_.first, frame_.last, w)) {
        DrawTraceLines(p, buffer, from);
        return;
    }
    ReduceColumns(buffer, frame_.first, frame_.last, w, static_cast<float>(valueMin_),
                  static_cast<float>(valueMax_), columns_, from);
    BeginDirect(p, colour);
    switch (style_) {
    case DrawStyle::Average:
        DrawTraceAverage(p);
        break;
    case DrawStyle::Minimum:
        DrawTraceMinimum(p);
        break;
    case DrawStyle::Maximum:
        DrawTraceMaximum(p);
        break;
    case DrawStyle::Envelope:
        DrawTraceEnvelope(p);
        break;
    }
    directOn_ = false;
}

void CScope::DrawTraceLines(QPainter& p, std::span<const float> buffer, std::int64_t from) {
    const std::int64_t end = std::min<std::int64_t>(frame_.last, static_cast<std::int64_t>(buffer.size()));
    const std::int64_t begin = std::max<std::int64_t>({frame_.first, from, 0});
    if (begin >= end)
        return;
    QPolygon line;
    line.reserve(static_cast<int>(end - begin));
    for (std::int64_t i = begin; i < end; ++i)
        line << QPoint(frame_.hm.X(i), frame_.vm.Y(buffer[static_cast<std::size_t>(i)]));
    if (line.size() == 1)
        p.drawPoint(line.front());
    else
        p.drawPolyline(line);
}

namespace {
void DrawColumnLine(QPainter& p, const std::vector<ColumnStats>& cols, const HorizontalMap& hm,
                    const VerticalMap& vm, DrawStyle style) {
    QPolygon line;
    line.reserve(static_cast<int>(cols.size()));
    for (std::size_t c = 0; c < cols.size(); ++c)
        if (cols[c].count > 0)
            line << QPoint(hm.left + static_cast<int>(c), vm.Y(ColumnValue(cols[c], style)));
    p.drawPolyline(line);
}
} // namespace

bool CScope::BeginDirect(QPainter& p, std::uint32_t colour) {
    directOn_ = false;
    auto* img = dynamic_cast<QImage*>(p.device());
    if (img == nullptr || p.transform().type() > QTransform::TxScale)
        return false;
    const QImage::Format f = img->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
        return false;
    DirectTarget& d = direct_;
    d.bits = img->bits();
    d.bytesPerLine = img->bytesPerLine();
    d.dpr = img->devicePixelRatio();
    const Rect clip = frame_.layout.plot.Inflated(1);
    d.clipLeft = std::max(0, static_cast<int>(clip.left * d.dpr));
    d.clipTop = std::max(0, static_cast<int>(clip.top * d.dpr));
    d.clipRight = std::min(img->width(), static_cast<int>(clip.right * d.dpr));
    d.clipBottom = std::min(img->height(), static_cast<int>(clip.bottom * d.dpr));
    d.colour = ToQColor(colour).rgb();
    directOn_ = d.bits != nullptr;
    return directOn_;
}

void CScope::DrawColumnsDirect(DrawStyle style, bool envelope) {
    // Every piece a column receives (its envelope, its half of the step from the
    // previous column, the next column's half of the step back to it) passes
    // through the column's own point, so together they are one run of rows.
    const std::size_t width = columns_.size();
    rows_.assign(width, RowRun{});
    auto add = [this](std::size_t c, int y0, int y1) {
        RowRun& r = rows_[c];
        r.first = std::min(r.first, std::min(y0, y1));
        r.last = std::max(r.last, std::max(y0, y1));
    };
    bool havePrevious = false;
    int previous = 0;
    for (std::size_t c = 0; c < width; ++c) {
        const ColumnStats& s = columns_[c];
        if (s.count == 0)
            continue;
        const int y = frame_.vm.Y(ColumnValue(s, style));
        if (envelope)
            add(c, frame_.vm.Y(s.max), frame_.vm.Y(s.min));
        // A step from the previous column is split between the two columns, as a line would be.
        if (havePrevious && std::abs(y - previous) > 1) {
            const int mid = (previous + y) / 2;
            add(c - 1, previous, mid);
            add(c, mid, y);
        } else {
            add(c, y, y);
        }
        previous = y;
        havePrevious = true;
    }
    FillRowRuns();
}

// Writes the runs of rows_ in device pixels. Column by column, a tall run would
// touch a new cache line on every row; in bands of a few dozen rows the lines
// of neighbouring columns are still at hand when the next column comes.
void CScope::FillRowRuns() {
    const DirectTarget& d = direct_;
    boxes_.clear();
    int top = d.clipBottom, bottom = d.clipTop;
    for (std::size_t c = 0; c < rows_.size(); ++c) {
        const RowRun& r = rows_[c];
        if (r.first > r.last || (dashed_ && !LoadedDashColumn(static_cast<int>(c))))
            continue;
        const int x = frame_.hm.left + static_cast<int>(c);
        PixelBox b;
        b.left = std::max(d.clipLeft, static_cast<int>(x * d.dpr));
        b.right = std::min(d.clipRight, static_cast<int>((x + 1) * d.dpr));
        b.top = std::max(d.clipTop, static_cast<int>(r.first * d.dpr));
        b.bottom = std::min(d.clipBottom, static_cast<int>((r.last + 1) * d.dpr));
        if (b.top >= b.bottom || b.left >= b.right)
            continue;
        boxes_.push_back(b);
        top = std::min(top, b.top);
        bottom = std::max(bottom, b.bottom);
    }
    constexpr int kBandRows = 64;
    const QRgb colour = d.colour;
    const qsizetype stride = d.bytesPerLine / static_cast<qsizetype>(sizeof(QRgb));
    for (int band = top; band < bottom; band += kBandRows) {
        const int bandEnd = std::min(bottom, band + kBandRows);
        for (const PixelBox& b : boxes_) {
            const int y0 = std::max(b.top, band);
            const int y1 = std::min(b.bottom, bandEnd);
            if (y0 >= y1)
                continue;
            QRgb* px = reinterpret_cast<QRgb*>(d.bits + y0 * d.bytesPerLine) + b.left;
            if (b.right - b.left == 1) {
                for (int y = y0; y < y1; ++y, px += stride)
                    *px = colour;
            } else {
                for (int y = y0; y < y1; ++y, px += stride)
                    std::fill(px, px + (b.right - b.left), colour);
            }
        }
    }
}

void CScope::DrawTraceAverage(QPainter& p) {
    if (directOn_)
        DrawColumnsDirect(DrawStyle::Average, false);
    else
        DrawColumnLine(p, columns_, frame_.hm, frame_.vm, DrawStyle::Average);
}

void CScope::DrawTraceMinimum(QPainter& p) {
    if (directOn_)
        DrawColumnsDirect(DrawStyle::Minimum, false);
    else
        DrawColumnLine(p, columns_, frame_.hm, frame_.vm, DrawStyle::Minimum);
}

void CScope::DrawTraceMaximum(QPainter& p) {
    if (directOn_)
        DrawColumnsDirect(DrawStyle::Maximum, false);
    else
        DrawColumnLine(p, columns_, frame_.hm, frame_.vm, DrawStyle::Maximum);
}

void CScope::DrawTraceEnvelope(QPainter& p) {
    if (directOn_) {
        DrawColumnsDirect(DrawStyle::Average, true);
        return;
    }
    DrawTraceAverage(p);
    QVector<QLine> lines;
    lines.reserve(static_cast<int>(columns_.size()));
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const ColumnStats& s = columns_[c];
        if (s.count == 0)
            continue;
        const int x = frame_.hm.left + static_cast<int>(c);
        const int top = frame_.vm.Y(s.max);
        const int bottom = frame_.vm.Y(s.min);
        if (bottom > top)
            lines.append(QLine(x, top, x, bottom));
    }
    p.drawLines(lines);
}

void CScope::DrawLabel(QPainter& p, const Rect& box, std::uint32_t colour, const std::string& text) {
    const QRect r = ToQRect(box);
    p.fillRect(r, ToQColor(colour));
    // Height 14 in the box of 18; a narrower fallback size keeps long texts inside the box.
    QFont font = PixelFont("Verdana", kLabelHeight - 4);
    const QString s = QString::fromStdString(text);
    for (int px = kLabelHeight - 4; px > 8; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(s) <= r.width() - 2)
            break;
    }
    p.setFont(font);
    p.setPen(ToQColor(ReadableLabelColour(colour)));
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, s);
}

void CScope::DrawChannelLabels(QPainter& p, CChannelData& ch, int k, bool first) {
    const Rect& plot = frame_.layout.plot;
    if (first && timeLabels_) {
        const double zoom = zoom_.Factor();
        DrawLabel(p, TimeLabelLeft(plot, frame_.vm), ch.GetColor(), ch.TimeText(zoom, -horzDivs_ / 2.0));
        DrawLabel(p, TimeLabelRight(plot, frame_.vm), ch.GetColor(), ch.TimeText(zoom, horzDivs_ / 2.0));
    }
    if (!ch.IsShown() || !voltageLabels_)
        return;
    if (half_) {
        DrawLabel(p, VoltageLabelTop(plot, k), ch.GetColor(), ch.RangeText(vertDivs_));
    } else {
        DrawLabel(p, VoltageLabelTop(plot, k), ch.GetColor(), ch.RangeText(vertDivs_ / 2.0));
        DrawLabel(p, VoltageLabelBottom(plot, k), ch.GetColor(), ch.RangeText(-vertDivs_ / 2.0));
    }
}

void CScope::DrawCursors(QPainter& p) {
    if (!cursors_.IsEnabled())
        return;
    QPen pen(ToQColor(CMeasureCursors::kColour), 3);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    for (int x : {cursors_.LeftX(), cursors_.RightX()})
        p.drawLine(x, cursors_.LineTop(), x, cursors_.LineBottom());
}

void CScope::DrawTriggerLevel(QPainter& p) {
    if (!level_.IsVisible() || !triggerMarkerShown_)
        return;
    const Rect& plot = frame_.layout.plot;
    const int y = level_.MarkerY();
    const Rect t = level_.Triangle();
    const QColor outline = ToQColor(level_.OutlineColour());
    if (level_.IsGrabbed()) {
        p.setPen(QPen(outline, 1));
        p.drawLine(plot.left + 1, y, plot.right - 2, y);
    }
    QPolygon tri;
    tri << QPoint(t.left, y) << QPoint(t.right - 1, t.top) << QPoint(t.right - 1, t.bottom - 1);
    p.setPen(QPen(outline, 1));
    p.setBrush(ToQColor(CTriggerLevelMarker::kFillColour));
    p.drawPolygon(tri);
    p.setBrush(Qt::NoBrush);
}

void CScope::DrawZoomBar(QPainter& p) {
    const Rect& bar = frame_.layout.zoomBar;
    if (!zoomBar_ || bar.IsEmpty())
        return;
    p.setPen(QPen(ToQColor(CScopeZoom::kFrameColour), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(ToQRect(bar).adjusted(0, 0, -1, -1));
    const Rect thumb = zoom_.Thumb();
    if (!thumb.IsEmpty()) {
        const std::uint32_t c = zoom_.IsDragging() ? CScopeZoom::kThumbHighlight : CScopeZoom::kThumbColour;
        p.fillRect(ToQRect(thumb.Inflated(-1)), ToQColor(c));
    }
}

void CScope::DrawZoomOverlay(QPainter& p) {
    const QColor frame = ToQColor(CScopeZoom::kFrameColour);
    if (zoom_.IsSelecting()) {
        const Rect s = zoom_.Selection();
        QPen pen(ToQColor(CScopeZoom::kThumbHighlight), 1, Qt::DashLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(ToQRect(s).adjusted(0, 0, -1, -1));
    }
    if (!zoom_.IsZoomed())
        return;
    const Rect box = zoom_.CloseBox();
    p.setPen(QPen(frame, 1));
    p.setBrush(ToQColor(background_));
    p.drawRect(ToQRect(box).adjusted(0, 0, -1, -1));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ToQColor(CScopeZoom::kThumbHighlight), 1));
    p.drawLine(box.left + 2, box.top + 2, box.right - 4, box.bottom - 4);
    p.drawLine(box.left + 2, box.bottom - 4, box.right - 4, box.top + 2);

    const QFont font = PixelFont("Arial", 13);
    p.setFont(font);
    const QString s = QString::fromStdString(StrFormat("Zoom: %0.1fx", zoom_.Factor()));
    const int w = QFontMetrics(font).horizontalAdvance(s);
    p.setPen(ToQColor(CScopeZoom::kThumbHighlight));
    p.drawText(QRect(box.left - 5 - w, box.top, w, box.Height()), Qt::AlignRight | Qt::AlignVCenter, s);
}

void CScope::DrawTriggerPosition(QPainter& p) {
    const Rect track = position_.Track();
    if (track.IsEmpty())
        return;
    p.setPen(QPen(ToQColor(CTriggerPositionMarker::kTrackColour), 1));
    const int mid = (track.top + track.bottom) / 2;
    p.drawLine(track.left, mid, track.right - 1, mid);
    p.drawLine(track.left, track.top, track.left, track.bottom - 1);
    p.drawLine(track.right - 1, track.top, track.right - 1, track.bottom - 1);
    if (rollRecording_) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(QRect(track.right + 4, track.top, 8, 8));
        p.setBrush(Qt::NoBrush);
    }
    if (!position_.IsEnabled() || !triggerMarkerShown_)
        return;

    const int x = position_.MarkerX();
    const int top = frame_.layout.strip.top + 1;
    const int bottom = track.bottom;
    const int hw = CTriggerPositionMarker::kHalfWidth;
    QPolygon shape;
    switch (position_.CurrentShape()) {
    case CTriggerPositionMarker::Shape::LeftIndicator:
        shape << QPoint(x - hw, mid) << QPoint(x + hw, top) << QPoint(x + hw, bottom);
        break;
    case CTriggerPositionMarker::Shape::RightIndicator:
        shape << QPoint(x + hw, mid) << QPoint(x - hw, top) << QPoint(x - hw, bottom);
        break;
    case CTriggerPositionMarker::Shape::Marker:
        shape << QPoint(x - hw, top) << QPoint(x + hw, top) << QPoint(x + hw, bottom - 4) << QPoint(x, bottom)
              << QPoint(x - hw, bottom - 4);
        break;
    }
    if (position_.CurrentShape() != CTriggerPositionMarker::Shape::Marker) {
        p.setPen(QPen(ToQColor(CTriggerPositionMarker::kIndicatorFrame), 1));
        p.setBrush(ToQColor(CTriggerPositionMarker::kIndicatorColour));
        p.drawPolygon(shape);
        p.setBrush(Qt::NoBrush);
        return;
    }
    const std::uint32_t face = position_.IsZoomed()    ? CTriggerPositionMarker::kFaceZoomed
                               : position_.IsGrabbed() ? CTriggerPositionMarker::kFaceGrabbed
                                                       : CTriggerPositionMarker::kFace;
    p.setPen(QPen(ToQColor(face), 1));
    p.setBrush(ToQColor(position_.Colour()));
    p.drawPolygon(shape);
    p.setBrush(Qt::NoBrush);

    const Rect& plot = frame_.layout.plot;
    if (x >= plot.left && x < plot.right) {
        p.setPen(QPen(ToQColor(CTriggerPositionMarker::kTrackColour), 1, Qt::DotLine));
        p.drawLine(x, plot.top, x, plot.bottom - 1);
    }
}

void CScope::DrawButtons(QPainter& p) {
    if (!buttonsShown_)
        return;
    const QFont font = PixelFont("Tahoma", 13);
    for (const CButtonMarker& b : buttons_) {
        if (!b.IsVisible())
            continue;
        const QRect r = ToQRect(b.GetRect());
        p.fillRect(r, ToQColor(b.FaceColour()));
        p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setFont(font);
        p.setPen(b.IsPressed() ? Qt::white : Qt::black);
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(b.Text()));
    }
}

void CScope::DrawLogMarks(QPainter& p) {
    if (marks_.empty() || !hasData_)
        return;
    const Rect& plot = frame_.layout.plot;
    const std::int64_t first = frame_.first;
    const std::int64_t last = frame_.last;
    if (last <= first)
        return;
    const QFont font = PixelFont("Verdana", 11);
    const QFontMetrics metrics(font);
    p.setFont(font);
    // A window may hold tens of thousands of marks: one line per pixel column and
    // no label over the one before keep a repaint short.
    int lastLine = std::numeric_limits<int>::min();
    QRect lastLabel;
    for (const DisplayMark& m : marks_) {
        if (m.position <= first || m.position >= last)
            continue;
        const int x = plot.left + static_cast<int>(static_cast<double>(m.position - first) * plot.Width() /
                                                   static_cast<double>(last - first));
        if (x == lastLine)
            continue;
        lastLine = x;
        const std::uint32_t colour = m.kind == 2 ? 0x00FFBF00 : 0x0000D7FF;
        p.setPen(QPen(ToQColor(colour), 1, Qt::DashLine));
        p.drawLine(x, plot.top, x, plot.bottom - 1);
        const QString text = QString::number(m.number);
        const int w = std::max(18, metrics.horizontalAdvance(text) + 6);
        const QRect box(x - w / 2, plot.top + 2, w, 15);
        if (box.intersects(lastLabel))
            continue;
        lastLabel = box;
        p.fillRect(box, ToQColor(colour));
        p.setPen(Qt::black);
        p.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
    }
}

void CScope::DrawMessage(QPainter& p) {
    if (message_.empty())
        return;
    const Rect& plot = frame_.layout.plot;
    p.setFont(PixelFont("Arial", 18, QFont::Bold));
    p.setPen(ToQColor(infoColour_));
    p.drawText(ToQRect(plot), Qt::AlignCenter | Qt::TextWordWrap, QString::fromStdString(message_));
}

// ---- mouse and timers -------------------------------------------------------

void CScope::mousePressEvent(QMouseEvent* event) {
    const Point pt = ToPoint(event->position());
    if (event->button() == Qt::RightButton) {
        const QPoint g = event->globalPosition().toPoint();
        const std::intptr_t packed = (g.x() & 0xFFFF) | ((g.y() & 0xFFFF) << 16);
        Post(Msg::UWM_SCOPE_RBUTTON, Self(), packed);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    ApplyLayout(size());
    bool button = false;
    for (int i = 0; i < 2; ++i) {
        if (buttonsShown_ && buttons_[i].MouseDown(pt)) {
            button = true;
            buttonTimers_[i].start(CButtonMarker::kReleaseMs, this);
            Post(Msg::UWM_SCOPE, 0, i == 0 ? Encode(ViewNotice::Button1) : Encode(ViewNotice::Button2));
        }
    }
    const bool cursor = hasData_ && cursors_.MouseDown(pt);
    if (!cursor && !button && zoom_.MouseDown(pt) == CScopeZoom::Press::Reset)
        Post(Msg::UWM_SCOPE, ZoomId(), Encode(ViewNotice::ZoomReset));
    if (!rollRecording_) {
        if (triggerMarkerShown_)
            level_.MouseDown(pt);
        position_.MouseDown(pt);
    }
    Post(Msg::UWM_SCOPE, Self(), Encode(ViewNotice::Selected));
    Post(Msg::UWM_SCOPE, ZoomId(), Encode(ViewNotice::ZoomInfo));
    Post(Msg::UWM_SCOPE, CursorsId(), Encode(ViewNotice::Measure));
    Changed();
}

void CScope::mouseMoveEvent(QMouseEvent* event) {
    const Point pt = ToPoint(event->position());
    bool changed = false;
    if (cursors_.MouseMove(pt)) {
        changed = true;
        Post(Msg::UWM_SCOPE, CursorsId(), Encode(ViewNotice::Measure));
    }
    changed |= zoom_.MouseMove(pt);
    changed |= level_.MouseMove(pt);
    changed |= position_.MouseMove(pt);
    UpdatePointer(pt);
    if (changed)
        Changed();
}

void CScope::wheelEvent(QWheelEvent* event) {
    // Some platforms turn a Shift wheel into a sideways one.
    const QPoint delta = event->angleDelta();
    const double notches = (delta.y() != 0 ? delta.y() : delta.x()) / 120.0;
    const bool moved = (event->modifiers() & Qt::ShiftModifier) != 0
                           ? zoom_.WheelScroll(-notches)
                           : zoom_.WheelZoom(ToPoint(event->position()).x, notches);
    event->accept();
    if (!moved)
        return;
    // As a finished selection: the panels and the other views follow.
    Post(Msg::UWM_SCOPE, ZoomId(), Encode(ViewNotice::ZoomSelected));
    Post(Msg::UWM_SCOPE, ZoomId(), Encode(ViewNotice::ZoomInfo));
    Post(Msg::UWM_SCOPE, ZoomId(), Encode(ViewNotice::ZoomApply));
    Changed();
}

void CScope::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const Point pt = ToPoint(event->position());
    if (!cursors_.IsGrabbed() && zoom_.MouseUp(pt)) {
        Post(Msg::UWM_SCOPE, ZoomId(), Encode(ViewNotice::ZoomSelected));
        Post(Msg::UWM_SCOPE, ZoomId(), Encode(ViewNotice::ZoomInfo));
        Post(Msg::UWM_SCOPE, ZoomId(), Encode(ViewNotice::ZoomApply));
    }
    if (cursors_.MouseUp(pt))
        Post(Msg::UWM_SCOPE, CursorsId(), Encode(ViewNotice::Measure));
    if (level_.MouseUp(pt))
        Post(Msg::UWM_SCOPE, Self(), Encode(ViewNotice::TriggerLevel));
    if (position_.MouseUp(pt))
        Post(Msg::UWM_SCOPE, Self(), Encode(ViewNotice::TriggerPosition));
    UpdatePointer(pt);
    Changed();
}

void CScope::UpdatePointer(Point pt) {
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (level_.IsGrabbed() || (triggerMarkerShown_ && level_.IsOver(pt)))
        shape = Qt::SizeVerCursor;
    else if (cursors_.IsGrabbed() || position_.IsGrabbed() || (hasData_ && cursors_.IsOver(pt)) ||
             position_.IsOver(pt))
        shape = Qt::SizeHorCursor;
    if (cursor().shape() != shape)
        setCursor(shape);
}

void CScope::timerEvent(QTimerEvent* event) {
    if (event->timerId() == refreshTimer_.timerId()) {
        update();
        return;
    }
    for (int i = 0; i < 2; ++i) {
        if (event->timerId() == buttonTimers_[i].timerId()) {
            buttonTimers_[i].stop();
            buttons_[i].Release();
            Changed();
            return;
        }
    }
    QWidget::timerEvent(event);
}

} // namespace wavix

namespace wavix {

void CScope::DrawLegend(QPainter& p) {
    const std::vector<LegendRow> rows = LegendRows();
    if (rows.empty())
        return;
    const QFont font = PixelFont("Verdana", 11);
    const QFontMetrics fm(font);
    constexpr int kSample = 18; // the short line showing the trace's style
    constexpr int kPad = 4;
    int textWidth = 0;
    for (const LegendRow& row : rows)
        textWidth = std::max(textWidth, fm.horizontalAdvance(QString::fromStdString(row.text)));
    const int rowHeight = fm.height();
    const Rect& plot = frame_.layout.plot;
    const int width = kSample + 3 * kPad + textWidth;
    const QRect box(plot.right - 4 - width, plot.top + 4, width,
                    kPad * 2 + rowHeight * static_cast<int>(rows.size()));
    p.save();
    p.fillRect(box, ToQColor(background_));
    p.setPen(QPen(ToQColor(gridColour_), 1));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    // The words in black or white, whichever stands out from the background.
    const QColor bg = ToQColor(background_);
    const bool light = 0.299 * bg.red() + 0.587 * bg.green() + 0.114 * bg.blue() > 128.0;
    p.setFont(font);
    int y = box.top() + kPad;
    for (const LegendRow& row : rows) {
        const int mid = y + rowHeight / 2;
        QPen sample(ToQColor(row.colour), 2);
        if (row.dashed)
            sample.setDashPattern({3.0, 2.0});
        p.setPen(sample);
        p.drawLine(box.left() + kPad, mid, box.left() + kPad + kSample, mid);
        p.setPen(light ? Qt::black : Qt::white);
        p.drawText(QRect(box.left() + 2 * kPad + kSample, y, textWidth + kPad, rowHeight),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdString(row.text));
        y += rowHeight;
    }
    p.restore();
}

} // namespace wavix
