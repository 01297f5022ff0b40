#include "core/comm/trafficstats.h"

#include "core/support/ticksource.h"

#include <algorithm>

namespace wavix {
namespace {

// A period is over once strictly more than its length has passed.
std::uint32_t remaining(std::uint32_t now, std::uint32_t last, std::uint32_t period) {
    const std::uint32_t passed = ticksSince(now, last);
    return passed > period ? 0 : period + 1 - passed;
}

} // namespace

CTrafficStats::CTrafficStats(std::uint32_t nowMs) : lastSecond_(nowMs), lastTenth_(nowMs) {}

void CTrafficStats::addSent(std::uint32_t bytes) {
    sent_.fetch_add(bytes);
}

void CTrafficStats::addReceived(std::uint32_t bytes) {
    receivedSecond_.fetch_add(bytes);
    receivedTenth_.fetch_add(bytes);
}

void CTrafficStats::step(std::uint32_t nowMs, IMessageTarget* target) {
    if (remaining(nowMs, lastSecond_, kSecondMs) == 0) {
        postTo(target, Msg::UWM_COMMUNICATION, static_cast<std::intptr_t>(sent_.exchange(0)),
               Encode(TrafficNotice::SentPerSecond));
        postTo(target, Msg::UWM_COMMUNICATION, static_cast<std::intptr_t>(receivedSecond_.exchange(0)),
               Encode(TrafficNotice::ReceivedPerSecond));
        lastSecond_ = nowMs;
    }
    if (remaining(nowMs, lastTenth_, kTenthMs) == 0) {
        postTo(target, Msg::UWM_COMMUNICATION, static_cast<std::intptr_t>(receivedTenth_.exchange(0)),
               Encode(TrafficNotice::ReceivedPerTenth));
        lastTenth_ = nowMs;
    }
}

std::uint32_t CTrafficStats::msUntilNext(std::uint32_t nowMs) const {
    const std::uint32_t next =
        std::min(remaining(nowMs, lastSecond_, kSecondMs), remaining(nowMs, lastTenth_, kTenthMs));
    return std::max<std::uint32_t>(next, 1);
}

} // namespace wavix
