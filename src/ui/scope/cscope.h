#pragma once
// The oscilloscope screen: a dotted grid with axes, up to nine live and nine
// reference traces, labels, the zoom, measurement cursors, trigger markers, two
// push buttons and log marks. Everything is drawn into an off-screen image that
// is only rebuilt after data, settings or an overlay changed; the periodic
// repaint tick just copies that image again.

#include "core/display/buttonmarker.h"
#include "core/display/columnreduce.h"
#include "core/display/comparison.h"
#include "core/display/displaygeometry.h"
#include "core/display/measurecursors.h"
#include "core/display/scopezoom.h"
#include "core/display/tracebuffer.h"
#include "core/display/triggerlevelmarker.h"
#include "core/display/triggerpositionmarker.h"
#include "core/support/messagecodes.h"
#include "core/support/messages.h"

#include <QBasicTimer>
#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

class QPainter;

namespace wavix {

class CChannelData;

// A log mark as the display shows it: number, sample position in the shown
// window, kind 1 or 2. Not the file's own mark record, whose position counts
// from the start of the whole log.
struct DisplayMark {
    int number = 0;
    std::int64_t position = 0;
    int kind = 1;
};

class CScope : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxTraces = 9;
    static constexpr std::uint32_t kDefaultGridColour = 0x00B4B4B4;
    static constexpr std::uint32_t kDefaultInfoColour = 0x00007DFF;

    explicit CScope(QWidget* parent = nullptr);
    ~CScope() override;

    // Where UWM_SCOPE and UWM_SCOPE_RBUTTON go; may stay unset.
    void SetMessageTarget(IMessageTarget* target) { target_ = target; }

    void SetBackgroundColour(std::uint32_t c);
    std::uint32_t GetBackgroundColour() const { return background_; }
    void SetGrid(bool on);
    void SetGridColour(std::uint32_t c);
    std::uint32_t GetGridColour() const { return gridColour_; }
    std::uint32_t GetHighlightColour() const { return highlightColour_; }
    void SetHighlightFrame(bool on);
    void SetAxes(bool on);
    void SetHorizontalDivisions(int n);
    void SetVerticalDivisions(int n);
    int GetVerticalDivisions() const { return vertDivs_; }
    void SetDrawStyle(int code);
    int GetDrawStyle() const { return static_cast<int>(style_); }
    void SetValueMin(double v);
    void SetValueMax(double v);
    void SetRangeIndex(int range);
    int GetRangeIndex() const { return rangeIndex_; }
    void SetVoltageLabels(bool on);
    void SetTimeLabels(bool on);
    void SetZoomBar(bool on);
    bool HasZoomBar() const { return zoomBar_; }
    void SetInfoTextColour(std::uint32_t c);
    std::uint32_t GetInfoTextColour() const { return infoColour_; }
    // Text shown over the traces ("Scope zastaven" ...); empty hides it.
    void SetMessage(const std::string& text);
    const std::string& GetMessage() const { return message_; }
    // While recording, the two mark buttons show and the trigger markers stay
    // put: moving one would change the record and end the log.
    void SetRollRecording(bool on);
    bool IsRollRecording() const { return rollRecording_; }
    // Shows push button 0 or 1 pressed, as a click would; false while it is hidden.
    bool FlashButton(int index);
    // Switches used when the display is rendered for a printed page.
    void SetButtonsShown(bool on);
    bool AreButtonsShown() const { return buttonsShown_; }
    void SetTriggerMarkerShown(bool on);
    bool IsTriggerMarkerShown() const { return triggerMarkerShown_; }
    void SetLabelsShown(bool on);
    bool AreLabelsShown() const { return labelsShown_; }

