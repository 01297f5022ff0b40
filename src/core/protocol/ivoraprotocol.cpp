#include "core/protocol/ivoraprotocol.h"

#include "core/protocol/modulenumbers.h"
#include "core/support/bytes.h"
#include "core/support/logtrace.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace wavix {
namespace {

// Events of the reports.
constexpr int kEvInit = 1;
constexpr int kEvReceived = 1;
constexpr int kEvSending = 2;
constexpr int kEvQueueFull = 1;
constexpr int kEvTimeout = 2;
constexpr int kEvStatusNotServed = 3;
constexpr int kEvStatusUnknown = 4;
constexpr int kEvBadLength = 5;
constexpr int kEvLinkUp = 2;
constexpr int kEvUnknownReply = 12;
constexpr int kEvStopped = 16;
constexpr int kEvModuleStopped = 19;
constexpr int kEvExchangeRecord = 3;
constexpr int kEvModuleDesc = 5;
constexpr int kEvDictEntry = 6;
constexpr int kEvDescRefused = 7;
constexpr int kEvDictRefused = 11;

constexpr int kScopeRunning = 1;
constexpr int kScopeSettings = 2;
constexpr int kScopeGroup = 3;
constexpr int kScopeDirty = 5;
constexpr int kScopeNoData = 6;
constexpr int kScopeOverflow = 5;
constexpr int kScopeSettingsRefused = 6;
constexpr int kScopeDisconnected = 7;
constexpr int kScopeCalRead = 8;
constexpr int kScopeCalFailed = 7;
constexpr int kScopeCalNotServed = 9;
constexpr int kScopeCalUnknown = 10;
constexpr int kScopeCalWritten = 11;
constexpr int kScopeCalWriteFailed = 12;

std::string format(const char* fmt, auto... args) {
    std::array<char, 256> buf{};
    const int n = std::snprintf(buf.data(), buf.size(), fmt, args...);
    return n <= 0
               ? std::string{}
               : std::string(buf.data(), std::min<std::size_t>(static_cast<std::size_t>(n), buf.size() - 1));
}

std::uint16_t commandOf(const Packet& p) {
    return p.data && p.size >= kRequestHeaderSize ? readBE16(p.data.get() + 2) : 0;
}

} // namespace

CIvoraProtocol::CIvoraProtocol(ITickSource& ticks, ICaptureSink& capture) : ticks_(ticks), capture_(capture) {
    resetState();
}

CIvoraProtocol::~CIvoraProtocol() {
    traceDebug("\nDestroing object CIvoraProtocol\n");
    clearQueue();
}

void CIvoraProtocol::resetState() {
    clearQueue();
    // Packets of a group cut short must not open the next one.
    capture_.ClearPackets();
    repeats_.Clear();
    phase_ = kPhaseModule;
    result_ = 0;
    event_ = 0;
    enabled_ = false;
    echoEnabled_ = false;
    replyWatch_ = false;
    longTimeout_ = false;
    running_ = false;
    connected_ = false;
    busy_ = false;
    const std::uint32_t now = ticks_.tickMs();
    lastSend_ = now;
    watchFrom_ = now;
    lastTesterPresent_ = now;
    echoCount_ = 0;
    reply_ = moduleNum_ = status_ = 0;
    lastSentCommand_ = 0;
    moduleDesc_ = {};
    moduleExchange_ = {};
    dictEntry_ = {};
}

bool CIvoraProtocol::Init(IMessageTarget* mainWindow) {
    if (link_ == nullptr) {
        traceError("CIvoraProtocol::Init: pCommunication");
        return false;
    }
    if (mainWindow == nullptr) {
        traceError("CIvoraProtocol::Init: hWndMainWindow");
        return false;
    }
    mainWindow_ = mainWindow;
    enabled_ = true;
    echoEnabled_ = true;
    const std::uint32_t now = ticks_.tickMs();
    // The first keep-alive echo goes out at the next timer step.
    lastSend_ = now - (kEchoIntervalMs + 1);
    watchFrom_ = now;
    phase_ = kPhaseModule;
    store(kPhaseModule, kDone, kEvInit);
    return true;
}

void CIvoraProtocol::Reinit() {
    resetState();
    Init(mainWindow_);
}

void CIvoraProtocol::Stop() {
    replyWatch_ = false;
    echoEnabled_ = false;
    clearQueue();
    phase_ = kPhaseModule;
    store(kPhaseModule, kDone, kEvStopped);
}

