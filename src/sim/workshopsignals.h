#pragma once
// Workshop signals beside the engine generator's four channels: the shapes a
// technician meets on the other sensors and on the charging and bus wiring.
// Each is a pure function of time (seconds) and its parameters, in volts at
// the sensor's wire.

#include <cstdint>
#include <vector>

namespace wavix {

// Camshaft Hall sensor with a pull-up to 5 V: one long and one short window per
// cam turn (two crank turns); edges of a few microseconds. `camTurns` counts cam
// turns (crank revolutions / 2), so the sensor stays in step with the crank.
double CamHallVolts(double camTurns, double camTurnSeconds);

// Saturated injector low side: battery, pulled down while open, a clamped
// closing spike, then the decay with the pintle bump. `sinceOpen` counts from
// the driver switching on; negative is before it.
double InjectorVolts(double sinceOpen, double openSeconds, double clampVolts, double battery);

// MAP sensor at idle with a throttle blip at `blipAt`: small pulsations per
// intake stroke, a snap up towards full load, overrun below idle, then back.
double MapSensorVolts(double t, double idleRpm, double blipAt);

// Charging voltage with the six-pulse ripple of the rectifier; with an open
// diode one pulse in six is missing and the ripple drops deep there.
double AlternatorVolts(double t, double engineRpm, bool failedDiode);

// A 500 kbit/s CAN bus carrying standard data frames, bit-stuffed, with a real
// CRC; the level per bit time. Recessive (true) both wires 2.5 V.
class CCanTraffic {
public:
    static constexpr double kBitSeconds = 2e-6;

    // Frames of 8 data bytes, ids and data from the seed, with idle between them.
    explicit CCanTraffic(std::uint64_t seed, int frames = 6);

    bool recessiveAt(double t) const;
    double highVolts(double t) const;
    double lowVolts(double t) const;
    // Start of the first frame (its start-of-frame bit).
    double firstFrameAt() const { return kLeadBits * kBitSeconds; }

private:
    static constexpr int kLeadBits = 20;
    std::vector<bool> bits_; // true recessive
};

// The CRC-15 of a CAN frame over the given bits (start of frame to the data end).
std::uint16_t CanCrc15(const std::vector<bool>& bits);

} // namespace wavix
