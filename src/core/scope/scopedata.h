#pragma once
// The sample store: the settings record in force, the calibration, the packets of
// the capture in progress and the four channels they are converted into.
//
// A sample packet: 8 header bytes, then big-endian 16-bit converter values
// interleaved by channel (1, 2, .., n, 1, ..). Only whole sets count; a set never
// spans two packets.

#include "core/comm/packet.h"
#include "core/scope/capturesink.h"
#include "core/scope/channeldata.h"
#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"
#include "core/support/messagecodes.h"
#include "core/support/messages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace wavix {

// Packets of a sample group kept before the list is given up. Records that need
// few packets keep the old bound; a long record gets room for its whole group.
inline constexpr std::size_t kMinGroupPackets = 511;
// Whole sample sets (one value per active channel) that one packet can carry.
std::size_t SetsPerPacket(int channels);
// The packets a group of `samples` per channel over `channels` needs, whole sets
// per packet, with slack for a tester that fills its packets less.
std::size_t GroupPacketLimit(std::uint32_t samples, int channels);
inline constexpr int kRawLevels = 1024;

// ScopeDataNotice::NewSamples comes from a finished conversion and from channel edits,
// which pass a channel number. The conversion marks its new-sample count with
// this bit, so that a channel edit is never taken for samples to log.
inline constexpr std::intptr_t kNewSamplesMark = std::intptr_t{1} << 30;
constexpr std::intptr_t NewSamplesNotice(std::intptr_t count) {
    return kNewSamplesMark | count;
}
// The new-sample count of a NewSamples argument, or -1 when a channel edit posted it.
constexpr std::intptr_t NewSamplesCount(std::intptr_t wParam) {
    return wParam >= 0 && (wParam & kNewSamplesMark) != 0 ? wParam & ~kNewSamplesMark : -1;
}

// One converter value corrected with a calibration entry, in counts -512..512.
// raw above 1023 reads as 1023: the converter has ten bits, more is a bad packet.
std::int32_t ConvertSample(std::uint32_t raw, const SOscilCalEntry& cal, int range);

class CScopeData {
public:
    CScopeData();
    ~CScopeData();
    CScopeData(const CScopeData&) = delete;
    CScopeData& operator=(const CScopeData&) = delete;

    void SetMainWindow(IMessageTarget* w) { main_ = w; }
    void SetDisplayWindow(IMessageTarget* w) { display_ = w; }

    // Takes the buffer over. 0 appended; 1 header only (record clean); 2 header only
    // (record dirty); 3 the list outgrew GetPacketLimit() and was cleared.
    int AddPacket(PacketBuffer buffer, std::size_t length);
    // Converts and releases the listed packets. 0 converted, 1 failed.
    int ParseData();
    void ClearPackets() { packets_.clear(); }
    std::size_t GetPacketCount() const { return packets_.size(); }
    std::size_t GetPacketLimit() const { return packetLimit_; }

    // Checks a record decoded from the module before it replaces the one in force.
    AcceptResult AcceptSettings(const tOscilExchange& received);
    const tOscilExchange& GetSettings() const { return settings_; }
    void SetSettings(const tOscilExchange& rec, bool notify);

    const SOscil_EEPROM& GetCalibration() const { return calibration_; }
    void SetCalibration(const SOscil_EEPROM& cal) { calibration_ = cal; }

    bool IsDirty() const { return dirty_; }
    bool IsRoll() const { return roll_; }
    bool IsRunning() const { return !stopped_; }
    bool IsBusy() const { return busy_; }

    CChannelData& GetChannel(int ch);
    const CChannelData& GetChannel(int ch) const;
    int GetActiveChannelCount() const { return activeChannels_; }
    std::uint32_t GetCaptureLength() const { return captureLength_; }

    // Record editing; each marks the record dirty and notifies.
    void SetChannelCount(int n);
    void ChannelCountUp();
    void ChannelCountDown();
    void RangeUp(int ch);
    void RangeDown(int ch);
    void ToggleCoupling(int ch);
    void SetCoupling(int ch, int v);
    void TimeBaseUp();
    void TimeBaseDown();
    void SetTimeBase(int step);
    void SetTriggerChannel(int ch);
    void SetTriggerLevel(int level);
    void SetTriggerPosition(std::uint32_t pos);
    void ToggleTriggerEdge();
    void NextTriggerMode();
    void Run();
    void Stop();
    int ModeIndex() const { return wavix::ModeIndex(settings_); }
    void SettingsChanged(int id);
    // A channel's own change (offset, colour, probe) or a record applied to it (0); not an edit.
    void ChannelChanged(int id);

private:
    struct Sink {
        std::vector<std::int32_t>* samples;
        std::uint32_t count;
    };
    struct RollScratch {
        std::array<std::vector<std::int32_t>, kChannelCount> samples;
    };
    using Table = std::array<std::int32_t, kRawLevels>;

    bool Convert(std::array<Sink, kChannelCount>& sinks, int n);
    void BuildTables(int n);
    void Merge(int n, const std::array<Sink, kChannelCount>& sinks);
    void PlaceCapture(int n, std::uint32_t got);

    bool busy_ = false;
    IMessageTarget* display_ = nullptr;
    IMessageTarget* main_ = nullptr;
    bool stopped_ = false;
    bool roll_ = false;
    bool dirty_ = false;
    tOscilExchange settings_{};
    SOscil_EEPROM calibration_;
    std::vector<Packet> packets_;
    std::array<CChannelData, kChannelCount> channels_;
    int activeChannels_ = 0;
    std::uint32_t captureLength_ = 0;
    std::size_t packetLimit_ = kMinGroupPackets;
    std::uint16_t modeCycle_ = 0;
    std::array<Table, kChannelCount> tables_{};
    std::unique_ptr<RollScratch> rollScratch_;
};

} // namespace wavix
