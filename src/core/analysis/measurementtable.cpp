#include "core/analysis/measurementtable.h"

#include <algorithm>

namespace wavix {

bool CMeasurementTable::Add(int channel, std::string_view key) {
    const MeasureDef* def = FindMeasurement(key);
    if (def == nullptr || channel < 1 || channel > kChannelCount)
        return false;
    if (std::any_of(rows_.begin(), rows_.end(),
                    [&](const MeasureRow& r) { return r.channel == channel && r.def == def; }))
        return false;
    rows_.push_back({channel, def});
    results_.push_back(MeasureResult::Not(MeasureWhy::NoSamples));
    return true;
}

void CMeasurementTable::Remove(std::size_t row) {
    if (row >= rows_.size())
        return;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    results_.erase(results_.begin() + static_cast<std::ptrdiff_t>(row));
}

void CMeasurementTable::Clear() {
    rows_.clear();
    results_.clear();
}

void CMeasurementTable::Evaluate(std::span<const SignalInput> spans) {
    std::array<bool, kChannelCount> fresh{};
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const auto c = static_cast<std::size_t>(rows_[i].channel - 1);
        if (c >= spans.size()) {
            results_[i] = MeasureResult::Not(MeasureWhy::NoSamples);
            continue;
        }
        if (!fresh[c]) {
            analysis_[c].Reset(spans[c]);
            fresh[c] = true;
        }
        results_[i] = Measure(*rows_[i].def, analysis_[c]);
    }
}

} // namespace wavix
