#pragma once
// The tester's own roll-mode log file, version 0x33: the program's log layout
// with every multi-byte field big-endian.
//
//   header  288 bytes   "OSC1", block count, text[256], time of writing
//                       (eight u16: year, month, day of week, day, hour,
//                       minute, second, ms; UTC), 0, version 0x33
//   blocks  632 each    "-CHx", 0xFFFFFFFF (no samples follow), colour,
//                       description[256], name[256], channel record (32),
//                       probe record (68), "-123", trigger position
//   stream              one u16 per channel per instant, channels interleaved:
//                       display counts + 512 in bits 0..10, marks in bits 15 and 14

#include "core/scope/oscilexchange.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wavix {

inline constexpr std::size_t kLogHeaderSize = 288;
inline constexpr std::size_t kLogBlockSize = 632;
inline constexpr std::size_t kLogTextSize = 256;
inline constexpr std::uint32_t kTesterLogVersion = 0x33;
inline constexpr std::uint32_t kNoSamplesFollow = 0xFFFFFFFF;
inline constexpr std::uint16_t kMarkFirstKind = 0x8000;
inline constexpr std::uint16_t kMarkSecondKind = 0x4000;

struct TesterLogChannel {
    std::string name;
    std::string description;
    std::uint32_t colour = 0; // 0x00BBGGRR
};

struct TesterLog {
    std::string text;
    std::array<std::uint16_t, 8> written{};
    // chann_num active channels with their ranges and couplings, step, divider, trigger.
    tOscilExchange record;
    std::vector<TesterLogChannel> channels; // exactly chann_num
    std::vector<std::uint16_t> words;       // whole instants only
};

// One stream word: display counts -512..512 (clamped) with mark bits.
std::uint16_t TesterLogWord(int counts, std::uint16_t marks = 0);

// The file's bytes; empty when the channels do not match chann_num (1..4) or
// the stream holds a partial instant. Texts of 256 characters or more are cut.
std::vector<std::uint8_t> EncodeTesterLog(const TesterLog& log);

} // namespace wavix
