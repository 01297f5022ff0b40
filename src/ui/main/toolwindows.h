#pragma once
// The main window's tool windows: the toolbar and settings strips (shown by
// their saved flags), the channel options and the channel info. The
// controller's posted and sent tool messages end here.

#include "core/app/mainview.h"
#include "core/support/messages.h"

#include <array>
#include <cstdint>
#include <functional>

class QWidget;

namespace wavix {

class CChannelData;
class CDlgChannelInfo;
class CDlgChannelOptions;
class CDlgScopeSettings;
class CDlgScopeToolBar;
class CLogChartsUi;
class CProgramSettings;
class CScope;
class CScopeData;

class CToolWindows {
public:
    // relayout: the window places its strips again after one was shown or hidden.
    CToolWindows(QWidget& window, CProgramSettings& settings, CScopeData& data,
                 const std::array<CScope*, kViewCount>& views, std::function<void()> relayout);

    // Once the language file is known; the windows are children of the window.
    void Create(IMessageTarget* target);
    // The log viewer whose navigator takes the views' measurement.
    void SetLogCharts(CLogChartsUi* charts) { logCharts_ = charts; }
    // Before the channels go: the strips and options let go of them.
    void Release();

    // Toolbar and Settings: the show flag (saved with all settings), shown or
    // hidden, laid out again; the others show or hide.
    void SetVisible(ToolWindow tool, bool visible);
    bool IsVisible(ToolWindow tool) const;
    void ShowChannelInfo(const CChannelData& channel);
    // Toolbar in its logging look, toolbar and settings controls off (true) or back to normal.
    void SetLoggingLook(bool logging);
    // The settings strip's panels show the capture store's four channels.
    void RefreshChannelPanels();

    // Taken after the current message, in the order posted; dropped with the window.
    void Post(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    void Send(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam);

    // Null before Create.
    CDlgScopeToolBar* ToolBar() const { return toolbar_; }
    CDlgScopeSettings* SettingsWindow() const { return settingsWindow_; }
    CDlgChannelOptions* ChannelOptions() const { return channelOptions_; }
    CDlgChannelInfo* ChannelInfo() const { return channelInfo_; }

private:
    // Links the settings strip's time panels to the view owning this zoom or these cursors.
    void followView(std::intptr_t zoomOrCursors);
    void deliverToChannelOptions(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    void shareMeasurement(std::intptr_t id);

    QWidget& window_;
    CProgramSettings& settings_;
    CScopeData& data_;
    const std::array<CScope*, kViewCount>& views_;
    std::function<void()> relayout_;
    CLogChartsUi* logCharts_ = nullptr;
    CDlgScopeToolBar* toolbar_ = nullptr;
    CDlgScopeSettings* settingsWindow_ = nullptr;
    CDlgChannelOptions* channelOptions_ = nullptr;
    CDlgChannelInfo* channelInfo_ = nullptr;
};

} // namespace wavix
