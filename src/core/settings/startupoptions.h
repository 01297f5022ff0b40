#pragma once
// How the first oscilloscope settings of a run are obtained: from the tester,
// from the record last saved on this PC, from a sample measurement, or from a
// timebase and channel count picked at start. The dialog shows this model.

#include "core/settings/langtexts.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace wavix {

class CLogTrace;

enum class StartupChoice { Tester = 1, LastOnPc = 2, SampleChart = 3, Custom = 4 };

struct StartupResult {
    StartupChoice choice = StartupChoice::Tester;
    int timeBaseStep = 1; // a step of the settings record, 1..14
    int channelCount = 1; // 1..4

    friend bool operator==(const StartupResult&, const StartupResult&) = default;
};

inline constexpr int kStartupTimebaseEntries = 10;
inline constexpr int kStartupChannelEntries = 4;

// The record's timebase step that the timebase list's entry (0-based) names;
// entries outside the list answer the nearest end.
int StartupTimebaseStep(int entry);

class CStartupOptions {
public:
    // Index into Texts().
    enum Text {
        kTitle,
        kChoiceTester,
        kChoiceLastOnPc,
        kChoiceSampleChart,
        kSampleChartGroup,
        kChoiceCustom,
        kCustomGroup,
        kTimebaseLabel,
        kDivisionWord,
        kChannelCountLabel,
        kChannelCountEntry,
        kOk,
        kCancel,
        kTextCount
    };

    explicit CStartupOptions(StartupChoice initial = StartupChoice::Tester);

    // Replaces the built-in texts from a language file; false when a key is
    // missing (the texts before it are taken, the built-in ones stay for the rest).
    bool LoadTexts(const std::filesystem::path& langFile, CLogTrace* trace = nullptr);
    const std::string& Texts(Text t) const { return texts_[static_cast<std::size_t>(t)]; }

    // " 0.1 ms/dílek" .. "   1 s/dílek", and "1 kanálový osciloskop" .. "4 ...".
    std::vector<std::string> TimebaseEntries() const;
    std::vector<std::string> ChannelCountEntries() const;

    StartupChoice Choice() const { return choice_; }
    void SetChoice(StartupChoice choice) { choice_ = choice; }
    bool SampleChartControlsEnabled() const { return choice_ == StartupChoice::SampleChart; }
    bool CustomControlsEnabled() const { return choice_ == StartupChoice::Custom; }

    // 0-based list positions, clamped into their lists.
    int TimebaseEntry() const { return timebaseEntry_; }
    void SetTimebaseEntry(int entry);
    int ChannelCountEntry() const { return channelEntry_; }
    void SetChannelCountEntry(int entry);

    StartupResult Result() const;

private:
    CTextTable texts_;
    StartupChoice choice_;
    int timebaseEntry_ = 0;
    int channelEntry_ = 0;
};

} // namespace wavix
