#include "core/protocol/groupcheck.h"

namespace wavix {

void CGroupCheck::Reset(std::uint32_t expectedSets) {
    *this = CGroupCheck();
    expected_ = expectedSets;
}

bool CGroupCheck::Whole() {
    const std::uint64_t got = sets_;
    sets_ = 0;
    if (expected_ == 0)
        return true;
    if (got == expected_) {
        // A tester that sends whole groups: no other size is its own.
        wholeSeen_ = true;
        testerSize_ = 0;
        brokenInRow_ = 0;
        return true;
    }
    if (testerSize_ != 0 && got == testerSize_) {
        brokenInRow_ = 0;
        return true;
    }
    if (!wholeSeen_ && got != 0 && got == lastBroken_) {
        testerSize_ = got;
        lastBroken_ = 0;
        brokenInRow_ = 0;
        return true;
    }
    lastBroken_ = got;
    if (++brokenInRow_ > kTriesBeforeShowing) {
        brokenInRow_ = 0;
        return true;
    }
    return false;
}

} // namespace wavix
