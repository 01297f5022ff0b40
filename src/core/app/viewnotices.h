#pragma once
// What the main window does when a display view reports a user action
// (UWM_SCOPE): a moved trigger marker changes the record and sends it, a click
// selects the view, zoom and measurement changes reach the other views and the
// settings window, the two push buttons mark the roll log being recorded or
// step through a loaded one.

#include "core/support/messagecodes.h"

#include <cstdint>

namespace wavix {

class CIvoraProtocol;
class CScopeData;

// The four views as the notices need them. wParam of a notice is the sending
// view's (or its zoom's, or cursors') handle; the window tells which view it is.
class IViewNoticeTarget {
public:
    virtual ~IViewNoticeTarget() = default;
    // 0..3 for a view handle, -1 for anything else.
    virtual int ViewOf(std::intptr_t handle) const = 0;
    // 0..1023.
    virtual int TriggerLevelOf(int view) const = 0;
    // In samples of the capture.
    virtual std::uint32_t TriggerPositionOf(int view) const = 0;
    virtual void SelectView(int view) = 0;
    // ZoomSelected, Measure and ZoomInfo for the scope settings window (and log chart control).
    virtual void PassToSettings(std::intptr_t wParam, ViewNotice notice) = 0;
    // Measure: the views take the new measurement value.
    virtual void ShareMeasurement(std::intptr_t cursors) = 0;
    // ZoomApply: every view takes the zoom of the one that reported it.
    virtual void ApplyZoom(std::intptr_t zoom) = 0;
    virtual void ResetZoom() = 0;
    // 1 backwards, 2 forwards.
    virtual void StepLoadedFile(int direction) = 0;
    // A mark of kind 1 or 2 for the next instant of the roll log being
    // recorded; false when none is.
    virtual bool MarkRollLog(int kind) = 0;
};

class CViewNotices {
public:
    CViewNotices(CIvoraProtocol& protocol, CScopeData& data, IViewNoticeTarget& views)
        : protocol_(protocol), data_(data), views_(views) {}

    // lParam of UWM_SCOPE is a ViewNotice.
    void OnNotice(std::intptr_t wParam, std::intptr_t code);
    int SelectedView() const { return selected_; }

private:
    CIvoraProtocol& protocol_;
    CScopeData& data_;
    IViewNoticeTarget& views_;
    int selected_ = 0;
};

} // namespace wavix
