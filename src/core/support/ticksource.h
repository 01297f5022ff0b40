#pragma once
// Millisecond tick source. State machines read time only through this, so tests
// drive them to the millisecond with a fake clock and never sleep.

#include <cstdint>

namespace wavix {

class ITickSource {
public:
    virtual ~ITickSource() = default;
    // Wraps after about 49 days; compare ticks with ticksSince().
    virtual std::uint32_t tickMs() const = 0;
};

// Elapsed milliseconds as an unsigned 32-bit difference, correct across the wrap.
constexpr std::uint32_t ticksSince(std::uint32_t now, std::uint32_t then) {
    return now - then;
}

class CFakeTickSource : public ITickSource {
public:
    explicit CFakeTickSource(std::uint32_t start = 0) : now_(start) {}
    std::uint32_t tickMs() const override { return now_; }
    void advance(std::uint32_t ms) { now_ += ms; }
    void set(std::uint32_t ms) { now_ = ms; }

private:
    std::uint32_t now_;
};

} // namespace wavix
