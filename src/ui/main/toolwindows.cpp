#include "ui/main/toolwindows.h"

#include "core/scope/scopedata.h"
#include "core/settings/programsettings.h"
#include "core/support/messagecodes.h"
#include "ui/main/logchartsui.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgchannelinfo.h"
#include "ui/tools/dlgchanneloptions.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"

#include <QMetaObject>

#include <cmath>

namespace wavix {

CToolWindows::CToolWindows(QWidget& window, CProgramSettings& settings, CScopeData& data,
                           const std::array<CScope*, kViewCount>& views, std::function<void()> relayout)
    : window_(window), settings_(settings), data_(data), views_(views), relayout_(std::move(relayout)) {}

void CToolWindows::Release() {
    if (settingsWindow_ != nullptr)
        settingsWindow_->BindChannels({});
    if (channelOptions_ != nullptr)
        channelOptions_->OnControl(0, Encode(ChannelOptionsNotice::Clear));
}

// Created once the language file is known; the strips follow their show flags.
void CToolWindows::Create(IMessageTarget* target) {
    const std::filesystem::path lang = settings_.LangFilePath();
    toolbar_ = new CDlgScopeToolBar(lang, &window_);
    toolbar_->SetTarget(target);
    settingsWindow_ = new CDlgScopeSettings(lang, settings_.DataDirectory(), &window_);
    settingsWindow_->SetTarget(target);
    followView(reinterpret_cast<std::intptr_t>(&views_[0]->Zoom()));
    toolbar_->setVisible(settings_.ShowToolbar());
    settingsWindow_->setVisible(settings_.ShowSettingsWindow());
    channelOptions_ = new CDlgChannelOptions(settings_.DataDirectory(), &window_, settings_.LangFilePath());
    channelInfo_ = new CDlgChannelInfo(lang, &window_);
    channelOptions_->hide();
    channelInfo_->hide();
    relayout_();
}

void CToolWindows::SetVisible(ToolWindow tool, bool visible) {
    switch (tool) {
    case ToolWindow::Toolbar:
        settings_.SetShowToolbar(visible);
        if (toolbar_ != nullptr)
            toolbar_->setVisible(visible);
        relayout_();
        break;
    case ToolWindow::Settings:
        settings_.SetShowSettingsWindow(visible);
        if (settingsWindow_ != nullptr)
            settingsWindow_->setVisible(visible);
        relayout_();
        break;
    case ToolWindow::ChannelOptions:
    case ToolWindow::ChannelInfo: {
        QDialog* dlg = tool == ToolWindow::ChannelOptions ? static_cast<QDialog*>(channelOptions_)
                                                          : static_cast<QDialog*>(channelInfo_);
        if (dlg == nullptr)
            break;
        dlg->setVisible(visible);
        if (visible) {
            dlg->raise();
            dlg->activateWindow();
        }
        break;
    }
    case ToolWindow::LogChartControl:
    case ToolWindow::LogFiles:
        break;
    }
}

bool CToolWindows::IsVisible(ToolWindow tool) const {
    switch (tool) {
    case ToolWindow::Toolbar:
        return toolbar_ != nullptr && settings_.ShowToolbar();
    case ToolWindow::Settings:
        return settingsWindow_ != nullptr && settings_.ShowSettingsWindow();
    case ToolWindow::ChannelOptions:
        return channelOptions_ != nullptr && channelOptions_->isVisible();
    case ToolWindow::ChannelInfo:
        return channelInfo_ != nullptr && channelInfo_->isVisible();
    case ToolWindow::LogChartControl:
    case ToolWindow::LogFiles:
        break;
    }
    return false;
}

void CToolWindows::ShowChannelInfo(const CChannelData& channel) {
    if (channelInfo_ == nullptr)
        return;
    channelInfo_->SetChannel(channel);
    SetVisible(ToolWindow::ChannelInfo, true);
}

void CToolWindows::SetLoggingLook(bool logging) {
    if (toolbar_ != nullptr)
        toolbar_->SetLoggingLook(logging);
    if (settingsWindow_ != nullptr)
        settingsWindow_->SetControlsEnabled(!logging);
    if (channelOptions_ != nullptr)
        channelOptions_->setEnabled(!logging);
}

void CToolWindows::RefreshChannelPanels() {
    if (settingsWindow_ == nullptr)
        return;
    settingsWindow_->BindChannels(
        {&data_.GetChannel(1), &data_.GetChannel(2), &data_.GetChannel(3), &data_.GetChannel(4)});
}

void CToolWindows::Post(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    // Taken after the current message, in the order posted; dropped with the window.
    QMetaObject::invokeMethod(
        &window_, [this, tool, msg, wParam, lParam] { Send(tool, msg, wParam, lParam); },
        Qt::QueuedConnection);
}

void CToolWindows::Send(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    switch (tool) {
    case ToolWindow::Toolbar:
        if (toolbar_ != nullptr && msg == Msg::UWM_DLG_SCOPE_TOOL_BAR)
            toolbar_->OnStateMessage(wParam, lParam);
        break;
    case ToolWindow::Settings:
        if (settingsWindow_ == nullptr)
            break;
        if (msg == Msg::UWM_SCOPE)
            followView(wParam);
        settingsWindow_->OnMessage(msg, wParam, lParam);
        break;
    case ToolWindow::ChannelOptions:
        deliverToChannelOptions(msg, wParam, lParam);
        break;
    case ToolWindow::LogChartControl:
        if (msg == Msg::UWM_SCOPE && (Decode<ViewNotice>(lParam) == ViewNotice::Measure ||
                                      Decode<ViewNotice>(lParam) == ViewNotice::ZoomInfo))
            shareMeasurement(wParam);
        else if (msg == Msg::UWM_SCOPE && logCharts_ != nullptr &&
                 (Decode<ViewNotice>(lParam) == ViewNotice::Button1 ||
                  Decode<ViewNotice>(lParam) == ViewNotice::Button2))
            logCharts_->StepWindow(Decode<ViewNotice>(lParam) == ViewNotice::Button1 ? 1 : 2);
        break;
    case ToolWindow::ChannelInfo: // shows a snapshot, nothing to follow
    case ToolWindow::LogFiles:
        break;
    }
}

void CToolWindows::followView(std::intptr_t zoomOrCursors) {
    // The time panels describe the view whose zoom or cursors the user touched last.
    for (CScope* view : views_) {
        if (reinterpret_cast<std::intptr_t>(&view->Zoom()) != zoomOrCursors &&
            reinterpret_cast<std::intptr_t>(&view->Cursors()) != zoomOrCursors)
            continue;
        settingsWindow_->SetDisplaySources([view] { return view->Zoom().Factor(); },
                                           [view] { return view->Cursors().Distance(); });
        return;
    }
}

void CToolWindows::deliverToChannelOptions(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    if (channelOptions_ == nullptr)
        return;
    if (msg == Msg::UWM_CHANNEL_DATA_CTRL) {
        channelOptions_->OnControl(0, Encode(ChannelOptionsNotice::Refresh));
        return;
    }
    if (msg != Msg::UWM_CHANNEL_OPTIONS_CTRL)
        return;
    if (Decode<ChannelOptionsNotice>(lParam) == ChannelOptionsNotice::Append) {
        // The message carries a bare address: only a channel of the sample data is taken.
        std::intptr_t known = 0;
        for (int ch = 1; ch <= 4; ++ch)
            if (reinterpret_cast<std::intptr_t>(&data_.GetChannel(ch)) == wParam)
                known = wParam;
        wParam = known;
    }
    channelOptions_->OnControl(wParam, lParam);
}

void CToolWindows::shareMeasurement(std::intptr_t id) {
    // The notice names the cursors (code 3) or the zoom (code 4) of one view.
    for (const CScope* view : views_) {
        if (reinterpret_cast<std::intptr_t>(&view->Cursors()) != id &&
            reinterpret_cast<std::intptr_t>(&view->Zoom()) != id)
            continue;
        if (logCharts_ != nullptr)
            logCharts_->SetMeasurement(static_cast<float>(std::abs(view->Cursors().Distance())),
                                       static_cast<float>(view->Zoom().Factor()));
        return;
    }
}

} // namespace wavix
