#pragma once
// Runs a call at most once per screen refresh however often it is asked for:
// requests within the interval after the last run join one run at its end.

#include "core/app/measuretable.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace wavix {

class CPacedCall {
public:
    explicit CPacedCall(std::function<void()> call,
                        std::uint32_t intervalMs = CRefreshGate::kScreenIntervalMs)
        : call_(std::move(call)), gate_(intervalMs) {
        clock_.start();
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { run(); });
    }

    // Runs at once when the interval since the last run is over.
    void Request() {
        const auto delay = gate_.Request(now());
        if (!delay)
            return;
        if (*delay == 0)
            run();
        else
            timer_.start(static_cast<int>(*delay));
    }
    // Runs now what is pending (before something reads what the call produces).
    void Flush() {
        if (gate_.Pending()) {
            timer_.stop();
            run();
        }
    }

private:
    std::uint32_t now() const { return static_cast<std::uint32_t>(clock_.elapsed()); }
    void run() {
        gate_.Drawn(now());
        call_();
    }

    std::function<void()> call_;
    CRefreshGate gate_;
    QElapsedTimer clock_;
    QTimer timer_;
};

} // namespace wavix
