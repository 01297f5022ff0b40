#include "core/app/wavixcontroller.h"

#include "core/protocol/ivoraprotocol.h"
#include "core/scope/capturestore.h"

#include <algorithm>

namespace wavix {
namespace {

constexpr std::string_view kNoAnswerKey = "TXT_1540";
constexpr std::string_view kLastCaptureKey = "TXT_1546";

RunState RunStateOf(const tOscilExchange& rec) {
    if ((rec.TR_mode & kStopBit) == 0)
        return RunState::Running;
    return (rec.TR_mode & ~kStopBit) == TM_SINGLE ? RunState::ShotTaken : RunState::Stopped;
}

} // namespace

CWavixController::CWavixController(CIvoraProtocol& protocol, CCaptureStore& capture, IMainView& view,
                                   const CMainTexts& texts)
    : protocol_(protocol), capture_(capture), view_(view), texts_(texts), status_(view),
      module_(protocol, capture.Data(), view, texts, status_, state_),
      scopeData_(capture, view, texts, status_, module_, state_) {}

void CWavixController::SetParts(const WindowParts& parts) {
    parts_ = parts;
    notices_.reset();
    if (parts_.views != nullptr)
        notices_ = std::make_unique<CViewNotices>(protocol_, capture_.Data(), *parts_.views);
}

void CWavixController::SetStartMode(StartMode mode, int customStep, int customChannels) {
    state_.startMode = mode;
    state_.customStep = std::clamp(customStep, kStepMin, kStepMax);
    state_.customChannels = std::clamp(customChannels, 1, kChannelCount);
}

void CWavixController::ShowStartStatus() {
    status_.SetStatus(texts_.Get("TXT_003"));
}

void CWavixController::WatchLink(const ITickSource& ticks, std::string address, std::uint16_t port,
                                 std::function<std::string(std::uint32_t)> clockText) {
    ticks_ = &ticks;
    clockText_ = std::move(clockText);
    link_ = CLinkStatus();
    link_.SetEndpoint(std::move(address), port);
    showLink();
}

// The text of key with its "%s" replaced by the tester's address and port.
std::string CWavixController::linkText(std::string_view key) const {
    std::string text(texts_.Get(key));
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, link_.Endpoint());
    return text;
}

void CWavixController::followLink(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    if (ticks_ == nullptr || state_.ended)
        return;
    const std::uint32_t now = ticks_->tickMs();
    const LinkState before = link_.State();
    bool changed = false;
    if (msg == Msg::UWM_IVORA_PROTOCOL) {
        switch (DecodeModuleEvent(wParam)) {
        case ModuleEvent::Initialised:
            changed = link_.OnSessionStart(now);
            break;
        case ModuleEvent::LinkUp:
            changed = link_.OnLinkUp();
            break;
        case ModuleEvent::ScopeRunning:
            changed = link_.OnScopeRunning(now);
            break;
        case ModuleEvent::Stopped:
            changed = link_.OnStopped();
            break;
        case ModuleEvent::ReplyTimeout:
            changed = link_.OnReplyTimeout(now);
            break;
        default:
            break;
        }
    } else if (msg == Msg::UWM_SCOPE_DATA && Decode<ScopeDataNotice>(lParam) == ScopeDataNotice::NewSamples &&
               NewSamplesCount(wParam) >= 0) {
        changed = link_.OnCapture(now);
    }
    changed = link_.OnTick(now) || changed;
    if (!changed)
        return;
    const LinkState after = link_.State();
    if (after == LinkState::NoAnswer) {
        const std::string text = linkText(kNoAnswerKey);
        status_.ClearNotice();
        status_.SetStatus(text);
        // A trace from before the loss is still on screen: it keeps its mark.
        view_.ShowMessage(link_.HadCapture() && clockText_ ? text + "  " + lastCaptureText(now) : text);
    } else if (after == LinkState::Lost && link_.HadCapture() && clockText_) {
        // The trace on screen is no longer live: say when it was taken.
        view_.ShowMessage(std::string(texts_.Get("TXT_102")) + "  " + lastCaptureText(now));
    } else if (before == LinkState::NoAnswer && after == LinkState::Connecting) {
        view_.ShowMessage("");
    }
    showLink();
}

std::string CWavixController::lastCaptureText(std::uint32_t now) const {
    std::string text(texts_.Get(kLastCaptureKey));
    const std::string at = clockText_(ticksSince(now, link_.LastCaptureTick()));
    if (const auto pos = text.find("%s"); pos != std::string::npos)
        text.replace(pos, 2, at);
    return text;
}

