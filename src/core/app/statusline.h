#pragma once
// The controller's status bar texts: traffic counters, activity spinners, the
// length-check and packet-group recovery notes and the information line.

#include "core/app/mainview.h"
#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"
#include "core/support/messagecodes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace wavix {

class CStatusLine {
public:
    explicit CStatusLine(IMainView& view) : view_(view) {}

    // Kept behind a notice: the texts of every exchange would wipe it at once.
    void SetStatus(std::string_view text) {
        if (!notice_)
            view_.SetPaneText(Pane::ModuleStatus, text);
    }
    // A text the technician must get to read (the set-up given back after a
    // tester restart); it stays until ClearNotice (an edit, a new session).
    void SetNotice(std::string_view text) {
        notice_ = true;
        view_.SetPaneText(Pane::ModuleStatus, text);
    }
    void ClearNotice() { notice_ = false; }
    void ClearModuleName() { view_.SetPaneText(Pane::ModuleName, ""); }

    // "* *" with spinner A at 0 and B at 2; then the addressed spinner turns.
    void TurnSpinnerA();
    void TurnSpinnerB();

    // Link traffic: 2 outgoing bytes, 3 incoming bytes (and the pane), else nothing.
    void OnTraffic(std::intptr_t count, std::intptr_t kind);

    void SetExpectedCount(std::intptr_t count);
    void SetRealCount(std::intptr_t count);
    void CountBadGroup();
    int BadGroups() const { return badGroups_; }

    // Fills an empty calibration info from the record, then shows the information line.
    void ShowInformation(const tOscilExchange& rec, const SOscil_EEPROM& cal, std::string& calInfo);

    // "CAL: %X.%X.%X": day, month and year are BCD, so their hex digits read as decimals.
    static std::string CalibrationDate(const SOscil_EEPROM& cal);

private:
    void showSpinner();
    void showLengthCheck();

    IMainView& view_;
    int spinnerA_ = 0;
    int spinnerB_ = 0;
    std::intptr_t outgoing_ = 0;
    std::intptr_t incoming_ = 0;
    std::intptr_t expected_ = 0;
    std::intptr_t real_ = 0;
    int badGroups_ = 0;
    bool notice_ = false;
};

} // namespace wavix
