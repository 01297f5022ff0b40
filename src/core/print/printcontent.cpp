#include "core/print/printcontent.h"

#include "core/print/printtexts.h"
#include "core/scope/channeldata.h"

namespace wavix {

PrintSettingsTexts PrintSettingsOf(CChannelData& triggerChannel) {
    PrintSettingsTexts out;
    out.timeBase = triggerChannel.TimeText();
    out.triggerLevel = triggerChannel.TriggerLevelText(triggerChannel.IsHalfMode());
    out.triggerEdge = triggerChannel.EdgeText();
    out.triggerMode = triggerChannel.TriggerModeText();
    return out;
}

std::vector<PrintChannelLegend> PrintLegendsOf(std::span<CChannelData* const> channels) {
    std::vector<PrintChannelLegend> out;
    for (CChannelData* ch : channels) {
        // A hidden trace is not on the page, so its settings would describe nothing there.
        if (ch == nullptr || !ch->IsShown() || out.size() >= kPrintLegendMax)
            continue;
        PrintChannelLegend legend;
        legend.channel = ch->GetChannel();
        legend.gain = ch->RangeText();
        legend.coupling = ch->CouplingText();
        legend.probe = PrintProbeLine(ch->GetProbe().GetName(), ch->GetProbe().GetRatioText());
        legend.colour = ch->GetColor();
        out.push_back(std::move(legend));
    }
    return out;
}

} // namespace wavix
