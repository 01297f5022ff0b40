#pragma once
// Shared pieces of the display tests: one QApplication per program, channels
// filled with workshop signals, and pixel probes on rendered images.

#include "core/scope/channeldata.h"
#include "core/scope/oscilexchange.h"
#include "ui/colorref.h"
#include "ui/uitestapp.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>

namespace wavix::test {

inline constexpr std::uint32_t kColours[4] = {0x001F8FDA, 0x00249339, 0x00B03F22, 0x008825AD};

// A channel standing free of the sample data object, as one loaded from a file.
// `volts` gives the signal at time t (seconds); counts follow the range's scale.
inline std::unique_ptr<CChannelData> MakeChannel(int number, int range, int step,
                                                 const std::function<double(double)>& volts,
                                                 int triggerChannel = 1, std::uint32_t timeBase = 0) {
    auto ch = std::make_unique<CChannelData>();
    tOscilExchange rec = DefaultOscilExchange();
    rec.chann_num = 4;
    rec.mux(number) = static_cast<std::uint16_t>(range);
    rec.dcOn(number) = 1;
    rec.time_base_ENUM = static_cast<std::uint32_t>(step);
    rec.time_base = timeBase != 0 ? timeBase : TimeBaseDivider(step);
    rec.TR_channel = static_cast<std::uint16_t>(triggerChannel);
    rec.TR_mode = 0;
    ch->ApplySettings(rec, number);
    ch->SetColor(kColours[(number - 1) & 3]);
    const std::uint32_t n = ch->GetCapacity();
    const double rate = kSampleClockHz / static_cast<double>(rec.time_base);
    // Half a swing of 512 counts is three divisions, stretched by the range correction;
    // range 0 is measured on range 1 and doubled.
    const double fullScale = RangeVoltPerDiv(range) * 3.0 * RangeCorrection(range);
    auto samples = ch->WritableSamples(n);
    std::uint32_t seed = 12345u + static_cast<std::uint32_t>(number);
    for (std::uint32_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 29) - 3.5; // a few counts
        const double c = volts(i / rate) / fullScale * 512.0 + noise;
        samples[i] = static_cast<std::int32_t>(std::clamp(c, -512.0, 512.0));
    }
    ch->SetSampleCount(n);
    return ch;
}

// Workshop signals (petrol car at idle).
// Inductive crank sensor, 60-2 wheel at 800 rpm: 800 Hz teeth, a longer, larger swing at the gap.
inline double CrankVolts(double t) {
    const double tooth = 1.0 / 800.0;
    const double rev = 60 * tooth;
    const double inRev = std::fmod(t + 0.05, rev) / tooth; // the gap shows 22 ms in
    if (inRev >= 58.0)
        return 14.0 * std::sin(2 * M_PI * (inRev - 58.0) / 2.0);
    return 9.0 * std::sin(2 * M_PI * inRev);
}

// Ignition primary: battery, dwell near 0 V, spike clipped at 350 V, burn line, ringing back.
inline double IgnitionVolts(double t) {
    const double period = 0.0375;                           // 4 cylinders, 800 rpm
    const double u = std::fmod(t + period - 0.002, period); // dwell from 2 ms on
    if (u < 0.004)
        return 0.8; // dwell
    const double s = u - 0.004;
    if (s < 0.00005)
        return 350.0;
    if (s < 0.0015)
        return 40.0 + 10.0 * std::exp(-s * 4000.0);
    const double r = s - 0.0015;
    return 13.8 + 25.0 * std::exp(-r * 2500.0) * std::cos(2 * M_PI * 4000.0 * r);
}

// Saturated injector, low side: opened for 3 ms, a 70 V spike at closing with the pintle bump.
inline double InjectorVolts(double t) {
    const double period = 0.075;
    const double u = std::fmod(t + period - 0.003, period); // opens at 3 ms
    if (u < 0.003)
        return 0.5;
    const double s = u - 0.003;
    const double spike = 56.0 * std::exp(-s * 3000.0);
    const double bump = 3.0 * std::exp(-std::pow((s - 0.0012) / 0.0002, 2));
    return 13.8 + spike + bump;
}

// Narrowband lambda: slow switching between lean 0.15 V and rich 0.8 V.
inline double LambdaVolts(double t) {
    const double phase = std::fmod(t, 0.8) / 0.8;
    const double s = std::tanh(6.0 * std::sin(2 * M_PI * phase));
    return 0.475 + 0.325 * s;
}

inline bool IsColour(const QImage& img, int x, int y, std::uint32_t colour) {
    if (!img.rect().contains(x, y))
        return false;
    return (img.pixel(x, y) & 0xFFFFFFu) == (ToQColor(colour).rgb() & 0xFFFFFFu);
}

// Whether the colour appears within `radius` pixels of (x, y).
inline bool ColourNear(const QImage& img, int x, int y, std::uint32_t colour, int radius = 1) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (IsColour(img, x + dx, y + dy, colour))
                return true;
    return false;
}

inline int CountColour(const QImage& img, const QRect& area, std::uint32_t colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += IsColour(img, x, y, colour) ? 1 : 0;
    return n;
}

} // namespace wavix::test
