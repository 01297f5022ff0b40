#include "core/app/linkstatus.h"

namespace wavix {

std::string_view LinkStateName(LinkState state) {
    switch (state) {
    case LinkState::Connecting:
        return "connecting";
    case LinkState::Running:
        return "running";
    case LinkState::Stopped:
        return "stopped";
    case LinkState::NoAnswer:
        return "no-answer";
    case LinkState::Lost:
        return "lost";
    }
    return "connecting";
}

CountForm CountFormOf(int n) {
    if (n == 1)
        return CountForm::One;
    return n >= 2 && n <= 4 ? CountForm::Few : CountForm::Many;
}

std::string_view RunningTextKey(int capturesPerSecond) {
    switch (CountFormOf(capturesPerSecond)) {
    case CountForm::One:
        return "TXT_1555";
    case CountForm::Few:
        return "TXT_1556";
    case CountForm::Many:
        break;
    }
    return "TXT_1542";
}

void CLinkStatus::SetEndpoint(std::string address, std::uint16_t port) {
    endpoint_ = std::move(address) + ":" + std::to_string(port);
}

bool CLinkStatus::set(LinkState state) {
    if (state == state_)
        return false;
    state_ = state;
    return true;
}

bool CLinkStatus::OnSessionStart(std::uint32_t now) {
    answered_ = false;
    sessionStart_ = now;
    rate_ = 0;
    windowCount_ = 0;
    if (state_ == LinkState::Lost || state_ == LinkState::NoAnswer)
        return false;
    return set(LinkState::Connecting);
}

bool CLinkStatus::OnLinkUp() {
    answered_ = true;
    // Still starting the oscilloscope, but no longer silent.
    return state_ == LinkState::NoAnswer ? set(LinkState::Connecting) : false;
}

bool CLinkStatus::OnScopeRunning(std::uint32_t now) {
    answered_ = true;
    windowStart_ = now;
    windowCount_ = 0;
    return set(LinkState::Running);
}

bool CLinkStatus::OnStopped() {
    return set(LinkState::Stopped);
}

bool CLinkStatus::OnReplyTimeout(std::uint32_t now) {
    if (!answered_)
        return false;
    answered_ = false;
    sessionStart_ = now;
    rate_ = 0;
    return set(LinkState::Lost);
}

bool CLinkStatus::OnTick(std::uint32_t now) {
    if (answered_ || (state_ != LinkState::Connecting && state_ != LinkState::Lost))
        return false;
    if (ticksSince(now, sessionStart_) < kNoAnswerMs)
        return false;
    return set(LinkState::NoAnswer);
}

bool CLinkStatus::OnCapture(std::uint32_t now) {
    captured_ = true;
    lastCapture_ = now;
    ++windowCount_;
    const std::uint32_t elapsed = ticksSince(now, windowStart_);
    if (elapsed < 1000)
        return false;
    const int rate = static_cast<int>((windowCount_ * 1000 + static_cast<int>(elapsed) / 2) /
                                      static_cast<int>(elapsed));
    windowStart_ = now;
    windowCount_ = 0;
    const bool changed = rate != rate_;
    rate_ = rate;
    return changed;
}

} // namespace wavix
