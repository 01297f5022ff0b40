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
    const int phase = static_cast<int>(wParam >> 16 & 0xFF);
    const int result = static_cast<int>(wParam >> 8 & 0xFF);
    const int event = static_cast<int>(wParam & 0xFF);
    if (result == CIvoraProtocol::kError)
        faults.push_back(static_cast<std::uint32_t>(wParam));
    if (phase == 1 && result == CIvoraProtocol::kProgress && event == 1)
        lastReceivedAt_ = session_.ticks().tickMs();
    if (ended)
        return;
    if (phase == 1)
        onModule(result, event);
    else if (phase == 2)
        onScope(result, event);
}

void CaptureClient::onModule(int result, int event) {
    CIvoraProtocol& p = session_.protocol();
    if (result == CIvoraProtocol::kError) {
        if (event != 2) {
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
    if (result == CIvoraProtocol::kDone && event == 2) {
        ++linkUps;
        if (start_ == Start::DataBeforeRun)
            askForData();
        else
            p.build_RunOscil_packet();
    }
}

void CaptureClient::onScope(int result, int event) {
    CIvoraProtocol& p = session_.protocol();
    if (result == CIvoraProtocol::kError) {
        if (event == 3) { // bad group: ask again
            ++badGroups;
            askForData();
        } else {
            ended = true;
        }
        return;
    }
    if (result != CIvoraProtocol::kDone)
        return;
    switch (event) {
    case 1:
        p.build_SetOscilExchange_packet(record_);
        break;
    case 2:
        if (askCalibrationFirst_) {
            askCalibrationFirst_ = false;
            p.build_AskForOscilEeprom_packet();
        } else {
            askForData();
        }
        break;
    case 3:
        ++groups;
        if (onGroup)
            onGroup(data());
        askForData();
        break;
    case 5:
        p.build_SetOscilExchange_packet();
        break;
    case 6:
        retry_.start();
        break;
    case 8:
        ++calibrationReads;
        askForData();
        break;
    default:
        break;
    }
}

} // namespace wavix::test