    // 1 on success, -3 when nine are in use, -1 when the slot is unexpectedly taken.
    int AddChannel(CChannelData* channel);
    // chart: the loaded chart's name, for the legend.
    int AddReference(CChannelData* channel, std::string chart = {});
    // A reference with its own values (counts around the centre), in the given slot.
    int AddReferenceData(int slot, std::span<const std::int16_t> values, CChannelData* channel);
    void ClearChannels();
    void ClearReferences();
    int LiveCount() const { return liveCount_; }
    // The live channel in a slot, or null.
    const CChannelData* LiveChannel(int slot) const {
        return slot >= 0 && slot < liveCount_ ? live_[static_cast<std::size_t>(slot)] : nullptr;
    }
    int ReferenceCount() const { return refCount_; }
    bool HasReferences() const { return refCount_ > 0; }
    // 1 when there is something to draw, 2 when no channel holds data.
    int UpdateData();
    std::int64_t SampleCount() const { return n_; }
    bool HasData() const { return hasData_; }
    std::span<const float> LiveBuffer(int slot) const;
    std::span<const float> ReferenceBuffer(int slot) const;
    // The word after "CHn" of a live trace in the legend of a comparison.
    void SetLegendWord(std::string word);
    // What the legend shows; empty without loaded traces.
    std::vector<LegendRow> LegendRows() const;

    void ToggleHalfMode() { SetHalfMode(!half_); }
    void SetHalfMode(bool on);
    bool IsHalfMode() const { return half_; }

    // Periodic repaint; 0 or less stops it.
    void SetRefreshPeriod(int ms);
    int RefreshPeriod() const { return refreshMs_; }
    void SetLogMarks(std::vector<DisplayMark> marks);
    const std::vector<DisplayMark>& LogMarks() const { return marks_; }

    // The overlays, placed for the current size (a hidden widget gets no resize event).
    CScopeZoom& Zoom();
    const CScopeZoom& Zoom() const { return zoom_; }
    void ResetZoom();
    void CopyZoomFrom(const CScopeZoom& other);
    CMeasureCursors& Cursors();
    const CMeasureCursors& Cursors() const { return cursors_; }
    CTriggerLevelMarker& TriggerLevel();
    CTriggerPositionMarker& TriggerPosition();
    CButtonMarker& Button(int index);
    int GetTriggerLevel(int low, int high) const { return level_.GetTriggerLevel(low, high); }
    void SetTriggerLevel(int low, int high, int level);

    // Marks the image stale, e.g. after a channel's colour or texts changed.
    void Invalidate();
    // Draws the whole display at the given size, as for a printed page.
    QImage Render(QSize size, qreal devicePixelRatio = 1.0);
    // The same into an existing image, at its size and pixel ratio.
    void RenderTo(QImage& image);
    // The image the widget shows and how often it was rebuilt.
    const QImage& CachedImage() const { return image_; }
    std::uint64_t RenderCount() const { return renders_; }

