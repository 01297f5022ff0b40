#pragma once
// Rows of (channel, measurement), evaluated together on each channel's span:
// one analysis per channel that has rows, so refreshing the table after every
// converted group reads each such channel's samples about twice, whatever the
// number of rows.

#include "core/analysis/measurement.h"
#include "core/scope/oscilexchange.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace wavix {

struct MeasureRow {
    int channel; // 1..kChannelCount
    const MeasureDef* def;
};

class CMeasurementTable {
public:
    // False for a channel out of range, an unknown key or a row already there.
    bool Add(int channel, std::string_view key);
    void Remove(std::size_t row);
    void Clear();

    std::span<const MeasureRow> Rows() const { return rows_; }
    // Of the last Evaluate, one per row; NoSamples before the first.
    std::span<const MeasureResult> Results() const { return results_; }

    // spans[c] is channel c + 1's span; missing channels measure nothing.
    void Evaluate(std::span<const SignalInput> spans);

private:
    std::vector<MeasureRow> rows_;
    std::vector<MeasureResult> results_;
    std::array<CSignalAnalysis, kChannelCount> analysis_;
};

} // namespace wavix
