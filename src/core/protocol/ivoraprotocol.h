#pragma once
// The module protocol session: a send queue with one waiting request in flight,
// the receive dispatcher, the keep-alive echo and the reply time-out.
//
// Every step is reported to the main window as UWM_IVORA_PROTOCOL with a
// ModuleEvent in wParam. Reports with result Error or Done are stored; a stored
// Error is the error state, in which the queue drops every request and replies
// are ignored until Reinit(). Stop() leaves the session in the stopped state
// (ModuleEvent::Stopped), in which the queue drops requests but replies are
// still handled.
//
// Time comes only from the tick source. The platform calls OnTimer() when
// NextDeadlineMs() says something is due, and again after every call into the
// object, since any call may move the deadline.

#include "core/comm/datagram.h"
#include "core/protocol/answerwait.h"
#include "core/protocol/groupcheck.h"
#include "core/protocol/modulecommands.h"
#include "core/protocol/modulemessages.h"
#include "core/protocol/modulerecords.h"
#include "core/protocol/samplerepeatfilter.h"
#include "core/scope/capturesink.h"
#include "core/support/messagecodes.h"
#include "core/support/messages.h"
#include "core/support/ticksource.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace wavix {

class CIvoraProtocol : public IDatagramReceiver {
public:
    static constexpr std::size_t kQueueCapacity = 48;
    static constexpr std::uint32_t kEchoIntervalMs = 900;
    static constexpr std::uint32_t kReplyTimeoutMs = 3000;
    static constexpr std::uint32_t kLongReplyTimeoutMs = 50000;
    static constexpr std::uint32_t kTesterPresentIntervalMs = 200;
    static constexpr std::uint32_t kAliveMs = 3000;
    static constexpr std::uint32_t kNoDeadline = 0xFFFFFFFFu;
    // Sends of a request the tester may get twice without harm (asking for
    // samples or for its record) before the reply watch alone decides.
    static constexpr int kMaxSends = 4;

    // Samples and records go to `capture`, which outlives the protocol.
    CIvoraProtocol(ITickSource& ticks, ICaptureSink& capture);
    ~CIvoraProtocol() override;
    CIvoraProtocol(const CIvoraProtocol&) = delete;
    CIvoraProtocol& operator=(const CIvoraProtocol&) = delete;

    void SetCommunication(IDatagramSender* link) { link_ = link; }
    void SetDebug(bool on) { debug_ = on; }
    // Receives trace lines (faults always, traffic when debug is on); without a
    // sink faults go to the program's internal-error trace.
    void SetTraceSink(std::function<void(std::string_view)> sink) { trace_ = std::move(sink); }
    // Receives the one error the user must see (caption, text); no UI here.
    void SetUserErrorSink(std::function<void(std::string_view, std::string_view)> sink) {
        userError_ = std::move(sink);
    }

    // Needs the link and the window; reports Initialised.
    bool Init(IMessageTarget* mainWindow);
    // Leaves any state: the queue and session state are built anew, then Init.
    void Reinit();
    // Stops echo and time-out, empties the queue, reports Stopped.
    void Stop();
    // Switched on again after a pause, the time-out counts from that moment:
    // the silence of the pause (a box left open) is no lost link.
    void SetReplyWatch(bool on);

    // The session's phase is the event's and its last stored report is the event.
    bool IsState(ModuleEvent e) const { return phase_ == PhaseOf(e) && stored(e); }
    bool IsErrorState() const { return result_ == static_cast<int>(ModuleResult::Error); }
    // A packet from the tester came within the last kAliveMs; never before the first one.
    bool IsAlive() const;
    std::uint16_t GetModuleNum() const { return moduleNum_; }
    ModulePhase GetPhase() const { return phase_; }
    bool IsConnected() const { return connected_; }
    std::size_t QueueSize() const;
    // A request with this command is queued or waits for its answer.
    bool IsPending(std::uint16_t command) const;

    const tmodule_desc& GetModuleDescription() const { return moduleDesc_; }
    const tmodule_exchange& GetModuleExchange() const { return moduleExchange_; }
    const tsimple_FAT& GetDictionaryEntry() const { return dictEntry_; }

    // Requests sent again because their answer did not come in time, and
    // groups dropped because a packet was missing.
    std::uint32_t GetAskedAgain() const { return askedAgain_; }
    std::uint32_t GetGroupsDropped() const { return groupsDropped_; }
    std::uint32_t AnswerWaitMs() const { return answerWait_.WaitMs(); }

    // The timer step: keep-alive echo, reply time-out, tester present.
    void OnTimer();
    // Milliseconds until OnTimer() next has work, kNoDeadline when nothing is armed.
    std::uint32_t NextDeadlineMs() const;

