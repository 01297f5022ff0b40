#include "sim/faultinjector.h"

#include "sim/packetiser.h"

#include <algorithm>

namespace wavix {

std::vector<Datagram> ToDatagrams(std::vector<Packet>&& packets) {
    std::vector<Datagram> out;
    out.reserve(packets.size());
    for (const Packet& p : packets)
        if (p.data)
            out.push_back({std::vector<std::uint8_t>(p.data.get(), p.data.get() + p.size)});
    packets.clear();
    return out;
}

CFaultInjector::CFaultInjector(const FaultRates& rates, std::uint64_t seed) : rates_(rates), rng_(seed) {
    auto clamp01 = [](double& p) { p = std::clamp(p, 0.0, 1.0); };
    clamp01(rates_.loss);
    clamp01(rates_.duplicate);
    clamp01(rates_.reorder);
    clamp01(rates_.garbage);
}

bool CFaultInjector::chance(double p) {
    return p > 0.0 && std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p;
}

Datagram CFaultInjector::garbage() {
    Datagram d;
    std::uniform_int_distribution<int> byte(0, 255);
    std::size_t len;
    switch (std::uniform_int_distribution<int>(0, 2)(rng_)) {
    case 0:
        len = std::uniform_int_distribution<std::size_t>(1, kPacketHeaderSize - 1)(rng_);
        break;
    case 1:
        len = std::uniform_int_distribution<std::size_t>(4, 600)(rng_) | 1;
        break;
    default:
        len = std::uniform_int_distribution<std::size_t>(kMaxReplyBytes + 1, 4000)(rng_);
        break;
    }
    d.bytes.resize(len);
    for (auto& b : d.bytes)
        b = static_cast<std::uint8_t>(byte(rng_));
    if (len >= 2 && d.bytes[0] == kStartByte1 && d.bytes[1] == kStartByte2)
        d.bytes[1] = 0xFF; // junk must not pass for a packet by luck
    return d;
}

std::vector<Datagram> CFaultInjector::apply(std::vector<Datagram> answer, std::vector<std::string>& log) {
    std::vector<Datagram> out;
    out.reserve(answer.size() + 2);
    for (auto& d : answer) {
        if (chance(rates_.loss)) {
            log.push_back("fault: datagram of " + std::to_string(d.bytes.size()) + " bytes lost");
            continue;
        }
        if (chance(rates_.duplicate)) {
            log.push_back("fault: datagram of " + std::to_string(d.bytes.size()) + " bytes duplicated");
            out.push_back(d);
        }
        out.push_back(std::move(d));
    }
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
        if (chance(rates_.reorder)) {
            std::swap(out[i], out[i + 1]);
            log.push_back("fault: datagrams " + std::to_string(i) + " and " + std::to_string(i + 1) +
                          " swapped");
            ++i;
        }
    if (chance(rates_.garbage)) {
        Datagram junk = garbage();
        const auto at = std::uniform_int_distribution<std::size_t>(0, out.size())(rng_);
        log.push_back("fault: " + std::to_string(junk.bytes.size()) + " bytes of junk sent");
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), std::move(junk));
    }
    return out;
}

} // namespace wavix