    // Geometry of the current size, for those who place things on the display.
    ScopeLayout CurrentLayout() const;
    VerticalMap CurrentVerticalMap() const;
    HorizontalMap CurrentHorizontalMap() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The wheel zooms the time axis about the pointer; with Shift it moves along it.
    void wheelEvent(QWheelEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

    virtual void DrawBackground(QPainter& p);
    virtual void DrawGrid(QPainter& p);
    virtual void DrawAxes(QPainter& p);
    // Positions before `from` hold no samples and are not drawn.
    virtual void DrawTrace(QPainter& p, std::span<const float> buffer, std::uint32_t colour,
                           std::int64_t from = 0);
    virtual void DrawTraceLines(QPainter& p, std::span<const float> buffer, std::int64_t from);
    virtual void DrawTraceAverage(QPainter& p);
    virtual void DrawTraceMinimum(QPainter& p);
    virtual void DrawTraceMaximum(QPainter& p);
    virtual void DrawTraceEnvelope(QPainter& p);

private:
    struct Frame {
        QSize size; // logical size of the render
        ScopeLayout layout;
        VerticalMap vm;
        HorizontalMap hm;
        std::int64_t first = 0;
        std::int64_t last = 0;
    };

    void RenderInto(QPainter& p, QSize size);
    void ApplyLayout(QSize size);
    Frame MakeFrame(QSize size) const;
    void RefreshTriggerChannel();
    void RebuildBuffers();
    void Changed();
    void Post(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    std::intptr_t Self() const { return reinterpret_cast<std::intptr_t>(this); }
    std::intptr_t ZoomId() const { return reinterpret_cast<std::intptr_t>(&zoom_); }
    std::intptr_t CursorsId() const { return reinterpret_cast<std::intptr_t>(&cursors_); }
    void UpdatePointer(Point pt);

    void DrawLabel(QPainter& p, const Rect& box, std::uint32_t colour, const std::string& text);
    void DrawChannelLabels(QPainter& p, CChannelData& ch, int k, bool first);
    void DrawCursors(QPainter& p);
    void DrawTriggerLevel(QPainter& p);
    void DrawZoomBar(QPainter& p);
    void DrawZoomOverlay(QPainter& p);
    void DrawTriggerPosition(QPainter& p);
    void DrawButtons(QPainter& p);
    void DrawLogMarks(QPainter& p);
    void DrawLegend(QPainter& p);
    void DrawMessage(QPainter& p);

    IMessageTarget* target_ = nullptr;

    std::array<CChannelData*, kMaxTraces> live_{};
    std::array<std::vector<float>, kMaxTraces> liveBuf_;
    std::array<std::int64_t, kMaxTraces> liveFrom_{}; // the channel's absent lead when its buffer was filled
    int liveCount_ = 0;
    std::array<CChannelData*, kMaxTraces> refs_{};
    std::array<std::vector<float>, kMaxTraces> refBuf_;
    std::array<bool, kMaxTraces> refOwnData_{};
    std::array<TraceExtent, kMaxTraces> refExtent_{};
    std::array<std::string, kMaxTraces> refChart_;
    std::string legendWord_ = "live";
    bool dashed_ = false; // the trace being drawn is a loaded one
    int refCount_ = 0;
    bool hasData_ = true;
    std::int64_t n_ = 0;

    std::uint32_t background_ = 0x00000000;
    bool grid_ = true;
    std::uint32_t gridColour_ = kDefaultGridColour;
    std::uint32_t highlightColour_ = HighlightColour(kDefaultGridColour);
    bool highlight_ = false;
    bool axes_ = true;
    bool voltageLabels_ = true;
    bool timeLabels_ = true;
    int horzDivs_ = 10;
    int vertDivs_ = 6;
    int rangeIndex_ = 0;
    DrawStyle style_ = DrawStyle::Envelope;
    double valueMin_ = 0.0;
    double valueMax_ = 1023.0;
    bool half_ = false;
    bool zoomBar_ = true;
    std::uint32_t infoColour_ = kDefaultInfoColour;
    std::string message_;
    bool rollRecording_ = false;
    bool buttonsShown_ = true;
    bool triggerMarkerShown_ = true;
    bool labelsShown_ = true;

    CScopeZoom zoom_;
    CMeasureCursors cursors_;
    CTriggerLevelMarker level_;
    CTriggerPositionMarker position_;
    std::array<CButtonMarker, 2> buttons_;
    std::vector<DisplayMark> marks_;

    QBasicTimer refreshTimer_;
    int refreshMs_ = 0;
    std::array<QBasicTimer, 2> buttonTimers_;

    // Column traces go straight into the image's pixels when painting on one:
    // long vertical runs through the painter cost a blend per pixel.
    struct DirectTarget {
        uchar* bits = nullptr;
        qsizetype bytesPerLine = 0;
        qreal dpr = 1.0;
        int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0; // device pixels, exclusive ends
        QRgb colour = 0;
    };
    // Logical rows first..last of one column; empty while first > last.
    struct RowRun {
        int first = std::numeric_limits<int>::max();
        int last = std::numeric_limits<int>::min();
    };
    // Device pixels, exclusive ends.
    struct PixelBox {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    bool BeginDirect(QPainter& p, std::uint32_t colour);
    void DrawColumnsDirect(DrawStyle style, bool envelope);
    void FillRowRuns();
    DirectTarget direct_;
    bool directOn_ = false;
    std::vector<RowRun> rows_;
    std::vector<PixelBox> boxes_;

    // Per-render scratch, kept to avoid allocating on every paint.
    Frame frame_;
    std::vector<ColumnStats> columns_;

    QImage image_;
    bool dirty_ = true;
    std::uint64_t renders_ = 0;
};

} // namespace wavix
