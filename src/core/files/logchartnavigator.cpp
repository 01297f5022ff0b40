#include "core/files/logchartnavigator.h"

#include "core/scope/channeldata.h"
#include "core/scope/engprefix.h"
#include "core/settings/langtexts.h"

#include "core/settings/builtintexts.h"
#include "core/support/strformat.h"
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

namespace wavix {
namespace {} // namespace

std::string FormatHoursMinutesSeconds(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0.0)
        seconds = 0.0;
    // Far beyond any recording; keeps the whole seconds inside 64 bits.
    seconds = std::min(seconds, 1e15);
    const auto whole = static_cast<std::int64_t>(seconds);
    const std::int64_t hours = whole / 3600;
    const std::int64_t minutes = (whole / 60) % 60;
    const double rest = seconds - 3600.0 * static_cast<double>(hours) - 60.0 * static_cast<double>(minutes);
    return StrFormat("%02lld:%02lld:%02.0f", static_cast<long long>(hours), static_cast<long long>(minutes),
                     rest);
}

std::string FormatLogTime(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0.0)
        seconds = 0.0;
    seconds = std::min(seconds, 1e15);
    // Rounded once, so 59.999 s reads "1:00.00 min" rather than "0:60.00".
    const auto centis = static_cast<std::int64_t>(std::llround(seconds * 100.0));
    if (centis >= 6000)
        return StrFormat("%lld:%05.2f min", static_cast<long long>(centis / 6000),
                         static_cast<double>(centis % 6000) / 100.0);
    if (seconds >= 1.0 || seconds == 0.0)
        return StrFormat("%.2f s", static_cast<double>(centis) / 100.0);
    const auto eng = EngineeringPrefix(seconds);
    return eng ? StrFormat("%.2f %ss", eng->value, std::string(eng->prefix).c_str()) : "0.00 s";
}

CLogChartNavigator::CLogChartNavigator() = default;

bool CLogChartNavigator::SetLanguage(const std::filesystem::path& langFile, CLogTrace* trace) {
    markTexts_.Load(langFile, trace);
    return texts_.Load(langFile, trace);
}

void CLogChartNavigator::Reset() {
    position_ = 0;
    activeMark_ = 0;
    measurePercent_ = -1.0f;
    applyFactor(kFactorDefault);
}

bool CLogChartNavigator::SetLog(std::int64_t totalInstants) {
    const std::int64_t oldWindow = window_;
    const std::int64_t oldPosition = position_;
    loaded_ = true;
    total_ = std::max<std::int64_t>(totalInstants, 0);
    applyFactor(factor_);
    return window_ != oldWindow || position_ != oldPosition;
}

void CLogChartNavigator::SetMarks(std::vector<LogMark> marks, std::uint64_t inLog) {
    // The window's mark search relies on the order.
    const auto byPosition = [](const LogMark& a, const LogMark& b) { return a.position < b.position; };
    if (!std::is_sorted(marks.begin(), marks.end(), byPosition))
        std::stable_sort(marks.begin(), marks.end(), byPosition);
    marks_ = std::move(marks);
    marksInLog_ = std::max<std::uint64_t>(inLog, marks_.size());
    activeMark_ = 0;
}

void CLogChartNavigator::CloseLog() {
    loaded_ = false;
    total_ = 0;
}

bool CLogChartNavigator::applyFactor(int factor) {
    const std::int64_t oldWindow = window_;
    const std::int64_t oldPosition = position_;
    factor_ = std::clamp(factor, kFactorMin, kFactorMax);
    window_ = factor_ * kWindowUnit;
    if (loaded_ && position_ + window_ >= total_) {
        position_ = total_ - window_;
        while (position_ < 0 && factor_ > kFactorMin) {
            --factor_;
            window_ = factor_ * kWindowUnit;
            position_ = total_ - window_;
        }
        // Shorter than the smallest window: show the whole log.
        if (position_ < 0) {
            window_ = total_;
            position_ = 0;
        }
    }
    return window_ != oldWindow || position_ != oldPosition;
}

bool CLogChartNavigator::SetFactor(int factor) {
    if (factor < kFactorMin || factor > kFactorMax)
        return false;
    const int oldFactor = factor_;
    const bool moved = applyFactor(factor);
    return loaded_ && (moved || factor_ != oldFactor);
}

bool CLogChartNavigator::moveTo(std::int64_t position) {
    position = std::clamp<std::int64_t>(position, 0, MaxPosition());
    if (position == position_)
        return false;
    position_ = position;
    return loaded_;
}

bool CLogChartNavigator::SetPosition(std::int64_t sliderValue) {
    return moveTo(sliderValue);
}

bool CLogChartNavigator::PositionForward() {
    const std::int64_t half = window_ / 2;
    if (position_ > total_ - window_ - half)
        return false;
    return moveTo(position_ + half);
}

bool CLogChartNavigator::PositionBack() {
    const std::int64_t half = window_ / 2;
    if (position_ < half)
        return false;
    return moveTo(position_ - half);
}

bool CLogChartNavigator::NextMark() {
    if (marks_.empty())
        return false;
    const int count = static_cast<int>(std::min<std::size_t>(marks_.size(), std::numeric_limits<int>::max()));
    return GoToMark(std::min(activeMark_ + 1, count));
}

