#include "core/app/measuretable.h"

#include "core/display/measurecursors.h"
#include "core/display/scopezoom.h"
#include "core/scope/engprefix.h"
#include "core/settings/ini.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace wavix {

SampleSpan ShownSpan(std::int64_t n, const CScopeZoom& zoom, const CMeasureCursors* cursors) {
    if (n <= 0)
        return {};
    n = std::min<std::int64_t>(n, UINT32_MAX);
    const std::int64_t first = std::clamp<std::int64_t>(zoom.FirstVisible(n), 0, n);
    const std::int64_t last = std::clamp<std::int64_t>(zoom.LastVisible(n), first, n);
    std::int64_t from = first;
    std::int64_t to = last;
    if (cursors != nullptr) {
        const double width = static_cast<double>(last - first);
        const auto at = [&](double percent) {
            return first + static_cast<std::int64_t>(width * std::clamp(percent, 0.0, 100.0) / 100.0);
        };
        from = at(std::min(cursors->Left(), cursors->Right()));
        to = at(std::max(cursors->Left(), cursors->Right()));
    }
    return {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from)};
}

std::string FormatMeasureRows(const CMeasurementTable& table) {
    std::string out;
    for (const MeasureRow& r : table.Rows()) {
        if (!out.empty())
            out += ',';
        out += std::to_string(r.channel);
        out += ':';
        out += r.def->key;
    }
    return out;
}

void ParseMeasureRows(std::string_view text, CMeasurementTable& table) {
    table.Clear();
    while (!text.empty() && table.Rows().size() < kMaxMeasureRows) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        const std::size_t colon = item.find(':');
        if (colon == std::string_view::npos)
            continue;
        int channel = 0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + colon, channel);
        if (ec == std::errc{} && end == item.data() + colon)
            table.Add(channel, item.substr(colon + 1));
    }
}

std::string FormatMeasureValue(const MeasureDef& def, const MeasureResult& result, std::string_view unit) {
    if (!result.ok() || !std::isfinite(result.value))
        return {};
    char buf[64];
    const auto plain = [&](const char* format, std::string_view suffix) {
        std::snprintf(buf, sizeof buf, format, result.value);
        return std::string(buf) + std::string(suffix);
    };
    switch (def.unit) {
    case MeasureUnit::Percent:
        return plain("%.1f", " %");
    case MeasureUnit::Rpm:
        return plain("%.0f", " rpm");
    case MeasureUnit::Count:
        return plain("%.0f", "");
    case MeasureUnit::Seconds:
        unit = "s";
        break;
    case MeasureUnit::Hertz:
        unit = "Hz";
        break;
    case MeasureUnit::Channel:
        break;
    }
    const std::optional<EngValue> eng = EngineeringPrefix(result.value);
    if (!eng || result.value == 0.0)
        return plain("%.3g ", unit);
    // Three significant digits, whatever the prefix: 2.81 ms, 28.1 ms, 281 ms.
    const double mag = std::abs(eng->value);
    std::snprintf(buf, sizeof buf, "%.*f", mag >= 100.0 ? 0 : mag >= 10.0 ? 1 : 2, eng->value);
    std::string digits = buf;
    if (digits.find('.') != std::string::npos) {
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == '.')
            digits.pop_back();
    }
    return digits + " " + std::string(eng->prefix) + std::string(unit);
}

MeasureTableSettings LoadMeasureTable(const CIni& ini, CMeasurementTable& table) {
    ParseMeasureRows(ini.GetString(kMeasureSection, "Rows", ""), table);
    MeasureTableSettings s;
    s.betweenCursors = ini.GetUnsigned(kMeasureSection, "Cursors", 0, 10) == 1;
    s.shown = ini.GetUnsigned(kMeasureSection, "Show", 0, 10) == 1;
    return s;
}

bool SaveMeasureTable(const CIni& ini, const CMeasurementTable& table, const MeasureTableSettings& s) {
    return ini.WriteString(kMeasureSection, "Rows", FormatMeasureRows(table)) &&
           ini.WriteUnsigned(kMeasureSection, "Cursors", s.betweenCursors ? 1 : 0, 10) &&
           ini.WriteUnsigned(kMeasureSection, "Show", s.shown ? 1 : 0, 10);
}

std::optional<std::uint32_t> CRefreshGate::Request(std::uint32_t nowMs) {
    if (pending_)
        return std::nullopt;
    pending_ = true;
    if (!last_)
        return 0U;
    const std::uint32_t since = nowMs - *last_; // wraps with the clock
    return since >= interval_ ? 0U : interval_ - since;
}

void CRefreshGate::Drawn(std::uint32_t nowMs) {
    last_ = nowMs;
    pending_ = false;
}

} // namespace wavix
