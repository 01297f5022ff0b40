#pragma once
// What the log chart viewer needs from the main window: the link to the tester,
// message boxes, and the four channel displays it borrows while a log is shown.

#include "core/files/logwindow.h"
#include "core/files/scopefile.h"

#include <string>
#include <string_view>
#include <vector>

namespace wavix {

class ILogChartHost {
public:
    virtual ~ILogChartHost() = default;

    virtual bool IsLinkOpen() const = 0;
    // Asks the module for a safe disconnect, then closes the link.
    virtual void DisconnectAndCloseLink() = 0;
    // Opens the link again (with the retry question) and restarts the session.
    virtual void ReopenLink() = 0;

    virtual void ShowError(std::string_view textKey) = 0;

    // Every display lets go of its channels, texts and marks.
    virtual void ClearDisplays() = 0;
    // The window just read: the displays get the file's channels as planned, the
    // first display the marks (positions relative to the window), and each
    // display its channel count is shown.
    virtual void ShowLogWindow(CScopeFile& file, const std::vector<LogDisplayAssignment>& plan,
                               const std::vector<LogMark>& marks) = 0;
    // The navigation window with the log's channel list, or hidden.
    virtual void ShowNavigator(const std::vector<std::string>& channelLines) = 0;
    virtual void RefreshNavigator() = 0;
    // Back to the live scope: view A without loaded traces or channels, the
    // settings window and toolbar shown, the navigation window hidden, every
    // view repainting at its live period.
    virtual void RestoreLiveScope() = 0;
};

} // namespace wavix
