#pragma once
// Multi-packet answers (files, menus, dictionaries) are collected here before
// they are used. The set owns every buffer handed to it; Detach() hands one
// back without freeing it.

#include "core/comm/packet.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace wavix {

class CPacketSet {
public:
    CPacketSet() = default;
    ~CPacketSet();
    CPacketSet(const CPacketSet&) = delete;
    CPacketSet& operator=(const CPacketSet&) = delete;
    CPacketSet(CPacketSet&&) noexcept = default;
    CPacketSet& operator=(CPacketSet&&) noexcept = default;

    // Takes the buffer over. A null buffer or a size outside 0..2048 cannot
    // describe a received packet and is refused (the buffer is freed).
    bool Add(PacketBuffer data, std::int32_t size);
    std::int32_t GetCount() const;
    // The entry stays owned by the set; out of range gives null and 0.
    bool Get(std::int32_t index, const std::uint8_t*& data, std::int32_t& size) const;
    // The caller owns the returned buffer; the entry becomes null and 0.
    PacketBuffer Detach(std::int32_t index);
    void RemoveAll();
    // Sum of the payloads (size - 8). A stored entry shorter than a header is
    // an internal error: it counts 0 and the answer is false.
    bool GetPayloadSize(std::int64_t& total) const;
    // Creates or truncates the file and appends every payload in order.
    bool WriteToFile(const std::filesystem::path& path) const;

private:
    struct Entry {
        PacketBuffer data;
        std::int32_t size = 0;
    };
    bool valid(std::int32_t index) const;

    std::vector<Entry> entries_;
};

} // namespace wavix
