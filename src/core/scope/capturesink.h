#pragma once
// What the module protocol needs of the place its samples go: it hands over
// every sample packet and says when a group is complete, and it takes the
// records the module sends. The capture store implements it; protocol tests
// may use a fake.

#include "core/comm/packet.h"
#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"

#include <cstddef>

namespace wavix {

enum class AcceptResult { Accepted, RejectedVersion, RejectedSamples };

class ICaptureSink {
public:
    virtual ~ICaptureSink() = default;

    // Takes the buffer over. 0 appended; 1 header only (record clean); 2 header
    // only (record dirty); 3 the group outgrew its bound and was cleared.
    virtual int AddPacket(PacketBuffer buffer, std::size_t length) = 0;
    // The group is complete: converts and releases its packets. 0 converted, 1 failed.
    virtual int ConvertGroup() = 0;
    // Packets of a group cut short.
    virtual void ClearPackets() = 0;
    // A record decoded from the module, checked before it replaces the one in force.
    virtual AcceptResult AcceptSettings(const tOscilExchange& received) = 0;
    virtual void SetCalibration(const SOscil_EEPROM& cal) = 0;
    // The record in force, sent by the request that takes no record.
    virtual const tOscilExchange& GetSettings() const = 0;
    virtual int GetActiveChannelCount() const = 0;
};

} // namespace wavix