void CIvoraProtocol::SetReplyWatch(bool on) {
    if (on && !replyWatch_)
        watchFrom_ = ticks_.tickMs();
    replyWatch_ = on;
}

bool CIvoraProtocol::IsAlive() const {
    return received_ && ticksSince(ticks_.tickMs(), lastReceive_) < kAliveMs;
}

std::uint32_t CIvoraProtocol::replyTimeoutMs() const {
    return longTimeout_ ? kLongReplyTimeoutMs : kReplyTimeoutMs;
}

std::size_t CIvoraProtocol::QueueSize() const {
    std::lock_guard lock(queueMutex_);
    return queue_.size();
}

bool CIvoraProtocol::IsPending(std::uint16_t command) const {
    std::lock_guard lock(queueMutex_);
    return std::any_of(queue_.begin(), queue_.end(),
                       [&](const QueueEntry& e) { return e.command == command; });
}

// ---- Reports

void CIvoraProtocol::report(int phase, int result, int event, std::intptr_t lParam) {
    const std::intptr_t wParam = (std::intptr_t{phase} << 16) | (std::intptr_t{result} << 8) | event;
    postTo(mainWindow_, Msg::UWM_IVORA_PROTOCOL, wParam, lParam);
}

void CIvoraProtocol::store(int phase, int result, int event, std::intptr_t lParam) {
    result_ = result;
    event_ = event;
    report(phase, result, event, lParam);
}

void CIvoraProtocol::storeScope(int result, int event) {
    phase_ = kPhaseScope;
    store(phase_, result, event);
}

// ---- Send queue

bool CIvoraProtocol::queueBlocked() const {
    return result_ == kError || (result_ == kDone && event_ == kEvStopped);
}

void CIvoraProtocol::clearQueue() {
    std::lock_guard lock(queueMutex_);
    queue_.clear();
}

bool CIvoraProtocol::queuePacket(Packet packet, bool wait) {
    lastSend_ = ticks_.tickMs();
    if (!packet.data || packet.size == 0) {
        traceError("CIvoraProtocol: request could not be built");
        return false;
    }
    if (queueBlocked())
        return false; // the packet is freed here
    {
        std::unique_lock lock(queueMutex_);
        if (queue_.size() >= kQueueCapacity) {
            lock.unlock();
            store(kPhaseModule, kError, kEvQueueFull);
            return false;
        }
        const std::uint16_t command = commandOf(packet);
        queue_.push_back({std::move(packet), ticks_.tickMs(), command, wait, false});
    }
    pump();
    return true;
}

void CIvoraProtocol::pump() {
    if (queueBlocked()) {
        clearQueue();
        return;
    }
    std::lock_guard lock(queueMutex_);
    if (queue_.empty())
        return;
    QueueEntry& head = queue_.front();
    if (!head.sent) {
        report(kPhaseModule, kProgress, kEvSending);
        lastSentCommand_ = head.command;
        if (link_ != nullptr)
            link_->Send(std::move(head.packet));
        else
            traceError("CIvoraProtocol: no link to send through");
        head.packet = {};
        head.sent = true;
        traceDebug(" --- SEND>>> (LOCK * LOCK) ");
    }
    if (!head.wait)
        queue_.pop_front();
}

// ---- Builders

bool CIvoraProtocol::build_Echo_packet() {
    return queuePacket(BuildEchoRequest(), false);
}

bool CIvoraProtocol::build_RunOscil_packet() {
    if (IsScopeRunningModule(moduleNum_)) {
        lastSend_ = ticks_.tickMs();
        storeScope(kDone, kScopeRunning);
        return true;
    }
    return queuePacket(BuildRunOscilRequest(), true);
}

bool CIvoraProtocol::build_SetOscilExchange_packet() {
    return build_SetOscilExchange_packet(capture_.GetSettings());
}

bool CIvoraProtocol::build_SetOscilExchange_packet(const tOscilExchange& rec) {
    return queuePacket(BuildSetOscilExchangeRequest(rec), true);
}

bool CIvoraProtocol::build_AskForOscilExchange_packet() {
    return queuePacket(BuildAskForOscilExchangeRequest(), true);
}

bool CIvoraProtocol::build_AskForScopeData_packet() {
    return queuePacket(BuildAskForScopeDataRequest(), true);
}

bool CIvoraProtocol::build_ScopeSafeDisconnect_packet() {
    echoEnabled_ = false;
    running_ = false;
    clearQueue();
    return queuePacket(BuildScopeSafeDisconnectRequest(), true);
}

bool CIvoraProtocol::build_StopModule_packet() {
    return queuePacket(BuildStopModuleRequest(), true);
}

