#pragma once
// Explicit byte order for everything that crosses the wire or a file. Records
// are encoded field by field through these; never by copying a struct.

#include <cstddef>
#include <cstdint>

namespace wavix {

inline std::uint16_t readBE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t readBE32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
inline std::uint16_t readLE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t readLE32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
inline void writeBE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
inline void writeBE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}
inline void writeLE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void writeLE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// Records that exist in both orders (the program's files are little-endian, the
// tester's big-endian) go through these.
enum class ByteOrder { Little, Big };

inline std::uint16_t read16(const std::uint8_t* p, ByteOrder o) {
    return o == ByteOrder::Big ? readBE16(p) : readLE16(p);
}
inline std::uint32_t read32(const std::uint8_t* p, ByteOrder o) {
    return o == ByteOrder::Big ? readBE32(p) : readLE32(p);
}
inline void write16(std::uint8_t* p, std::uint16_t v, ByteOrder o) {
    o == ByteOrder::Big ? writeBE16(p, v) : writeLE16(p, v);
}
inline void write32(std::uint8_t* p, std::uint32_t v, ByteOrder o) {
    o == ByteOrder::Big ? writeBE32(p, v) : writeLE32(p, v);
}

} // namespace wavix
