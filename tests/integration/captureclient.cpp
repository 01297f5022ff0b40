#include "integration/captureclient.h"

namespace wavix::test {

constexpr int kRetryMs = 50;

CaptureClient::CaptureClient(const tOscilExchange& record, Start start) : record_(record), start_(start) {
    window_.setHandler([this](Msg msg, std::intptr_t w, std::intptr_t l) { onMessage(msg, w, l); });
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    QObject::connect(&retry_, &QTimer::timeout, [this] { askForData(); });
}

bool CaptureClient::open(std::uint16_t port) {
    return session_.Open("127.0.0.2", port, &window_);
}

void CaptureClient::askForData() {
    if (!ended)
        session_.protocol().build_AskForScopeData_packet();
}

void CaptureClient::onMessage(Msg msg, std::intptr_t wParam, std::intptr_t) {
    if (msg != Msg::UWM_IVORA_PROTOCOL)
        return;
    const ModuleEvent event = DecodeModuleEvent(wParam);
    if (ResultOf(event) == ModuleResult::Error)
        faults.push_back(static_cast<std::uint32_t>(event));
    if (event == ModuleEvent::Received)
        lastReceivedAt_ = session_.ticks().tickMs();
    if (ended)
        return;
    if (PhaseOf(event) == ModulePhase::Module)
        onModule(event);
    else if (PhaseOf(event) == ModulePhase::Scope)
        onScope(event);
}

void CaptureClient::onModule(ModuleEvent event) {
    CIvoraProtocol& p = session_.protocol();
    if (ResultOf(event) == ModuleResult::Error) {
        if (event != ModuleEvent::ReplyTimeout) {
            ended = true;
            return;
        }
        // Lost link: start the session again and wait for the module.
        ++timeouts;
        lastTimeoutAfterMs = ticksSince(session_.ticks().tickMs(), lastReceivedAt_);
        retry_.stop();
        p.Reinit();
        session_.Rearm();
        return;
    }
    if (event == ModuleEvent::LinkUp) {
        ++linkUps;
        if (start_ == Start::DataBeforeRun)
            askForData();
        else
            p.build_RunOscil_packet();
    }
}

void CaptureClient::onScope(ModuleEvent event) {
    CIvoraProtocol& p = session_.protocol();
    if (ResultOf(event) == ModuleResult::Error) {
        if (event == ModuleEvent::BadGroup) { // ask again
            ++badGroups;
            askForData();
        } else {
            ended = true;
        }
        return;
    }
    switch (event) {
    case ModuleEvent::ScopeRunning:
        p.build_SetOscilExchange_packet(record_);
        break;
    case ModuleEvent::SettingsExchanged:
        if (askCalibrationFirst_) {
            askCalibrationFirst_ = false;
            p.build_AskForOscilEeprom_packet();
        } else {
            askForData();
        }
        break;
    case ModuleEvent::GroupConverted:
        ++groups;
        if (onGroup)
            onGroup(data());
        askForData();
        break;
    case ModuleEvent::SettingsDirty:
        p.build_SetOscilExchange_packet();
        break;
    case ModuleEvent::NoData:
        retry_.start();
        break;
    case ModuleEvent::CalibrationRead:
        ++calibrationReads;
        askForData();
        break;
    default:
        break;
    }
}

} // namespace wavix::test
