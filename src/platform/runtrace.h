#pragma once
// Machine-readable trace of a run for scripts that watch the program from
// outside (soak, budgets): one line on stderr per event,
//   wavix-trace <unix ms> shown                 the main window first shown
//   wavix-trace <unix ms> capture <samples>     a sample group converted
//   wavix-trace <unix ms> error <code>          a module protocol failure (hex report code)
// Installed as an application-wide event filter; it only looks, never consumes.

#include <QObject>

#include <cstdio>

namespace wavix {

class CRunTrace : public QObject {
public:
    explicit CRunTrace(std::FILE* out = stderr, QObject* parent = nullptr) : QObject(parent), out_(out) {}

    // The window whose first showing is traced.
    void SetMainWindow(const QObject* window) { window_ = window; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void line(const char* what, long long value = -1);

    std::FILE* out_;
    const QObject* window_ = nullptr;
    bool shown_ = false;
};

} // namespace wavix
