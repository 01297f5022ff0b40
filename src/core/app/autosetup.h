#pragma once
// Auto set-up: from live captures, the smallest range that holds each active
// channel without clipping, a timebase of two to five periods of the trigger
// channel (one engine cycle on a crankshaft wheel) and the trigger level in the
// middle of its swing. A round measures the capture taken at the record in
// force and picks the next record; that one is sent, confirmed by the module,
// captured again and refined, until a pick changes nothing, the rounds run out
// or the time limit passes. The record before is kept for the undo.

#include "core/analysis/signalanalysis.h"
#include "core/scope/oscilexchange.h"
#include "core/support/ticksource.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace wavix {

// The two commands of the view menu: run and undo.
inline constexpr int kAutoSetupCommand = 0x8031;
inline constexpr int kAutoSetupUndoCommand = 0x8032;

struct AutoSetupChannel {
    int channel = 0; // 1..4
    SignalInput signal;
};

// What a run could not settle.
enum AutoSetupMiss : unsigned {
    kMissNone = 0,
    kMissRange = 1,     // a channel clips on the largest range, or kept changing
    kMissTimebase = 2,  // no period on the trigger channel
    kMissTrigger = 4,   // the trigger channel does not swing
    kMissCapture = 8,   // no capture came in time
};

class CAutoSetup {
public:
    static constexpr std::uint32_t kLimitMs = 3000;
    static constexpr int kMaxRounds = 8;

    explicit CAutoSetup(const ITickSource& ticks) : ticks_(ticks) {}

    // Begins from the record in force, which the undo gives back.
    void Start(const tOscilExchange& inForce);
    bool IsRunning() const { return running_; }
    // Stops a run without a verdict (the undo, the link lost).
    void Cancel();

    // A capture converted at the record in force (dirty: an edit not yet
    // confirmed). Answers the record to send next, if any.
    std::optional<tOscilExchange> OnCapture(const tOscilExchange& inForce, bool dirty,
                                            std::span<const AutoSetupChannel> channels);
    // Ends a run past the time limit; true when it just ended.
    bool OnTick();

    // After a run: what was left unsettled, and the channels whose range was.
    unsigned Missing() const { return missing_; }
    unsigned MissingChannels() const { return missingChannels_; } // bit ch-1
    int Rounds() const { return rounds_; }

    // The record before the last run; given once.
    std::optional<tOscilExchange> TakeUndo();

private:
    struct Pick {
        tOscilExchange rec;
        unsigned missing = kMissNone;
        unsigned missingChannels = 0;
    };
    Pick pick(const tOscilExchange& inForce, std::span<const AutoSetupChannel> channels);
    int pickRange(int ch, int range, CSignalAnalysis& a, bool& settled);
    void end(unsigned missing, unsigned channels);

    const ITickSource& ticks_;
    bool running_ = false;
    std::uint32_t started_ = 0;
    std::optional<tOscilExchange> waitFor_;
    std::optional<tOscilExchange> undo_;
    bool probed_ = false;
    // Per channel the lowest range not seen clipping in this run: spikes and slow
    // swings that one capture missed must not send a channel back to clipping.
    std::array<int, kChannelCount> lowest_{};
    int rounds_ = 0;
    unsigned missing_ = kMissNone;
    unsigned missingChannels_ = 0;
    unsigned lastMissing_ = kMissNone;
    unsigned lastMissingChannels_ = 0;
    CSignalAnalysis analysis_;
};

// The line that ends a run: done, or what it could not settle, from the texts
// TXT_1743..1748 looked up by key.
std::string AutoSetupVerdict(unsigned missing, unsigned channels,
                             const std::function<std::string(std::string_view)>& text);

// The smallest timebase step whose ten divisions last at least `seconds`; the
// longest step when none does.
int StepShowing(double seconds);

} // namespace wavix
