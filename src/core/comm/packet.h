#pragma once
// The tester packet.
//
//   offset 0  0x10 0x02            start bytes
//          2  BE16 command         replies: request code | 0x8000
//          4  BE16 module number   only in packets the tester sends
//          6  BE16 status          only in packets the tester sends
//          8  payload              (requests we build: payload at offset 4)
//
// One packet per datagram; no escaping, no checksum. Every buffer is 2048 bytes,
// so the largest packet a peer may send is 2047 bytes (a full read may be cut).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace wavix {

inline constexpr std::uint16_t c_vxrREPLY_MASK = 0x8000;
inline constexpr std::size_t kPacketBufferSize = 2048;
inline constexpr std::size_t kPacketHeaderSize = 8;
inline constexpr std::size_t kRequestHeaderSize = 4;
// The largest packet a peer may send, and the payload it leaves after the header.
inline constexpr std::size_t kMaxPacketSize = kPacketBufferSize - 1;
inline constexpr std::size_t kMaxPayloadSize = kMaxPacketSize - kPacketHeaderSize;
inline constexpr std::uint8_t kStartByte1 = 0x10;
inline constexpr std::uint8_t kStartByte2 = 0x02;

// Status words of a reply.
inline constexpr std::uint16_t kStatusOk = 0x0000;        // success; last packet of an answer
inline constexpr std::uint16_t kStatusNotServed = 0x0001; // module error or busy
inline constexpr std::uint16_t kStatusMore = 0x0040;      // more packets follow
inline constexpr std::uint16_t kStatusUnknown = 0x0080;   // command unknown or refused

using PacketBuffer = std::unique_ptr<std::uint8_t[]>;

PacketBuffer allocatePacketBuffer();

// A packet whose buffer travels by move; exactly one owner frees it.
struct Packet {
    PacketBuffer data;
    std::size_t size = 0;
};

// Assembles a request in a fresh 2048-byte buffer. Writes that would not fit
// are refused and remembered: an overflowed request must not be sent.
class CRequestBuilder {
public:
    explicit CRequestBuilder(std::uint16_t command);

    CRequestBuilder& put8(std::uint8_t v);
    CRequestBuilder& putBE16(std::uint16_t v);
    CRequestBuilder& putBE32(std::uint32_t v);
    CRequestBuilder& putBytes(std::span<const std::uint8_t> bytes);

    std::size_t length() const { return length_; }
    bool overflowed() const { return overflowed_; }
    // The finished request; an empty packet when a write overflowed.
    Packet finish();

private:
    bool reserve(std::size_t n);

    PacketBuffer buffer_;
    std::size_t length_ = 0;
    bool overflowed_ = false;
};

// The three header words of a received packet.
struct PacketHeader {
    std::uint16_t command = 0;
    std::uint16_t moduleNum = 0;
    std::uint16_t status = 0;
};

bool hasStartBytes(const std::uint8_t* data, std::size_t len);

// Acceptance test for a received datagram: 8 bytes or more pass; shorter ones
// pass only with the start bytes.
bool acceptPacket(const std::uint8_t* data, std::size_t len);

// Reads the header words; bytes beyond the datagram read as 0, never past it.
PacketHeader readPacketHeader(const std::uint8_t* data, std::size_t len);

} // namespace wavix