bool CLogChartNavigator::PreviousMark() {
    if (activeMark_ - 1 < 1) {
        activeMark_ = 0;
        return false;
    }
    return GoToMark(activeMark_ - 1);
}

bool CLogChartNavigator::GoToMark(int active) {
    if (active < 1 || static_cast<std::size_t>(active) > marks_.size())
        return false;
    activeMark_ = active;
    const auto at = static_cast<std::int64_t>(marks_[static_cast<std::size_t>(active - 1)].position);
    return moveTo(at - window_ / 2);
}

std::vector<LogMark> CLogChartNavigator::MarksInWindow() const {
    const auto first = std::partition_point(marks_.begin(), marks_.end(), [this](const LogMark& m) {
        return static_cast<std::int64_t>(m.position) <= position_;
    });
    const auto last = std::partition_point(first, marks_.end(), [this](const LogMark& m) {
        return static_cast<std::int64_t>(m.position) < position_ + window_;
    });
    std::vector<LogMark> inside(first, last);
    for (auto& mark : inside)
        mark.position =
            static_cast<decltype(mark.position)>(static_cast<std::int64_t>(mark.position) - position_);
    return inside;
}

std::string CLogChartNavigator::PositionText() const {
    const auto range = static_cast<double>(MaxPosition());
    const double percent = range > 0.0 ? static_cast<double>(position_) / range * 100.0 : 0.0;
    const double seconds = percent * range * static_cast<double>(samplePeriod_) / 100.0;
    return StrFormat("%s: %3.2f %%, %s : %s (h:m:s)", GetText(kPosition).c_str(), percent,
                     GetText(kTime).c_str(), FormatHoursMinutesSeconds(seconds).c_str());
}

std::string CLogChartNavigator::WindowText() const {
    const double seconds = static_cast<double>(window_) * static_cast<double>(samplePeriod_);
    return StrFormat("%s: %lld , %s : %s (h:m:s) = %s", GetText(kWindow).c_str(),
                     static_cast<long long>(window_), GetText(kTime).c_str(),
                     FormatHoursMinutesSeconds(seconds).c_str(), FormatLogTime(seconds).c_str());
}

std::string CLogChartNavigator::MarkCountText() const {
    if (marksInLog_ > marks_.size())
        return StrFormat("%s: %zu (%s: %llu)", GetText(kMarkCount).c_str(), marks_.size(),
                         GetText(kMarksNotShown).c_str(),
                         static_cast<unsigned long long>(marksInLog_ - marks_.size()));
    return StrFormat("%s: %zu", GetText(kMarkCount).c_str(), marks_.size());
}

std::string CLogChartNavigator::ActiveMarkText() const {
    if (activeMark_ < 1 || static_cast<std::size_t>(activeMark_) > marks_.size())
        return StrFormat("%s: ---, Ch: --- ", GetText(kActiveMark).c_str());
    return StrFormat("%s: %d, Ch: %d", GetText(kActiveMark).c_str(), activeMark_,
                     marks_[static_cast<std::size_t>(activeMark_ - 1)].kind);
}

std::string CLogChartNavigator::MeasurementText() const {
    if (!(measurePercent_ >= 0.0f) || !(measureDivisor_ > 0.0f))
        return "--";
    const double t = static_cast<double>(window_) * static_cast<double>(samplePeriod_) *
                     static_cast<double>(measurePercent_) / 100.0 / static_cast<double>(measureDivisor_);
    if (!std::isfinite(t) || t >= static_cast<double>(std::numeric_limits<int>::max()))
        return "--";
    // Rounded to the hundredth before splitting, so 59.999 s reads "1:00.00".
    const auto centis = static_cast<long long>(std::llround(std::max(t, 0.0) * 100.0));
    return StrFormat("%s : %lld:%05.2f (m:s)", GetText(kMeasurement).c_str(), centis / 6000,
                     static_cast<double>(centis % 6000) / 100.0);
}

std::string CLogChartNavigator::MarkTimeText(const LogMark& mark) const {
    return FormatLogTime(static_cast<double>(mark.position) * static_cast<double>(samplePeriod_));
}

std::vector<std::string> CLogChartNavigator::ChannelListLines(std::span<CChannelData* const> channels) {
    std::vector<std::string> lines;
    CChannelData* first = nullptr;
    for (CChannelData* ch : channels) {
        if (ch == nullptr)
            continue;
        if (first == nullptr)
            first = ch;
        const std::string gain = ch->RangeText();
        const std::string coupling = ch->CouplingText();
        lines.push_back(StrFormat("%s: %s, %s", ch->GetName().c_str(), gain.c_str(), coupling.c_str()));
    }
    if (first == nullptr)
        return lines;
    samplePeriod_ = static_cast<float>(first->GetSamplePeriod());
    const std::string timebase = first->TimeText();
    const std::string mode = first->TriggerModeText();
    const std::string edge = first->EdgeText();
    const std::string level = first->TriggerLevelText(false);
    lines.push_back(StrFormat("%s: %s", GetText(kTimebase).c_str(), timebase.c_str()));
    lines.push_back(StrFormat("%s: %s", GetText(kTriggerMode).c_str(), mode.c_str()));
    lines.push_back(StrFormat("%s: %s", GetText(kTriggerEdge).c_str(), edge.c_str()));
    lines.push_back(StrFormat("%s: %s", GetText(kTriggerLevel).c_str(), level.c_str()));
    return lines;
}

} // namespace wavix
