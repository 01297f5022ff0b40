#pragma once
// Real time for the Qt-free state machines: a monotonic millisecond tick, and
// a timer that calls a machine's timer step exactly when its next deadline is
// due instead of waking every millisecond.

#include "core/support/ticksource.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

namespace wavix {

class CQtTickSource : public ITickSource {
public:
    // `startMs` is the first tick; tests start near the wrap.
    explicit CQtTickSource(std::uint32_t startMs = 0);
    std::uint32_t tickMs() const override;

private:
    QElapsedTimer clock_;
    std::uint32_t startMs_;
};

class CDeadlineTimer : public QObject {
    Q_OBJECT
public:
    static constexpr std::uint32_t kMinDelayMs = 1;
    static constexpr std::uint32_t kMaxDelayMs = 1000;

    CDeadlineTimer(std::function<void()> step, std::function<std::uint32_t()> msUntilNext,
                   QObject* parent = nullptr);

    void start();
    void stop();
    bool isActive() const { return timer_.isActive(); }
    // Outside activity may have brought the next deadline closer: ask again now.
    void poke();

    static std::uint32_t clampDelay(std::uint32_t ms);

private:
    void fire();
    void arm();

    std::function<void()> step_;
    std::function<std::uint32_t()> msUntilNext_;
    QTimer timer_;
    bool running_ = false;
};

} // namespace wavix