bool CIvoraProtocol::build_AskForOscilEeprom_packet() {
    return queuePacket(BuildAskForOscilEepromRequest(), false);
}

bool CIvoraProtocol::build_SetOscilEepromHeader_packet(const SOscil_EEPROM& rec) {
    echoEnabled_ = true;
    return queuePacket(BuildSetOscilEepromHeaderRequest(rec), false);
}

bool CIvoraProtocol::build_IvoraCommInit_packet(std::uint32_t mode, std::uint32_t status, std::uint32_t ecu) {
    longTimeout_ = true;
    return queuePacket(BuildIvoraCommInitRequest(mode, status, ecu), false);
}

bool CIvoraProtocol::SendDirectEcho() {
    lastSend_ = ticks_.tickMs();
    if (link_ == nullptr) {
        traceError("CIvoraProtocol: no link for the direct echo");
        return false;
    }
    return link_->Send(BuildEchoRequest());
}

// ---- Timer

void CIvoraProtocol::OnTimer() {
    if (!enabled_ || busy_)
        return;
    const std::uint32_t now = ticks_.tickMs();

    // A request that passes straight through leaves the next one queued behind
    // it; without this it would wait for the next reply or echo.
    bool headWaiting = false;
    {
        std::lock_guard lock(queueMutex_);
        headWaiting = !queue_.empty() && !queue_.front().sent;
    }
    if (headWaiting)
        pump();

    if (echoEnabled_ && ticksSince(now, lastSend_) > kEchoIntervalMs) {
        ++echoCount_;
        build_Echo_packet();
    }

    // Tested in every state but the error state itself, so that silence right
    // after the link came up or after a settings exchange is caught too.
    if (replyWatch_ && result_ != kError && ticksSince(now, watchFrom_) > replyTimeoutMs())
        store(kPhaseModule, kError, kEvTimeout);

    if (running_ && ticksSince(now, lastTesterPresent_) >= kTesterPresentIntervalMs) {
        lastTesterPresent_ = now;
        queuePacket(BuildTesterPresentRequest(4, 0x10000), true);
    }
}

std::uint32_t CIvoraProtocol::NextDeadlineMs() const {
    if (!enabled_ || busy_)
        return kNoDeadline;
    const std::uint32_t now = ticks_.tickMs();
    const auto dueAfter = [now](std::uint32_t since, std::uint32_t interval) -> std::uint32_t {
        const std::uint32_t elapsed = ticksSince(now, since);
        return elapsed >= interval ? 0 : interval - elapsed;
    };
    std::uint32_t next = kNoDeadline;
    {
        std::lock_guard lock(queueMutex_);
        if (!queue_.empty() && !queue_.front().sent && !queueBlocked())
            return 0;
    }
    if (echoEnabled_)
        next = std::min(next, dueAfter(lastSend_, kEchoIntervalMs + 1));
    if (replyWatch_ && result_ != kError)
        next = std::min(next, dueAfter(watchFrom_, replyTimeoutMs() + 1));
    if (running_)
        next = std::min(next, dueAfter(lastTesterPresent_, kTesterPresentIntervalMs));
    return next;
}

// ---- Receiving

void CIvoraProtocol::parseRecData(PacketBuffer buffer, std::size_t length) {
    // Anything that cannot be a tester packet never reaches the dispatcher.
    if (!buffer || length < kPacketHeaderSize || length > kPacketBufferSize ||
        !hasStartBytes(buffer.get(), length)) {
        traceError(format("CIvoraProtocol::parseRecData: datagram of %u bytes dropped",
                          static_cast<unsigned>(length)));
        return;
    }
    const PacketHeader h = readPacketHeader(buffer.get(), length);
    reply_ = h.command;
    moduleNum_ = h.moduleNum;
    status_ = h.status;
    lastSentCommand_ = 0;
    if (debug_)
        traceDebug(format(
            "BOOL CIvoraProtocol::parseRecData()\nParse START : Reply %X, ModuleNum %X, StausByte %X\n\n",
            unsigned{reply_}, unsigned{moduleNum_}, unsigned{status_}));

    report(kPhaseModule, kProgress, kEvReceived);

    const std::span<const std::uint8_t> packet(buffer.get(), length);
    if (reply_ == replyTo(c_ivrASK_SCOPE_DATA) && staleSamples(packet)) {
        // Still a sign of life, but neither an answer nor samples.
        received_ = true;
        lastReceive_ = watchFrom_ = lastSend_ = ticks_.tickMs();
        traceDebug("CIvoraProtocol: stale or repeated sample packet dropped");
        pump();
        return;
    }

    bool answered = false;
    {
        std::lock_guard lock(queueMutex_);
        if (!queue_.empty() && status_ != kStatusMore && queue_.front().sent &&
            replyTo(queue_.front().command) == reply_) {
            queue_.front().wait = false;
            answered = true;
        }
    }
    // The pump takes the lock itself.
    if (answered)
        pump();

    const std::uint32_t now = ticks_.tickMs();
    received_ = true;
    lastReceive_ = now;
    watchFrom_ = now;
    lastSend_ = now;

    if (result_ == kError)
        return;

    if (reply_ != replyTo(c_ivrASK_OSCIL_EEPROM) && reply_ != replyTo(c_ivrSET_OSCIL_EEPROM)) {
        if (status_ == kStatusNotServed)
            store(kPhaseModule, kError, kEvStatusNotServed);
        else if (status_ == kStatusUnknown)
            store(kPhaseModule, kError, kEvStatusUnknown);
    }

    dispatch(std::move(buffer), length);
    pump();
}

