#include "core/files/scopebookload.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

TEST(ScopeBookLoad, AnswerAndSelectionDecideBoxAndLoading) {
    struct Case {
        int answer;
        bool selected;
        ScopeBookStep step;
    };
    const Case cases[] = {
        {0, true, {"Error", kMsgBadDataPath, true, false, false}},
        {1, true, {}},
        {2, false, {kCaptionNotice, kMsgNothingChosen, false, false, false}},
        {3, false, {kCaptionNotice, kMsgNothingChosen, false, false, false}},
        {2, true, {{}, {}, false, true, false}},
        {3, true, {{}, {}, false, true, true}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AfterScopeBook(c.answer, c.selected), c.step) << c.answer << " " << c.selected;
}

TEST(ScopeBookLoad, ChannelsGoToTheFirstDisplayOrOneEachWhileDisplaysLast) {
    EXPECT_EQ(ScopeBookDisplays(3, false, 4), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(ScopeBookDisplays(3, true, 4), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ScopeBookDisplays(4, true, 2), (std::vector<int>{0, 1, -1, -1}));
    EXPECT_TRUE(ScopeBookDisplays(0, true, 4).empty());
}

} // namespace
} // namespace wavix
