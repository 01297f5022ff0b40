#include "core/app/statusline.h"

#include "core/analysis/channelscale.h"
#include "core/support/strformat.h"

namespace wavix {
namespace {

constexpr std::string_view kSpinner = "-\\|/";

int turn(int index) {
    return (index + 1) % static_cast<int>(kSpinner.size());
}

// Counts shown with %d; a count past int is shown clipped rather than wrapped.
int asInt(std::intptr_t v) {
    constexpr std::intptr_t lo = -2147483647 - 1;
    constexpr std::intptr_t hi = 2147483647;
    return static_cast<int>(v < lo ? lo : (v > hi ? hi : v));
}

} // namespace

void CStatusLine::showSpinner() {
    std::string text = "* *";
    text[0] = kSpinner[static_cast<std::size_t>(spinnerA_)];
    text[2] = kSpinner[static_cast<std::size_t>(spinnerB_)];
    view_.SetPaneText(Pane::ModuleSlider, text);
}

void CStatusLine::TurnSpinnerA() {
    showSpinner();
    spinnerA_ = turn(spinnerA_);
}

void CStatusLine::TurnSpinnerB() {
    showSpinner();
    spinnerB_ = turn(spinnerB_);
}

void CStatusLine::OnTraffic(std::intptr_t count, std::intptr_t kind) {
    if (Decode<TrafficNotice>(kind) == TrafficNotice::SentPerSecond) {
        outgoing_ = count;
    } else if (Decode<TrafficNotice>(kind) == TrafficNotice::ReceivedPerSecond) {
        incoming_ = count;
        view_.SetPaneText(Pane::ModuleType, StrFormat("I:%d,O:%d", asInt(incoming_), asInt(outgoing_)));
    }
}

void CStatusLine::showLengthCheck() {
    view_.SetPaneText(Pane::ModuleName, StrFormat("ERROR Exp:%d, real %d", asInt(expected_), asInt(real_)));
}

void CStatusLine::SetExpectedCount(std::intptr_t count) {
    expected_ = count;
    showLengthCheck();
}

void CStatusLine::SetRealCount(std::intptr_t count) {
    real_ = count;
    showLengthCheck();
}

void CStatusLine::CountBadGroup() {
    ++badGroups_;
    view_.SetPaneText(Pane::ModuleName,
                      StrFormat("Bad packet group error (#%d)...trying recovery ...", badGroups_));
}

std::string CStatusLine::CalibrationDate(const SOscil_EEPROM& cal) {
    return StrFormat("CAL: %X.%X.%X", unsigned{cal.day}, unsigned{cal.month}, unsigned{cal.year});
}

void CStatusLine::ShowInformation(const tOscilExchange& rec, const SOscil_EEPROM& cal, std::string& calInfo) {
    if (calInfo.empty())
        calInfo = cal.state == 1 ? CalibrationDate(cal) : "NotCAL";
    // A record that names no divider has no sample rate; never divide by it.
    const std::uint32_t rate = DividerRateHz(rec.time_base);
    view_.SetPaneText(Pane::ModuleName, StrFormat("Samples/CH=%d, Sample rate = %d, %s",
                                                   asInt(rec.samples_all), asInt(rate), calInfo.c_str()));
}

} // namespace wavix
