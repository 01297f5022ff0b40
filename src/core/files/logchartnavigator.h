#pragma once
// The log-chart navigator's logic without its window: which window of a long
// roll-mode log is shown (position and length in sample instants), stepping
// between the log's marks, and the texts of its labels. Every operation that can
// move the window answers whether it did; the window then posts "window changed"
// (UWM_DLG_CONTROL_LOG_CHART_MSG, LogChartNotice::WindowChanged) so the main window reads it again.
//
// All position arithmetic is signed 64-bit: a log may be shorter than a window,
// and total - window - window / 2 must not wrap.

#include "core/files/scopefile.h"
#include "core/settings/builtintexts.h"
#include "core/settings/langtexts.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace wavix {

class CChannelData;
class CLogTrace;

// "%02d:%02d:%02.0f" of t seconds: hours and minutes from the whole seconds, the
// fraction kept in the seconds (59.6 s reads "00:00:60"). Negative or not finite reads as 0.
std::string FormatHoursMinutesSeconds(double seconds);

// A time in a log, to the hundredth: "250.00 ms", "12.34 s", from a minute on
// "2:05.30 min". Negative or not finite reads as 0.
std::string FormatLogTime(double seconds);

class CLogChartNavigator {
public:
    static constexpr int kFactorMin = 1;
    static constexpr int kFactorMax = 15;
    static constexpr int kFactorDefault = 5;
    static constexpr std::int64_t kWindowUnit = 10000;
    static constexpr std::int64_t kFirstWindow = 50000; // instants read when a log is opened

    // Texts by key, TXT_1200 .. TXT_1217; index = key - 1200.
    enum Text {
        kTitle,
        kPosition,
        kWindow,
        kTime,
        kMarksGroup,
        kMarkCount,
        kActiveMark,
        kGoToMark,
        kMeasurementGroup,
        kMeasurement,
        kDisplayMode,
        kStop,
        kChannelsGroup,
        kTimebase,
        kTriggerMode,
        kTriggerEdge,
        kTriggerLevel,
        kMarksNotShown,
        kTextCount
    };
    // Column titles of the mark list, TXT_1560 .. TXT_1562.
    enum MarkColumn { kMarkNumber, kMarkTime, kMarkKind, kMarkColumnCount };

    CLogChartNavigator();

    // At the first missing key loading stops; the texts already there stay.
    bool SetLanguage(const std::filesystem::path& langFile, CLogTrace* trace = nullptr);
    const std::string& GetText(Text t) const { return texts_[static_cast<std::size_t>(t)]; }
    const std::string& GetText(MarkColumn c) const { return markTexts_[static_cast<std::size_t>(c)]; }

    // The dialog is shown: factor 5, position 0, no active mark, no measurement.
    void Reset();

    // A log (re)loaded: its sample instants per channel. The position is kept and
    // the window factor applied again. Answers whether the window moved.
    bool SetLog(std::int64_t totalInstants);
    void CloseLog();
    bool HasLog() const { return loaded_; }

    // The marks kept from the log, put in order of position, and how many the log
    // holds in all; kept over re-reads of the same log.
    void SetMarks(std::vector<LogMark> marks, std::uint64_t inLog = 0);
    const std::vector<LogMark>& Marks() const { return marks_; }

    void SetSamplePeriod(float seconds) { samplePeriod_ = seconds; }
    float GetSamplePeriod() const { return samplePeriod_; }

    // Window factor: slider released or "<" / ">" (one step within 1..15).
    bool SetFactor(int factor);
    bool FactorDown() { return SetFactor(factor_ - 1); }
    bool FactorUp() { return SetFactor(factor_ + 1); }

    // Position: slider released, or "<" / ">" by half a window.
    bool SetPosition(std::int64_t sliderValue);
    bool PositionForward();
    bool PositionBack();

    // Marks: the active mark is 1-based, 0 for none.
    bool NextMark();
    bool PreviousMark();
    bool GoToMark(int active);

    // Marks strictly inside the window, their positions relative to its start.
    std::vector<LogMark> MarksInWindow() const;

    void SetMeasurementPercentage(float percent) { measurePercent_ = percent; }
    void SetMeasurementDivisor(float divisor) { measureDivisor_ = divisor; }

    std::int64_t Total() const { return total_; }
    int Factor() const { return factor_; }
    std::int64_t Window() const { return window_; }
    std::int64_t Position() const { return position_; }
    std::int64_t MaxPosition() const { return total_ - window_; } // never negative
    int ActiveMark() const { return activeMark_; }

    std::string PositionText() const;
    std::string WindowText() const;
    std::string MarkCountText() const;
    std::string ActiveMarkText() const;
    std::string MeasurementText() const;
    // Time of a mark from the start of the log.
    std::string MarkTimeText(const LogMark& mark) const;

    // The channel list: "name: gain, coupling" per channel, then timebase,
    // trigger mode, edge and level of the first channel.
    std::vector<std::string> ChannelListLines(std::span<CChannelData* const> channels);

private:
    bool applyFactor(int factor);
    bool moveTo(std::int64_t position);

    CTextTable texts_{BuiltinTextRange(1200, 1218)};
    CTextTable markTexts_{BuiltinTextRange(1560, 1562)};
    bool loaded_ = false;
    std::int64_t total_ = 0;
    int factor_ = kFactorDefault;
    std::int64_t window_ = kFactorDefault * kWindowUnit;
    std::int64_t position_ = 0;
    float samplePeriod_ = 0.0f;
    std::vector<LogMark> marks_;
    std::uint64_t marksInLog_ = 0;
    int activeMark_ = 0;
    float measurePercent_ = -1.0f;
    float measureDivisor_ = 1.0f;
};

} // namespace wavix
