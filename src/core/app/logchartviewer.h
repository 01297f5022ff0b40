#pragma once
// The main window's side of the log chart viewer, without a window: entering the
// viewer (the link closed after a safe disconnect), taking over a log that a
// worker opened, re-reading the window whenever the navigator moves it, the
// display-mode switch, and leaving again (the link reopened only when it is
// closed, since opening an open link fails with the "interface busy" question).
//
// While a worker opens a log, nothing may start another load or end the window:
// the window asks CanOpen()/CanClose() first.

#include "core/app/logcharthost.h"
#include "core/display/displaygeometry.h"
#include "core/files/logchartnavigator.h"
#include "core/files/logloadjob.h"
#include "core/support/messagecodes.h"

#include <memory>

namespace wavix {

// Language keys of the load failures.
inline constexpr std::string_view kLogFileNotValid = "TXT_1515";
inline constexpr std::string_view kLoadFailed = "TXT_1500";
inline constexpr std::string_view kLogDataNotValid = "TXT_1516";

// Top-left corner for the navigator window of the given size next to the main
// window's frame, so it never covers the traces: right of it, else left, else
// below, else above, whichever first fits the screen; when none fits, the side
// with the most room, kept on the screen.
Point PlaceBeside(const Rect& owner, int width, int height, const Rect& screen);

class CLogChartViewer {
public:
    static constexpr int kDisplayCount = 4;

    explicit CLogChartViewer(ILogChartHost& host);

    CLogChartNavigator& Navigator() { return nav_; }
    const CLogChartNavigator& Navigator() const { return nav_; }

    bool IsLoading() const { return loading_; }
    bool IsShowing() const { return file_ != nullptr; }
    bool CanOpen() const { return !loading_; }
    bool CanClose() const { return !loading_; }
    bool OnePerChannel() const { return onePerChannel_; }
    const CScopeFile* File() const { return file_.get(); }

    // A log was chosen: the module is let go and the worker may start. False
    // while another load runs.
    bool BeginLoad();
    // The worker is done. True when the log is shown; false when it failed or was
    // cancelled (failures are reported), and the caller then leaves the viewer.
    bool FinishLoad(LogLoadResult result);

    // lParam of UWM_DLG_CONTROL_LOG_CHART_MSG: a LogChartNotice.
    void OnNavigatorMessage(std::intptr_t code);
    // Reads the navigator's window again; false (reported) when the file failed.
    bool ReadWindow();
    void ToggleDisplayMode();
    // Back to the live scope; the log is closed. When no log was chosen since the
    // last Leave, the displays and the link were never touched and stay as they are.
    void Leave();
    bool HasEntered() const { return entered_; }

private:
    ILogChartHost& host_;
    CLogChartNavigator nav_;
    std::unique_ptr<CScopeFile> file_;
    bool loading_ = false;
    bool entered_ = false;
    bool onePerChannel_ = false;
};

} // namespace wavix
