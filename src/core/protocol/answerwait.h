#pragma once
// How long an answer may take before its request counts as lost and is asked
// again. Learned from measured answer times (smoothed time and its spread, as
// TCP does) and kept between kMinMs and kMaxMs: a Wi-Fi hiccup must not make
// the program ask twice for everything, and a lost packet must cost far less
// than the 3 s after which the link counts as lost.

#include <cstdint>

namespace wavix {

class CAnswerWait {
public:
    static constexpr std::uint32_t kMinMs = 30;
    static constexpr std::uint32_t kMaxMs = 500;

    // One answer time; only of requests sent once, as an answer to a repeated
    // one may belong to either send.
    void Sample(std::uint32_t ms);
    // Before the first sample nothing is known of the link: the longest wait.
    std::uint32_t WaitMs() const;
    void Reset() { *this = CAnswerWait(); }

private:
    bool known_ = false;
    // Both in 1/8 ms, so small times keep their precision.
    std::uint32_t smooth8_ = 0;
    std::uint32_t spread8_ = 0;
};

} // namespace wavix
