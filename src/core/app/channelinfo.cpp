#include "core/app/channelinfo.h"

#include "core/scope/channeldata.h"

#include <array>

namespace wavix {

ChannelInfo DescribeChannel(const CChannelData& channel, const std::filesystem::path& langFile) {
    // The text operations keep caches in the channel; a free copy takes them instead.
    CChannelData copy;
    std::array<std::uint8_t, kChannelHeaderSize> header{};
    channel.ExportHeader(header, ByteOrder::Little);
    copy.ImportHeader(header, ByteOrder::Little);
    std::array<std::uint8_t, kProbeRecordSize> probe{};
    channel.ExportProbeRecord(probe, ByteOrder::Little);
    copy.ImportProbeRecord(probe, ByteOrder::Little);
    if (!langFile.empty())
        copy.LoadLanguageTexts(langFile);

    ChannelInfo info;
    info.name = channel.GetName();
    info.description = channel.GetDescription();
    info.colour = channel.GetColor();
    info.gain = copy.RangeText(1.0);
    info.coupling = copy.CouplingText();
    info.probeName = copy.GetProbe().GetName();
    info.probeRatio = copy.GetProbe().GetRatioText();
    info.probeUnits = copy.GetProbe().GetUnits();
    info.timeBase = copy.TimeText(1.0, 1.0);
    info.triggerLevel = copy.TriggerLevelText(false);
    info.triggerEdge = copy.EdgeText();
    info.triggerMode = copy.TriggerModeText();
    return info;
}

} // namespace wavix
