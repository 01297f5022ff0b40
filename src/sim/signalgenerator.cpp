#include "sim/signalgenerator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace wavix {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kWanderRpm = 12.0; // idle speed wander, peak
constexpr double kWanderHz = 0.7;
constexpr int kTeethPitches = 60;    // 60-2 wheel: 58 teeth, gap of two
constexpr double kSparkAtRev = 0.15; // crank position of cylinder 1's spark within its cycle
constexpr double kInjectAtRev = 0.9; // injector 1 opens on the exhaust stroke

std::uint64_t splitmix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

double frac(double x) {
    return x - std::floor(x);
}

} // namespace

CSignalGenerator::CSignalGenerator(std::uint64_t seed, double idleRpm)
    : seed_(seed), idleRpm_(std::clamp(idleRpm, 100.0, 8000.0)) {}

double CSignalGenerator::revolutions(double t) const {
    // Integral of rpm(t) / 60 with rpm(t) = idle + wander * sin(2 pi f t).
    const double base = idleRpm_ / 60.0 * t;
    const double wander = kWanderRpm / 60.0 / (kTwoPi * kWanderHz) * (1.0 - std::cos(kTwoPi * kWanderHz * t));
    return base + wander;
}

double CSignalGenerator::volts(int channel, double t) const {
    switch (channel) {
    case 1:
        return crank(t);
    case 2:
        return ignition(t);
    case 3:
        return injector(t);
    case 4:
        return lambda(t);
    default:
        return 0.0;
    }
}

double CSignalGenerator::dcLevel(int channel) const {
    switch (channel) {
    case 2:
    case 3:
        return kBattery;
    case 4:
        return 0.47;
    default:
        return 0.0;
    }
}

int CSignalGenerator::noiseCounts(int channel, std::int64_t sampleIndex) const {
    const std::uint64_t h = splitmix(seed_ ^ (std::uint64_t(channel) << 56) ^ std::uint64_t(sampleIndex));
    // Sum of two small uniform draws: mostly 0 and +-1, now and then +-2 or +-3.
    const int a = static_cast<int>(h & 0x7) - 3;      // -3..4
    const int b = static_cast<int>((h >> 8) % 5) - 2; // -2..2
    const int n = (a + b) / 2;
    return std::clamp(n, -3, 3);
}

double CSignalGenerator::sinceSpark(double t) const {
    const double cycleRevs = revolutions(t) / 2.0; // four-stroke: one cycle per two turns
    const double cycleSeconds = 120.0 / idleRpm_;
    return frac(cycleRevs - kSparkAtRev / 2.0) * cycleSeconds;
}

double CSignalGenerator::crank(double t) const {
    const double rpm = idleRpm_ + kWanderRpm * std::sin(kTwoPi * kWanderHz * t);
    // An inductive sensor's output grows with speed: about +-10 V at idle.
    const double amplitude = 10.0 * rpm / 800.0;
    const double pitch = frac(revolutions(t)) * kTeethPitches;
    double v;
    if (pitch < kTeethPitches - 3)
        v = amplitude * std::sin(kTwoPi * pitch);
    else
        // The gap: one slow swing, larger because the flux changes over a longer way.
        v = 1.7 * amplitude * std::sin(kTwoPi * (pitch - (kTeethPitches - 3)) / 3.0);
    // Ignition couples into the sensor lead as a short glitch.
    const double s = sinceSpark(t);
    if (s < 40e-6)
        v += 1.5 * std::exp(-s / 10e-6) * std::sin(kTwoPi * 200e3 * s);
    return v;
}

double CSignalGenerator::ignition(double t) const {
    const double s = sinceSpark(t);
    const double cycle = 120.0 / idleRpm_;
    constexpr double dwell = 4.0e-3;
    if (s > cycle - dwell) {
        // Driver saturated; the rising coil current lifts the collector a little.
        const double p = (s - (cycle - dwell)) / dwell;
        return 0.4 + 0.9 * p;
    }
    constexpr double rise = 8e-6, clampEnd = 30e-6, fall = 90e-6, burnEnd = 1.5e-3;
    constexpr double clampVolts = 350.0;
    if (s < rise)
        return 1.3 + (clampVolts - 1.3) * s / rise;
    if (s < clampEnd)
        return clampVolts; // the driver's clamp clips the spike
    const double burnVolts = 42.0 - 8.0 * (s - fall) / (burnEnd - fall);
    if (s < fall) {
        const double k = (s - clampEnd) / (fall - clampEnd);
        return burnVolts + (clampVolts - burnVolts) * std::exp(-6.0 * k);
    }
    if (s < burnEnd)
        // Burn line with the turbulence of the spark channel.
        return burnVolts + 1.5 * std::sin(kTwoPi * 23e3 * s) * std::sin(kTwoPi * 3.1e3 * s);
    // Coil and capacitor ring down to battery once the spark dies.
    const double r = s - burnEnd;
    const double ring = (burnVolts - kBattery) * std::exp(-r / 0.3e-3) * std::cos(kTwoPi * 8e3 * r);
    return kBattery + ring;
}

double CSignalGenerator::injector(double t) const {
    const double cycle = 120.0 / idleRpm_;
    const double open = frac(revolutions(t) / 2.0 - kInjectAtRev / 2.0) * cycle;
    constexpr double pulse = 3.0e-3;
    double v = kBattery;
    if (open < pulse) {
        v = 0.15 + 0.25 * open / pulse; // saturated driver, current rising
    } else {
        const double r = open - pulse;
        constexpr double rise = 10e-6, clampEnd = 180e-6;
        constexpr double zener = 72.0;
        if (r < rise)
            v = 0.4 + (zener - 0.4) * r / rise;
        else if (r < clampEnd)
            v = zener - 5.0 * (r - rise) / (clampEnd - rise); // clamped by the driver's zener
        else
            v = kBattery + (zener - 5.0 - kBattery) * std::exp(-(r - clampEnd) / 60e-6);
        // The pintle seats a little after the spike: a small bump on the decay.
        const double bump = (r - 0.55e-3) / 0.09e-3;
        v += 2.2 * std::exp(-bump * bump);
    }
    const double s = sinceSpark(t);
    if (s < 40e-6)
        v += 0.8 * std::exp(-s / 10e-6) * std::sin(kTwoPi * 200e3 * s);
    return v;
}

double CSignalGenerator::lambda(double t) const {
    // The closed loop hunts around stoichiometric about once a second; the
    // period wanders a little, as the fuelling trims do.
    const double phase = kTwoPi * (0.9 * t + 0.05 * std::sin(kTwoPi * 0.13 * t));
    const double swing = std::tanh(4.0 * std::sin(phase));
    return 0.47 + 0.35 * swing;
}

} // namespace wavix
