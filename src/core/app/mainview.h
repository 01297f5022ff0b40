#pragma once
// What the main controller needs from the main window. The controller decides,
// the window only shows: message boxes, status panes, the four views, the
// retry timer and the tool windows. A Qt window implements it; tests record it.

#include "core/support/messages.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace wavix {

struct tOscilExchange;

// Status bar panes, addressed by name rather than by position.
enum class Pane { ModuleName, ModuleType, ModuleStatus, ModuleSlider, Link };

enum class BoxIcon { None, Error, Information, Question, Exclamation };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

enum class ToolWindow { Toolbar, Settings, ChannelOptions, ChannelInfo, LogChartControl, LogFiles };

inline constexpr int kViewCount = 4;
// Input range (CHk_mux) of channel k for view k.
using ViewRanges = std::array<int, kViewCount>;

class IMainView {
public:
    virtual ~IMainView() = default;

    // Modal: further messages may be handled while it is open.
    virtual BoxAnswer MessageBox(std::string_view caption, std::string_view text, BoxIcon icon,
                                 BoxButtons buttons) = 0;
    virtual void SetPaneText(Pane pane, std::string_view text) = 0;
    // The link state changed (its trace name and the tester's "address:port").
    virtual void LinkStateChanged(std::string_view /*state*/, std::string_view /*endpoint*/) {}

    // The text over the traces of all four views; HideMessages clears that display.
    virtual void ShowMessage(std::string_view text) = 0;
    virtual void HideMessages() = 0;
    virtual void RedrawTraces() = 0;
    // Colour (0x00BBGGRR) of every view's trigger-level marker; the views repaint.
    virtual void SetTriggerMarkerColor(std::uint32_t color) = 0;
    // Trigger-level marker of every view, 0..1023.
    virtual void SetTriggerLevel(int level) = 0;
    virtual void SetInputRanges(const ViewRanges& ranges) = 0;
    virtual void SetCaptureGeometry(std::uint32_t samplesPerCapture, std::uint32_t triggerPosition) = 0;
    // Every view's two scale factors back to 1.0, then redraw.
    virtual void ResetScaleFactors() = 0;

    // The view arrangement after a record came into force: first the bands for
    // visibleViews views, then (AttachChannels) every view detaches and hides;
    // with multiView false view A shows channels 1..activeChannels, else view k
    // shows channel k for k = visibleViews down to 1; every view recomputes.
    virtual void LayoutViews(int visibleViews) = 0;
    virtual void AttachChannels(bool multiView, int visibleViews, int activeChannels) = 0;
    virtual void RefreshChannelPanels() = 0;

    // The one-shot poll retry timer; the window calls the controller's OnTimer when it fires.
    virtual void StartRetryTimer(std::uint32_t ms) = 0;
    virtual void StopRetryTimer() = 0;
    // One-shot guard over a calibration run, from the command to the module's
    // answer; the window calls OnTimer(kCalibrationGuardTimerId) when it fires.
    virtual void StartCalibrationGuard(std::uint32_t ms) = 0;
    virtual void StopCalibrationGuard() = 0;

    virtual void EndDialog(int result) = 0;
    virtual void Quit(int exitCode) = 0;
    virtual void SaveAllSettings() = 0;
    // Closes the link after the session ended; false when closing failed.
    virtual bool CloseLink() = 0;
    // Opens the link again, with the retry question, and restarts the session.
    virtual void ReopenLink() = 0;

    // Roll-mode log, kept by the window with its scope file; it follows the capture store itself.
    virtual bool IsRollLogOpen() const = 0;
    // A record came into force: a roll log recorded with another one ends.
    virtual void EndRollLogIfChanged(const tOscilExchange& inForce) = 0;

    virtual void SetSettingsChannelCount(int count) = 0;
    // Views B..D take view A's display settings.
    virtual void CopyViewSettings() = 0;

    virtual void PostToSelf(Msg msg, std::intptr_t wParam, std::intptr_t lParam) = 0;
    virtual void PostToTool(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) = 0;
    // Synchronous forward.
    virtual void SendToTool(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) = 0;
};

} // namespace wavix
