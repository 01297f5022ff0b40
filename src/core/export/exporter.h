#pragma once
// The formats a capture can be written in. Each exporter names itself and its
// file extension and writes to a stream, to a file, or both; what it cannot do
// it answers with a reason instead of writing half. New formats implement
// IExporter; those that need widgets (a picture) take a renderer from the
// layer that has them.

#include "core/files/scopefile.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wavix {

struct ExportResult {
    bool ok = true;
    std::string reason; // one line, set when !ok

    static ExportResult Fail(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

// What to write: a loaded file's channels, or the channels a view shows under
// the file's header text and clock. Instants from..from+count of the samples
// for the formats that list them.
struct ExportCapture {
    CScopeFile& file;
    std::span<const CChannelData* const> channels = {}; // empty: the file's own
    std::span<const LogMark> marks = {};
    std::uint32_t from = 0;
    std::uint32_t count = std::numeric_limits<std::uint32_t>::max();
};

// The channels an export writes: those asked for, else the file's own (then `log`
// tells whether they are a log's). Empty when any of them is missing.
struct ExportChannels {
    std::vector<const CChannelData*> list;
    bool log = false;
};
ExportChannels ChannelsToExport(const ExportCapture& capture);

// Instants from..from+count of a capture's samples.
struct SampleSpan {
    std::uint32_t from = 0;
    std::uint32_t count = 0;
};
// What a view shows, [first, last) of its samples, kept to the samples there
// are (a zoom computed in floating point may reach past them); whole: all.
SampleSpan ViewSpan(std::int64_t first, std::int64_t last, std::int64_t samples, bool whole);

// The name the user typed with the format's extension, unless it already ends
// in it (in any case): "a.csv" stays, "a" and "a.txt" get ".csv".
std::filesystem::path WithExtension(std::filesystem::path path, std::string_view extension);

class IExporter {
public:
    virtual ~IExporter() = default;
    virtual std::string_view Name() const = 0;
    virtual std::string_view Extension() const = 0; // with the dot
    virtual ExportResult Write(const ExportCapture& capture, std::ostream& out) const = 0;
    // By default the stream form into a new file.
    virtual ExportResult Write(const ExportCapture& capture, const std::filesystem::path& path) const;
};

} // namespace wavix
