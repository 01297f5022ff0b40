#include "core/comm/packet.h"

#include "core/support/bytes.h"

#include <cstring>

namespace wavix {

PacketBuffer allocatePacketBuffer() {
    return std::make_unique<std::uint8_t[]>(kPacketBufferSize);
}

CRequestBuilder::CRequestBuilder(std::uint16_t command) : buffer_(allocatePacketBuffer()) {
    buffer_[0] = kStartByte1;
    buffer_[1] = kStartByte2;
    writeBE16(&buffer_[2], command);
    length_ = kRequestHeaderSize;
}

bool CRequestBuilder::reserve(std::size_t n) {
    if (overflowed_ || n > kPacketBufferSize - length_) {
        overflowed_ = true;
        return false;
    }
    return true;
}

CRequestBuilder& CRequestBuilder::put8(std::uint8_t v) {
    if (reserve(1))
        buffer_[length_++] = v;
    return *this;
}

CRequestBuilder& CRequestBuilder::putBE16(std::uint16_t v) {
    if (reserve(2)) {
        writeBE16(&buffer_[length_], v);
        length_ += 2;
    }
    return *this;
}

CRequestBuilder& CRequestBuilder::putBE32(std::uint32_t v) {
    if (reserve(4)) {
        writeBE32(&buffer_[length_], v);
        length_ += 4;
    }
    return *this;
}

CRequestBuilder& CRequestBuilder::putBytes(std::span<const std::uint8_t> bytes) {
    if (reserve(bytes.size()) && !bytes.empty()) {
        std::memcpy(&buffer_[length_], bytes.data(), bytes.size());
        length_ += bytes.size();
    }
    return *this;
}

Packet CRequestBuilder::finish() {
    if (overflowed_ || !buffer_)
        return {};
    Packet p{std::move(buffer_), length_};
    length_ = 0;
    return p;
}

bool hasStartBytes(const std::uint8_t* data, std::size_t len) {
    return data != nullptr && len >= 2 && data[0] == kStartByte1 && data[1] == kStartByte2;
}

bool acceptPacket(const std::uint8_t* data, std::size_t len) {
    if (data == nullptr)
        return false;
    return len >= kPacketHeaderSize || hasStartBytes(data, len);
}

PacketHeader readPacketHeader(const std::uint8_t* data, std::size_t len) {
    auto word = [&](std::size_t at) -> std::uint16_t {
        return (data != nullptr && len >= at + 2) ? readBE16(data + at) : 0;
    };
    return {word(2), word(4), word(6)};
}

} // namespace wavix
