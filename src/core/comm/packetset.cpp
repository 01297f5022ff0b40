#include "core/comm/packetset.h"

#include "core/support/logtrace.h"

#include <fstream>

namespace wavix {

namespace {
constexpr auto kHeader = static_cast<std::int32_t>(kPacketHeaderSize);
}

CPacketSet::~CPacketSet() {
    RemoveAll();
}

bool CPacketSet::Add(PacketBuffer data, std::int32_t size) {
    if (!data || size < 0 || size > static_cast<std::int32_t>(kPacketBufferSize)) {
        InternalError("CPacketSet::Add: bad packet");
        return false;
    }
    entries_.push_back({std::move(data), size});
    return true;
}

std::int32_t CPacketSet::GetCount() const {
    return static_cast<std::int32_t>(entries_.size());
}

bool CPacketSet::valid(std::int32_t index) const {
    return index >= 0 && index < GetCount();
}

bool CPacketSet::Get(std::int32_t index, const std::uint8_t*& data, std::int32_t& size) const {
    if (!valid(index) || !entries_[static_cast<std::size_t>(index)].data) {
        data = nullptr;
        size = 0;
        return false;
    }
    const auto& e = entries_[static_cast<std::size_t>(index)];
    data = e.data.get();
    size = e.size;
    return true;
}

PacketBuffer CPacketSet::Detach(std::int32_t index) {
    if (!valid(index))
        return {};
    auto& e = entries_[static_cast<std::size_t>(index)];
    e.size = 0;
    return std::move(e.data);
}

void CPacketSet::RemoveAll() {
    entries_.clear();
}

bool CPacketSet::GetPayloadSize(std::int64_t& total) const {
    total = 0;
    bool ok = true;
    for (const auto& e : entries_) {
        if (!e.data)
            continue; // detached: carries nothing any more
        if (e.size < kHeader) {
            InternalError("CPacketSet::GetPayloadSize: packet shorter than its header");
            ok = false;
            continue;
        }
        total += e.size - kHeader;
    }
    return ok;
}

bool CPacketSet::WriteToFile(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    for (std::int32_t i = 0; i < GetCount(); ++i) {
        const std::uint8_t* data = nullptr;
        std::int32_t size = 0;
        if (!Get(i, data, size) || size <= kHeader)
            continue;
        out.write(reinterpret_cast<const char*>(data + kHeader), size - kHeader);
        if (!out)
            return false;
    }
    out.flush();
    return static_cast<bool>(out);
}

} // namespace wavix
