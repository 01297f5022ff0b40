#include "core/app/wavixcontroller.h"

#include "core/protocol/ivoraprotocol.h"

#include <algorithm>

namespace wavix {

CWavixController::CWavixController(CIvoraProtocol& protocol, IMainView& view, const CMainTexts& texts)
    : protocol_(protocol), view_(view), texts_(texts), status_(view),
      module_(protocol, view, texts, status_, state_),
      scopeData_(protocol, view, texts, status_, module_, state_) {}

void CWavixController::SetStartMode(StartMode mode, int customStep, int customChannels) {
    state_.startMode = mode;
    state_.customStep = std::clamp(customStep, kStepMin, kStepMax);
    state_.customChannels = std::clamp(customChannels, 1, kChannelCount);
}

void CWavixController::ShowStartStatus() {
    status_.SetStatus(texts_.Get("TXT_003"));
}

void CWavixController::StartCalibration(const SOscil_EEPROM& header) {
    state_.calibration.inProgress = true;
    state_.calibration.header = header;
    view_.ShowMessage(texts_.Get("TXT_1412"));
    // Counted from the command: a module that sends no answer to go with must not stall it either.
    view_.StartCalibrationGuard(kCalibrationGuardMs);
}

void CWavixController::OnMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    // After a fatal box the window is closing; nothing may start another request or box.
    if (state_.ended)
        return;
    switch (msg) {
    case Msg::UWM_COMMUNICATION:
        status_.OnTraffic(wParam, lParam);
        break;
    case Msg::UWM_IVORA_PROTOCOL:
        module_.OnReport(wParam, lParam);
        break;
    case Msg::UWM_SCOPE_DATA:
        scopeData_.OnNotice(wParam, lParam);
        if (Decode<ScopeDataNotice>(lParam) == ScopeDataNotice::RecordInForce && !state_.ended) {
            view_.SaveAllSettings();
            view_.SetInputRanges(ChannelRanges(protocol_.GetScopeData().GetSettings()));
        }
        break;
    case Msg::UWM_CHANNEL_DATA_CTRL:
        forwardChannelData(wParam, lParam);
        break;
    case Msg::UWM_SCOPE_CTRL_BASE:
        if (Decode<PanelNotice>(lParam) == PanelNotice::ChannelClicked)
            view_.SendToTool(ToolWindow::ChannelOptions, Msg::UWM_CHANNEL_OPTIONS_CTRL, wParam,
                             Encode(ChannelOptionsNotice::Show));
        else
            view_.HandleInWindow(msg, wParam, lParam);
        break;
    case Msg::UWM_DLG_SCOPE_TOOL_BAR:
        onToolbar(wParam, lParam);
        break;
    default:
        view_.HandleInWindow(msg, wParam, lParam);
        break;
    }
}

bool CWavixController::OnTimer(int id) {
    if (id == kCalibrationGuardTimerId) {
        if (!state_.calibration.IsActive())
            return false;
        if (!state_.ended)
            module_.CalibrationTimedOut();
        return true;
    }
    if (id != kRetryTimerId || !state_.retryPending)
        return false;
    view_.StopRetryTimer();
    state_.retryPending = false;
    if (!state_.ended)
        module_.AskForData();
    return true;
}

void CWavixController::forwardChannelData(std::intptr_t wParam, std::intptr_t lParam) {
    for (const ToolWindow tool :
         {ToolWindow::ChannelOptions, ToolWindow::Settings, ToolWindow::Toolbar, ToolWindow::ChannelInfo})
        view_.SendToTool(tool, Msg::UWM_CHANNEL_DATA_CTRL, wParam, lParam);
}

void CWavixController::onToolbar(std::intptr_t wParam, std::intptr_t command) {
    // The lock holds for every path here (buttons, keys, scripts): any other
    // command would change or leave the capture the log is recording.
    // The roll log command starts and ends a log, so it is the one taken while a log is open.
    if (view_.IsRollLogOpen() && Decode<ToolbarCommand>(command) != ToolbarCommand::RollLog)
        return;
    CScopeData& data = protocol_.GetScopeData();
    switch (Decode<ToolbarCommand>(command)) {
    case ToolbarCommand::ViewMode:
        state_.multiView = !state_.multiView;
        view_.PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, state_.multiView ? 0 : 1,
                         Encode(ToolbarState::SingleView));
        OnMessage(Msg::UWM_SCOPE_DATA, 0, Encode(ScopeDataNotice::RecordInForce));
        view_.CopyViewSettings();
        view_.RedrawTraces();
        module_.ApplyTriggerLevel(data.GetSettings().TR_level);
        break;
    case ToolbarCommand::RunStop:
        if (data.IsRunning())
            data.Stop();
        else
            data.Run();
        protocol_.build_SetOscilExchange_packet();
        view_.PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, data.IsRunning() ? 1 : 0,
                         Encode(ToolbarState::Running));
        break;
    case ToolbarCommand::ChannelsDown:
        data.ChannelCountDown();
        protocol_.build_SetOscilExchange_packet();
        break;
    case ToolbarCommand::ChannelsUp:
        data.ChannelCountUp();
        protocol_.build_SetOscilExchange_packet();
        break;
    case ToolbarCommand::Connect:
        if (protocol_.IsState(ModuleEvent::Stopped))
            view_.ReopenLink();
        else
            protocol_.build_ScopeSafeDisconnect_packet();
        break;
    default:
        view_.HandleInWindow(Msg::UWM_DLG_SCOPE_TOOL_BAR, wParam, command);
        break;
    }
}

} // namespace wavix
