#pragma once
// Unattended roll-mode recording (`wavix --roll-log`): starts the log once
// roll-mode samples arrive and ends it after the given time. A tester that
// restarts comes back with its own record; the controller sends the record held
// before the loss back to it and the log goes on with a seam. Should the
// tester's record stay in force, the log ends; the script then acts as the
// technician would: once capture runs again it turns the trigger mode back to
// roll with the panel's mode key and records on into the next file (name-2.sdf,
// name-3.sdf, ...). Driven by a clock in milliseconds.

#include <cstdint>
#include <filesystem>
#include <string>

namespace wavix {

// What the window shows at one step.
struct RollScriptView {
    bool rollMode = false;   // the record in force runs in roll mode
    bool recordFree = false; // the record as edited asks for roll mode
    bool logOpen = false;
    int groups = 0; // sample groups converted since start
};

enum class RollScriptAction { None, StartLog, StopLog, PressModeKey, Finish };

struct RollScriptStep {
    RollScriptAction action = RollScriptAction::None;
    // StartLog: the file; Finish: the exit code (0 recorded the whole time,
    // 3 roll-mode samples never came or the log did not open, 4 the log ended
    // while the tester stayed in roll mode).
    std::filesystem::path path;
    int exitCode = 0;
    bool partEnded = false; // the tester left roll mode and ended the log part
    std::string message;    // for stderr, when there is something to say
};

class CRollLogScript {
public:
    static constexpr std::uint32_t kFirstSamplesMs = 20000;
    static constexpr std::uint32_t kKeyIntervalMs = 1000;

    CRollLogScript(std::filesystem::path firstFile, std::uint32_t recordMs);

    RollScriptStep Step(std::uint32_t nowMs, const RollScriptView& view);
    // After StartLog: whether the log opened.
    RollScriptStep LogStarted(std::uint32_t nowMs, bool opened);

    int Parts() const { return part_; }
    // File of part n (1-based).
    std::filesystem::path PartPath(int n) const;

private:
    enum class Phase { WaitFirst, Logging, Rearm, Done };

    RollScriptStep finish(int code, std::string message);
    bool timeUp(std::uint32_t nowMs) const;

    std::filesystem::path first_;
    std::uint32_t recordMs_;
    Phase phase_ = Phase::WaitFirst;
    bool clockStarted_ = false;
    std::uint32_t startMs_ = 0;
    std::uint32_t recordStartMs_ = 0;
    std::uint32_t lastKeyMs_ = 0;
    bool keyPressed_ = false;
    bool resumed_ = false;
    int groupsAtEnd_ = 0;
    int groupsAtRoll_ = -1;
    int part_ = 0;
};

} // namespace wavix
