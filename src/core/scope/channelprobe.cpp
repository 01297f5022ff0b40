#include "core/scope/channelprobe.h"

#include "core/settings/ini.h"
#include "core/support/bytes.h"
#include "core/support/strformat.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <system_error>

namespace wavix {
namespace {

constexpr std::string_view kSection = "PROBE";
constexpr std::string_view kMissing = "ERR";

// The whole text must be one number; "%f" alone would take "2.5abc" or "nan".
// A decimal point whatever the process locale: probe files are shared.
bool parseRatio(std::string_view text, float& out) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size())
        return false;
    if (!IsValidProbeRatio(v) || !IsValidProbeRatio(static_cast<float>(v)))
        return false;
    out = static_cast<float>(v);
    return true;
}

} // namespace

bool IsValidProbeRatio(double ratio) {
    return std::isfinite(ratio) && ratio > 0.0;
}

bool CChannelProbe::Load(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    const CIni ini(path);
    const std::string name = ini.GetString(kSection, "Name", kMissing);
    const std::string units = ini.GetString(kSection, "Units", kMissing);
    const std::string ratioText = ini.GetString(kSection, "Ratio", kMissing);
    if (name == kMissing || units == kMissing || ratioText == kMissing)
        return false;
    float ratio = 0.0f;
    if (!parseRatio(ratioText, ratio))
        return false;
    const std::uint32_t mask = ini.GetUnsigned(kSection, "AlowedChannels", 0, 16);
    if (mask == 0)
        return false;
    name_ = name;
    units_ = units;
    ratio_ = ratio;
    allowedChannels_ = mask;
    loaded_ = 1;
    return true;
}

void CChannelProbe::Reset() {
    *this = CChannelProbe{};
}

std::string CChannelProbe::GetRatioText() const {
    return StrFormat("%.2f", static_cast<double>(ratio_));
}

void CChannelProbe::ExportRecord(std::span<std::uint8_t, kProbeRecordSize> out, ByteOrder order) const {
    write32(out.data(), loaded_, order);
    PutTextField(out.subspan(4, kProbeTextField), name_);
    PutTextField(out.subspan(34, kProbeTextField), units_);
    write32(out.data() + 64, std::bit_cast<std::uint32_t>(ratio_), order);
}

bool CChannelProbe::ImportRecord(std::span<const std::uint8_t, kProbeRecordSize> in, ByteOrder order) {
    loaded_ = read32(in.data(), order);
    name_ = GetTextField(in.subspan(4, kProbeTextField));
    units_ = GetTextField(in.subspan(34, kProbeTextField));
    const float ratio = std::bit_cast<float>(read32(in.data() + 64, order));
    const bool ok = IsValidProbeRatio(ratio);
    ratio_ = ok ? ratio : 1.0f;
    return ok;
}

} // namespace wavix