// The tester sends samples only in answer to a data request; anything else is
// a doubled or late datagram of a group already finished (or given up by
// Reinit). Taking it would release the next request early, count samples twice
// and start another polling chain.
bool CIvoraProtocol::staleSamples(std::span<const std::uint8_t> packet) const {
    {
        std::lock_guard lock(queueMutex_);
        if (queue_.empty() || !queue_.front().sent || queue_.front().command != c_ivrASK_SCOPE_DATA)
            return true;
    }
    return repeats_.IsRepeat(packet, capture_.GetActiveChannelCount());
}

void CIvoraProtocol::dispatch(PacketBuffer buffer, std::size_t length) {
    const std::span<const std::uint8_t> packet(buffer.get(), length);
    switch (reply_) {
    case replyTo(c_ivrECHO):
        if (!compose_EchoAnswer(packet)) {
            traceError("CIvoraProtocol: echo answer of a wrong length");
            store(kPhaseModule, kError, kEvBadLength, reply_);
            break;
        }
        echoCount_ = 0;
        if (!connected_) {
            connected_ = true;
            replyWatch_ = true;
            store(kPhaseModule, kDone, kEvLinkUp);
        }
        break;
    case replyTo(c_ivrSTOP_MODULE):
        store(kPhaseModule, kDone, kEvModuleStopped);
        break;
    case replyTo(c_ivrRUN_OSCIL):
        storeScope(compose_RunOscilAnswer(packet) ? kDone : kError, kScopeRunning);
        break;
    case replyTo(c_ivrASK_SCOPE_DATA):
        onScopeData(std::move(buffer), length);
        break;
    case replyTo(c_ivrSET_OSCIL_EXCHANGE):
        onOscilExchange(packet);
        break;
    case replyTo(c_ivrASK_OSCIL_EXCHANGE):
        if (status_ == kStatusUnknown)
            storeScope(kError, kScopeSettingsRefused);
        else
            onOscilExchange(packet);
        break;
    case replyTo(c_ivrSCOPE_SAFE_DISCONNECT):
        storeScope(kDone, kScopeDisconnected);
        break;
    case replyTo(c_ivrASK_OSCIL_EEPROM):
        if (status_ == kStatusUnknown || status_ == kStatusNotServed)
            storeScope(kDone, kScopeCalRead);
        else
            onOscilEeprom(packet, kScopeCalRead, kError, kScopeCalFailed);
        break;
    case replyTo(c_ivrSET_OSCIL_EEPROM):
        echoEnabled_ = false;
        if (status_ == kStatusNotServed)
            storeScope(kDone, kScopeCalNotServed);
        else if (status_ == kStatusUnknown)
            storeScope(kDone, kScopeCalUnknown);
        else
            onOscilEeprom(packet, kScopeCalWritten, kDone, kScopeCalWriteFailed);
        break;
    case replyTo(c_ivrASK_MODULE_EXCHANGE):
        if (compose_tmodule_exchange(packet, moduleExchange_))
            store(kPhaseModule, kDone, kEvExchangeRecord);
        else
            store(kPhaseModule, kError, kEvBadLength, reply_);
        break;
    case replyTo(c_ivrRUN_DIAG):
        if (status_ == kStatusNotServed)
            store(kPhaseModule, kError, kEvDescRefused);
        else if (compose_tModuleDescription(packet, moduleDesc_))
            store(kPhaseModule, kDone, kEvModuleDesc);
        else
            store(kPhaseModule, kError, kEvBadLength, reply_);
        break;
    case replyTo(c_ivrASK_DICT_INFO):
        if (status_ == kStatusNotServed)
            store(kPhaseModule, kError, kEvDictRefused);
        else if (compose_tsimple_FAT(packet, dictEntry_))
            store(kPhaseModule, kDone, kEvDictEntry, static_cast<std::intptr_t>(dictEntry_.size));
        else
            store(kPhaseModule, kError, kEvBadLength, reply_);
        break;
    case replyTo(c_ivrCOMM_INIT): {
        longTimeout_ = false;
        CommInitAnswer answer;
        std::string log;
        if (compose_CommInitAnswer(packet, answer, log))
            traceDebug(log);
        else
            traceError(log);
        break;
    }
    case replyTo(c_ivrTESTER_PRESENT): {
        TesterPresentAnswer answer;
        std::string error;
        if (compose_TesterPresentAnswer(packet, answer, error)) {
            traceDebug(format("Tester Present r=0x%X, mode=0x%X, status=0x%X.", answer.r, answer.mode,
                              answer.status));
        } else {
            traceError(error);
            if (userError_)
                userError_(kTesterPresentErrorCaption, error);
        }
        break;
    }
    // Menu, dictionary and automat traffic of the diagnostic services: the
    // oscilloscope path never asks for it.
    case replyTo(c_ivrASK_MENU):
    case replyTo(c_ivrASK_DICTIONARY):
    case replyTo(c_ivrASK_TABLE):
    case replyTo(c_ivrTESTER_TO):
    case replyTo(c_ivrTABLE_DATA):
    case replyTo(c_ivrAUTOMAT_DATA):
        break;
    case replyTo(c_ivrUNUSED_93):
    case replyTo(c_ivrSTOP_MODULE2):
        traceError(format("CIvoraProtocol: unexpected reply %X", unsigned{reply_}));
        break;
    default:
        traceError("REC: !!!!! Unknovn command");
        store(kPhaseModule, kError, kEvUnknownReply, reply_);
        break;
    }
}

