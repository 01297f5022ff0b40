#include "core/protocol/receivedfile.h"

#include <system_error>

namespace wavix {

void CReceivedFile::Reset() {
    name_.clear();
    size_ = 0;
    crc_ = 0;
    attrib_ = 0;
    startSector_ = 0;
    endSector_ = 0;
    hasEntry_ = false;
    packets_.RemoveAll();
}

void CReceivedFile::StoreEntry(const tsimple_FAT& entry) {
    name_ = SimpleFatName(entry);
    size_ = entry.size;
    crc_ = entry.crc;
    attrib_ = entry.attrib;
    startSector_ = entry.Start_sec;
    endSector_ = entry.end_sec;
    hasEntry_ = true;
}

bool CReceivedFile::AddPacket(PacketBuffer data, std::size_t size) {
    if (!data || size < kPacketHeaderSize || size > kPacketBufferSize)
        return false;
    return packets_.Add(std::move(data), static_cast<std::int32_t>(size));
}

CReceivedFile::SaveResult CReceivedFile::Save(const std::filesystem::path& path,
                                              std::optional<std::uint32_t> expectedSize) const {
    std::int64_t total = 0;
    if (!packets_.GetPayloadSize(total))
        return SaveResult::kWriteFailed;
    if (!expectedSize && hasEntry_)
        expectedSize = size_;
    if (expectedSize && total != std::int64_t{*expectedSize})
        return SaveResult::kSizeMismatch;

    std::filesystem::path temp = path;
    temp += ".part";
    std::error_code ec;
    const bool written = packets_.WriteToFile(temp) &&
                         std::filesystem::file_size(temp, ec) == static_cast<std::uintmax_t>(total) && !ec;
    if (written) {
        std::filesystem::rename(temp, path, ec);
        if (!ec)
            return SaveResult::kSaved;
    }
    std::filesystem::remove(temp, ec);
    return SaveResult::kWriteFailed;
}

} // namespace wavix
