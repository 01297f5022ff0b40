#pragma once
// Draws one printed page: each operation fills one box of the page in the
// device units of the painter's device, so the same code serves a printer and
// a PDF file at any resolution. Where the boxes go is decided in
// core/print/printgeometry.h; this only paints.

#include "core/display/displaygeometry.h"
#include "core/print/printdata.h"
#include "core/print/printtexts.h"

#include <QDateTime>

#include <cstdint>
#include <span>

class QPainter;

namespace wavix {

class CScope;

class CPrintLayout {
public:
    explicit CPrintLayout(const CPrintTexts& texts) : texts_(texts) {}

    PrintPageContent& Content() { return content_; }
    // The displays on white with a dark grid, whatever their screen colours.
    void SetInkSaving(bool on) { inkSaving_ = on; }
    bool IsInkSaving() const { return inkSaving_; }
    const PrintPageContent& Content() const { return content_; }

    void DrawHeader(QPainter& p, const Rect& box) const;
    void DrawMeasurementName(QPainter& p, const Rect& box) const;
    void DrawCustomerTable(QPainter& p, const Rect& box) const;
    void DrawSettingsBox(QPainter& p, const Rect& box) const;
    void DrawChannelLegend(QPainter& p, const Rect& box, const PrintChannelLegend& legend) const;
    void DrawNote(QPainter& p, const Rect& box) const;
    void DrawFooter(QPainter& p, const Rect& box, const QDateTime& now) const;
    // The display as on screen but without push buttons, trigger markers,
    // labels and the state message (and in ink-saving colours when asked);
    // its switches and colours are put back afterwards.
    static void DrawDisplay(QPainter& p, const Rect& box, CScope& display, bool inkSaving = false);

    // The whole page on the painter's device: displays[k] fills strip k (one
    // strip unless perChannel).
    void DrawPage(QPainter& p, std::span<CScope* const> displays, bool perChannel, int channelCount,
                  const QDateTime& now) const;

private:
    const CPrintTexts& texts_;
    PrintPageContent content_;
    bool inkSaving_ = false;
};

// Ink-saving colours of the printed displays, 0x00BBGGRR.
inline constexpr std::uint32_t kInkSavingBackground = 0x00FFFFFF;
inline constexpr std::uint32_t kInkSavingGrid = 0x00505050;

// Text of the footer's right end.
inline constexpr const char* kPrintFooterAddress = "Wavix";

} // namespace wavix
