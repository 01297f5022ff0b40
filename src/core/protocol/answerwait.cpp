#include "core/protocol/answerwait.h"

#include <algorithm>

namespace wavix {

void CAnswerWait::Sample(std::uint32_t ms) {
    const std::uint32_t t8 = std::min<std::uint32_t>(ms, 60000) * 8;
    if (!known_) {
        known_ = true;
        smooth8_ = t8;
        spread8_ = t8 / 2;
        return;
    }
    const std::uint32_t diff = t8 > smooth8_ ? t8 - smooth8_ : smooth8_ - t8;
    spread8_ = spread8_ - spread8_ / 4 + diff / 4;
    smooth8_ = smooth8_ - smooth8_ / 8 + t8 / 8;
}

std::uint32_t CAnswerWait::WaitMs() const {
    if (!known_)
        return kMaxMs;
    const std::uint32_t wait = (2 * smooth8_ + 4 * spread8_) / 8;
    return std::clamp(wait, kMinMs, kMaxMs);
}

} // namespace wavix
