#include "ui/print/printlayout.h"

#include "core/print/printgeometry.h"
#include "ui/colorref.h"
#include "ui/scope/cscope.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace wavix {

namespace {

// Screens are drawn at about this many pixels per inch; a display rendered for
// a finer device is rendered at screen scale and at most twice its pixel density.
constexpr double kScreenDpi = 96.0;
constexpr double kMaxPixelRatio = 2.0;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QRect ToQRect(const Rect& r) {
    return {r.left, r.top, r.Width(), r.Height()};
}

void SetFont(QPainter& p, int height) {
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(height, 1));
    p.setFont(font);
}

void SetPen(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
}

void HLine(QPainter& p, int left, int right, int y) {
    p.drawLine(left, y, right - 1, y);
}

void VLine(QPainter& p, int x, int top, int bottom) {
    p.drawLine(x, top, x, bottom - 1);
}

// One line in the box. A text a little too wide is set smaller (fonts other
// than Tahoma run wider); what still does not fit is cut with an ellipsis.
void DrawCutText(QPainter& p, const Rect& box, const QString& text, Qt::Alignment align) {
    if (box.IsEmpty())
        return;
    constexpr double kMinShrink = 0.7;
    p.save();
    const int wide = p.fontMetrics().horizontalAdvance(text);
    if (wide > box.Width()) {
        QFont font = p.font();
        const double shrink = std::max(kMinShrink, static_cast<double>(box.Width()) / wide);
        font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * shrink)));
        p.setFont(font);
    }
    const QString cut = p.fontMetrics().elidedText(text, Qt::ElideRight, box.Width());
    p.drawText(ToQRect(box), static_cast<int>(align | Qt::TextSingleLine), cut);
    p.restore();
}

void DrawRowLines(QPainter& p, const Rect& box, const PrintRows& rows) {
    for (int y : rows.lines)
        HLine(p, box.left, box.right, y);
}

} // namespace

void CPrintLayout::DrawHeader(QPainter& p, const Rect& box) const {
    const PrintHeaderLayout h = ComputePrintHeader(box);
    SetPen(p);
    HLine(p, box.left, box.right, h.lineY);
    SetFont(p, h.companyFont);
    DrawCutText(p, h.company, qs(PrintCompanyLine(content_.owner)), Qt::AlignCenter);
    SetFont(p, h.detailsFont);
    const QStringList lines = qs(PrintOwnerLines(content_.owner)).split(QLatin1Char('\n'));
    const int lineHeight = h.details.Height() / std::max<int>(static_cast<int>(lines.size()), 1);
    for (int i = 0; i < lines.size(); ++i) {
        const Rect line{h.details.left, h.details.top + i * lineHeight, h.details.right,
                        h.details.top + (i + 1) * lineHeight};
        DrawCutText(p, line, lines[i], Qt::AlignCenter);
    }
}

void CPrintLayout::DrawMeasurementName(QPainter& p, const Rect& box) const {
    const Rect r = ComputePrintName(box);
    SetPen(p);
    SetFont(p, r.Height());
    DrawCutText(p, r, qs(content_.data[kPrintMeasurementName]), Qt::AlignCenter);
}

