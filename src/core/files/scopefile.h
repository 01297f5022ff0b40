#pragma once
// Scope data files (.sdf): a 288-byte header, then one 632-byte block per channel
// (628 in the oldest layout). Waveform files carry each channel's samples after
// its block; log files carry a stream of 16-bit words after the last block, one
// word per channel per sample instant, channels interleaved in block order.
//
// Header: "OSC1", u32 block count, text[256], eight u16 of UTC time
// (year, month, day of week, day, hour, minute, second, ms), u32 0, u32 version.
// Block: "-CHx", u32 sample count (0xFFFFFFFF: none), u32 colour, description[256],
// name[256], channel header record (32), probe record (68), end marker, u32 trigger
// position (absent in 0x11). The program's files are little-endian; the tester's
// logs (0x33) are big-endian throughout and end each block with "-123".
//
// Stream word: bits 0..10 sample + 512; bit 15 mark of kind 1, bit 14 mark of kind 2;
// any of bits 11..15 makes the word a mark.

#include "core/scope/channeldata.h"
#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace wavix {

inline constexpr std::uint32_t kFileVersionOld = 0x11;
inline constexpr std::uint32_t kFileVersionWave = 0x22;
inline constexpr std::uint32_t kFileVersionTesterLog = 0x33;
inline constexpr std::uint32_t kFileVersionLog = 0x44;

inline constexpr std::size_t kFileHeaderSize = 288;
inline constexpr std::size_t kChannelBlockSize = 632;
inline constexpr std::size_t kChannelBlockSizeOld = 628;
inline constexpr std::size_t kFileTextField = 256; // 255 bytes of text and the terminating zero
inline constexpr std::uint32_t kNoSamples = 0xFFFFFFFF;
inline constexpr int kMaxFileChannels = 4;

inline constexpr std::uint16_t kLogSampleMask = 0x07FF;
inline constexpr std::uint16_t kLogMarkMask = 0xF800;
inline constexpr std::uint16_t kLogMarkFirst = 0x8000;
inline constexpr std::uint16_t kLogMarkSecond = 0x4000;
// A log whose words mostly carry mark bits would otherwise hold gigabytes of marks.
inline constexpr std::size_t kMaxLogMarks = 100000;

// A mark found in a log: number counts from 1, position is the sample instant,
// kind 1 (bit 15), 2 (bit 14) or 0 (another mark bit).
struct LogMark {
    int number = 0;
    std::uint32_t position = 0;
    int kind = 0;

    bool operator==(const LogMark&) const = default;
};

struct FileTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0; // 0 Sunday
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;

    bool operator==(const FileTime&) const = default;
};

using FileClock = std::function<FileTime()>;
FileTime CurrentUtcFileTime();

// Value of a stream word in converter counts: (word & 0x7FF) - 512, so -512..1535.
inline int LogWordValue(std::uint16_t word) {
    return static_cast<int>(word & kLogSampleMask) - 512;
}

class CScopeFile {
public:
    explicit CScopeFile(FileClock clock = CurrentUtcFileTime);
    ~CScopeFile();
    CScopeFile(const CScopeFile&) = delete;
    CScopeFile& operator=(const CScopeFile&) = delete;

    // Reads a file of any version; marks, when given, receive the first
    // kMaxLogMarks marks of a log (appended) and GetLogMarkCount() counts them all.
    // On failure the object is left exactly as it was. Collecting the
    // marks reads the whole word stream; progress, when given, hears the bytes done
    // of the stream after every chunk and stops the load by answering false.
    using LoadProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;
    bool Load(const std::filesystem::path& path, std::vector<LogMark>* marks = nullptr,
              const LoadProgress& progress = {});

    // Version 0x22 with the given channels and their samples, or with the file's own
    // channels. The previous file at path survives a failed save.
    bool Save(const std::filesystem::path& path, std::span<const CChannelData* const> channels);
    bool Save(const std::filesystem::path& path);

    // Version 0x44 with the given channels and no samples; the file then stays open
    // for AppendLogSamples until CloseLog. The channels must outlive the recording.
    bool SaveLogHeader(const std::filesystem::path& path, std::span<const CChannelData* const> channels);
    // Writes the last n sample instants of the recording channels (positions
    // capacity - n .. capacity - 1). False when no log is open or a write failed.
    bool AppendLogSamples(std::uint32_t n);
    // Kind 1 marks the next word written with bit 15, 2 or more with bit 14.
    void RequestMark(int kind) { pendingMark_ = kind; }
    int GetPendingMark() const { return pendingMark_; }
    bool IsLogOpen() const { return log_ != nullptr; }
    void CloseLog();

    // A settings record from the channels read. False when there is none.
    bool BuildSettings(tOscilExchange& rec) const;

    // Channels owned by the file (read, or added to be saved). Added channels are
    // made free-standing and quiet.
    int GetChannelCount() const { return static_cast<int>(channels_.size()); }
    CChannelData* GetChannel(int index);
    const CChannelData* GetChannel(int index) const;
    void AddChannel(std::unique_ptr<CChannelData> channel);
    bool IsShown(int index) const;
    void SetShown(int index, bool shown);

    const std::string& GetHeaderText() const { return headerText_; }
    void SetHeaderText(std::string text) { headerText_ = std::move(text); }
    std::uint32_t GetVersion() const { return version_; }
    const FileTime& GetTime() const { return time_; }
    const std::filesystem::path& GetPath() const { return path_; }
    int GetTimeBaseStep() const { return step_; }

    // Logs: the word stream holds whole instants only; a trailing part instant is ignored.
    bool IsLog() const { return isLog_; }
    std::uint32_t GetLogSamplesPerChannel() const { return logSamples_; }
    // Marks in the stream, kept or not; 0 when the last load did not collect them.
    std::uint64_t GetLogMarkCount() const { return logMarkCount_; }
    std::uint64_t GetStreamOffset() const { return streamOffset_; }
    std::uint64_t GetStreamLength() const { return streamLength_; }
    ByteOrder GetStreamByteOrder() const { return streamOrder_; }

    // Words of the instants first .. first + count - 1 (cut to the stream), in host
    // order, count × channel count of them. False when the file is no log or unreadable.
    bool ReadLogWords(std::uint32_t first, std::uint32_t count, std::vector<std::uint16_t>& words) const;

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    struct Entry {
        std::unique_ptr<CChannelData> channel;
        bool shown = true;
    };

    FileClock clock_;
    std::string headerText_;
    std::uint32_t version_ = 0;
    FileTime time_;
    std::filesystem::path path_;
    std::vector<Entry> channels_;
    int step_ = 0;
    bool isLog_ = false;
    std::uint32_t logSamples_ = 0;
    std::uint64_t logMarkCount_ = 0;
    std::uint64_t streamOffset_ = 0;
    std::uint64_t streamLength_ = 0;
    ByteOrder streamOrder_ = ByteOrder::Little;

    std::unique_ptr<std::FILE, FileCloser> log_;
    std::vector<const CChannelData*> logChannels_;
    std::vector<std::uint8_t> logBuffer_;
    int pendingMark_ = 0;

    friend struct ScopeFileLoader;
};

} // namespace wavix
