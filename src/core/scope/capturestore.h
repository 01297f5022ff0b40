#pragma once
// The capture store: the run's sample data (record in force, calibration, the
// four channels), owned by the application, not by the module protocol. The
// protocol hands it each packet and finished group (ICaptureSink). The
// conversion's notice is posted, so that no listener runs inside the
// protocol's receive path (a listener may open a modal box); the controller
// hands it back here on the UI thread and the store tells its listeners.

#include "core/scope/capturesink.h"
#include "core/scope/scopedata.h"
#include "core/support/messages.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace wavix {

class ICaptureListener {
public:
    virtual ~ICaptureListener() = default;
    // A group was converted: count new instants per channel in roll mode, 0 for a capture.
    virtual void OnSamplesConverted(std::uint32_t count) = 0;
    // A channel or record edit changed what the channels show; no new samples.
    virtual void OnChannelsChanged() {}
};

class CCaptureStore : public ICaptureSink {
public:
    CCaptureStore() = default;
    CCaptureStore(const CCaptureStore&) = delete;
    CCaptureStore& operator=(const CCaptureStore&) = delete;

    CScopeData& Data() { return data_; }
    const CScopeData& Data() const { return data_; }

    // Where the sample data posts its notices: the controller's dispatcher.
    void SetNoticeTarget(IMessageTarget* target) { data_.SetMainWindow(target); }

    // Told in the order added; a listener must be removed before it goes.
    void AddListener(ICaptureListener& listener);
    void RemoveListener(ICaptureListener& listener);
    // The new-samples notice (UWM_SCOPE_DATA code 8) as posted, back on the UI thread.
    void Announce(std::intptr_t noticeArgument);

    // ICaptureSink
    int AddPacket(PacketBuffer buffer, std::size_t length) override {
        return data_.AddPacket(std::move(buffer), length);
    }
    int ConvertGroup() override { return data_.ParseData(); }
    void ClearPackets() override { data_.ClearPackets(); }
    AcceptResult AcceptSettings(const tOscilExchange& received) override {
        return data_.AcceptSettings(received);
    }
    void SetCalibration(const SOscil_EEPROM& cal) override { data_.SetCalibration(cal); }
    const tOscilExchange& GetSettings() const override { return data_.GetSettings(); }
    int GetActiveChannelCount() const override { return data_.GetActiveChannelCount(); }

private:
    CScopeData data_;
    std::vector<ICaptureListener*> listeners_;
};

} // namespace wavix
