#include "core/app/scopedataevents.h"

#include "core/scope/capturestore.h"
#include "core/support/strformat.h"

#include <algorithm>

namespace wavix {
namespace {

std::intptr_t ptr(const void* p) {
    return reinterpret_cast<std::intptr_t>(p);
}

} // namespace

void CScopeDataEvents::OnNotice(std::intptr_t wParam, std::intptr_t code) {
    const CScopeData& data = capture_.Data();
    switch (Decode<ScopeDataNotice>(code)) {
    case ScopeDataNotice::TriggerChannel:
        // The argument names the trigger channel; only a channel of the sample
        // data is ever dereferenced.
        for (int k = 1; k <= kChannelCount; ++k)
            if (ptr(&data.GetChannel(k)) == wParam)
                view_.SetTriggerMarkerColor(data.GetChannel(k).GetColor());
        break;
    case ScopeDataNotice::ChannelCount:
        view_.PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, wParam,
                         Encode(ToolbarState::ChannelCount));
        view_.SetSettingsChannelCount(static_cast<int>(wParam));
        break;
    case ScopeDataNotice::RecordInForce:
        arrangeViews();
        break;
    case ScopeDataNotice::NewSamples:
        capture_.Announce(wParam);
        break;
    case ScopeDataNotice::TriggerLevel:
        module_.ApplyTriggerLevel(static_cast<int>(std::clamp<std::intptr_t>(wParam, 0, kTriggerLevelMax)));
        break;
    case ScopeDataNotice::RealCount:
        status_.SetRealCount(wParam);
        break;
    case ScopeDataNotice::ExpectedCount:
        status_.SetExpectedCount(wParam);
        break;
    case ScopeDataNotice::OldModule:
        oldModule(wParam);
        break;
    case ScopeDataNotice::TriggerPosition:
        view_.SetCaptureGeometry(SamplesPerStep(static_cast<int>(data.GetSettings().time_base_ENUM)),
                                 static_cast<std::uint32_t>(wParam));
        break;
    default:
        break;
    }
}

CScopeDataEvents::CScopeDataEvents(CCaptureStore& capture, IMainView& view, const CMainTexts& texts,
                                   CStatusLine& status, CModuleEvents& module, ControllerState& state)
    : capture_(capture), view_(view), texts_(texts), status_(status), module_(module), state_(state) {
    capture_.AddListener(*this);
}

CScopeDataEvents::~CScopeDataEvents() {
    capture_.RemoveListener(*this);
}

void CScopeDataEvents::OnSamplesConverted(std::uint32_t) {
    OnChannelsChanged();
}

void CScopeDataEvents::OnChannelsChanged() {
    view_.PostToTool(ToolWindow::ChannelOptions, Msg::UWM_CHANNEL_OPTIONS_CTRL, 0,
                     Encode(ChannelOptionsNotice::Refresh));
    view_.RedrawTraces();
}

void CScopeDataEvents::arrangeViews() {
    CScopeData& data = capture_.Data();
    // The tester's power-up record after its restart is replaced at once by the
    // one held before: the log goes on, with a seam, once that is back.
    const bool replacedAtOnce = state_.restore.has_value() && !state_.restoreSent;
    if (view_.IsRollLogOpen() && !replacedAtOnce)
        view_.EndRollLogIfChanged(data.GetSettings());
    status_.ClearModuleName();
    status_.ShowInformation(data.GetSettings(), data.GetCalibration(), state_.calibration.info);

    const int active = std::clamp(data.GetActiveChannelCount(), 0, kViewCount);
    state_.visibleViews = std::max(active, 1);
    view_.LayoutViews(state_.visibleViews);
    view_.PostToTool(ToolWindow::ChannelOptions, Msg::UWM_CHANNEL_OPTIONS_CTRL, 0,
                     Encode(ChannelOptionsNotice::Refresh));
    view_.AttachChannels(state_.multiView, state_.visibleViews, active);

    view_.PostToTool(ToolWindow::ChannelOptions, Msg::UWM_CHANNEL_OPTIONS_CTRL, 0,
                     Encode(ChannelOptionsNotice::Clear));
    for (int k = 1; k <= active; ++k)
        view_.PostToTool(ToolWindow::ChannelOptions, Msg::UWM_CHANNEL_OPTIONS_CTRL, ptr(&data.GetChannel(k)),
                         Encode(ChannelOptionsNotice::Append));
    view_.PostToTool(ToolWindow::ChannelOptions, Msg::UWM_CHANNEL_OPTIONS_CTRL, 1,
                     Encode(ChannelOptionsNotice::Show));

    view_.RefreshChannelPanels();
    view_.SetInputRanges(ChannelRanges(data.GetSettings()));
}

void CScopeDataEvents::oldModule(std::intptr_t version) {
    const int v = static_cast<int>(std::clamp<std::intptr_t>(version, 0, 0xFFFF));
    view_.MessageBox(" .: Error ...", StrFormat(texts_.Get("TXT_1507").c_str(), v), BoxIcon::Error,
                     BoxButtons::Ok);
    state_.ended = true;
    view_.Quit(kOldModuleExitCode);
}

} // namespace wavix
