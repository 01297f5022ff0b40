#include "core/app/moduleevents.h"

#include "core/protocol/ivoraprotocol.h"
#include "core/protocol/modulenumbers.h"
#include "core/scope/scopedata.h"

#include <algorithm>
#include <array>

namespace wavix {
namespace {

constexpr std::string_view kErrorCaption = " .: ERROR ... ";
constexpr std::string_view kScopeErrorCaption = " .: Error ... ";
constexpr std::string_view kCalibrationRefused = "TXT_1504";

// Language key of the fault text.
std::string_view sessionFaultKey(ModuleEvent event) {
    switch (event) {
    case ModuleEvent::QueueFull:
        return "TXT_1517";
    case ModuleEvent::StatusNotServed:
        return "TXT_1518";
    case ModuleEvent::StatusUnknown:
        return "TXT_1519";
    case ModuleEvent::BadLength:
        return "TXT_1520";
    case ModuleEvent::MenuFailed:
        return "TXT_1521";
    case ModuleEvent::DescriptionRefused:
        return "TXT_1522";
    case ModuleEvent::DictionaryFailed:
        return "TXT_1523";
    case ModuleEvent::ConnectionFailed:
        return "TXT_1524";
    default:
        return "TXT_1525";
    }
}

} // namespace

ViewRanges ChannelRanges(const tOscilExchange& rec) {
    ViewRanges r{};
    for (int k = 1; k <= kViewCount; ++k)
        r[static_cast<std::size_t>(k - 1)] = rec.mux(k);
    return r;
}

void CModuleEvents::OnReport(std::intptr_t wParam, std::intptr_t) {
    const ModuleEvent event = DecodeModuleEvent(wParam);
    const ModuleResult result = ResultOf(event);
    if (PhaseOf(event) == ModulePhase::Module) {
        if (result == ModuleResult::Error)
            sessionFault(event);
        else if (result == ModuleResult::Done)
            sessionState(event);
        else if (event == ModuleEvent::Received)
            status_.TurnSpinnerA();
        else if (event == ModuleEvent::Sending)
            status_.TurnSpinnerB();
    } else if (PhaseOf(event) == ModulePhase::Scope) {
        if (result == ModuleResult::Error)
            scopeFault(event);
        else if (result == ModuleResult::Done)
            scopeState(event);
    }
}

void CModuleEvents::AskForData() {
    if (protocol_.IsPending(c_ivrASK_SCOPE_DATA) || protocol_.IsPending(c_ivrSET_OSCIL_EXCHANGE))
        return;
    // A retry left over from a session that was restarted or closed: the new
    // session starts polling itself once the scope runs, and a tester asked
    // before that answers "not served".
    if (protocol_.GetPhase() != ModulePhase::Scope)
        return;
    protocol_.build_AskForScopeData_packet();
}

// The record goes out once; the module's answer (SettingsExchanged) resumes polling.
void CModuleEvents::sendEditedSettings() {
    if (!protocol_.IsPending(c_ivrSET_OSCIL_EXCHANGE))
        protocol_.build_SetOscilExchange_packet();
    state_.settingsSent = true;
    view_.ShowMessage(texts_.Get("TXT_010"));
    status_.ClearNotice();
    status_.SetStatus(texts_.Get("TXT_006"));
}

// SINGLE stops the tester after its shot: the record says so too, so that the
// run button offers the next shot and one press takes it.
bool CModuleEvents::takeSingleShot() {
    const tOscilExchange& rec = data_.GetSettings();
    if (!data_.IsRunning() || (rec.TR_mode & ~kStopBit) != TM_SINGLE)
        return false;
    data_.Stop();
    return true;
}

// The module's own record has just come in after a restart: ours goes out as an edit.
bool CModuleEvents::sendRestoredRecord() {
    if (!state_.restore || state_.restoreSent)
        return false;
    state_.restoreSent = true;
    data_.SetSettings(*state_.restore, true);
    sendEditedSettings();
    return true;
}

void CModuleEvents::ApplyTriggerLevel(int level) {
    view_.SetInputRanges(ChannelRanges(data_.GetSettings()));
    view_.SetTriggerLevel(level);
}

void CModuleEvents::restartSession() {
    // Kept over a second loss: by then the record held may be the power-up one.
    if (state_.recordInForce && !state_.restore)
        state_.restore = data_.GetSettings();
    protocol_.Reinit();
    status_.ClearNotice();
    view_.ShowMessage(texts_.Get("TXT_102"));
}

void CModuleEvents::fatal(std::string_view caption, std::string_view text, int result) {
    // Reports handled in the box's nested loop would otherwise start requests and more boxes.
    state_.ended = true;
    view_.MessageBox(caption, text, BoxIcon::Error, BoxButtons::Ok);
    view_.EndDialog(result);
}

void CModuleEvents::sessionFault(ModuleEvent event) {
    if (event == ModuleEvent::ReplyTimeout) { // lost link: no box, start over
        restartSession();
        return;
    }
    // A refused request for the module's record is reported twice: first as this
    // generic status fault, then as "no Scope module", which the protocol has
    // already stored and which says what is wrong; that report ends the program.
    if (event == ModuleEvent::StatusUnknown && protocol_.IsState(ModuleEvent::SettingsRefused))
        return;
    fatal(kErrorCaption, texts_.Get(sessionFaultKey(event)), 2);
}

void CModuleEvents::sessionState(ModuleEvent event) {
    switch (event) {
    case ModuleEvent::Initialised:
        status_.ClearNotice();
        status_.SetStatus("");
        break;
    case ModuleEvent::LinkUp: {
        const std::uint16_t type = protocol_.GetModuleNum();
        if (IsSelfStartingModule(type))
            view_.PostToSelf(Msg::UWM_IVORA_PROTOCOL, Encode(ModuleEvent::ScopeRunning), 0);
        else
            protocol_.build_RunOscil_packet();
        status_.SetStatus(texts_.Get("TXT_1508"));
        break;
    }
    case ModuleEvent::Stopped:
        status_.ClearNotice();
        status_.SetStatus(texts_.Get("TXT_1509"));
        status_.TurnSpinnerB();
        break;
    default:
        break;
    }
}

void CModuleEvents::scopeFault(ModuleEvent event) {
    switch (event) {
    case ModuleEvent::StartFailed:
        // A start answer of the wrong length leaves the session in its error
        // state with nothing to react to it; treat it as a lost link.
        restartSession();
        break;
    case ModuleEvent::FirstGeneration:
        fatal(kScopeErrorCaption, texts_.Get("TXT_1501"), 1);
        break;
    case ModuleEvent::TooManySamples:
        fatal(kScopeErrorCaption, texts_.Get("TXT_1527"), 1);
        break;
    case ModuleEvent::BadGroup:
        status_.CountBadGroup();
        AskForData();
        break;
    case ModuleEvent::GroupOverflow:
        // The box runs a nested loop: further reports arrive while it is open.
        if (state_.recoveryBoxOpen)
            return;
        state_.recoveryBoxOpen = true;
        view_.MessageBox(kScopeErrorCaption, texts_.Get("TXT_103"), BoxIcon::Error, BoxButtons::Ok);
        state_.recoveryBoxOpen = false;
        protocol_.Reinit();
        break;
    case ModuleEvent::SettingsRefused:
        fatal(kScopeErrorCaption, texts_.Get("TXT_104"), 1);
        break;
    case ModuleEvent::CalibrationReadFailed:
        fatal(kScopeErrorCaption, texts_.Get("TXT_1502"), 1);
        break;
    default:
        break;
    }
}

void CModuleEvents::showTriggerState() {
    switch (data_.ModeIndex()) {
    case 0:
        view_.ShowMessage(texts_.Get((data_.GetSettings().TR_mode & ~kStopBit) == TM_SINGLE ? "TXT_1531"
                                                                                          : "TXT_011"));
        break;
    case 3:
        view_.ShowMessage(texts_.Get("TXT_012"));
        break;
    case 4:
        view_.ShowMessage(texts_.Get("TXT_013"));
        break;
    default:
        view_.ShowMessage("");
        break;
    }
}

void CModuleEvents::scopeState(ModuleEvent event) {
    CScopeData& data = data_;
    CalibrationState& cal = state_.calibration;
    switch (event) {
    case ModuleEvent::ScopeRunning:
        state_.restoreSent = false;
        if (state_.startMode == StartMode::SendOwn)
            protocol_.build_SetOscilExchange_packet();
        else
            protocol_.build_AskForOscilExchange_packet();
        if (state_.startMode != StartMode::Custom)
            state_.startMode = StartMode::AskModule;
        status_.SetStatus(texts_.Get("TXT_004"));
        break;
    case ModuleEvent::SettingsExchanged: {
        if (sendRestoredRecord())
            break;
        const bool restored = state_.restore.has_value();
        state_.restore.reset();
        state_.recordInForce = state_.recordInForce || state_.startMode != StartMode::Custom;
        if (state_.startMode == StartMode::Custom) {
            tOscilExchange rec = data.GetSettings();
            rec.chann_num = static_cast<std::uint16_t>(state_.customChannels);
            rec.time_base_ENUM = static_cast<std::uint32_t>(state_.customStep);
            protocol_.build_SetOscilExchange_packet(rec);
            state_.startMode = StartMode::AskModule;
        } else if (cal.askFirst) {
            cal.askFirst = false;
            protocol_.build_AskForOscilEeprom_packet();
            // Only the answer would start polling: a lost one left the capture
            // waiting for ever behind a link kept alive by echoes.
            if (!state_.retryPending) {
                state_.retryPending = true;
                view_.StartRetryTimer(kCalibrationReadMs);
            }
        } else {
            AskForData();
        }
        ApplyTriggerLevel(data.GetSettings().TR_level);
        if (restored)
            status_.SetNotice(texts_.Get("TXT_1530"));
        else if (state_.settingsSent)
            status_.SetStatus(texts_.Get("TXT_005"));
        break;
    }
    case ModuleEvent::GroupConverted:
        if (cal.inProgress) {
            sendCalibrationHeader();
            view_.HideMessages();
        } else if (data.IsDirty() || takeSingleShot()) {
            // A module that always has samples never answers header-only, so an
            // edit would wait for SettingsDirty forever.
            sendEditedSettings();
        } else {
            AskForData();
            view_.HideMessages();
        }
        break;
    case ModuleEvent::HideMessages:
        view_.HideMessages();
        break;
    case ModuleEvent::SettingsDirty:
        sendEditedSettings();
        break;
    case ModuleEvent::NoData:
        // NORM waiting for its edge or SINGLE after its shot may answer empty
        // for good: the calibration cannot wait for samples.
        if (cal.inProgress) {
            sendCalibrationHeader();
            break;
        }
        if (!state_.retryPending) {
            state_.retryPending = true;
            view_.StartRetryTimer(kRetryMs);
        }
        showTriggerState();
        status_.SetStatus(texts_.Get("TXT_007"));
        break;
    case ModuleEvent::Disconnected:
        // The user's reconnect starts as the program does: with the tester's record.
        state_.restore.reset();
        protocol_.Stop();
        if (!view_.CloseLink())
            view_.MessageBox(" Socket ERROR ...", texts_.Get("TXT_1503"), BoxIcon::Error, BoxButtons::Ok);
        break;
    case ModuleEvent::CalibrationRead:
        if (data.GetCalibration().state == 1) {
            cal.info = CStatusLine::CalibrationDate(data.GetCalibration());
            // A run started before the module's record came in still has its header to send.
            if (!cal.header)
                cal.inProgress = false;
        }
        status_.ShowInformation(data.GetSettings(), data.GetCalibration(), cal.info);
        if (state_.retryPending) {
            view_.StopRetryTimer();
            state_.retryPending = false;
        }
        AskForData();
        break;
    case ModuleEvent::CalibrationNotServed:
    case ModuleEvent::CalibrationUnknown:
    case ModuleEvent::CalibrationWritten:
    case ModuleEvent::CalibrationWriteFailed:
        calibrationAnswered(event);
        break;
    default:
        break;
    }
}

void CModuleEvents::calibrationAnswered(ModuleEvent event) {
    CalibrationState& cal = state_.calibration;
    CScopeData& data = data_;
    if (!cal.waiting) {
        // Late (after the guard gave up) or unasked: polling already runs, a second
        // request chain must not start. A record the module did take is still shown.
        if (event == ModuleEvent::CalibrationWritten && data.GetCalibration().state == 1) {
            cal.info = CStatusLine::CalibrationDate(data.GetCalibration());
            status_.ShowInformation(data.GetSettings(), data.GetCalibration(), cal.info);
        }
        return;
    }
    switch (event) {
    case ModuleEvent::CalibrationUnknown:
        calibrationRefused("TXT_1505");
        break;
    case ModuleEvent::CalibrationWritten:
        cal.inProgress = false;
        cal.waiting = false;
        view_.StopCalibrationGuard();
        // The module's new record is in force: the information line shows its date,
        // not what an earlier run or refusal left there.
        cal.info = CStatusLine::CalibrationDate(data.GetCalibration());
        status_.ShowInformation(data.GetSettings(), data.GetCalibration(), cal.info);
        view_.ShowMessage("");
        view_.MessageBox(".: Info ...", texts_.Get("TXT_1506"), BoxIcon::Information, BoxButtons::Ok);
        calibrationEnded();
        break;
    default:
        calibrationRefused(kCalibrationRefused);
        break;
    }
}

void CModuleEvents::sendCalibrationHeader() {
    CalibrationState& cal = state_.calibration;
    protocol_.SetReplyWatch(false);
    // Sent once: a second calibration run must not start on a late data answer.
    if (!cal.header)
        return;
    protocol_.build_SetOscilEepromHeader_packet(*cal.header);
    cal.header.reset();
    cal.waiting = true;
}

void CModuleEvents::CalibrationTimedOut() {
    if (state_.calibration.IsActive())
        calibrationRefused(kCalibrationRefused);
}

void CModuleEvents::calibrationRefused(std::string_view textKey) {
    CalibrationState& cal = state_.calibration;
    CScopeData& data = data_;
    cal.inProgress = false;
    cal.waiting = false;
    cal.header.reset();
    // The guard may end a run whose header never went out: the box must not
    // count as silence of the tester either.
    protocol_.SetReplyWatch(false);
    view_.StopCalibrationGuard();
    cal.info = "CalSetFailed";
    SOscil_EEPROM record = data.GetCalibration();
    record.state = 0;
    data.SetCalibration(record);
    view_.ResetScaleFactors();
    view_.ShowMessage("");
    view_.MessageBox(".: Error ...", texts_.Get(textKey), BoxIcon::Error, BoxButtons::Ok);
    status_.ShowInformation(data.GetSettings(), data.GetCalibration(), cal.info);
    calibrationEnded();
}

void CModuleEvents::calibrationEnded() {
    protocol_.SetReplyWatch(true);
    AskForData();
}

} // namespace wavix
