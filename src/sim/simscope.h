#pragma once
// The acquisition of the Scope module, driven by an injected clock.
//
// Sample k of the current settings is taken at k * time_base / 64 MHz seconds
// of absolute time, so every capture is a window on one continuous signal.
// AUTO, NORM and SINGLE arm, wait for TR_position pre-trigger samples, look for
// the edge on the trigger channel and complete when the rest of the ten
// divisions has been sampled; AUTO gives up waiting for an edge after a while
// and free-runs. FREE hands over whatever was sampled since the last request.
// With the stop bit set nothing new is captured.

#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"
#include "sim/signalgenerator.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace wavix {

// The record the module holds after power-up: a workshop set-up for the
// generator's four signals, so that the first captures show each readably.
tOscilExchange PowerUpRecord();

struct ScopeCapture {
    int channels = 1;
    std::int64_t firstIndex = 0;        // sample index of the first set
    std::uint32_t sets = 0;             // samples per channel
    bool triggered = false;             // false: AUTO free-ran, or roll mode
    std::vector<std::uint16_t> samples; // interleaved converter values
};

class CSimScope {
public:
    CSimScope(const CSignalGenerator& generator, const SOscil_EEPROM& hardware);

    // What the module makes of a requested record: every field in range, the
    // divider and capture length of the step, pre-trigger inside the capture.
    static tOscilExchange SettleRecord(const tOscilExchange& requested);

    // Captures complete at once and roll mode advances a tenth of a capture per request.
    void setInstant(bool instant) { instant_ = instant; }

    // Applies a settled record and re-arms at `nowUs`.
    void apply(const tOscilExchange& settled, std::uint64_t nowUs);
    const tOscilExchange& record() const { return rec_; }

    // A finished capture, or nothing when no new samples are ready.
    std::optional<ScopeCapture> poll(std::uint64_t nowUs);

    // The converter value of channel ch at sample index idx under the current settings.
    std::uint16_t sampleRaw(int ch, std::int64_t idx) const;
    // What the input stage passes on (coupling applied), without noise.
    double inputVolts(int ch, std::int64_t idx) const;
    std::int64_t indexAt(std::uint64_t nowUs) const;

    // The longest stretch searched for an edge in one request.
    static constexpr std::int64_t kMaxScan = std::int64_t{1} << 20;

private:
    double timeAt(std::int64_t idx) const;
    void rearm(std::int64_t idx);
    std::optional<std::int64_t> findEdge(std::int64_t from, std::int64_t to) const;
    ScopeCapture take(std::int64_t first, std::int64_t count, bool triggered) const;
    std::optional<ScopeCapture> pollTriggered(std::int64_t nowIdx);

    CSignalGenerator gen_;
    SOscil_EEPROM hardware_;
    tOscilExchange rec_;
    bool instant_ = false;
    std::int64_t armIdx_ = 0;    // first sample that may belong to the next capture
    std::int64_t searchIdx_ = 0; // next sample tested for the edge
    std::optional<std::int64_t> trigIdx_;
    bool triggered_ = false;
    std::int64_t rollIdx_ = 0; // first sample not yet handed over in roll mode
};

} // namespace wavix
