#pragma once
// Workshop signals of a petrol four-cylinder at idle, as functions of absolute
// time, so that consecutive captures and roll-mode chunks join without a seam.
//
//   channel 1  crankshaft inductive sensor, 60-2 wheel
//   channel 2  ignition coil primary (low side) of cylinder 1
//   channel 3  injector low side of cylinder 1
//   channel 4  narrowband lambda sensor
//
// Everything here is pure: same seed, same time, same value.

#include <cstdint>

namespace wavix {

class CSignalGenerator {
public:
    explicit CSignalGenerator(std::uint64_t seed = 1, double idleRpm = 800.0);

    // Ideal input voltage of channel 1..4 at time t (seconds); 0 V for any other channel.
    double volts(int channel, double t) const;
    // Long-term mean of a channel, what an AC-coupled input takes away.
    double dcLevel(int channel) const;
    // Converter noise in counts for one sample: a few counts, repeatable per seed.
    int noiseCounts(int channel, std::int64_t sampleIndex) const;

    double idleRpm() const { return idleRpm_; }
    double batteryVolts() const { return kBattery; }

    // Crankshaft revolutions since t = 0; idle speed wanders slowly, as a real engine does.
    double revolutions(double t) const;

private:
    static constexpr double kBattery = 13.8;

    double crank(double t) const;
    double ignition(double t) const;
    double injector(double t) const;
    double lambda(double t) const;
    // Seconds since cylinder 1 fired (0 .. one engine cycle).
    double sinceSpark(double t) const;

    std::uint64_t seed_;
    double idleRpm_;
};

} // namespace wavix
