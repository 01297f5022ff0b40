#include "core/scope/channelprobe.h"

#include "core/settings/ini.h"
#include "core/support/bytes.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace wavix {
namespace {

constexpr std::string_view kSection = "PROBE";
constexpr std::string_view kMissing = "ERR";

// The whole text must be one number; "%f" alone would take "2.5abc" or "nan".
bool parseRatio(const std::string& text, float& out) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE)
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

std::string CutUtf8(std::string_view s, std::size_t maxBytes) {
    if (s.size() <= maxBytes)
        return std::string(s);
    std::size_t n = maxBytes;
    // s[n] is the first byte dropped; a continuation byte there means a sequence straddles the cut.
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return std::string(s.substr(0, n));
}

void PutTextField(std::span<std::uint8_t> field, std::string_view s) {
    if (field.empty())
        return;
    std::fill(field.begin(), field.end(), std::uint8_t{0});
    const std::string cut = CutUtf8(s.substr(0, std::min(s.find('\0'), s.size())), field.size() - 1);
    std::memcpy(field.data(), cut.data(), cut.size());
}

std::string GetTextField(std::span<const std::uint8_t> field) {
    if (field.empty())
        return {};
    const auto* begin = reinterpret_cast<const char*>(field.data());
    const std::size_t len = std::find(field.begin(), field.end(), std::uint8_t{0}) - field.begin();
    return CutUtf8(std::string_view(begin, len), field.size() - 1);
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
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(ratio_));
    return buf;
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
