#pragma once
// The two directions of a datagram link, as seen by the protocols. The link
// hands every received datagram to a receiver; a protocol sends through a
// sender. Both pass ownership of the buffer.

#include "core/comm/packet.h"

namespace wavix {

class IDatagramSender {
public:
    virtual ~IDatagramSender() = default;
    // Takes the packet in every case; false when nothing was sent.
    virtual bool Send(Packet packet) = 0;
};

class IDatagramReceiver {
public:
    virtual ~IDatagramReceiver() = default;
    // Takes ownership of the 2048-byte buffer holding `length` received bytes.
    virtual void parseRecData(PacketBuffer buffer, std::size_t length) = 0;
};

} // namespace wavix
