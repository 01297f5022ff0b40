#pragma once
// The file side of a roll-mode recording: a log scope file whose word stream
// grows by the newest instants of the recorded channels after every converted
// sample group. Each group reaches the disk before the next one is taken, so a
// program killed while recording leaves a log that reads up to its last whole
// instant.

#include "core/files/scopefile.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace wavix {

class CRollLog {
public:
    explicit CRollLog(FileClock clock = CurrentUtcFileTime);

    // A new log at path (replacing a file there) with the channels' settings and
    // the description in its header. The channels must outlive the recording.
    bool Start(const std::filesystem::path& path, std::span<const CChannelData* const> channels,
               std::string description);
    // The newest count instants of the channels. A group larger than the channels
    // hold cannot be written whole: the instants kept are written and the first
    // of them carries a mark of the second kind, so the seam shows in the log.
    // False when the write failed; the log is closed then.
    bool Append(std::uint32_t count);
    // The samples stopped for a while (the link was restarted): the next instant
    // written carries a mark of the second kind as well.
    void MarkSeam();
    // A mark of kind 1 or 2 on the next instant written; false when no log is open.
    bool RequestMark(int kind);
    void End();

    bool IsOpen() const { return file_.IsLogOpen(); }
    // True once any log was started in this run.
    bool WasStarted() const { return started_; }
    const std::filesystem::path& Path() const { return path_; }
    std::uint64_t InstantsWritten() const { return written_; }
    // Instants announced by the groups that did not fit into the channels.
    std::uint64_t InstantsLost() const { return lost_; }

private:
    CScopeFile file_;
    std::filesystem::path path_;
    std::uint32_t capacity_ = 0;
    std::uint64_t written_ = 0;
    std::uint64_t lost_ = 0;
    bool started_ = false;
};

} // namespace wavix
