#pragma once
// What the channel options window keeps: the channels it may show (at most
// nine), which one it shows, and the protocol of UWM_CHANNEL_OPTIONS_CTRL that
// fills and selects them. The window only draws what this answers.

#include "core/support/messagecodes.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wavix {

class CChannelData;

inline constexpr std::size_t kChannelOptionsMax = 9;

// What showing a channel puts into the window's fields.
struct ChannelOptionsView {
    std::string title; // "Channel %d"
    int coupling = 0;  // 0 "AC", 1 "DC", 2 "GND"
    std::string gain;  // the range text at scale 1
    std::uint32_t colour = 0;
    std::string probeName;  // "Name: %s"
    std::string probeRatio; // "Ratio: %0.2f"
    std::string probeUnits; // "Units: %s"
};

class CChannelOptionsList {
public:
    // What a message asks of the window beyond the list itself.
    enum class Effect { None, Refill, Show, Refused };

    // One UWM_CHANNEL_OPTIONS_CTRL; for Append wParam is the CChannelData.
    Effect OnControl(std::intptr_t wParam, std::intptr_t lParam);

    void Clear();
    // False (and the list unchanged) for a null channel or a full list.
    bool Append(CChannelData* channel);
    // The listed channel with this number becomes the shown one; false when none has it.
    bool ShowNumber(int number);
    // By chooser position; false outside the list.
    bool ShowIndex(int index);

    std::size_t Count() const { return count_; }
    int ShownIndex() const { return shown_; }
    CChannelData* Shown() const;
    bool Contains(const CChannelData* channel) const;
    // Editing controls are off when the last appended channel is quiet.
    bool EditingEnabled() const { return editing_; }
    // One "Channel %d" per listed channel, in list order.
    std::vector<std::string> ChooserEntries() const;

    // The fields for the shown channel (which must exist).
    static ChannelOptionsView Describe(CChannelData& channel);

    // The gain up-down control: a negative step raises the range index, a positive one lowers it.
    static void StepGain(CChannelData& channel, int step);
    // The offset up-down control: each step moves the trace a tenth of a
    // division (the trace's counts span the screen height in full and half
    // display alike); the trace's centre stays on the screen.
    static void StepOffset(CChannelData& channel, int step);
    static constexpr int kOffsetStepCounts = 17; // 1024 counts / 6 divisions / 10, rounded
    static constexpr int kOffsetLimit = 512;

private:
    std::array<CChannelData*, kChannelOptionsMax> channels_{};
    std::size_t count_ = 0;
    int shown_ = -1;
    bool editing_ = true;
};

} // namespace wavix
