#include "core/files/logloadjob.h"

#include <algorithm>
#include <utility>

namespace wavix {

CLogLoadJob::CLogLoadJob(std::filesystem::path path) : path_(std::move(path)) {}

void CLogLoadJob::Run() {
    if (done_.load(std::memory_order_acquire))
        return;
    LogLoadResult result;
    auto file = std::make_unique<CScopeFile>();
    const auto progress = [this](std::uint64_t done, std::uint64_t total) {
        const int percent =
            total > 0 ? static_cast<int>(std::min<std::uint64_t>(done * 100 / total, 100)) : 100;
        percent_.store(percent, std::memory_order_relaxed);
        if (hook_)
            hook_(percent);
        return !IsCancelled();
    };
    if (IsCancelled())
        result.outcome = LogLoadResult::Outcome::Cancelled;
    else if (file->Load(path_, &result.marks, progress) && file->IsLog())
        result.outcome = LogLoadResult::Outcome::Loaded;
    else
        result.outcome = IsCancelled() ? LogLoadResult::Outcome::Cancelled : LogLoadResult::Outcome::Failed;
    if (result.outcome == LogLoadResult::Outcome::Loaded) {
        result.marksInLog = file->GetLogMarkCount();
        result.file = std::move(file);
        percent_.store(100, std::memory_order_relaxed);
    } else {
        result.marks.clear();
    }
    result_ = std::move(result);
    done_.store(true, std::memory_order_release);
}

LogLoadResult CLogLoadJob::TakeResult() {
    if (!IsDone())
        return {};
    return std::exchange(result_, LogLoadResult{});
}

} // namespace wavix
