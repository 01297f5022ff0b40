#pragma once
// The controller's reactions to the module protocol's reports: session faults,
// the start of the oscilloscope, the capture loop's next request, settings
// exchange and calibration answers.

#include "core/app/controllerstate.h"
#include "core/app/maintexts.h"
#include "core/app/mainview.h"
#include "core/app/statusline.h"
#include "core/support/messagecodes.h"

#include <cstdint>

namespace wavix {

class CIvoraProtocol;
class CScopeData;

inline constexpr std::uint32_t kRetryMs = 50;
// The calibration record is read without waiting in the queue: if its answer is
// lost, polling starts after this anyway.
inline constexpr std::uint32_t kCalibrationReadMs = 1000;
// How long a calibration run may wait for the module's answer.
inline constexpr std::uint32_t kCalibrationGuardMs = 10000;

class CModuleEvents {
public:
    CModuleEvents(CIvoraProtocol& protocol, CScopeData& data, IMainView& view, const CMainTexts& texts,
                  CStatusLine& status, ControllerState& state)
        : protocol_(protocol), data_(data), view_(view), texts_(texts), status_(status), state_(state) {}

    // wParam of UWM_IVORA_PROTOCOL: a ModuleEvent.
    void OnReport(std::intptr_t wParam, std::intptr_t lParam);

    // Asks unless a data or settings request is still out: its answer goes on
    // polling, and a second request would start a second polling chain.
    void AskForData();
    // The trigger level in force on every view, with each view's input range first.
    void ApplyTriggerLevel(int level);
    // The run did not end within kCalibrationGuardMs of being asked for: a
    // refusal, and polling resumes.
    void CalibrationTimedOut();

private:
    void sessionFault(ModuleEvent event);
    void sessionState(ModuleEvent event);
    void scopeFault(ModuleEvent event);
    void scopeState(ModuleEvent event);

    void sendEditedSettings();
    bool sendRestoredRecord();
    bool takeSingleShot();
    void restartSession();
    void fatal(std::string_view caption, std::string_view text, int result);
    void sendCalibrationHeader();
    void calibrationRefused(std::string_view textKey);
    void calibrationEnded();
    void calibrationAnswered(ModuleEvent event);
    void showTriggerState();

    CIvoraProtocol& protocol_;
    CScopeData& data_;
    IMainView& view_;
    const CMainTexts& texts_;
    CStatusLine& status_;
    ControllerState& state_;
};

// Each view k shows the input range of channel k of the record.
ViewRanges ChannelRanges(const tOscilExchange& rec);

} // namespace wavix
