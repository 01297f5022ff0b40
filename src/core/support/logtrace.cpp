#include "core/support/logtrace.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>

namespace wavix {

TraceTime LocalTraceTime() {
    const auto now = std::chrono::system_clock::now();
    const auto secs = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &secs);
#else
    localtime_r(&secs, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,          tm.tm_hour,
            tm.tm_min,         tm.tm_sec,     static_cast<int>(ms)};
}

std::string FormatTracePrefix(const TraceTime& t) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d.%03d ", t.day, t.month, t.year, t.hour,
                  t.minute, t.second, t.millisecond);
    return buf;
}

CLogTrace::CLogTrace(int mode, std::filesystem::path folder, std::vector<std::string> files, TraceClock clock)
    : mode_(mode), folder_(std::move(folder)), files_(std::move(files)), started_(files_.size(), false),
      clock_(clock ? std::move(clock) : TraceClock(LocalTraceTime)) {}

CLogTrace::~CLogTrace() {
    const std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < files_.size(); ++i)
        if (started_[i])
            append(i, kTraceEndLine);
}

bool CLogTrace::append(std::size_t file, std::string_view text) {
    std::ofstream out(folder_ / files_[file], std::ios::binary | std::ios::app);
    if (!out)
        return false;
    out << FormatTracePrefix(clock_()) << text;
    if (text.empty() || text.back() != '\n')
        out << '\n';
    out.flush();
    return static_cast<bool>(out);
}

bool CLogTrace::Trace(std::size_t file, std::string_view text) {
    const std::lock_guard lock(mutex_);
    if (mode_ != kFile)
        return false;
    if (file >= files_.size()) {
#ifndef NDEBUG
        std::cerr << "CLogTrace: no log file " << file << '\n';
#endif
        return false;
    }
    if (!started_[file]) {
        if (!append(file, kTraceStartLine))
            return false;
        started_[file] = true;
    }
    return append(file, text);
}

void DebugTrace(std::string_view line, CLogTrace* log) {
    if (log != nullptr && log->Trace(0, line))
        return;
#ifndef NDEBUG
    std::cerr << line << '\n';
#endif
}

void InternalError(std::string_view where, CLogTrace* log) {
    std::string line = "Internal error: ";
    line += where;
    DebugTrace(line, log);
}

} // namespace wavix
