#pragma once
// Where the controller hands what it has decided and does not carry out
// itself: the toolbar commands run by the window's parts, the view menu, the
// log chart control and the log download. The window or one of its
// coordinators implements each; no message is ever handed back to the window.

#include "core/app/viewnotices.h"
#include "core/support/messages.h"

#include <cstdint>

namespace wavix {

// Toolbar commands beyond the capture itself.
class IToolbarCommands {
public:
    virtual ~IToolbarCommands() = default;
    virtual void OnPrint() = 0;
    // View A's capture into a chart; the controller checks the link is alive.
    virtual void OnSaveCapture() = 0;
    virtual void OnLoadCapture() = 0;
    // Every view on to the show mode after view A's.
    virtual void OnNextDrawStyle() = 0;
    virtual void OnScopeBook() = 0;
    virtual void OnLogCharts() = 0;
    virtual void OnRollLog() = 0;
    // The channel configurator button: the channel options window.
    virtual void OnChannelOptions() = 0;
};

class IViewMenuHost {
public:
    virtual ~IViewMenuHost() = default;
    // The context menu of view 0..3 at a screen point.
    virtual void OpenViewMenu(int view, int x, int y) = 0;
};

class ILogChartControl {
public:
    virtual ~ILogChartControl() = default;
    // A button of the log navigation window (UWM_DLG_CONTROL_LOG_CHART_MSG).
    virtual void OnControlMessage(std::intptr_t code) = 0;
};

class ILogDownloadEvents {
public:
    virtual ~ILogDownloadEvents() = default;
    // The download window's buttons: 1 download, 0 the window closed.
    virtual void OnLogFilesButton(std::intptr_t code) = 0;
    // The file link's notifications; ignored while no download was started.
    virtual void OnFileLinkNotice(Msg msg, std::intptr_t wParam, std::intptr_t lParam) = 0;
};

// Unset parts ignore what would go to them.
struct WindowParts {
    IToolbarCommands* toolbar = nullptr;
    IViewNoticeTarget* views = nullptr;
    IViewMenuHost* viewMenus = nullptr;
    ILogChartControl* logCharts = nullptr;
    ILogDownloadEvents* download = nullptr;
};

} // namespace wavix
