#pragma once
// Opening a log for viewing on a worker thread. The job owns everything the
// worker touches (the path, the new file object, the mark list and two atomics),
// and is shared between the window and the worker, so neither side can pull
// anything from under the other. The window polls Progress() and, once IsDone()
// says so, takes the result by move.

#include "core/files/scopefile.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace wavix {

struct LogLoadResult {
    enum class Outcome { Loaded, Failed, Cancelled };
    Outcome outcome = Outcome::Failed;
    std::unique_ptr<CScopeFile> file; // set only when loaded
    std::vector<LogMark> marks;
    std::uint64_t marksInLog = 0; // kept or not
};

class CLogLoadJob {
public:
    explicit CLogLoadJob(std::filesystem::path path);
    CLogLoadJob(const CLogLoadJob&) = delete;
    CLogLoadJob& operator=(const CLogLoadJob&) = delete;

    // Worker side: reads the file header and collects its marks. Runs once.
    void Run();

    // Any thread.
    void Cancel() { cancel_.store(true, std::memory_order_relaxed); }
    bool IsCancelled() const { return cancel_.load(std::memory_order_relaxed); }
    int Progress() const { return percent_.load(std::memory_order_relaxed); } // 0..100
    bool IsDone() const { return done_.load(std::memory_order_acquire); }

    // After IsDone(): the result, once; later calls give an empty failure.
    LogLoadResult TakeResult();

    const std::filesystem::path& Path() const { return path_; }

    // Called on the worker after each chunk with the percentage done (tests).
    void SetProgressHook(std::function<void(int)> hook) { hook_ = std::move(hook); }

private:
    const std::filesystem::path path_;
    std::function<void(int)> hook_;
    LogLoadResult result_;
    std::atomic<bool> cancel_{false};
    std::atomic<int> percent_{0};
    std::atomic<bool> done_{false};
};

} // namespace wavix
