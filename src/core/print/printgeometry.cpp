#include "core/print/printgeometry.h"

#include <algorithm>

namespace wavix {

PrintPageBoxes ComputePrintPage(int width, int height) {
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    const int h4 = h / 4;
    const int h8 = h / 8;
    const int h16 = (h4 / 2) / 2;
    const int h32 = ((h4 / 2) / 2) / 2;
    const int threeQuarters = 3 * h / 4;

    PrintPageBoxes page;
    page.header = {0, 0, w, h16};
    page.name = {0, h16, w, h16 + h32};
    page.table = {0, h8, w, h4};
    page.displays = {0, h4, w, threeQuarters};
    page.settings = {0, threeQuarters, w / 3, threeQuarters + 2 * (h8 / 3)};

    const int a = 2 * (w / 3);
    const int g = (a / 4) / 30;
    const int b = a / 4 - g;
    for (int k = 0; k < kPrintLegendCount; ++k) {
        const int left = w / 3 + g + k * (b + g);
        page.legends[static_cast<std::size_t>(k)] = {left, page.settings.top, left + b, page.settings.bottom};
    }

    page.footer = {0, h - h32, w, h};
    // A fixed gap of device units does not fit a coarse page (below about 1000
    // dpi on A4): the note would run into the footer. It shrinks to what is free.
    const int room = page.footer.top - h8 - page.settings.bottom;
    const int gap = std::clamp(room, 0, kPrintNoteGap);
    const int noteTop = page.settings.bottom + gap;
    page.note = {0, noteTop, w, std::min(noteTop + h8, page.footer.top)};
    return page;
}

std::vector<Rect> PrintDisplayStrips(const Rect& box, bool perChannel, int channelCount) {
    if (!perChannel)
        return {box};
    const int n = std::max(channelCount, 1);
    const int strip = box.Height() / n;
    std::vector<Rect> strips;
    strips.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        strips.push_back({box.left, box.top + k * strip, box.right, box.top + (k + 1) * strip});
    return strips;
}

PrintHeaderLayout ComputePrintHeader(const Rect& box) {
    const int h = box.Height();
    const int m = h / 10;
    PrintHeaderLayout out;
    out.lineY = box.top + h / 2;
    out.company = {box.left + m, box.top + m, box.right - m, out.lineY - m};
    out.companyFont = h / 2 - 2 * m;
    out.details = {box.left + m, out.lineY + m, box.right - m, box.bottom - m};
    out.detailsFont = (h / 2 - 2 * m) / 2;
    return out;
}

Rect ComputePrintName(const Rect& box) {
    return {box.left, box.top + 3, box.right, box.bottom - 3};
}

PrintRows ComputePrintRows(const Rect& box, int count) {
    PrintRows out;
    const int n = std::max(count, 1);
    const int rowHeight = box.Height() / n;
    out.font = rowHeight - 2 * (rowHeight / 4);
    for (int i = 0; i < n; ++i) {
        const int top = box.top + i * rowHeight;
        out.lines.push_back(top);
        out.rows.push_back({box.left, top, box.right, top + rowHeight});
    }
    out.lines.push_back(box.top + n * rowHeight);
    return out;
}

PrintTableLayout ComputePrintTable(const Rect& box) {
    PrintTableLayout out;
    out.rows = ComputePrintRows(box, kPrintTableRows);
    out.rows.lines.pop_back();
    const int w = box.Width();
    const int sixth = w / 6;
    out.columnLines = {box.left, box.left + sixth, box.left + 3 * sixth, box.left + 4 * sixth};
    for (std::size_t j = 0; j < 2; ++j) {
        const int x = box.left + w / 100 + static_cast<int>(j) * (w / 2);
        for (std::size_t i = 0; i < kPrintTableRows; ++i) {
            const Rect& row = out.rows.rows[i];
            out.labels[j][i] = {x, row.top, x + sixth, row.bottom};
            out.values[j][i] = {x + sixth, row.top, x + w / 3, row.bottom};
        }
    }
    return out;
}

PrintSettingsLayout ComputePrintSettings(const Rect& box) {
    PrintSettingsLayout out;
    out.rows = ComputePrintRows(box, kPrintBoxRows);
    const int w = box.Width();
    out.columnLines = {box.left, box.left + w / 2};
    for (std::size_t i = 0; i < kPrintBoxRows; ++i) {
        const Rect& row = out.rows.rows[i];
        const int x = box.left + w / 100;
        out.labels[i] = {x, row.top, x + w / 2, row.bottom};
        out.values[i] = {x + w / 2, row.top, box.right, row.bottom};
    }
    return out;
}

PrintNoteLayout ComputePrintNote(const Rect& box) {
    const int h = box.Height();
    PrintNoteLayout out;
    out.labelFont = h / 10;
    out.label = {box.left + 30, box.top + 20, box.right, box.top + 20 + out.labelFont};
    const int s = h / 30;
    out.text = {box.left + s, out.label.bottom + s, box.right - s, box.bottom - s};
    return out;
}

PrintFooterLayout ComputePrintFooter(const Rect& box) {
    const int h = box.Height();
    const int m = h / 8;
    PrintFooterLayout out;
    out.lineY = box.top;
    out.font = h - 2 * m;
    out.text = {box.left + m, box.top + m, box.right - m, box.bottom - m};
    return out;
}

} // namespace wavix
