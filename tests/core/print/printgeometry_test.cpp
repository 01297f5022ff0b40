#include "core/print/printgeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wavix {
namespace {

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Appended: GCC 12 at -O3 takes `"(" + std::to_string(...)` for an overlapping copy (-Wrestrict).
std::string Show(const Rect& r) {
    std::string s = "(";
    for (const int v : {r.left, r.top, r.right, r.bottom}) {
        s += std::to_string(v);
        s += ',';
    }
    s.back() = ')';
    return s;
}

struct Page {
    const char* name;
    int width;
    int height;
};

// Printable areas of A4 and Letter from coarse screen-like units up to high-resolution printers.
class PrintPageSizes : public ::testing::TestWithParam<Page> {};

TEST_P(PrintPageSizes, EveryBoxLiesOnThePageAndNoneOverlaps) {
    const Page pg = GetParam();
    const PrintPageBoxes page = ComputePrintPage(pg.width, pg.height);
    const Rect sheet{0, 0, pg.width, pg.height};
    std::vector<Rect> boxes = {page.header,   page.name, page.table, page.displays,
                               page.settings, page.note, page.footer};
    boxes.insert(boxes.end(), page.legends.begin(), page.legends.end());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_FALSE(boxes[i].IsEmpty()) << i << Show(boxes[i]);
        EXPECT_TRUE(Inside(boxes[i], sheet)) << i << Show(boxes[i]);
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(Overlap(boxes[i], boxes[j])) << i << Show(boxes[i]) << " " << j << Show(boxes[j]);
    }
    // The pictures take half the page, the note an eighth unless the footer is in the way.
    EXPECT_NEAR(page.displays.Height(), pg.height / 2, 1);
    EXPECT_LE(page.note.Height(), pg.height / 8);
    EXPECT_GE(page.note.Height(), pg.height / 8 - pg.height / 96 - 2);
    EXPECT_LE(page.legends.back().right, pg.width);

    // The parts of each box stay inside it.
    const PrintHeaderLayout header = ComputePrintHeader(page.header);
    EXPECT_TRUE(Inside(header.company, page.header));
    EXPECT_TRUE(Inside(header.details, page.header));
    EXPECT_LT(header.company.bottom, header.lineY);
    EXPECT_GT(header.details.top, header.lineY);
    EXPECT_GT(header.detailsFont, 0);
    EXPECT_LE(2 * header.detailsFont, header.details.Height()); // two lines fit
    const PrintTableLayout table = ComputePrintTable(page.table);
    for (std::size_t j = 0; j < 2; ++j)
        for (std::size_t i = 0; i < kPrintTableRows; ++i) {
            EXPECT_TRUE(Inside(table.labels[j][i], page.table)) << j << i;
            EXPECT_TRUE(Inside(table.values[j][i], page.table)) << j << i;
            EXPECT_FALSE(Overlap(table.labels[j][i], table.values[j][i]));
            EXPECT_FALSE(Overlap(table.values[j][i], table.labels[1 - j][i]));
        }
    EXPECT_LE(table.rows.font, table.rows.rows[0].Height());
    const PrintSettingsLayout settings = ComputePrintSettings(page.settings);
    for (std::size_t i = 0; i < kPrintBoxRows; ++i) {
        EXPECT_TRUE(Inside(settings.labels[i], page.settings));
        EXPECT_TRUE(Inside(settings.values[i], page.settings));
    }
    const PrintNoteLayout note = ComputePrintNote(page.note);
    EXPECT_TRUE(Inside(note.label, page.note));
    EXPECT_TRUE(Inside(note.text, page.note));
    const PrintFooterLayout footer = ComputePrintFooter(page.footer);
    EXPECT_TRUE(Inside(footer.text, page.footer));
    EXPECT_GT(footer.font, 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, PrintPageSizes,
                         ::testing::Values(Page{"A4_72dpi", 559, 806}, Page{"A4_96dpi", 756, 1086},
                                           Page{"A4_300dpi", 2380, 3408}, Page{"A4_600dpi", 4760, 6814},
                                           Page{"A4_1200dpi", 9520, 13628}, Page{"Letter_300dpi", 2450, 3200},
                                           Page{"Letter_1200dpi", 9800, 12800},
                                           Page{"Landscape", 13628, 9520}),
                         [](const ::testing::TestParamInfo<Page>& p) { return std::string(p.param.name); });

TEST(PrintPage, BoxesFollowTheWholeNumberDivisions) {
    const PrintPageBoxes page = ComputePrintPage(9601, 13629);
    EXPECT_EQ(page.header, (Rect{0, 0, 9601, 851}));    // ((13629/4)/2)/2
    EXPECT_EQ(page.name, (Rect{0, 851, 9601, 1276}));   // + (((H/4)/2)/2)/2
    EXPECT_EQ(page.table, (Rect{0, 1703, 9601, 3407})); // H/8 .. H/4
    EXPECT_EQ(page.displays, (Rect{0, 3407, 9601, 10221}));
    EXPECT_EQ(page.settings, (Rect{0, 10221, 3200, 10221 + 2 * 567}));
    // A = 6400, g = 53, B = 1547; the last legend ends flush with A.
    EXPECT_EQ(page.legends[0], (Rect{3253, 10221, 4800, 11355}));
    EXPECT_EQ(page.legends[3].left, 3200 + 53 + 3 * (1547 + 53));
    EXPECT_EQ(page.legends[3].right, 9600);
    EXPECT_EQ(page.note, (Rect{0, 11455, 9601, 11455 + 1703})); // 100 below the settings box
    EXPECT_EQ(page.footer, (Rect{0, 13629 - 425, 9601, 13629}));
}

TEST(PrintPage, DisplayStripsSplitTheBoxPerChannel) {
    const Rect box{0, 100, 800, 500};
    EXPECT_EQ(PrintDisplayStrips(box, false, 3), std::vector<Rect>{box});
    EXPECT_EQ(PrintDisplayStrips(box, true, 0), std::vector<Rect>{box}); // no channel counts as one
    const auto two = PrintDisplayStrips(box, true, 2);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], (Rect{0, 100, 800, 300}));
    EXPECT_EQ(two[1], (Rect{0, 300, 800, 500}));
    const auto three = PrintDisplayStrips(box, true, 3);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[2], (Rect{0, 366, 800, 499}));
}

} // namespace
} // namespace wavix
