#pragma once
// Where everything goes on the printed page. All numbers are the printer's
// device units and every division is a whole-number one, so the page comes out
// alike on any printer, scaled to its printable area. Rectangles are half-open.

#include "core/display/displaygeometry.h"

#include <array>
#include <vector>

namespace wavix {

inline constexpr int kPrintLegendCount = 4;
inline constexpr int kPrintTableRows = 6;
inline constexpr int kPrintBoxRows = 4;
// Wanted space between the settings box and the note, when the page has room for it.
inline constexpr int kPrintNoteGap = 100;

struct PrintPageBoxes {
    Rect header;
    Rect name;
    Rect table;
    Rect displays;
    Rect settings;
    std::array<Rect, kPrintLegendCount> legends;
    Rect note;
    Rect footer;
};

// The page of width x height device units.
PrintPageBoxes ComputePrintPage(int width, int height);

// One box per shown display: the whole box, or with one display per channel
// channelCount equal strips from the top (at least one).
std::vector<Rect> PrintDisplayStrips(const Rect& box, bool perChannel, int channelCount);

struct PrintHeaderLayout {
    int lineY = 0; // the rule across the middle
    Rect company;
    int companyFont = 0;
    Rect details; // two lines
    int detailsFont = 0;
};
PrintHeaderLayout ComputePrintHeader(const Rect& box);

// The measurement name fills the box less 3 units above and below; its font is that height.
Rect ComputePrintName(const Rect& box);

// Rows of equal height with a rule at the top of each and one under the last.
struct PrintRows {
    int font = 0;
    std::vector<int> lines; // y of the rules
    std::vector<Rect> rows;
};
PrintRows ComputePrintRows(const Rect& box, int count);

struct PrintTableLayout {
    PrintRows rows;                   // six rows; no rule under the last
    std::array<int, 4> columnLines{}; // x of the vertical rules
    // half 0 = customer, 1 = vehicle; row 0..5
    std::array<std::array<Rect, kPrintTableRows>, 2> labels{};
    std::array<std::array<Rect, kPrintTableRows>, 2> values{};
};
PrintTableLayout ComputePrintTable(const Rect& box);

struct PrintSettingsLayout {
    PrintRows rows;
    std::array<int, 2> columnLines{};
    std::array<Rect, kPrintBoxRows> labels{};
    std::array<Rect, kPrintBoxRows> values{};
};
PrintSettingsLayout ComputePrintSettings(const Rect& box);

struct PrintNoteLayout {
    Rect label;
    int labelFont = 0;
    Rect text; // word-wrapped and clipped
};
PrintNoteLayout ComputePrintNote(const Rect& box);

struct PrintFooterLayout {
    int lineY = 0;
    Rect text; // date left, address right
    int font = 0;
};
PrintFooterLayout ComputePrintFooter(const Rect& box);

} // namespace wavix
