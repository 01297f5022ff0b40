#pragma once
// Records the tester's diagnostic services exchange with the module protocol.
// On the wire every number is big-endian; character arrays travel unchanged and
// need not be terminated. Reserved bytes are carried so a record survives a
// round trip unchanged.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/protocol/simplefat.h" // tsimple_FAT, shared with the instrument protocol

namespace wavix {

// Selection a diagnostic module is started with (manufacturer, car, control unit).
//   0 NameManuf[40]  40 NameManuf123  44 NameCAR[40]  84 NameCAR123  88 NameECU[40]
// 128 NameECU123  132 TypeECU  134 Mserial  136 lang  138 PCmode  140 MenuRealSize  144 MenuCRC
struct tmodule_exchange {
    std::array<std::uint8_t, 40> NameManuf{};
    std::uint32_t NameManuf123 = 0;
    std::array<std::uint8_t, 40> NameCAR{};
    std::uint32_t NameCAR123 = 0;
    std::array<std::uint8_t, 40> NameECU{};
    std::uint32_t NameECU123 = 0;
    std::uint16_t TypeECU = 0;
    std::uint16_t Mserial = 0;
    std::uint16_t lang = 0;
    std::uint16_t PCmode = 0;
    std::uint32_t MenuRealSize = 0;
    std::uint32_t MenuCRC = 0;
    bool operator==(const tmodule_exchange&) const = default;
};
inline constexpr std::size_t kModuleExchangeSize = 148;

// Module description.
//   0 head[2] (not interpreted)  2 Magic[4]  6 Mserial(u32)  10 MFullName[100]  110 reserved[8]
// 118 MType  120 Dict0[10]  130 Dict1[10]  140 reserved[30]  170 word170  172 res1(u32)
struct tmodule_desc {
    std::array<std::uint8_t, 2> head{};
    std::array<std::uint8_t, 4> Magic{};
    std::uint32_t Mserial = 0;
    std::array<std::uint8_t, 100> MFullName{};
    std::array<std::uint8_t, 8> reserved1{};
    std::uint16_t MType = 0;
    std::array<std::uint8_t, 10> Dict0{};
    std::array<std::uint8_t, 10> Dict1{};
    std::array<std::uint8_t, 30> reserved2{};
    std::uint16_t word170 = 0;
    std::uint32_t res1 = 0;
    bool operator==(const tmodule_desc&) const = default;
};
inline constexpr std::size_t kModuleDescSize = 176;

void SerializeModuleExchange(const tmodule_exchange& rec, std::span<std::uint8_t, kModuleExchangeSize> out);
tmodule_exchange DeserializeModuleExchange(std::span<const std::uint8_t, kModuleExchangeSize> in);

void SerializeModuleDesc(const tmodule_desc& rec, std::span<std::uint8_t, kModuleDescSize> out);
tmodule_desc DeserializeModuleDesc(std::span<const std::uint8_t, kModuleDescSize> in);

} // namespace wavix
