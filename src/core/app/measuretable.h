#pragma once
// The Qt-free half of the measurement table window: which samples of a view it
// measures, how its rows are kept in "Wavix.ini", and how often the window may
// redraw or measure again when groups arrive faster than the screen refreshes.

#include "core/analysis/measurementtable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wavix {

class CIni;
class CMeasureCursors;
class CScopeZoom;

struct SampleSpan {
    std::uint32_t from = 0;
    std::uint32_t count = 0;
    friend bool operator==(const SampleSpan&, const SampleSpan&) = default;
};

// Of n samples, those the view shows (zoom) or, with cursors, those between
// the two cursors (in either order, clamped to the view).
SampleSpan ShownSpan(std::int64_t n, const CScopeZoom& zoom, const CMeasureCursors* cursors);

// Rows as "1:frequency,3:rpm"; unknown or repeated entries are skipped, at most kMaxMeasureRows taken.
inline constexpr std::size_t kMaxMeasureRows = 32;
std::string FormatMeasureRows(const CMeasurementTable& table);
void ParseMeasureRows(std::string_view text, CMeasurementTable& table);

// A row's value for the window: "2.81 ms", "798 rpm", "41.2 %"; unit is the
// channel's for MeasureUnit::Channel. Empty when the row has no value (its why then says).
std::string FormatMeasureValue(const MeasureDef& def, const MeasureResult& result, std::string_view unit);

inline constexpr std::string_view kMeasureSection = "MeasureTable";
struct MeasureTableSettings {
    bool betweenCursors = false;
    bool shown = false;
};
MeasureTableSettings LoadMeasureTable(const CIni& ini, CMeasurementTable& table);
bool SaveMeasureTable(const CIni& ini, const CMeasurementTable& table, const MeasureTableSettings& s);

// At most one redraw per interval: a change within the interval after the last
// one waits for its end, and changes meanwhile join it.
class CRefreshGate {
public:
    static constexpr std::uint32_t kScreenIntervalMs = 16;
    explicit CRefreshGate(std::uint32_t intervalMs = kScreenIntervalMs) : interval_(intervalMs) {}

    // A change at nowMs: the delay before drawing it, or nothing when a draw is already due.
    std::optional<std::uint32_t> Request(std::uint32_t nowMs);
    // The draw ran at nowMs.
    void Drawn(std::uint32_t nowMs);
    bool Pending() const { return pending_; }

private:
    std::uint32_t interval_;
    std::optional<std::uint32_t> last_;
    bool pending_ = false;
};

} // namespace wavix
