#include "core/app/channeloptionslist.h"

#include "core/scope/channeldata.h"
#include "core/support/strformat.h"

#include <algorithm>

namespace wavix {

CChannelOptionsList::Effect CChannelOptionsList::OnControl(std::intptr_t wParam, std::intptr_t lParam) {
    switch (Decode<ChannelOptionsNotice>(lParam)) {
    case ChannelOptionsNotice::Clear:
        Clear();
        return Effect::Refill;
    case ChannelOptionsNotice::Append:
        return Append(reinterpret_cast<CChannelData*>(wParam)) ? Effect::Refill : Effect::Refused;
    case ChannelOptionsNotice::Show:
        return ShowNumber(static_cast<int>(wParam)) ? Effect::Show : Effect::None;
    case ChannelOptionsNotice::Refresh:
        return shown_ >= 0 ? Effect::Show : Effect::None;
    default:
        return Effect::None;
    }
}

void CChannelOptionsList::Clear() {
    channels_.fill(nullptr);
    count_ = 0;
    shown_ = -1;
}

bool CChannelOptionsList::Append(CChannelData* channel) {
    if (channel == nullptr || count_ >= channels_.size())
        return false;
    channels_[count_++] = channel;
    editing_ = !channel->IsQuiet();
    return true;
}

bool CChannelOptionsList::ShowNumber(int number) {
    for (std::size_t i = 0; i < count_; ++i)
        if (channels_[i]->GetChannel() == number)
            return ShowIndex(static_cast<int>(i));
    return false;
}

bool CChannelOptionsList::ShowIndex(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= count_)
        return false;
    shown_ = index;
    return true;
}

CChannelData* CChannelOptionsList::Shown() const {
    return shown_ >= 0 ? channels_[static_cast<std::size_t>(shown_)] : nullptr;
}

bool CChannelOptionsList::Contains(const CChannelData* channel) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (channels_[i] == channel)
            return true;
    return false;
}

std::vector<std::string> CChannelOptionsList::ChooserEntries() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < count_; ++i)
        out.push_back(StrFormat("Channel %d", channels_[i]->GetChannel()));
    return out;
}

ChannelOptionsView CChannelOptionsList::Describe(CChannelData& channel) {
    ChannelOptionsView v;
    v.title = StrFormat("Channel %d", channel.GetChannel());
    v.coupling = channel.GetCoupling();
    v.gain = channel.RangeText(1.0);
    v.colour = channel.GetColor();
    const CChannelProbe& probe = channel.GetProbe();
    v.probeName = StrFormat("Name: %s", probe.GetName().c_str());
    v.probeRatio = StrFormat("Ratio: %0.2f", static_cast<double>(probe.GetRatio()));
    v.probeUnits = StrFormat("Units: %s", probe.GetUnits().c_str());
    return v;
}

void CChannelOptionsList::StepGain(CChannelData& channel, int step) {
    if (step < 0)
        channel.RangeUp();
    else if (step > 0)
        channel.RangeDown();
}

void CChannelOptionsList::StepOffset(CChannelData& channel, int step) {
    const int target =
        std::clamp(channel.GetOffset() + step * kOffsetStepCounts, -kOffsetLimit, kOffsetLimit);
    if (target != channel.GetOffset())
        channel.MoveOffset(target - channel.GetOffset());
}

} // namespace wavix
