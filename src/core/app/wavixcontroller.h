#pragma once
// The main controller: every message posted to the main window passes
// OnMessage, which turns the reports of the link, the module protocol and the
// sample data into the next request to the module, status texts, redraws and
// error boxes. The capture loop is a chain of these reactions: each answer of
// the module triggers the next request; only an empty answer waits, on the
// window's one-shot retry timer.
//
// Free of any window system: the window is an IMainView, the module protocol
// is used through its request builders. It is the only dispatcher: what it
// does not carry out itself goes to the window's parts (WindowParts), never
// back to the window as a message. Reactions may restart the session or
// switch its reply watch, so the window re-arms the protocol's timer after
// every call into the controller.

#include "core/app/controllerstate.h"
#include "core/app/linkstatus.h"
#include "core/app/maintexts.h"
#include "core/app/mainview.h"
#include "core/app/moduleevents.h"
#include "core/app/scopedataevents.h"
#include "core/app/statusline.h"
#include "core/app/viewnotices.h"
#include "core/app/windowparts.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace wavix {

class CCaptureStore;
class CIvoraProtocol;

class CWavixController {
public:
    // The id of the retry timer.
    static constexpr int kRetryTimerId = 0;
    // The guard over a calibration answer (kCalibrationGuardMs).
    static constexpr int kCalibrationGuardTimerId = 1;
    CWavixController(CIvoraProtocol& protocol, CCaptureStore& capture, IMainView& view,
                     const CMainTexts& texts);
    CWavixController(const CWavixController&) = delete;
    CWavixController& operator=(const CWavixController&) = delete;

    // The window's parts that carry out what is decided here; set once they exist.
    void SetParts(const WindowParts& parts);

    // Chosen once at start, before the link opens. The custom values are used
    // only in StartMode::Custom and are clamped to the module's ranges.
    void SetStartMode(StartMode mode, int customStep = 1, int customChannels = 1);
    // "Start" in the status pane, before the link is open.
    void ShowStartStatus();
    // The tester's address for the link pane and its texts, each time the link
    // opens to a new one; ticks time the reports, clockText(ageMs) gives the
    // wall-clock time that long ago.
    void WatchLink(const ITickSource& ticks, std::string address, std::uint16_t port,
                   std::function<std::string(std::uint32_t)> clockText);

    void OnMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    // The window's timers; false for an id that is neither the pending retry
    // timer nor the guard of a waiting calibration.
    bool OnTimer(int id);

    // The calibration dialog ended with OK: the header goes out with the next
    // finished exchange.
    void StartCalibration(const SOscil_EEPROM& header);

    const ControllerState& State() const { return state_; }
    const CStatusLine& Status() const { return status_; }
    const CLinkStatus& Link() const { return link_; }
    bool HasEnded() const { return state_.ended; }

private:
    void onToolbar(std::intptr_t command);
    void forwardChannelData(std::intptr_t wParam, std::intptr_t lParam);
    void onWindowToolbar(std::intptr_t command);
    void openViewMenu(std::intptr_t view, std::intptr_t point);
    void dispatch(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    void followLink(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    void showLink();
    std::string linkText(std::string_view key) const;
    // "Poslední záznam <time>" of the capture on screen, seen at now.
    std::string lastCaptureText(std::uint32_t now) const;
    // The run and connect buttons follow the record in force and the session,
    // whatever path changed them; told only on a change.
    void syncToolbar();

    CIvoraProtocol& protocol_;
    CCaptureStore& capture_;
    IMainView& view_;
    const CMainTexts& texts_;
    ControllerState state_;
    CStatusLine status_;
    CModuleEvents module_;
    CScopeDataEvents scopeData_;
    WindowParts parts_;
    std::unique_ptr<CViewNotices> notices_;
    CLinkStatus link_;
    const ITickSource* ticks_ = nullptr;
    std::function<std::string(std::uint32_t)> clockText_;
    int runInForce_ = -1; // a RunState once a record is in force
    int runShown_ = -1;
    int linkShown_ = -1;
};

} // namespace wavix
