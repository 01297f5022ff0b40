#pragma once
// Traffic counters of the module link and their periodic reports to the main
// window: bytes sent and received once a second, bytes received ten times a
// second. Counting may happen on any thread; reporting runs on the UI thread.

#include "core/support/messagecodes.h"
#include "core/support/messages.h"

#include <atomic>
#include <cstdint>

namespace wavix {

class CTrafficStats {
public:
    static constexpr std::uint32_t kSecondMs = 1000;
    static constexpr std::uint32_t kTenthMs = 100;

    explicit CTrafficStats(std::uint32_t nowMs);

    void addSent(std::uint32_t bytes);
    void addReceived(std::uint32_t bytes);

    // Posts the reports that are due at `nowMs` and restarts their periods.
    void step(std::uint32_t nowMs, IMessageTarget* target);
    // Milliseconds from `nowMs` until step() has something to report (at least 1).
    std::uint32_t msUntilNext(std::uint32_t nowMs) const;

    std::uint32_t bytesSent() const { return sent_.load(); }
    std::uint32_t bytesReceivedSecond() const { return receivedSecond_.load(); }
    std::uint32_t bytesReceivedTenth() const { return receivedTenth_.load(); }

private:
    std::atomic<std::uint32_t> sent_{0};
    std::atomic<std::uint32_t> receivedSecond_{0};
    std::atomic<std::uint32_t> receivedTenth_{0};
    std::uint32_t lastSecond_;
    std::uint32_t lastTenth_;
};

} // namespace wavix
