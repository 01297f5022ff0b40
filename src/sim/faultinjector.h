#pragma once
// Link faults a real network and a busy tester produce now and then: lost,
// doubled and swapped datagrams, and junk on the port. Seeded, so a failing
// session can be replayed.

#include "core/comm/packet.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace wavix {

struct FaultRates {
    double loss = 0.0;      // each datagram dropped
    double duplicate = 0.0; // each datagram sent twice
    double reorder = 0.0;   // each datagram swapped with the one after it
    double garbage = 0.0;   // per answer, one junk datagram slipped in

    bool any() const { return loss > 0 || duplicate > 0 || reorder > 0 || garbage > 0; }
};

// A datagram on its way out; junk can be longer than any packet buffer.
struct Datagram {
    std::vector<std::uint8_t> bytes;
};

std::vector<Datagram> ToDatagrams(std::vector<Packet>&& packets);

class CFaultInjector {
public:
    CFaultInjector(const FaultRates& rates, std::uint64_t seed);

    // Applies the faults to one answer; `log` receives a line per fault.
    std::vector<Datagram> apply(std::vector<Datagram> answer, std::vector<std::string>& log);

    // A short (below the header), odd (bad start bytes, odd length) or oversize datagram.
    Datagram garbage();

private:
    bool chance(double p);

    FaultRates rates_;
    std::mt19937_64 rng_;
};

} // namespace wavix
