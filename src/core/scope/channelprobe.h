#pragma once
// A probe scales the channel's volts into the measured quantity: a value reads
// as volts / ratio in the probe's units.

#include "core/scope/oscileeprom.h"
#include "core/support/textencoding.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace wavix {

inline constexpr std::size_t kProbeRecordSize = 68;
inline constexpr std::size_t kProbeTextField = 30; // 29 bytes of text and the terminating zero

class CChannelProbe {
public:
    // Reads section "PROBE" of a probe file. On any fault the probe stays as it was.
    bool Load(const std::filesystem::path& path);
    void Reset();

    bool IsLoaded() const { return loaded_ != 0; }
    const std::string& GetName() const { return name_; }
    const std::string& GetUnits() const { return units_; }
    float GetRatio() const { return ratio_; }
    std::uint32_t GetAllowedChannels() const { return allowedChannels_; }
    std::string GetRatioText() const;

    // The 68-byte record kept in scope data files: u32 loaded, name[30], units[30], float ratio.
    void ExportRecord(std::span<std::uint8_t, kProbeRecordSize> out, ByteOrder order) const;
    // Texts are cut to fit; a ratio that is not a positive finite number reads as 1.0
    // and the answer is false (everything else is still taken).
    bool ImportRecord(std::span<const std::uint8_t, kProbeRecordSize> in, ByteOrder order);

private:
    std::uint32_t loaded_ = 0;
    std::string name_ = " - none - ";
    std::string units_ = " - ";
    float ratio_ = 1.0f;
    std::uint32_t allowedChannels_ = 0;
};

// A usable probe ratio: finite and above zero.
bool IsValidProbeRatio(double ratio);

} // namespace wavix
