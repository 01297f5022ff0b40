#include "sim/workshopsignals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace wavix {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double frac(double x) {
    return x - std::floor(x);
}

// Edge of a rise time tau, 0 before `at`, 1 well after it.
double edge(double t, double at, double tau) {
    return t <= at ? 0.0 : 1.0 - std::exp(-(t - at) / tau);
}

std::uint64_t splitmix(std::uint64_t& state) {
    std::uint64_t x = (state += 0x9E3779B97F4A7C15ULL);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

void pushBits(std::vector<bool>& bits, std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i)
        bits.push_back(((value >> i) & 1U) != 0);
}

} // namespace

double CamHallVolts(double camTurns, double camTurnSeconds) {
    const double cycle = camTurnSeconds;
    const double p = frac(camTurns);
    // Windows (fractions of a cam turn): a long one and a short one.
    constexpr double kWindows[2][2] = {{0.10, 0.45}, {0.70, 0.78}};
    constexpr double low = 0.18, top = 5.0;
    // The last edge before p; before the first window it is the previous turn's last fall.
    double since = (p + 1.0 - kWindows[1][1]) * cycle;
    bool high = false;
    for (const auto& w : kWindows) {
        if (p >= w[0]) {
            since = (p - w[0]) * cycle;
            high = true;
        }
        if (p >= w[1]) {
            since = (p - w[1]) * cycle;
            high = false;
        }
    }
    // Edges take a few microseconds: at the sample rates of slow timebases they look instant.
    const double k = edge(since, 0.0, 3e-6);
    return high ? low + (top - low) * k : top - (top - low) * k;
}

double InjectorVolts(double sinceOpen, double openSeconds, double clampVolts, double battery) {
    if (sinceOpen < 0.0)
        return battery;
    if (sinceOpen < openSeconds)
        return 0.15 + 0.25 * sinceOpen / openSeconds; // saturated driver, current rising
    const double r = sinceOpen - openSeconds;
    constexpr double rise = 10e-6, clampEnd = 180e-6;
    double v;
    if (r < rise)
        v = 0.4 + (clampVolts - 0.4) * r / rise;
    else if (r < clampEnd)
        v = clampVolts - 4.0 * (r - rise) / (clampEnd - rise); // the driver's zener holds it
    else
        v = battery + (clampVolts - 4.0 - battery) * std::exp(-(r - clampEnd) / 60e-6);
    // The pintle seats a little after the spike: a small bump on the decay.
    const double bump = (r - 0.55e-3) / 0.09e-3;
    return v + 2.2 * std::exp(-bump * bump);
}

double MapSensorVolts(double t, double idleRpm, double blipAt) {
    constexpr double idle = 1.25, full = 4.2, overrun = 0.75;
    const double s = t - blipAt;
    double level = idle;
    double rpm = idleRpm;
    if (s >= 0.0) {
        // Throttle snaps open for about 0.15 s: pressure follows within some 40 ms;
        // it closes, the engine overruns (pressure below idle), then settles.
        const double open = 1.0 - std::exp(-s / 0.04);
        const double shut = s > 0.15 ? 1.0 - std::exp(-(s - 0.15) / 0.03) : 0.0;
        level = idle + (full - idle) * open * (1.0 - shut);
        if (s > 0.15)
            level -= (idle - overrun) * shut * std::exp(-(s - 0.15) / 0.35);
        rpm = idleRpm + 2200.0 * std::min(1.0, s / 0.25) * std::exp(-std::max(0.0, s - 0.25) / 0.4);
    }
    // Four cylinders: two intake strokes per turn; the pulsation is largest at idle vacuum.
    const double strokes = 2.0 * rpm / 60.0;
    const double pulse = 0.06 * (level < 2.0 ? 1.0 : 0.4) * std::sin(kTwoPi * strokes * t);
    return level + pulse;
}

double AlternatorVolts(double t, double engineRpm, bool failedDiode) {
    constexpr double pulley = 2.8, polePairs = 6.0, regulated = 14.25, ripple = 0.22;
    const double electricalHz = engineRpm * pulley / 60.0 * polePairs;
    const double theta = kTwoPi * electricalHz * t;
    // The bridge puts out the largest of the six half-waves of three phases.
    double top = 0.0;
    for (int k = 0; k < 3; ++k) {
        const double phase = std::sin(theta - k * kTwoPi / 3.0);
        const bool positiveOk = !(failedDiode && k == 0);
        top = std::max(top, positiveOk ? std::abs(phase) : std::max(0.0, -phase));
    }
    // Six-pulse output swings between sin(60°) and 1; the battery smooths it.
    const double unit = (top - 0.933) / (1.0 - 0.866);
    return regulated + ripple * unit;
}

std::uint16_t CanCrc15(const std::vector<bool>& bits) {
    std::uint16_t crc = 0;
    for (const bool bit : bits) {
        const bool next = bit != (((crc >> 14) & 1U) != 0);
        crc = static_cast<std::uint16_t>((crc << 1) & 0x7FFF);
        if (next)
            crc ^= 0x4599;
    }
    return crc;
}

CCanTraffic::CCanTraffic(std::uint64_t seed, int frames) {
    std::uint64_t state = seed;
    bits_.assign(kLeadBits, true);
    for (int f = 0; f < frames; ++f) {
        const std::uint64_t r = splitmix(state);
        std::vector<bool> frame{false}; // start of frame
        pushBits(frame, static_cast<std::uint32_t>(0x100 + (r & 0x3FF)) & 0x7FF, 11);
        frame.insert(frame.end(), {false, false, false}); // RTR, IDE, r0
        pushBits(frame, 8, 4);
        const std::uint64_t data = splitmix(state);
        for (int b = 0; b < 8; ++b)
            pushBits(frame, static_cast<std::uint32_t>((data >> (8 * b)) & 0xFF), 8);
        pushBits(frame, CanCrc15(frame), 15);
        // Stuffing: after five equal bits the sender inserts the opposite one.
        std::vector<bool> stuffed;
        int run = 0;
        for (const bool bit : frame) {
            if (!stuffed.empty() && bit == stuffed.back())
                ++run;
            else
                run = 1;
            stuffed.push_back(bit);
            if (run == 5) {
                stuffed.push_back(!bit);
                run = 1;
            }
        }
        bits_.insert(bits_.end(), stuffed.begin(), stuffed.end());
        // CRC delimiter, ACK slot driven by a receiver, ACK delimiter, end of frame, intermission.
        bits_.insert(bits_.end(), {true, false, true});
        bits_.insert(bits_.end(), 7 + 3, true);
        bits_.insert(bits_.end(), static_cast<std::size_t>(8 + (r >> 40) % 40), true); // bus idle
    }
}

bool CCanTraffic::recessiveAt(double t) const {
    if (t < 0.0)
        return true;
    const auto i = static_cast<std::size_t>(t / kBitSeconds);
    return i >= bits_.size() || bits_[i];
}

double CCanTraffic::highVolts(double t) const {
    return recessiveAt(t) ? 2.5 : 3.5;
}

double CCanTraffic::lowVolts(double t) const {
    return recessiveAt(t) ? 2.5 : 1.5;
}

} // namespace wavix
