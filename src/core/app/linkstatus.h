#pragma once
// What the technician is told about the link to the tester: connecting,
// running (with captures per second), stopped, no answer at the address, or
// reconnecting after a loss. Fed with the module protocol's reports and the
// tick of each, it decides the state; the controller shows it.

#include "core/support/ticksource.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace wavix {

enum class LinkState { Connecting, Running, Stopped, NoAnswer, Lost };

// The state's name in trace lines: "connecting", "running", "stopped", "no-answer", "lost".
std::string_view LinkStateName(LinkState state);

// The form of a counted word that goes with n. Czech has three: 1 záznam,
// 2 to 4 záznamy, 0 and 5 on záznamů (21 too: Czech counts the whole number);
// English has "capture" for One and "captures" for the other two.
enum class CountForm { One, Few, Many };
CountForm CountFormOf(int n);

// The link pane's text for a run at this many captures per second ("%s" the
// tester, "%d" the rate), in the form of the word that goes with the rate.
std::string_view RunningTextKey(int capturesPerSecond);

class CLinkStatus {
public:
    // A tester that has not answered the keep-alive by now is reported as
    // absent, inside the protocol's 3 000 ms reply watch. The keep-alive goes
    // on meanwhile, so a tester that is still booting is found by itself.
    static constexpr std::uint32_t kNoAnswerMs = 2500;

    void SetEndpoint(std::string address, std::uint16_t port);
    // "address:port"
    const std::string& Endpoint() const { return endpoint_; }
    LinkState State() const { return state_; }

    // Each returns true when the state changed.
    // A session (re)starts: after a loss the state stays "lost" until the tester answers.
    bool OnSessionStart(std::uint32_t now);
    bool OnLinkUp();
    bool OnScopeRunning(std::uint32_t now);
    bool OnStopped();
    // The reply watch ran out: a loss when the tester had answered in this
    // session; silence from now on counts towards "no answer".
    bool OnReplyTimeout(std::uint32_t now);
    // Called with any report: silence since the session started turns into "no answer".
    bool OnTick(std::uint32_t now);

    // A capture arrived; true when the captures per second shown changed.
    bool OnCapture(std::uint32_t now);
    int CapturesPerSecond() const { return rate_; }
    bool HadCapture() const { return captured_; }
    std::uint32_t LastCaptureTick() const { return lastCapture_; }

private:
    bool set(LinkState state);

    std::string endpoint_;
    LinkState state_ = LinkState::Connecting;
    bool answered_ = false; // the tester answered in this session
    std::uint32_t sessionStart_ = 0;
    bool captured_ = false;
    std::uint32_t lastCapture_ = 0;
    std::uint32_t windowStart_ = 0;
    int windowCount_ = 0;
    int rate_ = 0;
};

} // namespace wavix
