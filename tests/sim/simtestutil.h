#pragma once

#include "core/comm/packet.h"
#include "core/scope/oscilexchange.h"
#include "core/support/bytes.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace wavix::simtest {

inline std::vector<std::uint8_t> request(std::uint16_t cmd, const std::vector<std::uint8_t>& payload = {}) {
    std::vector<std::uint8_t> r{0x10, 0x02, static_cast<std::uint8_t>(cmd >> 8),
                                static_cast<std::uint8_t>(cmd)};
    r.insert(r.end(), payload.begin(), payload.end());
    return r;
}

inline std::vector<std::uint8_t> recordBytes(const tOscilExchange& rec) {
    std::array<std::uint8_t, kOscilExchangeV2Size> b{};
    const std::size_t n = SerializeOscilExchange(rec, b);
    return {b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)};
}

inline std::string zeroTerminated(const std::uint8_t* p, std::size_t width) {
    const void* end = std::memchr(p, 0, width);
    return {reinterpret_cast<const char*>(p),
            end ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - p) : width};
}

inline std::uint16_t word(const Packet& p, std::size_t at) {
    return readBE16(&p.data[at]);
}

inline tOscilExchange record(int channels, int step, std::uint16_t mode, std::uint32_t pre = 0) {
    tOscilExchange r = DefaultOscilExchange();
    r.chann_num = static_cast<std::uint16_t>(channels);
    r.time_base_ENUM = static_cast<std::uint32_t>(step);
    r.TR_mode = mode;
    r.TR_position = pre;
    return r;
}

} // namespace wavix::simtest