void CPrintLayout::DrawCustomerTable(QPainter& p, const Rect& box) const {
    const PrintTableLayout t = ComputePrintTable(box);
    SetPen(p);
    DrawRowLines(p, box, t.rows);
    for (int x : t.columnLines)
        VLine(p, x, box.top, box.bottom);
    SetFont(p, t.rows.font);

    using T = CPrintTexts;
    struct Row {
        const std::string* label;
        const std::string* value;
    };
    static const std::string blank = " ";
    static const std::string none;
    const PrintData& d = content_.data;
    const std::array<std::array<Row, kPrintTableRows>, 2> rows = {{
        {{{&texts_.Get(T::kLabelCustomerName), &d[kPrintCustomerName]},
          {&texts_.Get(T::kLabelAddress), &d[kPrintCustomerAddress]},
          {&texts_.Get(T::kLabelPhone), &d[kPrintCustomerPhone]},
          {&texts_.Get(T::kLabelFax), &d[kPrintCustomerFax]},
          {&texts_.Get(T::kLabelEmail), &d[kPrintCustomerEmail]},
          {&blank, &none}}},
        {{{&texts_.Get(T::kLabelPlate), &d[kPrintLicencePlate]},
          {&texts_.Get(T::kLabelCarType), &d[kPrintCarType]},
          {&texts_.Get(T::kLabelYear), &d[kPrintYear]},
          {&texts_.Get(T::kLabelCapacity), &d[kPrintEngineCapacity]},
          {&texts_.Get(T::kLabelVin), &d[kPrintVin]},
          {&texts_.Get(T::kLabelInjection), &d[kPrintInjectionType]}}},
    }};
    for (std::size_t j = 0; j < 2; ++j)
        for (std::size_t i = 0; i < kPrintTableRows; ++i) {
            DrawCutText(p, t.labels[j][i], qs(*rows[j][i].label), Qt::AlignLeft | Qt::AlignVCenter);
            DrawCutText(p, t.values[j][i], qs(*rows[j][i].value), Qt::AlignLeft | Qt::AlignVCenter);
        }
}