    // Takes every datagram the link receives; the buffer is owned from here on.
    void parseRecData(PacketBuffer buffer, std::size_t length) override;

    // A request of kModuleCommands that carries no data, queued as its row
    // says; false when it was not queued or needs data.
    bool Request(std::uint16_t code);

    // Requests of the oscilloscope path. Each queues its packet and answers
    // whether it was queued.
    bool build_Echo_packet();
    bool build_RunOscil_packet();
    bool build_SetOscilExchange_packet(); // the capture store's record
    bool build_SetOscilExchange_packet(const tOscilExchange& rec);
    bool build_AskForOscilExchange_packet();
    bool build_AskForScopeData_packet();
    bool build_ScopeSafeDisconnect_packet();
    bool build_StopModule_packet();
    bool build_AskForOscilEeprom_packet();
    bool build_SetOscilEepromHeader_packet(const SOscil_EEPROM& rec);
    // Echo straight through the link, past the queue.
    bool SendDirectEcho();
    // Starts a diagnostic communication; its answer may take the long time-out.
    bool build_IvoraCommInit_packet(std::uint32_t mode, std::uint32_t status, std::uint32_t ecu);

private:
    struct QueueEntry {
        Packet packet;
        std::uint32_t queuedAt = 0;
        std::uint16_t command = 0;
        bool wait = false;
        bool sent = false;
        // Kept for a request that may be sent again; empty for any other.
        std::vector<std::uint8_t> copy;
        std::uint32_t sentAt = 0;
        std::uint32_t heardAt = 0; // last send or last packet of its answer
        int sends = 0;
        bool timed = false;
    };

    void resetState();
    // Waits for its answer when kModuleCommands says so.
    bool queuePacket(Packet packet);
    void pump();
    // The head's answer did not come in time: ask once more, or leave it to the reply watch.
    void askAgain(std::uint32_t now);
    // A packet answering the head arrived: it is alive, and its first one times the link.
    void heardHead(std::uint32_t now);
    std::uint32_t askAgainDueMs(std::uint32_t now) const;
    void clearQueue();
    bool queueBlocked() const;

    void report(ModuleEvent e, std::intptr_t lParam = 0);
    // Keeps result and event; an oscilloscope report also moves the session to its phase.
    void store(ModuleEvent e, std::intptr_t lParam = 0);
    bool stored(ModuleEvent e) const {
        return result_ == static_cast<int>(ResultOf(e)) && event_ == EventNumberOf(e);
    }
    std::uint32_t replyTimeoutMs() const;

    bool staleSamples(std::span<const std::uint8_t> packet) const;
    void dispatch(PacketBuffer buffer, std::size_t length);
    // A reply that needs no more than its row's report.
    void answerByTable(std::span<const std::uint8_t> packet);
    void onScopeData(PacketBuffer buffer, std::size_t length);
    void onOscilExchange(std::span<const std::uint8_t> packet);
    void onOscilEeprom(std::span<const std::uint8_t> packet, ModuleEvent ok, ModuleEvent failed);

    void traceDebug(std::string_view line) const;
    void traceError(std::string_view line) const;

    ITickSource& ticks_;
    IDatagramSender* link_ = nullptr;
    IMessageTarget* mainWindow_ = nullptr;
    bool debug_ = false;
    std::function<void(std::string_view)> trace_;
    std::function<void(std::string_view, std::string_view)> userError_;

    ICaptureSink& capture_;

    ModulePhase phase_ = ModulePhase::Module;
    int result_ = 0;
    int event_ = 0;
    bool enabled_ = false;
    bool echoEnabled_ = false;
    bool replyWatch_ = false;
    bool longTimeout_ = false;
    bool running_ = false;
    bool connected_ = false;
    bool busy_ = false;
    std::uint32_t lastSend_ = 0;
    bool received_ = false; // kept over Reinit: the tester's last packet stays what it was
    std::uint32_t lastReceive_ = 0;
    std::uint32_t watchFrom_ = 0; // the reply time-out counts from here
    std::uint32_t lastTesterPresent_ = 0;
    std::uint32_t echoCount_ = 0;
    std::uint16_t reply_ = 0;
    std::uint16_t moduleNum_ = 0;
    std::uint16_t status_ = 0;
    std::uint16_t lastSentCommand_ = 0;

    mutable std::mutex queueMutex_;
    std::deque<QueueEntry> queue_;
    CSampleRepeatFilter repeats_;
    CAnswerWait answerWait_; // kept over Reinit: the link is the same
    CGroupCheck groupCheck_;
    bool rollMode_ = false;
    std::uint32_t askedAgain_ = 0;
    std::uint32_t groupsDropped_ = 0;

    tmodule_desc moduleDesc_;
    tmodule_exchange moduleExchange_;
    tsimple_FAT dictEntry_;
};

} // namespace wavix
