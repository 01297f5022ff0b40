#include "core/protocol/simplefat.h"

#include "core/support/bytes.h"

#include <algorithm>

namespace wavix {

bool DecodeSimpleFat(std::span<const std::uint8_t> payload, tsimple_FAT& rec) {
    if (payload.size() != kSimpleFatSize)
        return false;
    const std::uint8_t* p = payload.data();
    std::copy_n(p, rec.Name.size(), rec.Name.begin());
    rec.size = readBE32(p + 14);
    rec.Start_sec = readBE32(p + 18);
    rec.end_sec = readBE32(p + 22);
    rec.attrib = readBE16(p + 26);
    rec.crc = readBE32(p + 28);
    return true;
}

void EncodeSimpleFat(const tsimple_FAT& rec, std::span<std::uint8_t, kSimpleFatSize> out) {
    std::uint8_t* p = out.data();
    std::copy(rec.Name.begin(), rec.Name.end(), p);
    writeBE32(p + 14, rec.size);
    writeBE32(p + 18, rec.Start_sec);
    writeBE32(p + 22, rec.end_sec);
    writeBE16(p + 26, rec.attrib);
    writeBE32(p + 28, rec.crc);
}

std::string SimpleFatName(const tsimple_FAT& rec) {
    const auto end = std::find(rec.Name.begin(), rec.Name.end(), std::uint8_t{0});
    return {rec.Name.begin(), end};
}

void SetSimpleFatName(tsimple_FAT& rec, const std::string& name) {
    rec.Name.fill(0);
    std::copy_n(name.begin(), std::min(name.size(), rec.Name.size()), rec.Name.begin());
}

} // namespace wavix