void CIvoraProtocol::onScopeData(PacketBuffer buffer, std::size_t length) {
    phase_ = kPhaseScope;
    repeats_.Taken(std::span<const std::uint8_t>(buffer.get(), length));
    const int added = capture_.AddPacket(std::move(buffer), length);
    switch (added) {
    case 0:
        if (status_ == kStatusMore)
            return;
        running_ = false;
        echoEnabled_ = false;
        if (capture_.ConvertGroup() == 0)
            storeScope(kDone, kScopeGroup);
        else
            report(phase_, kError, kScopeGroup); // not stored: the application asks again
        return;
    case 1:
        storeScope(kDone, kScopeNoData);
        return;
    case 2:
        storeScope(kDone, kScopeDirty);
        return;
    case 3:
        report(phase_, kError, kScopeOverflow); // not stored
        return;
    default:
        traceError(format("CIvoraProtocol: AddPacket answered %d", added));
        return;
    }
}

void CIvoraProtocol::onOscilExchange(std::span<const std::uint8_t> packet) {
    tOscilExchange received;
    if (!compose_OscilExchange(packet, received)) {
        traceError("CIvoraProtocol: settings answer too short");
        storeScope(kError, kScopeSettings);
        return;
    }
    switch (capture_.AcceptSettings(received)) {
    case AcceptResult::Accepted:
        storeScope(kDone, kScopeSettings);
        break;
    case AcceptResult::RejectedVersion:
        phase_ = kPhaseScope; // the capture store reports this one itself
        break;
    case AcceptResult::RejectedSamples:
        // Nobody else would say anything, and the capture loop would wait forever.
        storeScope(kError, kScopeSettings);
        break;
    }
}

void CIvoraProtocol::onOscilEeprom(std::span<const std::uint8_t> packet, int okEvent, int failResult,
                                   int failEvent) {
    SOscil_EEPROM received;
    if (compose_OscilEeprom(packet, received)) {
        capture_.SetCalibration(received);
        storeScope(kDone, okEvent);
    } else {
        traceError("CIvoraProtocol: calibration record failed its checks");
        storeScope(failResult, failEvent);
    }
}

// ---- Trace

void CIvoraProtocol::traceDebug(std::string_view line) const {
    if (debug_ && trace_)
        trace_(line);
}

void CIvoraProtocol::traceError(std::string_view line) const {
    if (trace_)
        trace_(line);
    else
        InternalError(line);
}

} // namespace wavix
