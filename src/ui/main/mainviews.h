#pragma once
// The main window's four views as the controller drives them: messages over
// the traces, markers, ranges, scale, the channels each view shows and the
// loaded traces drawn over them. The views are the window's children.

#include "core/app/mainview.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace wavix {

class CLoadedTraces;
class CProgramSettings;
class CScope;
class CScopeData;

// Live repaint period of every view.
inline constexpr int kRepaintMs = 200;

class CMainViews {
public:
    explicit CMainViews(const std::array<CScope*, kViewCount>& views) : views_(views) {}

    // The stored looks; only view A is shown.
    void SetUp(const CProgramSettings& settings);
    // The looks in force back into the settings.
    void StoreLooks(CProgramSettings& settings) const;
    // Views B..D take view A's display settings.
    void CopyViewA();

    void ShowMessage(std::string_view text);
    void Redraw();
    void SetTriggerMarkerColor(std::uint32_t color);
    void SetTriggerLevel(int level);
    void SetInputRanges(const ViewRanges& ranges);
    void SetCaptureGeometry(std::uint32_t samplesPerCapture, std::uint32_t triggerPosition);
    void ResetScale();

    // Every view detaches and hides; without multiView view A shows channels
    // 1..activeChannels, else view k shows channel k for k = visibleViews down to 1.
    void AttachChannels(CScopeData& channels, bool multiView, int visibleViews, int activeChannels);
    // Each view's loaded traces anew.
    void AttachLoaded(CLoadedTraces& loaded);
    void ClearLoaded();
    void RecomputeAll();
    // Back from a log: no marks, the live repaint period.
    void BackToLive();

private:
    const std::array<CScope*, kViewCount>& views_;
};

} // namespace wavix
