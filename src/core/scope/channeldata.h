#pragma once
// One channel: a copy of the settings that apply to it, its display texts, its
// probe and its samples (converter counts -512..512 around the trace centre).
// A channel belongs to the sample data object, or stands free when a file made it;
// a free channel's editing operations do nothing.

#include "core/scope/channelprobe.h"
#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"
#include "core/support/messagecodes.h"
#include "core/support/messages.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace wavix {

class CScopeData;

inline constexpr std::size_t kChannelHeaderSize = 32;

class CChannelData {
public:
    CChannelData() = default;
    explicit CChannelData(CScopeData* owner) : owner_(owner) {}
    ~CChannelData();
    CChannelData(const CChannelData&) = delete;
    CChannelData& operator=(const CChannelData&) = delete;

    void SetOwner(CScopeData* owner) { owner_ = owner; }
    CScopeData* GetOwner() const { return owner_; }
    void SetWindow(IMessageTarget* w) { window_ = w; }

    // Takes the settings of a record; while running, the samples of the last capture are cleared.
    void ApplySettings(const tOscilExchange& rec, int channel);

    // Forwarded to the owner with this channel's number.
    void RangeUp();
    void RangeDown();
    void ToggleCoupling();
    void SetCoupling(int value);
    void SetAsTriggerChannel();
    void ToggleTriggerEdge();
    void NextTriggerMode();
    void ChannelCountUp();
    void ChannelCountDown();

    void MoveOffset(int counts);
    int GetOffset() const { return offset_; }
    void SetOffset(int counts) { offset_ = counts; }

    void SetColor(std::uint32_t color);
    std::uint32_t GetColor() const { return color_; }

    bool LoadProbe(const std::filesystem::path& path);
    void ResetProbe();
    const CChannelProbe& GetProbe() const { return probe_; }
    CChannelProbe& GetProbe() { return probe_; }

    bool IsQuiet() const { return quiet_; }
    void SetQuiet(bool q) { quiet_ = q; }
    bool IsShown() const { return shown_; }
    void SetShown(bool s) { shown_ = s; }
    bool IsValid() const { return valid_; }
    void SetValid(bool v) { valid_ = v; }
    bool IsRoll() const { return roll_; }
    bool IsTriggerChannel() const { return channel_ == trChannel_; }

    int GetChannel() const { return channel_; }
    void SetChannel(int ch) { channel_ = ch; }
    const std::string& GetName() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    const std::string& GetDescription() const { return description_; }
    void SetDescription(std::string d) { description_ = std::move(d); }

    int GetVersion() const { return version_; }
    int GetRange() const { return range_; }
    int GetCoupling() const { return coupling_; }
    int GetTimeBaseStep() const { return step_; }
    std::uint32_t GetTimeBase() const { return timeBase_; }
    float GetVoltPerDiv() const { return voltPerDiv_; }
    float GetMsPerDiv() const { return msPerDiv_; }
    int GetTriggerChannel() const { return trChannel_; }
    int GetTriggerLevel() const { return trLevel_; }
    int GetTriggerEdge() const { return trEdge_; }
    int GetTriggerMode() const { return trMode_; }
    std::uint32_t GetTriggerPosition() const { return trPosition_; }
    void SetTriggerPosition(std::uint32_t p) { trPosition_ = p; }

    // Set by the display that shows the channel.
    void SetDisplayGeometry(int verticalDivisions, bool halfMode) {
        vertDivs_ = verticalDivisions;
        halfMode_ = halfMode;
    }
    int GetVerticalDivisions() const { return vertDivs_; }
    bool IsHalfMode() const { return halfMode_; }

    // Samples. Storage grows on demand up to kMaxSamples; indexes past it are refused.
    std::uint32_t GetSampleCount() const { return count_; }
    // Also forgets any absent lead.
    void SetSampleCount(std::uint32_t n);
    // Positions 0 .. GetAbsentCount() - 1 of the count received nothing (a short
    // group, or roll mode not yet filled): they are neither drawn nor saved.
    std::uint32_t GetAbsentCount() const { return absent_; }
    std::span<const std::int32_t> GetPresentSamples() const {
        return {samples_.data() + absent_, count_ - absent_};
    }
    std::uint32_t GetCapacity() const { return capacity_; }
    void SetCapacity(std::uint32_t n) { capacity_ = n < kMaxSamples ? n : kMaxSamples; }
    std::span<const std::int32_t> GetSamples() const { return {samples_.data(), count_}; }
    std::int32_t GetSample(std::uint32_t i) const { return i < samples_.size() ? samples_[i] : 0; }
    // Room for n samples (at most kMaxSamples) to be written in place; the count is not changed.
    std::span<std::int32_t> WritableSamples(std::uint32_t n);

    // Texts; each is also kept as the channel's cached text.
    const std::string& CouplingText();
    const std::string& RangeText(double scale = 1.0);
    const std::string& TimeText(double zoom = 1.0, double scale = 1.0);
    const std::string& TriggerModeText();
    std::string EdgeText() const;
    const std::string& TriggerLevelText(bool doubled);
    double TriggerLevelVolts() const;
    double GetSamplePeriod() const { return SamplePeriod(step_); }

    // TXT_500..TXT_502 of section "LANG"; all three stay built in if any is missing.
    void LoadLanguageTexts(const std::filesystem::path& langFile);
    const std::string& DivisionWord() const { return txtDivision_; }

    // The 32-byte channel header record of scope data files.
    void ExportHeader(std::span<std::uint8_t, kChannelHeaderSize> out, ByteOrder order) const;
    void ImportHeader(std::span<const std::uint8_t, kChannelHeaderSize> in, ByteOrder order);
    void ExportProbeRecord(std::span<std::uint8_t, kProbeRecordSize> out, ByteOrder order) const {
        probe_.ExportRecord(out, order);
    }
    bool ImportProbeRecord(std::span<const std::uint8_t, kProbeRecordSize> in, ByteOrder order) {
        return probe_.ImportRecord(in, order);
    }

private:
    friend class CScopeData;
    std::vector<std::int32_t>& Storage() { return samples_; }
    void NotifyOwner();
    std::string Unit() const;
    void Recompute();

    IMessageTarget* window_ = nullptr;
    bool valid_ = false;
    bool quiet_ = false;
    bool shown_ = true;
    CChannelProbe probe_;
    std::vector<std::int32_t> samples_;
    int version_ = 0;
    std::uint32_t count_ = 0;
    std::uint32_t absent_ = 0; // never above count_
    std::uint32_t capacity_ = kMaxSamples;
    bool roll_ = false;
    float voltPerDiv_ = -1.0f;
    int range_ = 0;
    int coupling_ = 0;
    float msPerDiv_ = 0.0f;
    std::uint32_t timeBase_ = 0;
    int step_ = 0;
    std::uint32_t trPosition_ = 0;
    int offset_ = 0;
    int channel_ = -1;
    std::string description_;
    std::string name_;
    int vertDivs_ = kVerticalDivisions;
    bool halfMode_ = false;
    std::string couplingText_;
    std::string rangeText_;
    std::string timeText_;
    std::string modeText_;
    std::string levelText_;
    int trChannel_ = 1;
    int trLevel_ = 0;
    int trEdge_ = 1;
    int trMode_ = 0;
    std::uint32_t color_ = 0;
    CScopeData* owner_ = nullptr;
    std::string txtDivision_ = "dílek";
    std::string txtRising_ = "Náběžná";
    std::string txtFalling_ = "Sestupná";
};

} // namespace wavix
