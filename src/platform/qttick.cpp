#include "platform/qttick.h"

#include <algorithm>

namespace wavix {

CQtTickSource::CQtTickSource(std::uint32_t startMs) : startMs_(startMs) {
    clock_.start();
}

std::uint32_t CQtTickSource::tickMs() const {
    // Truncation to 32 bits is the wrap every tick user expects.
    return startMs_ + static_cast<std::uint32_t>(clock_.elapsed());
}

CDeadlineTimer::CDeadlineTimer(std::function<void()> step, std::function<std::uint32_t()> msUntilNext,
                               QObject* parent)
    : QObject(parent), step_(std::move(step)), msUntilNext_(std::move(msUntilNext)), timer_(this) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &CDeadlineTimer::fire);
}

std::uint32_t CDeadlineTimer::clampDelay(std::uint32_t ms) {
    return std::clamp(ms, kMinDelayMs, kMaxDelayMs);
}

void CDeadlineTimer::start() {
    running_ = true;
    arm();
}

void CDeadlineTimer::stop() {
    running_ = false;
    timer_.stop();
}

void CDeadlineTimer::poke() {
    if (!running_)
        return;
    // Pokes come with every datagram; restarting the timer each time costs more
    // than an early wake-up, which only finds nothing due and arms again.
    const std::uint32_t delay = clampDelay(msUntilNext_ ? msUntilNext_() : kMaxDelayMs);
    const int remaining = timer_.remainingTime();
    if (timer_.isActive() && remaining >= 0 && static_cast<std::uint32_t>(remaining) <= delay)
        return;
    timer_.start(static_cast<int>(delay));
}

void CDeadlineTimer::arm() {
    const std::uint32_t delay = clampDelay(msUntilNext_ ? msUntilNext_() : kMaxDelayMs);
    timer_.start(static_cast<int>(delay));
}

void CDeadlineTimer::fire() {
    if (step_)
        step_();
    // The step may have stopped us.
    if (running_)
        arm();
}

} // namespace wavix
