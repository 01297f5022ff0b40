#include "core/app/rolllogscript.h"

#include <utility>

namespace wavix {

CRollLogScript::CRollLogScript(std::filesystem::path firstFile, std::uint32_t recordMs)
    : first_(std::move(firstFile)), recordMs_(recordMs) {}

std::filesystem::path CRollLogScript::PartPath(int n) const {
    if (n <= 1)
        return first_;
    std::filesystem::path p = first_;
    p.replace_filename(first_.stem().string() + "-" + std::to_string(n) + first_.extension().string());
    return p;
}

RollScriptStep CRollLogScript::finish(int code, std::string message) {
    phase_ = Phase::Done;
    RollScriptStep s;
    s.action = RollScriptAction::Finish;
    s.exitCode = code;
    s.message = std::move(message);
    return s;
}

bool CRollLogScript::timeUp(std::uint32_t nowMs) const {
    return nowMs - recordStartMs_ >= recordMs_;
}

RollScriptStep CRollLogScript::Step(std::uint32_t nowMs, const RollScriptView& view) {
    if (!clockStarted_) {
        clockStarted_ = true;
        startMs_ = nowMs;
    }
    RollScriptStep s;
    switch (phase_) {
    case Phase::WaitFirst:
        if (view.rollMode && view.groups > 0) {
            part_ = 1;
            s.action = RollScriptAction::StartLog;
            s.path = PartPath(part_);
        } else if (nowMs - startMs_ > kFirstSamplesMs) {
            return finish(3, "no roll-mode samples arrived");
        }
        return s;
    case Phase::Logging:
        if (timeUp(nowMs)) {
            phase_ = Phase::Done;
            s.action = RollScriptAction::StopLog;
            return s;
        }
        if (!view.logOpen) {
            // Still in roll mode: the log failed, not the tester.
            if (view.rollMode)
                return finish(4, "the roll log ended early");
            phase_ = Phase::Rearm;
            groupsAtEnd_ = view.groups;
            groupsAtRoll_ = -1;
            resumed_ = false;
            keyPressed_ = false;
            s.partEnded = true;
            s.message = "the tester left roll mode: log part " + std::to_string(part_) + " ended";
        }
        return s;
    case Phase::Rearm:
        if (timeUp(nowMs))
            return finish(0, {});
        if (view.rollMode) {
            // A group of the roll record itself, not one still under way at the change.
            if (groupsAtRoll_ < 0) {
                groupsAtRoll_ = view.groups;
            } else if (view.groups > groupsAtRoll_) {
                ++part_;
                s.action = RollScriptAction::StartLog;
                s.path = PartPath(part_);
            }
            return s;
        }
        groupsAtRoll_ = -1;
        // Keys pressed while the link is down would be undone by the tester's record.
        resumed_ = resumed_ || view.groups > groupsAtEnd_;
        if (resumed_ && !view.recordFree && (!keyPressed_ || nowMs - lastKeyMs_ >= kKeyIntervalMs)) {
            keyPressed_ = true;
            lastKeyMs_ = nowMs;
            s.action = RollScriptAction::PressModeKey;
        }
        return s;
    case Phase::Done:
        break;
    }
    return s;
}

RollScriptStep CRollLogScript::LogStarted(std::uint32_t nowMs, bool opened) {
    if (!opened)
        return finish(3, "the roll log did not open");
    if (part_ == 1)
        recordStartMs_ = nowMs;
    phase_ = Phase::Logging;
    return {};
}

} // namespace wavix
