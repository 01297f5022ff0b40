#pragma once
// Machine-readable trace of a run for scripts that watch the program from
// outside (soak, budgets): one line on stderr per event,
//   wavix-trace <unix ms> shown                 the main window first shown
//   wavix-trace <unix ms> capture <samples>     a sample group converted (samples per channel)
//   wavix-trace <unix ms> error <code>          a module protocol failure (hex report code)
//   wavix-trace <unix ms> link <state> <address>:<port>   the link state changed
// Installed as an application-wide event filter; it only looks, never consumes.

#include <QObject>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string_view>

namespace wavix {

class CRunTrace : public QObject {
public:
    explicit CRunTrace(std::FILE* out = stderr, QObject* parent = nullptr) : QObject(parent), out_(out) {}

    // The window whose first showing is traced.
    void SetMainWindow(const QObject* window) { window_ = window; }
    // Samples per channel of the capture in place, for groups that do not
    // carry their count (outside roll mode).
    void SetCaptureSamples(std::function<std::uint32_t()> samples) { samples_ = std::move(samples); }
    // The link state is told by the window, not seen as an event.
    void Link(std::string_view state, std::string_view endpoint);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void line(const char* what, long long value = -1);

    std::FILE* out_;
    const QObject* window_ = nullptr;
    bool shown_ = false;
    std::function<std::uint32_t()> samples_;
};

} // namespace wavix
