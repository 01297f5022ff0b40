#include "core/scope/channeldata.h"

#include "core/analysis/channelscale.h"
#include "core/scope/engprefix.h"
#include "core/scope/scopedata.h"
#include "core/settings/ini.h"
#include "core/support/bytes.h"

#include "core/support/strformat.h"
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace wavix {
namespace {

int clampRange(int range) {
    return std::clamp(range, kRangeMin, kRangeMax);
}

} // namespace

CChannelData::~CChannelData() {
    postTo(window_, Msg::UWM_CHANNEL_DATA_CTRL, channel_, Encode(ChannelDataNotice::Released));
}

void CChannelData::ApplySettings(const tOscilExchange& rec, int channel) {
    valid_ = true;
    version_ = rec.version;
    channel_ = channel;
    range_ = clampRange(rec.mux(channel));
    coupling_ = rec.dcOn(channel);
    step_ = static_cast<int>(std::min<std::uint32_t>(rec.time_base_ENUM, kStepMax + 1));
    timeBase_ = rec.time_base;
    trMode_ = rec.TR_mode;
    trChannel_ = rec.TR_channel == 0 ? 1 : rec.TR_channel;
    trLevel_ = rec.TR_level;
    trEdge_ = rec.TR_rising;
    trPosition_ = rec.TR_position;
    capacity_ = SamplesPerStep(step_);
    Recompute();
    if ((rec.TR_mode & kStopBit) == 0) {
        const std::size_t n = std::min<std::size_t>(capacity_, samples_.size());
        std::fill_n(samples_.begin(), n, 0);
        count_ = 0;
        absent_ = 0;
    }
    if (owner_ != nullptr)
        owner_->ChannelChanged(0);
}

void CChannelData::Recompute() {
    voltPerDiv_ = static_cast<float>(RangeVoltPerDiv(range_));
    msPerDiv_ = static_cast<float>(TimePerDivMs(step_));
    roll_ = (trMode_ & ~kStopBit) == TM_FREE;
}

void CChannelData::RangeUp() {
    if (owner_ != nullptr)
        owner_->RangeUp(channel_);
}
void CChannelData::RangeDown() {
    if (owner_ != nullptr)
        owner_->RangeDown(channel_);
}
void CChannelData::ToggleCoupling() {
    if (owner_ != nullptr)
        owner_->ToggleCoupling(channel_);
}
void CChannelData::SetCoupling(int value) {
    if (owner_ != nullptr)
        owner_->SetCoupling(channel_, value);
}
void CChannelData::SetAsTriggerChannel() {
    if (owner_ != nullptr)
        owner_->SetTriggerChannel(channel_);
}
void CChannelData::ToggleTriggerEdge() {
    if (owner_ != nullptr)
        owner_->ToggleTriggerEdge();
}
void CChannelData::NextTriggerMode() {
    if (owner_ != nullptr)
        owner_->NextTriggerMode();
}
void CChannelData::ChannelCountUp() {
    if (owner_ != nullptr)
        owner_->ChannelCountUp();
}
void CChannelData::ChannelCountDown() {
    if (owner_ != nullptr)
        owner_->ChannelCountDown();
}

void CChannelData::NotifyOwner() {
    if (owner_ != nullptr)
        owner_->ChannelChanged(channel_);
}

void CChannelData::MoveOffset(int counts) {
    offset_ += counts;
    NotifyOwner();
}

void CChannelData::SetColor(std::uint32_t color) {
    color_ = color;
    postTo(window_, Msg::UWM_CHANNEL_DATA_CTRL, channel_, Encode(ChannelDataNotice::Changed));
    if (!quiet_)
        NotifyOwner();
}

bool CChannelData::LoadProbe(const std::filesystem::path& path) {
    if (!probe_.Load(path))
        return false;
    NotifyOwner();
    return true;
}

void CChannelData::ResetProbe() {
    probe_.Reset();
    NotifyOwner();
}

void CChannelData::SetSampleCount(std::uint32_t n) {
    n = std::min(n, kMaxSamples);
    if (samples_.size() < n)
        samples_.resize(n, 0);
    count_ = n;
    absent_ = 0;
}

std::span<std::int32_t> CChannelData::WritableSamples(std::uint32_t n) {
    n = std::min(n, kMaxSamples);
    if (samples_.size() < n)
        samples_.resize(n, 0);
    return {samples_.data(), n};
}

std::string CChannelData::Unit() const {
    return ProbeUnit(probe_);
}

const std::string& CChannelData::CouplingText() {
    couplingText_ = std::string(wavix::CouplingText(coupling_));
    return couplingText_;
}

const std::string& CChannelData::RangeText(double scale) {
    const double v = scale * voltPerDiv_ / probe_.GetRatio();
    rangeText_ = scale == 1.0 ? StrFormat("%3.2f %s/%s", v, Unit().c_str(), txtDivision_.c_str())
                              : StrFormat("%3.2f %s", v, Unit().c_str());
    return rangeText_;
}

const std::string& CChannelData::TimeText(double zoom, double scale) {
    // A zoom of 0 would divide by zero; it means no zoom.
    if (!(zoom > 0.0) || !std::isfinite(zoom))
        zoom = 1.0;
    const double msPerDiv = msPerDiv_ / zoom;
    const double seconds = scale * msPerDiv / 1000.0;
    if (const auto eng = EngineeringPrefix(seconds)) {
        const std::string prefix(eng->prefix);
        timeText_ = scale == 1.0 ? StrFormat("%0.2f %ss/%s", eng->value, prefix.c_str(), txtDivision_.c_str())
                                 : StrFormat("%0.2f %ss", eng->value, prefix.c_str());
    } else {
        timeText_ = scale == 1.0 ? StrFormat("%4.2f ms/%s", msPerDiv, txtDivision_.c_str())
                                 : StrFormat("%4.2f ms", msPerDiv);
    }
    return timeText_;
}

const std::string& CChannelData::TriggerModeText() {
    modeText_ = std::string(wavix::TriggerModeText(trMode_ & ~kStopBit));
    return modeText_;
}

std::string CChannelData::EdgeText() const {
    if (trEdge_ == 1)
        return txtRising_;
    if (trEdge_ == 0)
        return txtFalling_;
    return "Neznámá";
}

double CChannelData::TriggerLevelVolts() const {
    double span = vertDivs_ * static_cast<double>(voltPerDiv_);
    if (halfMode_)
        span *= 2.0;
    return span / 1023.0 * (trLevel_ - static_cast<int>(kTriggerLevelCentre) + offset_);
}

const std::string& CChannelData::TriggerLevelText(bool doubled) {
    double v = TriggerLevelVolts();
    if (doubled)
        v *= 2.0;
    v /= probe_.GetRatio();
    levelText_ = StrFormat("%0.2f %s", v, Unit().c_str());
    return levelText_;
}

void CChannelData::LoadLanguageTexts(const std::filesystem::path& langFile) {
    const CIni ini(langFile);
    std::string division = ini.GetString("LANG", "TXT_500", "Error");
    std::string rising = ini.GetString("LANG", "TXT_501", "Error");
    std::string falling = ini.GetString("LANG", "TXT_502", "Error");
    if (division == "Error" || rising == "Error" || falling == "Error")
        return;
    txtDivision_ = std::move(division);
    txtRising_ = std::move(rising);
    txtFalling_ = std::move(falling);
}

void CChannelData::ExportHeader(std::span<std::uint8_t, kChannelHeaderSize> out, ByteOrder order) const {
    std::uint8_t* p = out.data();
    write16(p + 0, static_cast<std::uint16_t>(channel_), order);
    write16(p + 2, static_cast<std::uint16_t>(version_), order);
    write16(p + 4, static_cast<std::uint16_t>(range_), order);
    write16(p + 6, static_cast<std::uint16_t>(coupling_), order);
    write32(p + 8, static_cast<std::uint32_t>(step_), order);
    write32(p + 12, timeBase_, order);
    write32(p + 16, capacity_, order);
    write16(p + 20, static_cast<std::uint16_t>(trChannel_), order);
    write16(p + 22, 0, order);
    write32(p + 24, static_cast<std::uint32_t>(trLevel_), order);
    write16(p + 28, static_cast<std::uint16_t>(trMode_), order);
    write16(p + 30, static_cast<std::uint16_t>(trEdge_), order);
}

void CChannelData::ImportHeader(std::span<const std::uint8_t, kChannelHeaderSize> in, ByteOrder order) {
    const std::uint8_t* p = in.data();
    channel_ = read16(p + 0, order);
    version_ = read16(p + 2, order);
    range_ = clampRange(read16(p + 4, order));
    coupling_ = read16(p + 6, order);
    step_ = static_cast<int>(std::min<std::uint32_t>(read32(p + 8, order), kStepMax + 1));
    timeBase_ = read32(p + 12, order);
    SetCapacity(read32(p + 16, order));
    trChannel_ = read16(p + 20, order);
    if (trChannel_ == 0)
        trChannel_ = 1;
    trLevel_ = static_cast<int>(std::min<std::uint32_t>(read32(p + 24, order), kTriggerLevelMax));
    trMode_ = read16(p + 28, order);
    trEdge_ = read16(p + 30, order);
    Recompute();
    halfMode_ = false;
    valid_ = true;
}

} // namespace wavix
