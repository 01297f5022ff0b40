#pragma once
// The oscilloscope settings record and the tables that give its numbers meaning.
//
// Wire layout (big-endian, packed; version 1 = first 40 bytes, version 2 = 46):
//   0 version  2 chann_num  4 CH1_mux  6 CH1_dc_on ... 18 CH4_dc_on
//  20 time_base_ENUM(u32) 24 time_base(u32) 28 samples_all(u32)
//  32 TR_channel 34 TR_level 36 TR_mode 38 TR_rising | 40 ext_version 42 TR_position(u32)
// In memory the fields are host-order integers.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace wavix {

inline constexpr int kChannelCount = 4;
inline constexpr std::uint32_t kMaxSamples = 614400;
inline constexpr int kRangeMin = 0;
inline constexpr int kRangeMax = 8;
inline constexpr int kStepMin = 1;
inline constexpr int kStepMax = 14;
inline constexpr int kVerticalDivisions = 6;
inline constexpr int kHorizontalDivisions = 10;
inline constexpr std::uint16_t kStopBit = 0x8000;
inline constexpr std::uint16_t kTriggerLevelMax = 1023;
inline constexpr std::uint16_t kTriggerLevelCentre = 511;
inline constexpr std::uint32_t kSampleClockHz = 64000000;

enum TriggerMode : std::uint16_t { TM_AUTO = 0, TM_NORM = 1, TM_SINGLE = 2, TM_FREE = 3 };
enum Coupling : std::uint16_t { CPL_AC = 0, CPL_DC = 1, CPL_GND = 2 };

struct tOscilExchange {
    std::uint16_t version = 0;
    std::uint16_t chann_num = 0;
    std::uint16_t CH1_mux = 0;
    std::uint16_t CH1_dc_on = 0;
    std::uint16_t CH2_mux = 0;
    std::uint16_t CH2_dc_on = 0;
    std::uint16_t CH3_mux = 0;
    std::uint16_t CH3_dc_on = 0;
    std::uint16_t CH4_mux = 0;
    std::uint16_t CH4_dc_on = 0;
    std::uint32_t time_base_ENUM = 0;
    std::uint32_t time_base = 0;
    std::uint32_t samples_all = 0;
    std::uint16_t TR_channel = 0;
    std::uint16_t TR_level = 0;
    std::uint16_t TR_mode = 0;
    std::uint16_t TR_rising = 0;
    std::uint16_t ext_version = 0;
    std::uint32_t TR_position = 0;

    bool operator==(const tOscilExchange&) const = default;

    // Range index and coupling of channel ch (1..4); ch outside clamps to the ends.
    std::uint16_t& mux(int ch);
    std::uint16_t mux(int ch) const;
    std::uint16_t& dcOn(int ch);
    std::uint16_t dcOn(int ch) const;
};

inline constexpr std::size_t kOscilExchangeV1Size = 40;
inline constexpr std::size_t kOscilExchangeV2Size = 46;

// 46 bytes for a version-2 record, 40 for any other.
std::size_t OscilExchangeWireSize(const tOscilExchange& rec);
// Writes the record big-endian; answers the bytes written, 0 when out is too small.
std::size_t SerializeOscilExchange(const tOscilExchange& rec, std::span<std::uint8_t> out);
// Reads a big-endian record of 40 or more bytes; the version-2 fields are read
// only when 46 bytes are there, else cleared. False when fewer than 40 bytes.
bool DeserializeOscilExchange(std::span<const std::uint8_t> in, tOscilExchange& rec);

// A record from outside (module, file, settings) made safe to use: channel count
// 1..4, ranges 0..8, step 1..14, trigger channel 1..chann_num, level 0..1023.
// Answers true when nothing had to change.
bool ClampOscilExchange(tOscilExchange& rec);

// A valid record for a first start: one channel, 1 V/div DC, 1 ms/div, AUTO.
tOscilExchange DefaultOscilExchange();

// Value tables. Out-of-range indexes answer the nearest end; SamplePeriod answers 0.
double RangeVoltPerDiv(int range);
double RangeCorrection(int range); // 1.0 outside 0..8
double TimePerDivMs(int step);
std::uint32_t SamplesPerStep(int step);
std::uint32_t SampleRateHz(int step);
double SamplePeriod(int step);
// The divider a module sets for a step: 64 MHz / rate.
std::uint32_t TimeBaseDivider(int step);

std::string_view TriggerModeText(int mode);  // "" for an unused mode
std::string_view CouplingText(int coupling); // "" outside 0..2

// Index of the main window's mode buttons: stopped 0, AUTO 1, FREE 2, NORM 3, SINGLE 4, else 5.
int ModeIndex(const tOscilExchange& rec);

} // namespace wavix
