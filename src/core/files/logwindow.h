#pragma once
// Reading one window of a log's word stream into the log's own channels. A log is
// never held whole: only the window is read, in one read, each time it moves.

#include "core/files/scopefile.h"

#include <cstdint>
#include <vector>

namespace wavix {

inline constexpr int kLogDisplayRefreshMs = 2000;

// Reads the instants first .. first + count - 1 of a log (version 0x33 high byte
// first, 0x44 low byte first) into the file's channels: value = (word & 0x7FF) - 512,
// sample count and capacity = instants read. A window that runs past the end of the
// file is cut to what exists (a window starting past the end reads no instants).
// False for another version, a log without channels, a negative start, or a file
// that cannot be read; the channels are then left as they were.
bool ReadLogWindow(CScopeFile& file, std::int64_t first, std::int64_t count,
                   std::uint32_t* instantsRead = nullptr);

// Which display shows which channels (indexes into the file's channel list).
struct LogDisplayAssignment {
    int display = 0;
    std::vector<int> channels;
    bool operator==(const LogDisplayAssignment&) const = default;
};

// All channels into the first display, or channel k into display k. With fewer
// displays than channels the channels without a display are left out.
std::vector<LogDisplayAssignment> LogWindowDisplays(int channelCount, int displayCount, bool onePerChannel);

} // namespace wavix
