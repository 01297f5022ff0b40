#include "core/protocol/ivoraprotocol.h"

#include "core/protocol/modulenumbers.h"
#include "core/support/bytes.h"
#include "core/support/logtrace.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace wavix {
namespace {

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

// Asking for samples or for the record changes nothing in the tester, so a
// request whose answer is overdue may go out again. Not so a record sent (it
// restarts the capture), a start, a stop, a calibration or a disconnect.
bool mayAskAgain(std::uint16_t command) {
    return command == c_ivrASK_SCOPE_DATA || command == c_ivrASK_OSCIL_EXCHANGE;
}

// Sample sets per group under a record; 0 in roll mode, where groups come as
// the samples do.
std::uint32_t expectedSets(const tOscilExchange& rec) {
    if ((rec.TR_mode & ~kStopBit) == TM_FREE)
        return 0;
    return rec.samples_all != 0 ? rec.samples_all : SamplesPerStep(static_cast<int>(rec.time_base_ENUM));
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
    groupCheck_.Reset(0);
    rollMode_ = false;
    phase_ = ModulePhase::Module;
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
    phase_ = ModulePhase::Module;
    store(ModuleEvent::Initialised);
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
    phase_ = ModulePhase::Module;
    store(ModuleEvent::Stopped);
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

void CIvoraProtocol::report(ModuleEvent e, std::intptr_t lParam) {
    postTo(mainWindow_, Msg::UWM_IVORA_PROTOCOL, Encode(e), lParam);
}

void CIvoraProtocol::store(ModuleEvent e, std::intptr_t lParam) {
    if (PhaseOf(e) == ModulePhase::Scope)
        phase_ = ModulePhase::Scope;
    result_ = static_cast<int>(ResultOf(e));
    event_ = EventNumberOf(e);
    report(e, lParam);
}

// ---- Send queue

bool CIvoraProtocol::queueBlocked() const {
    return IsErrorState() || stored(ModuleEvent::Stopped);
}

void CIvoraProtocol::clearQueue() {
    std::lock_guard lock(queueMutex_);
    queue_.clear();
}

bool CIvoraProtocol::queuePacket(Packet packet) {
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
            store(ModuleEvent::QueueFull);
            return false;
        }
        const std::uint16_t command = commandOf(packet);
        const ModuleCommand* row = FindModuleCommand(command);
        QueueEntry entry;
        entry.packet = std::move(packet);
        entry.queuedAt = ticks_.tickMs();
        entry.command = command;
        entry.wait = row != nullptr && row->waits;
        queue_.push_back(std::move(entry));
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
        report(ModuleEvent::Sending);
        lastSentCommand_ = head.command;
        if (head.wait && mayAskAgain(head.command) && head.packet.data)
            head.copy.assign(head.packet.data.get(), head.packet.data.get() + head.packet.size);
        head.sentAt = head.heardAt = ticks_.tickMs();
        head.sends = 1;
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

std::uint32_t CIvoraProtocol::askAgainDueMs(std::uint32_t now) const {
    std::lock_guard lock(queueMutex_);
    if (queue_.empty())
        return kNoDeadline;
    const QueueEntry& head = queue_.front();
    if (!head.sent || !head.wait || head.copy.empty() || head.sends >= kMaxSends)
        return kNoDeadline;
    const std::uint32_t waited = ticksSince(now, head.heardAt);
    // In roll mode every answer brings the samples since the last one: an
    // answer asked for again that was only late makes the next one come
    // twice, and the second is dropped as stale, a gap in the log. Only an
    // answer that is surely lost is asked for again there.
    const std::uint32_t wait = rollMode_ ? CAnswerWait::kMaxMs : answerWait_.WaitMs();
    return waited > wait ? 0 : wait + 1 - waited;
}

void CIvoraProtocol::askAgain(std::uint32_t now) {
    Packet packet;
    bool samples = false;
    {
        std::lock_guard lock(queueMutex_);
        QueueEntry& head = queue_.front();
        packet.data = allocatePacketBuffer();
        packet.size = std::min(head.copy.size(), kPacketBufferSize);
        std::copy_n(head.copy.begin(), packet.size, packet.data.get());
        ++head.sends;
        head.heardAt = now;
        samples = head.command == c_ivrASK_SCOPE_DATA;
    }
    if (samples) {
        // The answer starts anew; a tester with no newer capture sends the same one again.
        capture_.ClearPackets();
        repeats_.Clear();
        groupCheck_.Drop();
    }
    ++askedAgain_;
    // The reply watch keeps counting from the tester's last packet: a tester
    // that is really silent is still given up after the same 3 s.
    lastSend_ = now;
    traceDebug("CIvoraProtocol: answer overdue, asked again");
    if (link_ != nullptr)
        link_->Send(std::move(packet));
}

void CIvoraProtocol::heardHead(std::uint32_t now) {
    QueueEntry& head = queue_.front();
    if (!head.timed && head.sends == 1) {
        answerWait_.Sample(ticksSince(now, head.sentAt));
        head.timed = true;
    }
    head.heardAt = now;
}

// ---- Builders

bool CIvoraProtocol::Request(std::uint16_t code) {
    const ModuleCommand* row = FindModuleCommand(code);
    if (row == nullptr || row->build == nullptr) {
        traceError(format("CIvoraProtocol: no request %X without data", unsigned{code}));
        return false;
    }
    return queuePacket(row->build());
}

bool CIvoraProtocol::build_Echo_packet() {
    return Request(c_ivrECHO);
}

bool CIvoraProtocol::build_RunOscil_packet() {
    if (IsScopeRunningModule(moduleNum_)) {
        lastSend_ = ticks_.tickMs();
        store(ModuleEvent::ScopeRunning);
        return true;
    }
    return Request(c_ivrRUN_OSCIL);
}

bool CIvoraProtocol::build_SetOscilExchange_packet() {
    return build_SetOscilExchange_packet(capture_.GetSettings());
}

bool CIvoraProtocol::build_SetOscilExchange_packet(const tOscilExchange& rec) {
    return queuePacket(BuildSetOscilExchangeRequest(rec));
}

bool CIvoraProtocol::build_AskForOscilExchange_packet() {
    return Request(c_ivrASK_OSCIL_EXCHANGE);
}

bool CIvoraProtocol::build_AskForScopeData_packet() {
    return Request(c_ivrASK_SCOPE_DATA);
}

bool CIvoraProtocol::build_ScopeSafeDisconnect_packet() {
    echoEnabled_ = false;
    running_ = false;
    clearQueue();
    return Request(c_ivrSCOPE_SAFE_DISCONNECT);
}

bool CIvoraProtocol::build_StopModule_packet() {
    return Request(c_ivrSTOP_MODULE);
}

bool CIvoraProtocol::build_AskForOscilEeprom_packet() {
    return Request(c_ivrASK_OSCIL_EEPROM);
}

bool CIvoraProtocol::build_SetOscilEepromHeader_packet(const SOscil_EEPROM& rec) {
    echoEnabled_ = true;
    return queuePacket(BuildSetOscilEepromHeaderRequest(rec));
}

bool CIvoraProtocol::build_IvoraCommInit_packet(std::uint32_t mode, std::uint32_t status, std::uint32_t ecu) {
    longTimeout_ = true;
    return queuePacket(BuildIvoraCommInitRequest(mode, status, ecu));
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
    if (!queueBlocked() && askAgainDueMs(now) == 0)
        askAgain(now);

    if (echoEnabled_ && ticksSince(now, lastSend_) > kEchoIntervalMs) {
        ++echoCount_;
        build_Echo_packet();
    }

    // Tested in every state but the error state itself, so that silence right
    // after the link came up or after a settings exchange is caught too.
    if (replyWatch_ && !IsErrorState() && ticksSince(now, watchFrom_) > replyTimeoutMs())
        store(ModuleEvent::ReplyTimeout);

    if (running_ && ticksSince(now, lastTesterPresent_) >= kTesterPresentIntervalMs) {
        lastTesterPresent_ = now;
        queuePacket(BuildTesterPresentRequest(4, 0x10000));
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
    if (!queueBlocked())
        next = std::min(next, askAgainDueMs(now));
    if (echoEnabled_)
        next = std::min(next, dueAfter(lastSend_, kEchoIntervalMs + 1));
    if (replyWatch_ && !IsErrorState())
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

    report(ModuleEvent::Received);

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
        if (!queue_.empty() && queue_.front().sent && replyTo(queue_.front().command) == reply_) {
            heardHead(ticks_.tickMs());
            if (status_ != kStatusMore) {
                queue_.front().wait = false;
                answered = true;
            }
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

    if (IsErrorState())
        return;

    if (reply_ != replyTo(c_ivrASK_OSCIL_EEPROM) && reply_ != replyTo(c_ivrSET_OSCIL_EEPROM)) {
        if (status_ == kStatusNotServed)
            store(ModuleEvent::StatusNotServed);
        else if (status_ == kStatusUnknown)
            store(ModuleEvent::StatusUnknown);
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
            store(ModuleEvent::BadLength, reply_);
            break;
        }
        echoCount_ = 0;
        if (!connected_) {
            connected_ = true;
            replyWatch_ = true;
            store(ModuleEvent::LinkUp);
        }
        break;
    case replyTo(c_ivrASK_SCOPE_DATA):
        onScopeData(std::move(buffer), length);
        break;
    case replyTo(c_ivrSET_OSCIL_EXCHANGE):
        onOscilExchange(packet);
        break;
    case replyTo(c_ivrASK_OSCIL_EXCHANGE):
        if (status_ == kStatusUnknown)
            store(ModuleEvent::SettingsRefused);
        else
            onOscilExchange(packet);
        break;
    case replyTo(c_ivrASK_OSCIL_EEPROM):
        if (status_ == kStatusUnknown || status_ == kStatusNotServed)
            store(ModuleEvent::CalibrationRead);
        else
            onOscilEeprom(packet, ModuleEvent::CalibrationRead, ModuleEvent::CalibrationReadFailed);
        break;
    case replyTo(c_ivrSET_OSCIL_EEPROM):
        echoEnabled_ = false;
        if (status_ == kStatusNotServed)
            store(ModuleEvent::CalibrationNotServed);
        else if (status_ == kStatusUnknown)
            store(ModuleEvent::CalibrationUnknown);
        else
            onOscilEeprom(packet, ModuleEvent::CalibrationWritten, ModuleEvent::CalibrationWriteFailed);
        break;
    case replyTo(c_ivrASK_MODULE_EXCHANGE):
        if (compose_tmodule_exchange(packet, moduleExchange_))
            store(ModuleEvent::ExchangeRecord);
        else
            store(ModuleEvent::BadLength, reply_);
        break;
    case replyTo(c_ivrRUN_DIAG):
        if (status_ == kStatusNotServed)
            store(ModuleEvent::DescriptionRefused);
        else if (compose_tModuleDescription(packet, moduleDesc_))
            store(ModuleEvent::ModuleDescription);
        else
            store(ModuleEvent::BadLength, reply_);
        break;
    case replyTo(c_ivrASK_DICT_INFO):
        if (status_ == kStatusNotServed)
            store(ModuleEvent::DictionaryRefused);
        else if (compose_tsimple_FAT(packet, dictEntry_))
            store(ModuleEvent::DictionaryEntry, static_cast<std::intptr_t>(dictEntry_.size));
        else
            store(ModuleEvent::BadLength, reply_);
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
        answerByTable(packet);
        break;
    }
}

void CIvoraProtocol::answerByTable(std::span<const std::uint8_t> packet) {
    const ModuleCommand* row = FindModuleReply(reply_);
    if (row == nullptr || row->answered == ModuleEvent::None) {
        traceError("REC: !!!!! Unknovn command");
        store(ModuleEvent::UnknownReply, reply_);
        return;
    }
    store(row->accepts == nullptr || row->accepts(packet) ? row->answered : row->refused);
}

void CIvoraProtocol::onScopeData(PacketBuffer buffer, std::size_t length) {
    phase_ = ModulePhase::Scope;
    repeats_.Taken(std::span<const std::uint8_t>(buffer.get(), length));
    const auto setBytes = 2 * static_cast<std::size_t>(std::clamp(capture_.GetActiveChannelCount(), 1, 4));
    const std::size_t sets = length > kPacketHeaderSize ? (length - kPacketHeaderSize) / setBytes : 0;
    const int added = capture_.AddPacket(std::move(buffer), length);
    switch (added) {
    case 0:
        groupCheck_.Add(sets);
        if (status_ == kStatusMore)
            return;
        running_ = false;
        echoEnabled_ = false;
        if (!groupCheck_.Whole()) {
            // Never shown half, and no news for the application: the samples are asked for again.
            capture_.ClearPackets();
            ++groupsDropped_;
            traceDebug("CIvoraProtocol: group with a packet missing dropped, asked again");
            Request(c_ivrASK_SCOPE_DATA);
            return;
        }
        if (capture_.ConvertGroup() == 0)
            store(ModuleEvent::GroupConverted);
        else
            report(ModuleEvent::BadGroup); // not stored: the application asks again
        return;
    case 1:
        store(ModuleEvent::NoData);
        return;
    case 2:
        store(ModuleEvent::SettingsDirty);
        return;
    case 3:
        groupCheck_.Drop();
        report(ModuleEvent::GroupOverflow); // not stored
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
        store(ModuleEvent::FirstGeneration);
        return;
    }
    switch (capture_.AcceptSettings(received)) {
    case AcceptResult::Accepted:
        groupCheck_.Reset(expectedSets(capture_.GetSettings()));
        rollMode_ = (capture_.GetSettings().TR_mode & ~kStopBit) == TM_FREE;
        store(ModuleEvent::SettingsExchanged);
        break;
    case AcceptResult::RejectedVersion:
        phase_ = ModulePhase::Scope; // the capture store reports this one itself
        break;
    case AcceptResult::RejectedSamples:
        // Nobody else would say anything, and the capture loop would wait forever.
        store(ModuleEvent::TooManySamples);
        break;
    }
}

void CIvoraProtocol::onOscilEeprom(std::span<const std::uint8_t> packet, ModuleEvent ok, ModuleEvent failed) {
    SOscil_EEPROM received;
    if (compose_OscilEeprom(packet, received)) {
        capture_.SetCalibration(received);
        store(ok);
    } else {
        traceError("CIvoraProtocol: calibration record failed its checks");
        store(failed);
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
