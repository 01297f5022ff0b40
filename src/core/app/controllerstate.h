#pragma once
// The main controller's state, shared by its reaction handlers. The module
// protocol's session state is the authority on the connection; this holds only
// what the controller itself must remember between events.

#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"

#include <optional>
#include <string>

namespace wavix {

// How the first events of a session treat the settings record.
enum class StartMode {
    AskModule = 1, // take the record stored in the tester
    SendOwn = 2,   // send the record saved in the PC
    Custom = 4,    // take the module's record, patch channel count and timebase, send it
};

struct CalibrationState {
    bool askFirst = true; // the calibration record is read once per run, after the first record
    bool inProgress = false;
    bool waiting = false;                // the header went out; the reply watch is off until the answer
    std::string info;                    // "CAL: 15.10.2008", "NotCAL", "CalSetFailed"
    std::optional<SOscil_EEPROM> header; // what the calibration run sends
    // From the command until the module's answer (or the guard).
    bool IsActive() const { return header.has_value() || waiting; }
};

struct ControllerState {
    StartMode startMode = StartMode::AskModule;
    int customStep = 1;
    int customChannels = 1;
    bool settingsSent = false; // never cleared: every later record exchange says " Settings ok "
    bool multiView = false;
    int visibleViews = 1;
    bool retryPending = false;
    bool recoveryBoxOpen = false;
    bool ended = false; // the dialog was told to end; later events change nothing
    bool recordInForce = false; // the module has confirmed a record in this run
    // The record held when the link was lost: a tester that restarted comes back
    // with its power-up record, and this one goes back to it once that is in.
    std::optional<tOscilExchange> restore;
    bool restoreSent = false; // in this session
    CalibrationState calibration;
};

} // namespace wavix
