#include "core/files/rolllog.h"

#include <algorithm>
#include <limits>

namespace wavix {

CRollLog::CRollLog(FileClock clock) : file_(std::move(clock)) {}

bool CRollLog::Start(const std::filesystem::path& path, std::span<const CChannelData* const> channels,
                     std::string description) {
    End();
    file_.SetHeaderText(std::move(description));
    if (!file_.SaveLogHeader(path, channels))
        return false;
    capacity_ = std::numeric_limits<std::uint32_t>::max();
    for (const CChannelData* ch : channels)
        capacity_ = std::min(capacity_, ch->GetCapacity());
    path_ = path;
    written_ = 0;
    lost_ = 0;
    started_ = true;
    return true;
}

bool CRollLog::Append(std::uint32_t count) {
    if (!IsOpen())
        return false;
    // Reading more than a channel holds would start before its samples.
    const std::uint32_t n = std::min(count, capacity_);
    if (n < count) {
        lost_ += count - n;
        file_.RequestMark(2);
    }
    if (!file_.AppendLogSamples(n)) {
        End();
        return false;
    }
    written_ += n;
    return true;
}

void CRollLog::MarkSeam() {
    if (IsOpen())
        file_.RequestMark(2);
}

bool CRollLog::RequestMark(int kind) {
    if (!IsOpen())
        return false;
    file_.RequestMark(kind);
    return true;
}

void CRollLog::End() {
    file_.CloseLog();
}

} // namespace wavix