void CWavixController::showLink() {
    std::string text;
    switch (link_.State()) {
    case LinkState::Connecting:
        text = linkText("TXT_1541");
        break;
    case LinkState::Running:
        text = linkText(RunningTextKey(link_.CapturesPerSecond()));
        if (const auto at = text.find("%d"); at != std::string::npos)
            text.replace(at, 2, std::to_string(link_.CapturesPerSecond()));
        break;
    case LinkState::Stopped:
        text = linkText("TXT_1543");
        break;
    case LinkState::NoAnswer:
        text = linkText("TXT_1544");
        break;
    case LinkState::Lost:
        text = linkText("TXT_1545");
        break;
    }
    view_.SetPaneText(Pane::Link, text);
    view_.LinkStateChanged(LinkStateName(link_.State()), link_.Endpoint());
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
    dispatch(msg, wParam, lParam);
    followLink(msg, wParam, lParam);
}

void CWavixController::dispatch(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
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
            runInForce_ = static_cast<int>(RunStateOf(capture_.Data().GetSettings()));
            view_.SaveAllSettings();
            view_.SetInputRanges(ChannelRanges(capture_.Data().GetSettings()));
        }
        break;
    case Msg::UWM_CHANNEL_DATA_CTRL:
        forwardChannelData(wParam, lParam);
        break;
    case Msg::UWM_SCOPE_CTRL_BASE:
        if (Decode<PanelNotice>(lParam) == PanelNotice::ChannelClicked)
            view_.SendToTool(ToolWindow::ChannelOptions, Msg::UWM_CHANNEL_OPTIONS_CTRL, wParam,
                             Encode(ChannelOptionsNotice::Show));
        // The timebase panel let go of the zoom: a zoomed window would not match the new timebase.
        else if (Decode<PanelNotice>(lParam) == PanelNotice::TimeBaseReleased && parts_.views != nullptr)
            parts_.views->ResetZoom();
        break;
    case Msg::UWM_DLG_SCOPE_TOOL_BAR:
        onToolbar(lParam);
        break;
    case Msg::UWM_SCOPE:
        if (notices_)
            notices_->OnNotice(wParam, lParam);
        break;
    case Msg::UWM_SCOPE_RBUTTON:
        openViewMenu(wParam, lParam);
        break;
    case Msg::UWM_DLG_CONTROL_LOG_CHART_MSG:
        if (parts_.logCharts != nullptr)
            parts_.logCharts->OnControlMessage(lParam);
        break;
    case Msg::UWM_DLG_GET_LOG_FILES_MSG:
        if (parts_.download != nullptr)
            parts_.download->OnLogFilesButton(lParam);
        break;
    default:
        if (parts_.download != nullptr)
            parts_.download->OnFileLinkNotice(msg, wParam, lParam);
        break;
    }
    if (!state_.ended)
        syncToolbar();
}

void CWavixController::syncToolbar() {
    if (runInForce_ >= 0 && runInForce_ != runShown_) {
        runShown_ = runInForce_;
        view_.PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, runShown_, Encode(ToolbarState::Running));
    }
    const int link = protocol_.IsState(ModuleEvent::Stopped) ? 0 : 1;
    if (link != linkShown_) {
        linkShown_ = link;
        view_.PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, link, Encode(ToolbarState::Connected));
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

void CWavixController::onToolbar(std::intptr_t command) {
    // The lock holds for every path here (buttons, keys, scripts): any other
    // command would change or leave the capture the log is recording.
    // The roll log command starts and ends a log, so it is the one taken while a log is open.
    if (view_.IsRollLogOpen() && Decode<ToolbarCommand>(command) != ToolbarCommand::RollLog)
        return;
    CScopeData& data = capture_.Data();
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
        // The button follows once the module has the record.
        protocol_.build_SetOscilExchange_packet();
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
        onWindowToolbar(command);
        break;
    }
}

void CWavixController::onWindowToolbar(std::intptr_t command) {
    IToolbarCommands* run = parts_.toolbar;
    if (run == nullptr)
        return;
    switch (Decode<ToolbarCommand>(command)) {
    case ToolbarCommand::Print:
        run->OnPrint();
        break;
    case ToolbarCommand::Save:
        if (protocol_.IsAlive())
            run->OnSaveCapture();
        break;
    case ToolbarCommand::Load:
        run->OnLoadCapture();
        break;
    case ToolbarCommand::ShowMode:
        run->OnNextDrawStyle();
        break;
    case ToolbarCommand::SampleCharts:
        run->OnScopeBook();
        break;
    case ToolbarCommand::LogCharts:
        run->OnLogCharts();
        break;
    case ToolbarCommand::RollLog:
        run->OnRollLog();
        break;
    case ToolbarCommand::Configurator:
        run->OnChannelOptions();
        break;
    default:
        break;
    }
}

void CWavixController::openViewMenu(std::intptr_t view, std::intptr_t point) {
    if (parts_.viewMenus == nullptr || parts_.views == nullptr)
        return;
    const int index = parts_.views->ViewOf(view);
    if (index < 0)
        return;
    // Screen point packed as two signed 16-bit halves.
    const auto x = static_cast<std::int16_t>(point & 0xFFFF);
    const auto y = static_cast<std::int16_t>((point >> 16) & 0xFFFF);
    parts_.viewMenus->OpenViewMenu(index, x, y);
}

} // namespace wavix
