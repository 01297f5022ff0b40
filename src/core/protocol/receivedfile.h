#pragma once
// One file coming from the tester: its directory entry and the data packets
// received so far, headers included. Lives from one Reset() to the next.

#include "core/comm/packetset.h"
#include "core/protocol/simplefat.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace wavix {

class CReceivedFile {
public:
    enum class SaveResult { kSaved, kSizeMismatch, kWriteFailed };

    explicit CReceivedFile(int kind = 0) : kind_(kind) {}

    int Kind() const { return kind_; }
    void Reset();

    void StoreEntry(const tsimple_FAT& entry);
    // A file the tester itself asks for: only its name is known.
    void SetName(std::string name) { name_ = std::move(name); }
    bool HasEntry() const { return hasEntry_; }

    const std::string& GetName() const { return name_; }
    std::uint32_t GetSize() const { return size_; }
    std::uint32_t GetCrc() const { return crc_; }
    std::uint16_t GetAttrib() const { return attrib_; }
    std::uint32_t GetStartSector() const { return startSector_; }
    std::uint32_t GetEndSector() const { return endSector_; }

    // A data packet, header included; shorter than a header it is refused.
    bool AddPacket(PacketBuffer data, std::size_t size);
    const CPacketSet& Packets() const { return packets_; }
    bool GetPayloadSize(std::int64_t& total) const { return packets_.GetPayloadSize(total); }

    // Writes the payloads beside `path` and renames the result over it only
    // when every byte is on disk, so a failure never leaves a cut file behind.
    // The payload must match `expectedSize`, or else the directory entry's
    // size when one was read; a mismatch writes nothing.
    SaveResult Save(const std::filesystem::path& path,
                    std::optional<std::uint32_t> expectedSize = std::nullopt) const;

private:
    int kind_;
    std::string name_;
    std::uint32_t size_ = 0;
    std::uint32_t crc_ = 0;
    std::uint16_t attrib_ = 0;
    std::uint32_t startSector_ = 0;
    std::uint32_t endSector_ = 0;
    bool hasEntry_ = false;
    CPacketSet packets_;
};

} // namespace wavix