void CPrintLayout::DrawSettingsBox(QPainter& p, const Rect& box) const {
    const PrintSettingsLayout s = ComputePrintSettings(box);
    SetPen(p);
    DrawRowLines(p, box, s.rows);
    for (int x : s.columnLines)
        VLine(p, x, s.rows.lines.front(), s.rows.lines.back() + 1);
    SetFont(p, s.rows.font);
    using T = CPrintTexts;
    const std::array<const std::string*, kPrintBoxRows> labels = {
        &texts_.Get(T::kLabelTimeBase), &texts_.Get(T::kLabelTriggerLevel), &texts_.Get(T::kLabelTriggerEdge),
        &texts_.Get(T::kLabelTriggerMode)};
    const PrintSettingsTexts& v = content_.settings;
    const std::array<const std::string*, kPrintBoxRows> values = {&v.timeBase, &v.triggerLevel,
                                                                  &v.triggerEdge, &v.triggerMode};
    for (std::size_t i = 0; i < kPrintBoxRows; ++i) {
        DrawCutText(p, s.labels[i], qs(*labels[i]), Qt::AlignLeft | Qt::AlignVCenter);
        DrawCutText(p, s.values[i], qs(*values[i]), Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void CPrintLayout::DrawChannelLegend(QPainter& p, const Rect& box, const PrintChannelLegend& legend) const {
    const PrintRows rows = ComputePrintRows(box, kPrintBoxRows);
    SetPen(p);
    DrawRowLines(p, box, rows);
    SetFont(p, rows.font);
    const std::array<std::string, kPrintBoxRows> texts = {PrintLegendTitle(legend.channel), legend.gain,
                                                          legend.coupling, legend.probe};
    // The colour key: a stroke of the trace's colour before the title, which moves right of it.
    Rect title = rows.rows[0];
    const int h = title.Height();
    if (h > 2 && title.Width() > 4 * h) {
        const Rect key{title.left + h / 2, title.top + h / 4, title.left + h / 2 + 2 * h,
                       title.bottom - h / 4};
        p.fillRect(ToQRect(key), ToQColor(legend.colour));
        p.drawRect(ToQRect(key).adjusted(0, 0, -1, -1));
        title.left = key.right;
    }
    DrawCutText(p, title, qs(texts[0]), Qt::AlignCenter);
    for (std::size_t i = 1; i < kPrintBoxRows; ++i)
        DrawCutText(p, rows.rows[i], qs(texts[i]), Qt::AlignCenter);
}

void CPrintLayout::DrawNote(QPainter& p, const Rect& box) const {
    const PrintNoteLayout n = ComputePrintNote(box);
    SetPen(p);
    SetFont(p, n.labelFont);
    DrawCutText(p, n.label, qs(texts_.Get(CPrintTexts::kLabelNote)), Qt::AlignLeft | Qt::AlignTop);
    if (n.text.IsEmpty())
        return;
    p.save();
    p.setClipRect(ToQRect(n.text));
    p.drawText(ToQRect(n.text), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               qs(content_.data[kPrintNote]));
    p.restore();
}

void CPrintLayout::DrawFooter(QPainter& p, const Rect& box, const QDateTime& now) const {
    const PrintFooterLayout f = ComputePrintFooter(box);
    SetPen(p);
    HLine(p, box.left, box.right, f.lineY);
    SetFont(p, f.font);
    const QDate d = now.date();
    const QTime t = now.time();
    DrawCutText(p, f.text, qs(PrintTimestamp(d.day(), d.month(), d.year(), t.hour(), t.minute(), t.second())),
                Qt::AlignLeft | Qt::AlignVCenter);
    DrawCutText(p, f.text, QString::fromLatin1(kPrintFooterAddress), Qt::AlignRight | Qt::AlignVCenter);
}

void CPrintLayout::DrawDisplay(QPainter& p, const Rect& box, CScope& display, bool inkSaving) {
    if (box.IsEmpty())
        return;
    const double dpi = p.device() != nullptr ? p.device()->logicalDpiX() : kScreenDpi;
    const double scale = std::min(1.0, kScreenDpi / std::max(dpi, 1.0));
    const double ratio = std::clamp(dpi / kScreenDpi, 1.0, kMaxPixelRatio);
    const QSize logical(std::max(1, static_cast<int>(std::lround(box.Width() * scale))),
                        std::max(1, static_cast<int>(std::lround(box.Height() * scale))));

    const bool buttons = display.AreButtonsShown();
    const bool marker = display.IsTriggerMarkerShown();
    const bool labels = display.AreLabelsShown();
    const std::string message = display.GetMessage();
    display.SetButtonsShown(false);
    display.SetTriggerMarkerShown(false);
    display.SetLabelsShown(false);
    display.SetMessage({});
    const std::uint32_t background = display.GetBackgroundColour();
    const std::uint32_t grid = display.GetGridColour();
    if (inkSaving) {
        display.SetBackgroundColour(kInkSavingBackground);
        display.SetGridColour(kInkSavingGrid);
    }
    const QImage image = display.Render(logical, ratio);
    if (inkSaving) {
        display.SetBackgroundColour(background);
        display.SetGridColour(grid);
    }
    display.SetButtonsShown(buttons);
    display.SetTriggerMarkerShown(marker);
    display.SetLabelsShown(labels);
    display.SetMessage(message);

    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(ToQRect(box), image);
    p.restore();
}

void CPrintLayout::DrawPage(QPainter& p, std::span<CScope* const> displays, bool perChannel, int channelCount,
                            const QDateTime& now) const {
    const int width = p.device() != nullptr ? p.device()->width() : 0;
    const int height = p.device() != nullptr ? p.device()->height() : 0;
    const PrintPageBoxes page = ComputePrintPage(width, height);
    DrawHeader(p, page.header);
    DrawMeasurementName(p, page.name);
    DrawCustomerTable(p, page.table);
    const std::vector<Rect> strips = PrintDisplayStrips(page.displays, perChannel, channelCount);
    for (std::size_t k = 0; k < strips.size() && k < displays.size(); ++k)
        if (displays[k] != nullptr)
            DrawDisplay(p, strips[k], *displays[k], inkSaving_);
    DrawSettingsBox(p, page.settings);
    for (std::size_t k = 0; k < content_.legends.size() && k < page.legends.size(); ++k)
        DrawChannelLegend(p, page.legends[k], content_.legends[k]);
    DrawNote(p, page.note);
    DrawFooter(p, page.footer, now);
}

} // namespace wavix
