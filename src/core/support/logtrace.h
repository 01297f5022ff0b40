#pragma once
// The debug log. Output mode 0 writes nothing; mode 1 appends every line, with
// a local-time prefix, to one of a fixed list of files in the log folder. The
// first line written to a file in this run is preceded by a START line, and
// every file so started gets an END line when the log is destroyed. A whole
// call holds the lock, so lines of different callers never interleave.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace wavix {

struct TraceTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

using TraceClock = std::function<TraceTime()>;

TraceTime LocalTraceTime();
// "dd.mm.yyyy hh:mm:ss.mmm " (with the trailing blank).
std::string FormatTracePrefix(const TraceTime& t);

inline constexpr std::string_view kTraceStartLine = "-*- START -*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-";
inline constexpr std::string_view kTraceEndLine = "-*- END -*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-";

class CLogTrace {
public:
    enum Mode { kOff = 0, kFile = 1 };

    CLogTrace() = default;
    CLogTrace(int mode, std::filesystem::path folder, std::vector<std::string> files,
              TraceClock clock = LocalTraceTime);
    ~CLogTrace();
    CLogTrace(const CLogTrace&) = delete;
    CLogTrace& operator=(const CLogTrace&) = delete;

    // True when the line reached the file; mode 0 and an index outside the
    // file list answer false and write nothing.
    bool Trace(std::size_t file, std::string_view text);

    int GetMode() const { return mode_; }

private:
    bool append(std::size_t file, std::string_view text);

    mutable std::mutex mutex_;
    int mode_ = kOff;
    std::filesystem::path folder_;
    std::vector<std::string> files_;
    std::vector<bool> started_;
    TraceClock clock_ = LocalTraceTime;
};

// A line for whoever debugs the program: to file 0 of the log when one is given
// and writing, else to stderr in debug builds. Never stops the program.
void DebugTrace(std::string_view line, CLogTrace* log = nullptr);

// Something that cannot happen did (an unexpected length, a missing object).
// The program carries on; the fault is only traced.
void InternalError(std::string_view where, CLogTrace* log = nullptr);

} // namespace wavix
